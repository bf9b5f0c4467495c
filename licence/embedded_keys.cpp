// Win32-only. The key file's bytes come from the build (embed_keys.cmake); they are read once.
#include "licence/embedded_keys.h"

#include "common/win32.h"
#include "licence/licence_keys.h"

#include <cstddef>
#include <cwchar>
#include <vector>

namespace kit::licence {

extern const unsigned char kEmbeddedKeyFile[];
extern const std::size_t kEmbeddedKeyFileSize;

namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), length);
  return wide;
}

}  // namespace

std::wstring EmbeddedLicenceKey(std::wstring_view classId) {
  static const std::vector<LicenceKey> keys =
      ParseLicenceKeys({reinterpret_cast<const char*>(kEmbeddedKeyFile), kEmbeddedKeyFileSize});
  for (const LicenceKey& key : keys) {
    const std::wstring id = Wide(key.classId);
    if (id.size() == classId.size() && _wcsnicmp(id.c_str(), classId.data(), id.size()) == 0) return Wide(key.key);
  }
  return {};
}

}  // namespace kit::licence
