// Win32-only. The key file's bytes come from the build (embed_keys.cmake); they are read once.
#include "licence/embedded_keys.h"

#include "common/utf8_text.h"
#include "common/win32.h"
#include "licence/licence_keys.h"

#include <cstddef>
#include <cwchar>
#include <vector>

namespace kit::licence {

extern const unsigned char kEmbeddedKeyFile[];
extern const std::size_t kEmbeddedKeyFileSize;

std::wstring EmbeddedLicenceKey(std::wstring_view classId) {
  static const std::vector<LicenceKey> keys =
      ParseLicenceKeys({reinterpret_cast<const char*>(kEmbeddedKeyFile), kEmbeddedKeyFileSize});
  for (const LicenceKey& key : keys) {
    const std::wstring id = FromUtf8(key.classId);
    if (id.size() == classId.size() && _wcsnicmp(id.c_str(), classId.data(), id.size()) == 0) return FromUtf8(key.key);
  }
  return {};
}

}  // namespace kit::licence
