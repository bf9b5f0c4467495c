// Win32-only. Reading the classes' registry.
#include "diagnosis/registration.h"

#include "common/owners.h"
#include "common/stored_string.h"

namespace kit::diagnosis {

std::wstring ClassesValue(const std::wstring& path, const wchar_t* name, bool& found, REGSAM view) {
  found = false;
  UniqueKey key;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ | view, key.put()) != ERROR_SUCCESS) return {};
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key.get(), name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return {};
  }
  std::wstring value(size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key.get(), name, nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size) != ERROR_SUCCESS) {
    return {};
  }
  value.resize(StoredString(value).size());
  found = true;
  if (type != REG_EXPAND_SZ) return value;
  std::wstring expanded(32768, L'\0');
  const DWORD length = ExpandEnvironmentStringsW(value.c_str(), expanded.data(), static_cast<DWORD>(expanded.size()));
  if (length == 0 || length > expanded.size()) return value;
  expanded.resize(length - 1);
  return expanded;
}

bool ClassesKeyExists(const std::wstring& path, REGSAM view) {
  UniqueKey key;
  return RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

std::wstring Unquoted(std::wstring value) {
  if (!value.empty() && value.front() == L'"') {
    value.erase(0, 1);
    value = value.substr(0, value.find(L'"'));
  }
  return value;
}

}  // namespace kit::diagnosis
