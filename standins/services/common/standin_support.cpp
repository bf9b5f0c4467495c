// Win32-only. Journal, modes, registration, class factory and the dispatch object of the
// service stand-ins.
#include "standins/services/common/standin_support.h"

#include <oleauto.h>

#include <atomic>
#include <cstdio>
#include <cwchar>
#include <vector>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace kit::standins {
namespace {

std::atomic<long> g_locks{0};

std::wstring Environment(const wchar_t* name) {
  wchar_t buffer[1024] = {};
  const DWORD length = GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
  return length > 0 && length < std::size(buffer) ? std::wstring(buffer, length) : std::wstring();
}

std::wstring ModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(ThisModule(), path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) return path.substr(0, length);
    path.resize(path.size() * 2);
  }
}

LSTATUS SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

HRESULT WriteKey(const std::wstring& path, const wchar_t* name, const std::wstring& value) {
  HKEY key = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr);
  if (status == ERROR_SUCCESS) {
    status = SetText(key, name, value);
    RegCloseKey(key);
  }
  return HRESULT_FROM_WIN32(status);
}

void DeleteKeyTree(const std::wstring& path) {
  // Leaves first: RegDeleteKey removes only keys without subkeys.
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
    std::vector<std::wstring> children;
    wchar_t name[256];
    for (DWORD i = 0;; ++i) {
      DWORD length = static_cast<DWORD>(std::size(name));
      if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      children.emplace_back(name, length);
    }
    RegCloseKey(key);
    for (const auto& child : children) DeleteKeyTree(path + L"\\" + child);
  }
  RegDeleteKeyW(HKEY_CLASSES_ROOT, path.c_str());
}

class ClassFactory final : public IClassFactory {
public:
  explicit ClassFactory(CreateFunction create) : m_create(create) { LockModule(); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    static const IID* const kInterfaces[] = {&IID_IUnknown, &IID_IClassFactory};
    for (const IID* known : kInterfaces) {
      if (IsEqualIID(iid, *known)) {
        *object = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
      }
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_count; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG count = --m_count;
    if (count == 0) delete this;
    return count;
  }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return m_create(iid, object);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) LockModule();
    else UnlockModule();
    return S_OK;
  }

private:
  ~ClassFactory() { UnlockModule(); }
  ULONG m_count = 1;
  CreateFunction m_create;
};

}  // namespace

void Journal(std::wstring_view line) {
  const std::wstring path = Environment(L"KIT_JOURNAL");
  if (path.empty()) return;
  FILE* file = _wfopen(path.c_str(), L"ab");
  if (!file) return;
  // UTF-8, one line each, so a test reads back exactly what crossed.
  const int size = WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, line.data(), static_cast<int>(line.size()), bytes.data(), size, nullptr, nullptr);
  bytes += "\n";
  fwrite(bytes.data(), 1, bytes.size(), file);
  fclose(file);
}

std::wstring Mode() { return Environment(L"KIT_STANDIN_MODE"); }

std::wstring DescriptionForMode(std::wstring_view usual) {
  const std::wstring mode = Mode();
  if (mode == L"fail-silent") return {};
  if (mode == L"fail-long") return std::wstring(5000, L'x');
  if (mode == L"fail-wide") return L"\u041e\u0448\u0438\u0431\u043a\u0430 \u65e5\u672c \u2603";
  return std::wstring(usual);
}

std::wstring TextOf(const VARIANT& value) {
  const VARIANT* v = &value;
  if (v->vt == (VT_VARIANT | VT_BYREF) && v->pvarVal) v = v->pvarVal;
  if (v->vt == VT_BSTR) return v->bstrVal ? std::wstring(v->bstrVal, SysStringLen(v->bstrVal)) : std::wstring();
  if (v->vt == (VT_BSTR | VT_BYREF) && v->pbstrVal && *v->pbstrVal) {
    return std::wstring(*v->pbstrVal, SysStringLen(*v->pbstrVal));
  }
  return {};
}

std::wstring DescribeValue(const VARIANT& value) {
  switch (value.vt) {
    case VT_BSTR: return L"VT_BSTR \"" + TextOf(value) + L"\"";
    case VT_BSTR | VT_BYREF: return L"VT_BSTR|VT_BYREF \"" + TextOf(value) + L"\"";
    case VT_I4: return L"VT_I4 " + std::to_wstring(value.lVal);
    case VT_I2: return L"VT_I2 " + std::to_wstring(value.iVal);
    case VT_BOOL: return value.boolVal ? L"VT_BOOL True" : L"VT_BOOL False";
    case VT_ERROR: return L"VT_ERROR " + std::to_wstring(static_cast<unsigned long>(value.scode));
    case VT_EMPTY: return L"VT_EMPTY";
    default: return L"VT " + std::to_wstring(value.vt);
  }
}

