// Win32-only. Classes registered for one test of the diagnosis and removed at the end of its
// scope: keys and values below Software\Classes of HKLM (which Wine's HKCR shows) or of HKCU
// (which it does not, while Windows' COM reads it first), in this process's registry view or the
// other one.
#pragma once

#include "common/win32.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kit::survey_test {

class TestKeys {
public:
  explicit TestKeys(HKEY root, bool otherView = false)
      : m_root(root), m_view(otherView ? (sizeof(void*) == 8 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY) : 0) {}
  TestKeys(const TestKeys&) = delete;
  TestKeys& operator=(const TestKeys&) = delete;
  ~TestKeys() {
    // Each tree is deleted through the classes' key opened in the same view.
    HKEY classes = nullptr;
    if (RegOpenKeyExW(m_root, L"Software\\Classes", 0, KEY_READ | KEY_WRITE | m_view, &classes) != ERROR_SUCCESS) return;
    for (auto owned = m_owned.rbegin(); owned != m_owned.rend(); ++owned) DeleteTree(classes, *owned);
    RegCloseKey(classes);
  }

  // Sets a string value (`name` nullptr: the default one) of Software\Classes\<path>. The test
  // owns the path up to its first "{...}" part ("CLSID\{...}", "TypeLib\{...}"), else its first part.
  void Set(const std::wstring& path, const wchar_t* name, const std::wstring& value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(m_root, (L"Software\\Classes\\" + path).c_str(), 0, nullptr, 0, KEY_WRITE | m_view,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    const std::size_t brace = path.find(L'{');
    const std::wstring owned = path.substr(0, path.find(L'\\', brace == std::wstring::npos ? 0 : brace));
    if (std::find(m_owned.begin(), m_owned.end(), owned) == m_owned.end()) m_owned.push_back(owned);
  }

private:
  void DeleteTree(HKEY parent, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(parent, path.c_str(), 0, KEY_READ | KEY_WRITE | m_view, &key) != ERROR_SUCCESS) return;
    std::vector<std::wstring> children;
    wchar_t child[256];
    for (DWORD length = ARRAYSIZE(child);
         RegEnumKeyExW(key, static_cast<DWORD>(children.size()), child, &length, nullptr, nullptr, nullptr, nullptr) ==
         ERROR_SUCCESS;
         length = ARRAYSIZE(child)) {
      children.emplace_back(child, length);
    }
    for (const std::wstring& name : children) DeleteTree(key, name);
    RegCloseKey(key);
    RegDeleteKeyW(parent, path.c_str());
  }

  HKEY m_root;
  REGSAM m_view;
  std::vector<std::wstring> m_owned;
};

// A class served by `server` (apartment-threaded), registered under HKLM.
class TestClass {
public:
  TestClass(const wchar_t* classId, const std::wstring& server, bool otherView = false)
      : m_keys(HKEY_LOCAL_MACHINE, otherView) {
    const std::wstring key = std::wstring(L"CLSID\\") + classId + L"\\InprocServer32";
    m_keys.Set(key, nullptr, server);
    m_keys.Set(key, L"ThreadingModel", L"Apartment");
  }

private:
  TestKeys m_keys;
};

}  // namespace kit::survey_test
