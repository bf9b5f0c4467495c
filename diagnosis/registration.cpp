// Win32-only. Reading the classes' registry, the user's classes over the machine's.
#include "diagnosis/registration.h"

#include "common/letter_case.h"
#include "common/owners.h"
#include "common/stored_string.h"

#include <algorithm>

namespace kit::diagnosis {
namespace {

// Where HKCU and HKLM keep their classes.
constexpr wchar_t kClasses[] = L"Software\\Classes\\";

bool Open(HKEY root, const std::wstring& path, REGSAM view, UniqueKey& key) {
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | view, key.put()) == ERROR_SUCCESS;
}

// The key COM reads for <path>: the user's when there, else the merged root's.
bool OpenClassesKey(const std::wstring& path, REGSAM view, UniqueKey& key) {
  return Open(HKEY_CURRENT_USER, kClasses + path, view, key) || Open(HKEY_CLASSES_ROOT, path, view, key);
}

}  // namespace

std::wstring ClassesValue(const std::wstring& path, const wchar_t* name, bool& found, REGSAM view) {
  found = false;
  UniqueKey key;
  if (!OpenClassesKey(path, view, key)) return {};
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
  return OpenClassesKey(path, view, key);
}

std::vector<std::wstring> ClassesSubkeys(const std::wstring& path, REGSAM view) {
  std::vector<std::wstring> names;
  for (const auto& [root, prefix] : {std::pair{HKEY_CURRENT_USER, std::wstring(kClasses)},
                                     std::pair{HKEY_CLASSES_ROOT, std::wstring()}}) {
    UniqueKey key;
    if (!Open(root, prefix + path, view, key)) continue;
    // Key names are at most 255 characters.
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = ARRAYSIZE(name);
      const LONG status = RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr);
      if (status == ERROR_MORE_DATA) continue;
      if (status != ERROR_SUCCESS) break;
      const std::wstring found(name, length);
      if (std::none_of(names.begin(), names.end(), [&](const std::wstring& n) { return SameNoCase(n, found); })) {
        names.push_back(found);
      }
    }
  }
  return names;
}

bool ForCurrentUserOnly(const std::wstring& path, REGSAM view) {
  UniqueKey user, machine;
  return Open(HKEY_CURRENT_USER, kClasses + path, view, user) &&
         !Open(HKEY_LOCAL_MACHINE, kClasses + path, view, machine);
}

std::wstring Unquoted(std::wstring value) {
  if (!value.empty() && value.front() == L'"') {
    value.erase(0, 1);
    value = value.substr(0, value.find(L'"'));
  }
  return value;
}

}  // namespace kit::diagnosis
