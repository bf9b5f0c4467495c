// Portable. kit_fleet's lines where a terminal takes UTF-8 as it is.
#include "fleet/fleet_console.h"

#include <cstdio>

namespace kit::fleet {
namespace {

void Line(std::FILE* stream, std::string_view utf8) {
  std::fwrite(utf8.data(), 1, utf8.size(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

}  // namespace

void PrepareConsole() {}  // the runtime's own reports go to standard error already
void PrintOutcome(std::string_view utf8) { Line(stdout, utf8); }
void PrintError(std::string_view utf8) { Line(stderr, utf8); }

}  // namespace kit::fleet
