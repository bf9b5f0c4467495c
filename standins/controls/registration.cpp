// Win32-only. DllRegisterServer and DllUnregisterServer: the keys a container needs to find a
// control by ProgID and class identifier, for every class of this DLL's component file.
//   HKCR\CLSID\{clsid}               (default) ProgID
//       \InprocServer32              (default) this DLL's full path, ThreadingModel "Apartment"
//       \ProgID                      (default) ProgID
//       \Control
//       \MiscStatus                  (default) "0", or the status of a control invisible at run time
//   HKCR\<ProgID>\CLSID              (default) {clsid}
// Unregistering removes exactly these keys.
#include "common/owners.h"
#include "common/win32.h"
#include "standins/controls/module.h"
#include "standins/controls/standin_control.h"

#include <olectl.h>

#include <array>
#include <string>

namespace kit::standin {
namespace {

LSTATUS SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
  const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
}

// Creates (or opens) `path` under HKCR and sets its default value, unless `text` is null.
bool WriteKey(const std::wstring& path, const wchar_t* valueName, const std::wstring* text) {
  UniqueKey key;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      key.put(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  return !text || SetText(key.get(), valueName, *text) == ERROR_SUCCESS;
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(ThisModule(), path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    // A full buffer may mean a cut path: try again larger.
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

bool RegisterStandinClass(const StandinClass& entry, const std::wstring& modulePath) {
  const std::wstring progId = entry.progId;
  const std::wstring clsid = entry.clsid;
  const std::wstring classKey = L"CLSID\\" + clsid;
  const std::wstring apartment = L"Apartment";
  const std::wstring miscStatus = entry.invisibleAtRunTime ? std::to_wstring(MiscStatusOf(entry)) : L"0";
  return WriteKey(classKey, nullptr, &progId) && WriteKey(classKey + L"\\InprocServer32", nullptr, &modulePath) &&
         WriteKey(classKey + L"\\InprocServer32", L"ThreadingModel", &apartment) &&
         WriteKey(classKey + L"\\ProgID", nullptr, &progId) && WriteKey(classKey + L"\\Control", nullptr, nullptr) &&
         WriteKey(classKey + L"\\MiscStatus", nullptr, &miscStatus) &&
         WriteKey(progId + L"\\CLSID", nullptr, &clsid);
}

bool DeleteKey(const std::wstring& path) {
  const LSTATUS status = RegDeleteKeyW(HKEY_CLASSES_ROOT, path.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

// Leaf keys first; a key that is already gone counts as removed. The class and ProgID keys go
// too unless someone else gave them subkeys of their own, which then stay with them.
bool UnregisterStandinClass(const StandinClass& entry) {
  const std::wstring progId = entry.progId;
  const std::wstring classKey = L"CLSID\\" + std::wstring(entry.clsid);
  const std::array<std::wstring, 5> leaves{classKey + L"\\InprocServer32", classKey + L"\\ProgID",
                                           classKey + L"\\Control", classKey + L"\\MiscStatus",
                                           progId + L"\\CLSID"};
  bool removed = true;
  for (const std::wstring& key : leaves) removed = DeleteKey(key) && removed;
  DeleteKey(classKey);
  DeleteKey(progId);
  return removed;
}

}  // namespace
}  // namespace kit::standin

STDAPI DllRegisterServer() {
  const kit::standin::ComponentFile* file = kit::standin::ThisComponentFile();
  const std::wstring modulePath = kit::standin::ModulePath();
  if (!file || modulePath.empty()) return SELFREG_E_CLASS;
  for (const kit::standin::StandinClass& entry : file->classes) {
    if (!kit::standin::RegisterStandinClass(entry, modulePath)) return SELFREG_E_CLASS;
  }
  return S_OK;
}

STDAPI DllUnregisterServer() {
  const kit::standin::ComponentFile* file = kit::standin::ThisComponentFile();
  if (!file) return SELFREG_E_CLASS;
  bool removed = true;
  for (const kit::standin::StandinClass& entry : file->classes) {
    removed = kit::standin::UnregisterStandinClass(entry) && removed;
  }
  return removed ? S_OK : SELFREG_E_CLASS;
}