std::wstring GuidText(REFGUID guid) {
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, static_cast<int>(std::size(text)));
  return text;
}

HMODULE ThisModule() { return reinterpret_cast<HMODULE>(&__ImageBase); }
void LockModule() { ++g_locks; }
void UnlockModule() { --g_locks; }
HRESULT CanUnloadNow() { return g_locks == 0 ? S_OK : S_FALSE; }

HRESULT RegisterServerClass(REFCLSID clsid, const wchar_t* progId) {
  const std::wstring classKey = L"CLSID\\" + GuidText(clsid);
  if (HRESULT hr = WriteKey(classKey + L"\\InprocServer32", nullptr, ModulePath()); FAILED(hr)) return hr;
  if (HRESULT hr = WriteKey(classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"); FAILED(hr)) return hr;
  if (progId) {
    if (HRESULT hr = WriteKey(classKey + L"\\ProgID", nullptr, progId); FAILED(hr)) return hr;
    if (HRESULT hr = WriteKey(std::wstring(progId) + L"\\CLSID", nullptr, GuidText(clsid)); FAILED(hr)) return hr;
  }
  return S_OK;
}

HRESULT UnregisterServerClass(REFCLSID clsid, const wchar_t* progId) {
  DeleteKeyTree(L"CLSID\\" + GuidText(clsid));
  if (progId) DeleteKeyTree(progId);
  return S_OK;
}

void SetCallerErrorInfo(REFIID iid, std::wstring_view description) {
  ICreateErrorInfo* create = nullptr;
  if (FAILED(CreateErrorInfo(&create))) return;
  const std::wstring text(description);
  create->SetGUID(iid);
  create->SetSource(const_cast<LPOLESTR>(L"kit stand-in"));
  if (!text.empty()) create->SetDescription(const_cast<LPOLESTR>(text.c_str()));
  IErrorInfo* info = nullptr;
  if (SUCCEEDED(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)))) {
    SetErrorInfo(0, info);
    info->Release();
  }
  create->Release();
}

HRESULT RaiseException(EXCEPINFO* exception, HRESULT code, std::wstring_view description) {
  if (!exception) return code;
  *exception = EXCEPINFO{};
  exception->scode = code;
  exception->bstrSource = SysAllocString(L"kit stand-in");
  if (!description.empty()) {
    exception->bstrDescription = SysAllocStringLen(description.data(), static_cast<UINT>(description.size()));
  }
  return DISP_E_EXCEPTION;
}

HRESULT GetClassObjectFor(REFCLSID requested, REFCLSID served, CreateFunction create, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(requested, served)) return CLASS_E_CLASSNOTAVAILABLE;
  auto* factory = new ClassFactory(create);
  const HRESULT hr = factory->QueryInterface(iid, object);
  factory->Release();
  return hr;
}

DispatchObject::DispatchObject(std::wstring_view name, std::span<const IID* const> interfaces,
                               std::span<const DispatchMember> members)
    : m_name(name), m_interfaces(interfaces), m_members(members) {
  LockModule();
  Journal(L"create " + m_name);
}

DispatchObject::~DispatchObject() { UnlockModule(); }

HRESULT STDMETHODCALLTYPE DispatchObject::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  bool known = IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch);
  for (const IID* own : m_interfaces) known = known || IsEqualIID(iid, *own);
  if (!known) {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  *object = static_cast<IDispatch*>(this);
  AddRef();
  return S_OK;
}

ULONG STDMETHODCALLTYPE DispatchObject::AddRef() { return ++m_count; }

ULONG STDMETHODCALLTYPE DispatchObject::Release() {
  const ULONG count = --m_count;
  if (count == 0) {
    Journal(L"release " + m_name);
    delete this;
  }
  return count;
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE DispatchObject::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (!names || !ids || count == 0) return E_INVALIDARG;
  HRESULT hr = S_OK;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  for (const DispatchMember& member : m_members) {
    if (_wcsicmp(names[0], member.name) == 0) ids[0] = member.id;
  }
  if (ids[0] == DISPID_UNKNOWN || count > 1) hr = DISP_E_UNKNOWNNAME;
  return hr;
}

HRESULT STDMETHODCALLTYPE DispatchObject::Invoke(DISPID id, REFIID, LCID, WORD kind, DISPPARAMS* parameters,
                                                 VARIANT* result, EXCEPINFO* exception, UINT*) {
  std::vector<VARIANT> arguments;
  if (parameters) {
    for (UINT i = parameters->cArgs; i > 0; --i) arguments.push_back(parameters->rgvarg[i - 1]);
  }
  if (result) VariantInit(result);
  return Call(id, kind, arguments, result, exception);
}

}  // namespace kit::standins
