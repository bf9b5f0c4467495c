// Win32-only. The shared plumbing of the stand-in COM servers.
#include "standins/com_server/com_server.h"

#include "common/owners.h"

#include <olectl.h>

#include <array>
#include <new>

// The linker's symbol for the start of the image this code is linked into.
extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace kit::comserver {
namespace {

LONG g_objects = 0;
LONG g_locks = 0;

class ClassFactory final : public FactoryBase<IClassFactory> {
public:
  ClassFactory(CreateFunction create, const void* context) : m_create(create), m_context(context) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return m_create(m_context, iid, object);
  }

private:
  CreateFunction m_create;
  const void* m_context;
};

LSTATUS SetText(HKEY key, const wchar_t* name, const std::wstring& text) {
  const DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
}

// Creates (or opens) `path` under HKCR and sets the value, unless `text` is null.
bool WriteKey(const std::wstring& path, const wchar_t* valueName, const std::wstring* text) {
  UniqueKey key;
  if (RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                      key.put(), nullptr) != ERROR_SUCCESS) {
    return false;
  }
  return !text || SetText(key.get(), valueName, *text) == ERROR_SUCCESS;
}

bool DeleteKey(const std::wstring& path) {
  const LSTATUS status = RegDeleteKeyW(HKEY_CLASSES_ROOT, path.c_str());
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND;
}

}  // namespace

HMODULE ThisModule() { return reinterpret_cast<HMODULE>(&__ImageBase); }

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(ThisModule(), path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    // A full buffer may hold a cut path: try again larger.
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

void ObjectCreated() { InterlockedIncrement(&g_objects); }
void ObjectDestroyed() { InterlockedDecrement(&g_objects); }
void LockServer(bool lock) {
  if (lock) {
    InterlockedIncrement(&g_locks);
  } else {
    InterlockedDecrement(&g_locks);
  }
}
HRESULT CanUnloadNow() { return g_objects > 0 || g_locks > 0 ? S_FALSE : S_OK; }

HRESULT GetClassFactory(CreateFunction create, const void* context, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  auto* factory = new (std::nothrow) ClassFactory(create, context);
  if (!factory) return E_OUTOFMEMORY;
  const HRESULT hr = factory->QueryInterface(iid, object);
  factory->Release();
  return hr;
}

HRESULT RegisterServerClass(const ServerClass& served) {
  const std::wstring modulePath = ModulePath();
  if (modulePath.empty()) return SELFREG_E_CLASS;
  const std::wstring classKey = L"CLSID\\" + served.classId;
  const std::wstring apartment = L"Apartment";
  const bool hasProgId = !served.progId.empty();
  bool written = WriteKey(classKey, nullptr, hasProgId ? &served.progId : nullptr) &&
                 WriteKey(classKey + L"\\InprocServer32", nullptr, &modulePath) &&
                 WriteKey(classKey + L"\\InprocServer32", L"ThreadingModel", &apartment);
  if (written && hasProgId) {
    written = WriteKey(classKey + L"\\ProgID", nullptr, &served.progId) &&
              WriteKey(served.progId + L"\\CLSID", nullptr, &served.classId);
  }
  if (written && served.control) {
    const std::wstring miscStatus = std::to_wstring(served.miscStatus);
    written = WriteKey(classKey + L"\\Control", nullptr, nullptr) &&
              WriteKey(classKey + L"\\MiscStatus", nullptr, &miscStatus);
  }
  return written ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterServerClass(const ServerClass& served) {
  const std::wstring classKey = L"CLSID\\" + served.classId;
  const std::wstring leaves[] = {classKey + L"\\InprocServer32", classKey + L"\\ProgID",
                                           classKey + L"\\Control", classKey + L"\\MiscStatus"};
  bool removed = true;
  for (const std::wstring& key : leaves) removed = DeleteKey(key) && removed;
  DeleteKey(classKey);
  if (!served.progId.empty()) {
    removed = DeleteKey(served.progId + L"\\CLSID") && removed;
    DeleteKey(served.progId);
  }
  return removed ? S_OK : SELFREG_E_CLASS;
}

std::wstring GuidText(REFGUID guid) {
  wchar_t text[64] = {};
  const int length = StringFromGUID2(guid, text, static_cast<int>(std::size(text)));
  return length > 1 ? std::wstring(text, static_cast<std::size_t>(length - 1)) : std::wstring();
}

}  // namespace kit::comserver
