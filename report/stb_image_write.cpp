// The stb image writer's implementation, compiled once here and nowhere else. The writer works in
// memory only (no stdio file functions are built in); its header's own warnings are not the kit's
// and are silenced for this file alone (survey/CMakeLists.txt).
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>
