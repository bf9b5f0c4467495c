// Win32-only. Calls into the common-dialog control by dispatch identifier. An error the control
// raises comes back as DISP_E_EXCEPTION with its description in an EXCEPINFO, which is ours to
// free.
#include "probes/cmdlg/control_calls.h"

#include <oleauto.h>

namespace kit::cmdlg {
namespace {

// Frees what an EXCEPINFO holds, filling it in first if the control deferred that.
void ClearException(EXCEPINFO& exception) {
  if (exception.pfnDeferredFillIn) exception.pfnDeferredFillIn(&exception);
  SysFreeString(exception.bstrSource);
  SysFreeString(exception.bstrDescription);
  SysFreeString(exception.bstrHelpFile);
  exception = EXCEPINFO{};
}

HRESULT Invoke(IDispatch* control, DISPID member, WORD kind, DISPPARAMS& parameters) {
  EXCEPINFO exception{};
  UINT badArgument = 0;
  VARIANT result;
  VariantInit(&result);
  const HRESULT hr = control->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, kind, &parameters,
                                     kind == DISPATCH_PROPERTYPUT ? nullptr : &result, &exception, &badArgument);
  VariantClear(&result);
  if (hr == DISP_E_EXCEPTION) ClearException(exception);
  return hr;
}

}  // namespace

HRESULT ShowThroughControl(IDispatch* control, DISPID show) {
  if (!control) return E_POINTER;
  VARIANT cancelError;
  VariantInit(&cancelError);
  V_VT(&cancelError) = VT_BOOL;
  V_BOOL(&cancelError) = VARIANT_TRUE;
  DISPID putNamed = DISPID_PROPERTYPUT;
  DISPPARAMS put{&cancelError, &putNamed, 1, 1};
  if (const HRESULT hr = Invoke(control, kDispidCancelError, DISPATCH_PROPERTYPUT, put); FAILED(hr)) return hr;

  DISPPARAMS none{nullptr, nullptr, 0, 0};
  return Invoke(control, show, DISPATCH_METHOD, none);
}

}  // namespace kit::cmdlg
