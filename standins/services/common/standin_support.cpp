// Win32-only. Journal, modes and error information of the service stand-ins; registration and
// the class factory come from the shared server plumbing.
#include "standins/services/common/standin_support.h"

#include "common/utf8_text.h"

#include <oleauto.h>

#include <cstdio>
#include <cwchar>

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
  const std::string bytes = kit::ToUtf8(line) + "\n";
  fwrite(bytes.data(), 1, bytes.size(), file);
  fclose(file);
}

std::wstring Mode() { return Environment(L"KIT_STANDIN_MODE"); }

std::wstring DescriptionForMode(std::wstring_view usual) {
  const std::wstring mode = Mode();
  if (mode == L"fail-silent") return {};
  if (mode == L"fail-long") return std::wstring(5000, L'x');
  // Markup, quotes, commas and a leading formula sign: what a report must carry as plain text.
  if (mode == L"fail-hostile") return L"=HYPERLINK(\"http://x/\",\"<b>click</b>\"), 'quoted', & more";
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
    case VT_ERROR: {
      wchar_t code[16] = {};
      swprintf(code, std::size(code), L"0x%08lX", static_cast<unsigned long>(value.scode));
      return L"VT_ERROR " + std::wstring(code);
    }
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

}  // namespace kit::standins
