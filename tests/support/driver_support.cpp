// Win32-only. The tests' additions to the driver: registration entries, paths, output text and
// the wait scale of the machine the tests run on.
#include "tests/support/driver_support.h"

#include "common/ansi_text.h"
#include "common/number_text.h"

#include <algorithm>

namespace kit::driver {
namespace {

HRESULT CallServerEntry(const std::wstring& library, const char* name) {
  HMODULE module = LoadLibraryW(library.c_str());
  if (!module) return HRESULT_FROM_WIN32(GetLastError());
  using Entry = HRESULT(STDAPICALLTYPE*)();
  const auto entry = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(module, name)));
  const HRESULT hr = entry ? entry() : HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
  FreeLibrary(module);
  return hr;
}

}  // namespace

DWORD TestWaitScale() {
  // Read on first use, not at start: bounds at namespace scope in the test files are computed
  // before main in no set order.
  static const DWORD scale = [] {
    wchar_t value[8] = {};
    const DWORD length = GetEnvironmentVariableW(L"KIT_WAIT_SCALE", value, ARRAYSIZE(value));
    return length == 1 && value[0] >= L'1' && value[0] <= L'9' ? DWORD(value[0] - L'0')
           : length == 2 && value[0] == L'1' && value[1] == L'0' ? DWORD{10} : DWORD{1};
  }();
  return scale;
}

DWORD Scaled(DWORD ms) { return ms * TestWaitScale(); }

HRESULT RegisterServer(const std::wstring& library) { return CallServerEntry(library, "DllRegisterServer"); }
HRESULT UnregisterServer(const std::wstring& library) { return CallServerEntry(library, "DllUnregisterServer"); }

std::wstring BesideMe(std::wstring_view file) {
  wchar_t path[MAX_PATH * 4] = {};
  const DWORD length = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
  std::wstring folder(path, length);
  folder.resize(folder.find_last_of(L"\\/") + 1);
  return folder + std::wstring(file);
}

std::wstring FromUnixPath(std::wstring_view path) {
  std::wstring windows = L"Z:" + std::wstring(path);
  std::replace(windows.begin(), windows.end(), L'/', L'\\');
  return windows;
}

std::wstring Describe(const std::vector<Item>& items) {
  std::wstring text;
  for (const Item& item : items) {
    text += item.className + L" \"" + item.text + L"\" at " + kit::Decimal(item.rect.left) + L"," +
            kit::Decimal(item.rect.top) + L" " + kit::Decimal(item.rect.right - item.rect.left) + L"x" +
            kit::Decimal(item.rect.bottom - item.rect.top) + (item.focused ? L" focused" : L"") +
            (item.check >= 0 ? L" check=" + kit::Decimal(item.check) : L"") + L"\n";
  }
  return text;
}

std::string Narrow(std::wstring_view text) { return ToAnsi(text); }

}  // namespace kit::driver
