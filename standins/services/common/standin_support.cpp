// Win32-only. Journal, modes, error information and the dispatch object of the service
// stand-ins; registration and the class factory come from the shared server plumbing.
#include "standins/services/common/standin_support.h"

#include <oleauto.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace kit::standins {
namespace {

std::wstring Environment(const wchar_t* name) {
  wchar_t buffer[1024] = {};
  const DWORD length = GetEnvironmentVariableW(name, buffer, static_cast<DWORD>(std::size(buffer)));
  return length > 0 && length < std::size(buffer) ? std::wstring(buffer, length) : std::wstring();
}

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

HRESULT RegisterServerClass(REFCLSID clsid, const wchar_t* progId) {
  return comserver::RegisterServerClass({.classId = GuidText(clsid), .progId = progId ? progId : L""});
}

HRESULT UnregisterServerClass(REFCLSID clsid, const wchar_t* progId) {
  return comserver::UnregisterServerClass({.classId = GuidText(clsid), .progId = progId ? progId : L""});
}

HRESULT GetClassObjectFor(REFCLSID requested, REFCLSID served, CreateFunction create, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (!IsEqualCLSID(requested, served)) return CLASS_E_CLASSNOTAVAILABLE;
  return comserver::GetClassFactory(create, nullptr, iid, object);
}

DispatchObject::DispatchObject(std::wstring_view name, std::span<const IID* const> interfaces,
                               std::span<const DispatchMember> members)
    : m_name(name), m_interfaces(interfaces), m_members(members) {
  comserver::ObjectCreated();
  Journal(L"create " + m_name);
}

DispatchObject::~DispatchObject() { comserver::ObjectDestroyed(); }

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
