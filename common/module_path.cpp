// Win32-only. GetModuleFileName cuts a path that does not fit and says so only by filling the
// buffer: the buffer grows until the path fits.
#include "common/module_path.h"

namespace kit {

std::wstring ModulePath(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring ProgramFolder() {
  const std::wstring path = ModulePath(nullptr);
  return path.substr(0, path.find_last_of(L"\\/"));
}

}  // namespace kit
