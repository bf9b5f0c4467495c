// Win32-only. COM creation, late-bound calls and error descriptions for the service probes.
#include "probes/services/common/com_calls.h"

#include "common/system_error.h"
#include "probes/services/common/service_texts.h"

#include <oleauto.h>

#include <vector>

namespace kit::services {
namespace {

// The one apartment of the program: entered at the first object, left at the end.
HRESULT g_apartment = S_FALSE;
bool g_entered = false;

StepFailure Failure(std::uint32_t code, std::wstring_view componentText) {
  return {code, DescribeStepFailure(code, componentText, SystemMessage(code))};
}

std::wstring ErrorInfoText() {
  ComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, &info) != S_OK || !info) return {};
  UniqueBstr description;
  if (FAILED(info->GetDescription(description.put()))) return {};
  return description.str();
}

}  // namespace

StepFailure SystemFailure(std::uint32_t code) { return Failure(code, {}); }

StepFailure ObjectFailure(HRESULT code, IUnknown* object, REFIID iid) {
  ComPtr<ISupportErrorInfo> support;
  if (object && SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&support))) &&
      support->InterfaceSupportsErrorInfo(iid) == S_OK) {
    return Failure(static_cast<std::uint32_t>(code), ErrorInfoText());
  }
  return SystemFailure(static_cast<std::uint32_t>(code));
}

HRESULT EnterComApartment() {
  if (!g_entered) {
    g_entered = true;
    g_apartment = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  }
  return FAILED(g_apartment) ? g_apartment : S_OK;
}

void LeaveComApartment() {
  if (g_entered && SUCCEEDED(g_apartment)) CoUninitialize();
  g_entered = false;
}

StepResult CreateObject(REFCLSID clsid, REFIID iid, void** object) {
  *object = nullptr;
  if (HRESULT hr = EnterComApartment(); FAILED(hr)) return SystemFailure(static_cast<std::uint32_t>(hr));
  ComPtr<IUnknown> unknown;
  if (HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_PPV_ARGS(&unknown)); FAILED(hr)) {
    return SystemFailure(static_cast<std::uint32_t>(hr));
  }
  if (HRESULT hr = unknown->QueryInterface(iid, object); FAILED(hr)) {
    *object = nullptr;
    return SystemFailure(static_cast<std::uint32_t>(hr));
  }
  return std::nullopt;
}

StepResult CreateObjectByName(const wchar_t* progId, REFIID iid, void** object) {
  *object = nullptr;
  if (HRESULT hr = EnterComApartment(); FAILED(hr)) return SystemFailure(static_cast<std::uint32_t>(hr));
  CLSID clsid{};
  if (HRESULT hr = CLSIDFromProgID(progId, &clsid); FAILED(hr)) return SystemFailure(static_cast<std::uint32_t>(hr));
  return CreateObject(clsid, iid, object);
}

StepResult CallByName(IDispatch* object, const wchar_t* name, WORD kind, std::span<UniqueVariant> arguments,
                      VARIANT* result) {
  DISPID member = DISPID_UNKNOWN;
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  if (HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &member); FAILED(hr)) {
    return ObjectFailure(hr, object, IID_IDispatch);
  }
  // IDispatch takes the arguments last first.
  std::vector<VARIANT> reversed;
  reversed.reserve(arguments.size());
  for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) reversed.push_back(*it->get());
  DISPID putName = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
  if (kind == DISPATCH_PROPERTYPUT) {
    parameters.rgdispidNamedArgs = &putName;
    parameters.cNamedArgs = 1;
  }
  UniqueVariant ignored;
  EXCEPINFO exception{};
  UINT badArgument = 0;
  SetErrorInfo(0, nullptr);
  const HRESULT hr = object->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters,
                                    result ? result : ignored.put(), &exception, &badArgument);
  if (hr == DISP_E_EXCEPTION) {
    if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
    const HRESULT code = FAILED(exception.scode) ? exception.scode
                         : exception.wCode ? MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, exception.wCode)
                                           : hr;
    StepFailure failure = Failure(static_cast<std::uint32_t>(code),
                                  exception.bstrDescription ? std::wstring_view(exception.bstrDescription,
                                                                                SysStringLen(exception.bstrDescription))
                                                            : std::wstring_view());
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return failure;
  }
  if (FAILED(hr)) return ObjectFailure(hr, object, IID_IDispatch);
  return std::nullopt;
}

StepResult DispatchOf(const VARIANT& value, ComPtr<IDispatch>& object) {
  object.Reset();
  IUnknown* unknown = nullptr;
  if (value.vt == VT_DISPATCH) unknown = value.pdispVal;
  else if (value.vt == VT_UNKNOWN) unknown = value.punkVal;
  if (!unknown) return SystemFailure(static_cast<std::uint32_t>(E_NOINTERFACE));
  if (HRESULT hr = unknown->QueryInterface(IID_PPV_ARGS(&object)); FAILED(hr)) {
    return SystemFailure(static_cast<std::uint32_t>(hr));
  }
  return std::nullopt;
}

}  // namespace kit::services
