// Win32-only. Sizes are single-precision twips, as a form's own properties are; hWnd is a 32-bit
// number, as window handles are for every program (their upper half is never used).
#include "probes/shell/form_dispatch.h"

#include "common/com_values.h"
#include "common/kit_window.h"
#include "common/twips.h"
#include "probes/shell/control_container.h"
#include "probes/shell/dispatch_names.h"
#include "probes/shell/property_bag.h"
#include "probes/shell/single_interface.h"
#include "probes/shell/site_object.h"

#include <new>

namespace kit::shell {
namespace {

using Microsoft::WRL::ComPtr;

enum class Member : DISPID {
  Name = 1, HWnd, ScaleMode, ScaleWidth, ScaleHeight, Width, Height, Font, BackColor, Controls
};
constexpr DISPID Id(Member member) { return static_cast<DISPID>(member); }

constexpr DispatchName kMembers[] = {
    {"Name", Id(Member::Name)},         {"hWnd", Id(Member::HWnd)},
    {"ScaleMode", Id(Member::ScaleMode)}, {"ScaleWidth", Id(Member::ScaleWidth)},
    {"ScaleHeight", Id(Member::ScaleHeight)}, {"Width", Id(Member::Width)},
    {"Height", Id(Member::Height)},     {"Font", Id(Member::Font)},
    {"BackColor", Id(Member::BackColor)}, {"Controls", Id(Member::Controls)},
};

constexpr short kScaleTwips = 1;
constexpr DISPID kDispidCount = 1;

void SetTwips(VARIANT* result, int pixels, int dpi) {
  result->vt = VT_R4;
  result->fltVal = static_cast<float>(PixelsToTwips(pixels, dpi));
}

// The form's Controls: its controls in creation order, each as its extender.
class FormControls final : public SingleInterface<IDispatch> {
public:
  explicit FormControls(ComPtr<ControlContainer> form) : m_form(std::move(form)) {}

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return NoTypeInfoCount(count); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override { return NoTypeInfo(info); }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    static constexpr DispatchName kCollection[] = {{"Count", kDispidCount}, {"Item", DISPID_VALUE}};
    return IdsOfNames(kCollection, names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
    if (!result) return E_POINTER;
    VariantInit(result);
    const std::vector<ControlSite*> sites = m_form->Sites();
    if (id == kDispidCount) {
      result->vt = VT_I4;
      result->lVal = static_cast<LONG>(sites.size());
      return S_OK;
    }
    if (id != DISPID_VALUE) return DISP_E_MEMBERNOTFOUND;
    if (!parameters || parameters->cArgs != 1) return DISP_E_BADPARAMCOUNT;
    ControlSite* site = Find(sites, parameters->rgvarg[0]);
    if (!site) return DISP_E_BADINDEX;
    IDispatch* extender = nullptr;
    const HRESULT hr = site->GetExtendedControl(&extender);
    if (FAILED(hr)) return hr;
    result->vt = VT_DISPATCH;
    result->pdispVal = extender;
    return S_OK;
  }

private:
  static ControlSite* Find(const std::vector<ControlSite*>& sites, VARIANT& key) {
    UniqueVariant name;
    if (SUCCEEDED(VariantChangeType(name.get(), &key, 0, VT_BSTR)) && (key.vt & VT_TYPEMASK) == VT_BSTR) {
      const std::wstring wanted(V_BSTR(&name.value()), SysStringLen(V_BSTR(&name.value())));
      for (ControlSite* site : sites) {
        if (lstrcmpiW(site->DisplayName().c_str(), wanted.c_str()) == 0) return site;
      }
      return nullptr;
    }
    UniqueVariant index;
    if (FAILED(VariantChangeType(index.get(), &key, 0, VT_I4))) return nullptr;
    const LONG i = V_I4(&index.value());
    return i >= 0 && static_cast<std::size_t>(i) < sites.size() ? sites[static_cast<std::size_t>(i)] : nullptr;
  }

  ComPtr<ControlContainer> m_form;
};

}  // namespace

HRESULT FormIdsOfNames(LPOLESTR* names, UINT count, DISPID* ids) { return IdsOfNames(kMembers, names, count, ids); }

HRESULT InvokeFormMember(ControlContainer& form, DISPID id, WORD flags, DISPPARAMS*, VARIANT* result) {
  if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
  if (!result) return E_POINTER;
  VariantInit(result);
  HWND window = nullptr;
  form.GetWindow(&window);
  RECT client{}, frame{};
  GetClientRect(window, &client);
  GetWindowRect(window, &frame);
  switch (static_cast<Member>(id)) {
    case Member::Name:
      result->vt = VT_BSTR;
      result->bstrVal = UniqueBstr(form.FormName()).release();
      return S_OK;
    case Member::HWnd:
      result->vt = VT_I4;
      result->lVal = static_cast<LONG>(reinterpret_cast<LONG_PTR>(window));
      return S_OK;
    case Member::ScaleMode:
      result->vt = VT_I2;
      result->iVal = kScaleTwips;
      return S_OK;
    case Member::ScaleWidth: SetTwips(result, client.right - client.left, ScreenDpiX()); return S_OK;
    case Member::ScaleHeight: SetTwips(result, client.bottom - client.top, ScreenDpiY()); return S_OK;
    case Member::Width: SetTwips(result, frame.right - frame.left, ScreenDpiX()); return S_OK;
    case Member::Height: SetTwips(result, frame.bottom - frame.top, ScreenDpiY()); return S_OK;
    case Member::Font: {
      auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
      LOGFONTW described{};
      if (!GetObjectW(font ? font : GetStockObject(DEFAULT_GUI_FONT), sizeof(described), &described)) {
        return HRESULT_FROM_WIN32(GetLastError());
      }
      IDispatch* object = nullptr;
      const HRESULT hr = CreateFontObject(DescribeFont(described, ScreenDpiY()), &object);
      if (FAILED(hr)) return hr;
      result->vt = VT_DISPATCH;
      result->pdispVal = object;
      return S_OK;
    }
    case Member::BackColor:
      result->vt = VT_I4;
      result->lVal = static_cast<LONG>(kFormBackColour);
      return S_OK;
    case Member::Controls: {
      auto* controls = new (std::nothrow) FormControls(ComPtr<ControlContainer>(&form));
      if (!controls) return E_OUTOFMEMORY;
      result->vt = VT_DISPATCH;
      result->pdispVal = controls;
      return S_OK;
    }
  }
  return DISP_E_MEMBERNOTFOUND;
}

}  // namespace kit::shell
