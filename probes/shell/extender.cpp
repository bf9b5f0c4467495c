// Win32-only. What a control's code sets lands in its site (place, visibility, tag) and the form
// acts on it through FormItems; without a form (a site on its own) the values are only kept.
#include "probes/shell/extender.h"

#include "common/com_values.h"
#include "probes/shell/dispatch_names.h"
#include "probes/shell/single_interface.h"
#include "probes/shell/site_object.h"

#include <olectl.h>

#include <iterator>
#include <new>

namespace kit::shell {
namespace {

using Microsoft::WRL::ComPtr;

enum class Member : DISPID {
  Name = 1, Index, Left, Top, Width, Height, Visible, Enabled, TabIndex, TabStop, Tag, Parent, Container, Object, HWnd
};

constexpr DISPID Id(Member member) { return static_cast<DISPID>(member); }

constexpr DispatchName kMembers[] = {
    {"Name", Id(Member::Name)}, {"Index", Id(Member::Index)}, {"Left", Id(Member::Left)},
    {"Top", Id(Member::Top)}, {"Width", Id(Member::Width)}, {"Height", Id(Member::Height)},
    {"Visible", Id(Member::Visible)}, {"Enabled", Id(Member::Enabled)}, {"TabIndex", Id(Member::TabIndex)},
    {"TabStop", Id(Member::TabStop)}, {"Tag", Id(Member::Tag)}, {"Parent", Id(Member::Parent)},
    {"Container", Id(Member::Container)}, {"Object", Id(Member::Object)}, {"hWnd", Id(Member::HWnd)},
};

// What each member takes when set, by DISPID from Name on; VT_EMPTY: read-only.
constexpr VARTYPE kPutType[] = {VT_EMPTY, VT_EMPTY, VT_I4,   VT_I4,    VT_I4,    VT_I4,    VT_BOOL, VT_BOOL,
                                VT_I2,    VT_BOOL,  VT_BSTR, VT_EMPTY, VT_EMPTY, VT_EMPTY, VT_EMPTY};
static_assert(std::size(kPutType) == Id(Member::HWnd));

void SetBool(VARIANT* result, bool value) {
  result->vt = VT_BOOL;
  result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

// Positions are single-precision twips, as a form's own properties are.
void SetTwips(VARIANT* result, std::int32_t twips) {
  result->vt = VT_R4;
  result->fltVal = static_cast<float>(twips);
}

HRESULT SetDispatch(VARIANT* result, IUnknown* object) {
  if (!object) return DISP_E_MEMBERNOTFOUND;
  IDispatch* dispatch = nullptr;
  const HRESULT hr = object->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch));
  if (FAILED(hr)) return hr;
  result->vt = VT_DISPATCH;
  result->pdispVal = dispatch;
  return S_OK;
}

class Extender final : public SingleInterface<IDispatch> {
public:
  explicit Extender(ControlSite* site) : m_site(site) {}
  void Forget() { m_site = nullptr; }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return NoTypeInfoCount(count); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override { return NoTypeInfo(info); }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    return IdsOfNames(kMembers, names, count, ids);
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                   EXCEPINFO*, UINT* argumentError) override {
    if (id < Id(Member::Name) || id > Id(Member::HWnd)) return DISP_E_MEMBERNOTFOUND;
    if (!m_site) return CO_E_OBJNOTCONNECTED;
    const auto member = static_cast<Member>(id);
    if (flags & DISPATCH_PROPERTYPUT) return Put(member, parameters, argumentError);
    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (!result) return E_POINTER;
    VariantInit(result);
    const ItemRecord& item = m_site->Item();
    const TwipsPlace& place = m_site->Twips();
    const ExtenderState& state = m_site->Extended();
    FormItems* form = Form();
    switch (member) {
      case Member::Name:
        result->vt = VT_BSTR;
        result->bstrVal = UniqueBstr(item.name).release();
        return S_OK;
      case Member::Index:
        if (!item.index) return DISP_E_MEMBERNOTFOUND;  // not a member of a control array
        result->vt = VT_I2;
        result->iVal = *item.index;
        return S_OK;
      case Member::Left: SetTwips(result, place.left); return S_OK;
      case Member::Top: SetTwips(result, place.top); return S_OK;
      case Member::Width: SetTwips(result, place.width); return S_OK;
      case Member::Height: SetTwips(result, place.height); return S_OK;
      case Member::Visible: SetBool(result, state.visible); return S_OK;
      case Member::Enabled: SetBool(result, state.enabled); return S_OK;
      case Member::TabIndex:
        result->vt = VT_I2;
        result->iVal = form ? form->TabIndex(*m_site) : item.tabIndex.value_or(0);
        return S_OK;
      case Member::TabStop: SetBool(result, state.tabStop); return S_OK;
      case Member::Tag:
        result->vt = VT_BSTR;
        result->bstrVal = UniqueBstr(state.tag).release();
        return S_OK;
      case Member::HWnd: {
        // A 32-bit number, as the form's own hWnd is.
        HWND window = form ? form->ControlWindow(*m_site) : nullptr;
        if (!window) return DISP_E_MEMBERNOTFOUND;
        result->vt = VT_I4;
        result->lVal = static_cast<LONG>(reinterpret_cast<LONG_PTR>(window));
        return S_OK;
      }
      case Member::Parent: return SetDispatch(result, static_cast<IDispatch*>(m_site->Container()));
      case Member::Container:
        // The control it lies in by that control's one extender, so that controls grouping by
        // container (option buttons) see the same object every time.
        if (ControlSite* outer = m_site->OuterSite()) {
          const HRESULT hr = outer->GetExtendedControl(&result->pdispVal);
          if (SUCCEEDED(hr)) result->vt = VT_DISPATCH;
          return hr;
        }
        return SetDispatch(result, static_cast<IDispatch*>(m_site->Container()));
      case Member::Object: return SetDispatch(result, m_site->Control());
    }
    return DISP_E_MEMBERNOTFOUND;
  }

private:
  FormItems* Form() const {
    ControlContainer* container = m_site->Container();
    return container ? container->Items() : nullptr;
  }

