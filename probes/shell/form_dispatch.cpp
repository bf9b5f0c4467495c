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

#include <algorithm>
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

// The control `key` names: by its place in creation order from 0, or by its name (an array
// member's with its index in brackets).
ControlSite* FindControl(const ControlContainer& form, VARIANT& given) {
  VARIANT* key = given.vt == (VT_VARIANT | VT_BYREF) && given.pvarVal ? given.pvarVal : &given;
  const BSTR* name = key->vt == VT_BSTR ? &key->bstrVal : key->vt == (VT_BSTR | VT_BYREF) ? key->pbstrVal : nullptr;
  if (name) {
    ControlSite* site = nullptr;
    for (std::size_t i = 0; (site = form.SiteAt(i)); ++i) {
      if (lstrcmpiW(site->DisplayName().c_str(), *name ? *name : L"") == 0) break;
    }
    return site;
  }
  UniqueVariant index;
  if (FAILED(VariantChangeType(index.get(), key, 0, VT_I4)) || V_I4(index.get()) < 0) return nullptr;
  return form.SiteAt(static_cast<std::size_t>(V_I4(index.get())));
}

// Controls(key), whether asked of the collection's Item or of the form's Controls in one call.
HRESULT ControlItem(const ControlContainer& form, const DISPPARAMS* parameters, VARIANT* result) {
  if (!parameters || parameters->cArgs != 1 || !parameters->rgvarg) return DISP_E_BADPARAMCOUNT;
  ControlSite* site = FindControl(form, parameters->rgvarg[0]);
  if (!site) return DISP_E_BADINDEX;
  const HRESULT hr = site->GetExtendedControl(&result->pdispVal);
  if (SUCCEEDED(hr)) result->vt = VT_DISPATCH;
  return hr;
}

// The form's Controls: its ActiveX controls in creation order, each as its extender. The form's
// own buttons are not among them: they have no extender in the kit, and no control asks for
// them. For Each takes a fresh one from _NewEnum and walks it through IEnumVARIANT: one small
// object for both faces.
class FormControls final : public IDispatch, public IEnumVARIANT {
public:
  explicit FormControls(ComPtr<ControlContainer> form, std::size_t next = 0)
      : m_form(std::move(form)), m_next(next) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch)) {
      *object = static_cast<IDispatch*>(this);
    } else if (IsEqualIID(iid, IID_IEnumVARIANT)) {
      *object = static_cast<IEnumVARIANT*>(this);
    } else {
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++m_references; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --m_references;
    if (left == 0) delete this;
    return left;
  }

  // IEnumVARIANT
  HRESULT STDMETHODCALLTYPE Next(ULONG wanted, VARIANT* out, ULONG* fetched) override {
    if (!out || (wanted > 1 && !fetched)) return E_POINTER;
    ULONG given = 0;
    for (ControlSite* site; given < wanted && (site = m_form->SiteAt(m_next)); ++given, ++m_next) {
      VariantInit(&out[given]);
      if (FAILED(site->GetExtendedControl(&out[given].pdispVal))) break;
      out[given].vt = VT_DISPATCH;
    }
    if (fetched) *fetched = given;
    return given == wanted ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const std::size_t size = m_form->SiteCount();
    const std::size_t left = size - std::min(m_next, size);
    m_next = size - left + std::min<std::size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    m_next = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
    if (!copy) return E_POINTER;
    auto* clone = new (std::nothrow) FormControls(m_form, m_next);
    *copy = clone;
    return clone ? S_OK : E_OUTOFMEMORY;
  }

  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return NoTypeInfoCount(count); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override { return NoTypeInfo(info); }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    static constexpr DispatchName kCollection[] = {
        {"Count", kDispidCount}, {"Item", DISPID_VALUE}, {"_NewEnum", DISPID_NEWENUM}};
    return IdsOfNames(kCollection, names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO*, UINT*) override {
    if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
    if (!result) return E_POINTER;
    VariantInit(result);
    if (id == DISPID_VALUE) return ControlItem(*m_form.Get(), parameters, result);
    if (id == kDispidCount) {
      result->vt = VT_I4;
      result->lVal = static_cast<LONG>(m_form->SiteCount());
      return S_OK;
    }
    if (id != DISPID_NEWENUM) return DISP_E_MEMBERNOTFOUND;
    result->punkVal = static_cast<IDispatch*>(new (std::nothrow) FormControls(m_form));
    if (!result->punkVal) return E_OUTOFMEMORY;
    result->vt = VT_UNKNOWN;
    return S_OK;
  }

private:
  ~FormControls() = default;

  ULONG m_references = 1;
  ComPtr<ControlContainer> m_form;
  std::size_t m_next;
};

}  // namespace

HRESULT FormIdsOfNames(LPOLESTR* names, UINT count, DISPID* ids) { return IdsOfNames(kMembers, names, count, ids); }

HRESULT InvokeFormMember(ControlContainer& form, DISPID id, WORD flags, DISPPARAMS* parameters, VARIANT* result) {
  if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
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
    case Member::ScaleWidth:
    case Member::ScaleHeight:
    case Member::Width:
    case Member::Height: {
      // One conversion for the four: across or down, of the client area or of the whole window.
      const auto member = static_cast<Member>(id);
      const bool across = member == Member::ScaleWidth || member == Member::Width;
      const RECT& area = member == Member::ScaleWidth || member == Member::ScaleHeight ? client : frame;
      SetTwips(result, across ? area.right - area.left : area.bottom - area.top, across ? ScreenDpiX() : ScreenDpiY());
      return S_OK;
    }
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
      // Controls(key) in one call is the collection's Item.
      if (parameters && parameters->cArgs > 0) return ControlItem(form, parameters, result);
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
