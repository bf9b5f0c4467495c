// Win32-only. COM creation, typed calls and error descriptions for the service probes.
#include "probes/services/common/com_calls.h"

#include "common/com_values.h"
#include "common/system_error.h"
#include "licence/embedded_keys.h"
#include "probes/services/common/service_texts.h"

#include <ocidl.h>
#include <oleauto.h>

namespace kit::services {
namespace {

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

UniqueVariant Missing() {
  UniqueVariant missing;
  VARIANT* value = missing.put();
  value->vt = VT_ERROR;
  value->scode = DISP_E_PARAMNOTFOUND;
  return missing;
}

namespace {

// A licensed class that refuses plain creation (no design-time licence on this machine) is
// created through its licensing factory with the run-time key the build carries, if it carries one.
HRESULT CreateLicensed(REFCLSID clsid, ComPtr<IUnknown>& unknown) {
  wchar_t classText[40] = {};
  if (!StringFromGUID2(clsid, classText, ARRAYSIZE(classText))) return CLASS_E_NOTLICENSED;
  const std::wstring key = licence::EmbeddedLicenceKey(classText);
  if (key.empty()) return CLASS_E_NOTLICENSED;
  ComPtr<IClassFactory2> licensing;
  if (FAILED(CoGetClassObject(clsid, CLSCTX_INPROC_SERVER, nullptr, IID_PPV_ARGS(&licensing)))) {
    return CLASS_E_NOTLICENSED;
  }
  UniqueBstr bstr(key);
  return licensing->CreateInstanceLic(nullptr, nullptr, IID_IUnknown, bstr.get(),
                                      reinterpret_cast<void**>(unknown.ReleaseAndGetAddressOf()));
}

}  // namespace

StepResult CreateObject(REFCLSID clsid, REFIID iid, void** object) {
  *object = nullptr;
  ComPtr<IUnknown> unknown;
  HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_PPV_ARGS(&unknown));
  if (hr == CLASS_E_NOTLICENSED) hr = CreateLicensed(clsid, unknown);
  if (FAILED(hr)) return SystemFailure(static_cast<std::uint32_t>(hr));
  if (HRESULT hr = unknown->QueryInterface(iid, object); FAILED(hr)) {
    *object = nullptr;
    return SystemFailure(static_cast<std::uint32_t>(hr));
  }
  return std::nullopt;
}

StepResult CreateObjectByName(const wchar_t* progId, REFIID iid, void** object) {
  *object = nullptr;
  CLSID clsid{};
  if (HRESULT hr = CLSIDFromProgID(progId, &clsid); FAILED(hr)) return SystemFailure(static_cast<std::uint32_t>(hr));
  return CreateObject(clsid, iid, object);
}

}  // namespace kit::services