  // Any value the member's type can be made from is taken (a position given as text or a
  // double, a boolean as a number), as a form's properties take them.
  HRESULT Put(Member member, DISPPARAMS* parameters, UINT* argumentError) {
    const VARTYPE type = kPutType[Id(member) - 1];
    if (type == VT_EMPTY) return CTL_E_SETNOTSUPPORTED;
    if (!parameters || parameters->cArgs != 1 || !parameters->rgvarg) return DISP_E_BADPARAMCOUNT;
    UniqueVariant value;
    if (const HRESULT hr = VariantChangeType(value.get(), &parameters->rgvarg[0], 0, type); FAILED(hr)) {
      if (argumentError) *argumentError = 0;
      return hr;
    }
    const VARIANT& v = value.value();
    TwipsPlace& place = m_site->Twips();
    ExtenderState& state = m_site->Extended();
    FormItems* form = Form();
    ItemChange change = ItemChange::Place;
    switch (member) {
      case Member::Left: place.left = V_I4(&v); break;
      case Member::Top: place.top = V_I4(&v); break;
      case Member::Width:
      case Member::Height:
        if (V_I4(&v) < 0) return CTL_E_INVALIDPROPERTYVALUE;
        (member == Member::Width ? place.width : place.height) = V_I4(&v);
        break;
      case Member::Visible: state.visible = V_BOOL(&v) != VARIANT_FALSE; change = ItemChange::Visible; break;
      case Member::Enabled: state.enabled = V_BOOL(&v) != VARIANT_FALSE; change = ItemChange::Enabled; break;
      case Member::TabStop: state.tabStop = V_BOOL(&v) != VARIANT_FALSE; return S_OK;
      case Member::Tag: state.tag.assign(V_BSTR(&v), SysStringLen(V_BSTR(&v))); return S_OK;
      case Member::TabIndex:
        if (V_I2(&v) < 0) return CTL_E_INVALIDPROPERTYVALUE;
        if (form) form->SetTabIndex(*m_site, V_I2(&v));
        return S_OK;
      default: break;
    }
    if (form) form->Apply(*m_site, change);
    return S_OK;
  }

  ControlSite* m_site;  // not held: the site owns this extender and forgets it as it goes
};

}  // namespace

ComPtr<IDispatch> CreateExtender(ControlSite* site) {
  return AdoptNew<IDispatch>(new (std::nothrow) Extender(site));
}

void ForgetSite(IDispatch* extender) { static_cast<Extender*>(extender)->Forget(); }

}  // namespace kit::shell
