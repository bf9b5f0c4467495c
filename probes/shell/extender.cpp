// Win32-only. Read-only: a control that sets an extender property is told the member is not
// there to set, as for any read-only property.
#include "probes/shell/extender.h"

#include "common/com_values.h"
#include "probes/shell/dispatch_names.h"
#include "probes/shell/single_interface.h"
#include "probes/shell/site_object.h"

#include <array>
#include <new>

namespace kit::shell {
namespace {

using Microsoft::WRL::ComPtr;

enum class Member : DISPID {
  Name = 1, Index, Left, Top, Width, Height, Visible, Enabled, TabIndex, TabStop, Tag, Parent, Container, Object
};

constexpr DISPID Id(Member member) { return static_cast<DISPID>(member); }

constexpr DispatchName kMembers[] = {
    {"Name", Id(Member::Name)}, {"Index", Id(Member::Index)}, {"Left", Id(Member::Left)},
    {"Top", Id(Member::Top)}, {"Width", Id(Member::Width)}, {"Height", Id(Member::Height)},
    {"Visible", Id(Member::Visible)}, {"Enabled", Id(Member::Enabled)}, {"TabIndex", Id(Member::TabIndex)},
    {"TabStop", Id(Member::TabStop)}, {"Tag", Id(Member::Tag)}, {"Parent", Id(Member::Parent)},
    {"Container", Id(Member::Container)}, {"Object", Id(Member::Object)},
};

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
  explicit Extender(ComPtr<ControlSite> site) : m_site(std::move(site)) {}

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return NoTypeInfoCount(count); }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override { return NoTypeInfo(info); }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    return IdsOfNames(kMembers, names, count, ids);
  }

  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                   UINT*) override {
    if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
    if (!result) return E_POINTER;
    VariantInit(result);
    const ItemRecord& item = m_site->Item();
    const TwipsPlace& place = m_site->Twips();
    switch (static_cast<Member>(id)) {
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
      case Member::Visible: SetBool(result, true); return S_OK;
      case Member::Enabled: SetBool(result, true); return S_OK;
      case Member::TabIndex:
        result->vt = VT_I2;
        result->iVal = item.tabIndex.value_or(0);
        return S_OK;
      case Member::TabStop: SetBool(result, item.tabIndex.has_value() && !item.invisibleAtRunTime); return S_OK;
      case Member::Tag:
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocString(L"");
        return S_OK;
      case Member::Parent: return SetDispatch(result, static_cast<IDispatch*>(m_site->Container()));
      case Member::Container: {
        if (ControlSite* outer = m_site->OuterSite()) {
          result->vt = VT_DISPATCH;
          result->pdispVal = CreateExtender(outer).Detach();
          return result->pdispVal ? S_OK : E_OUTOFMEMORY;
        }
        return SetDispatch(result, static_cast<IDispatch*>(m_site->Container()));
      }
      case Member::Object: return SetDispatch(result, m_site->Control());
    }
    return DISP_E_MEMBERNOTFOUND;
  }

private:
  ComPtr<ControlSite> m_site;
};

}  // namespace

ComPtr<IDispatch> CreateExtender(ControlSite* site) {
  return AdoptNew<IDispatch>(new (std::nothrow) Extender(site));
}

}  // namespace kit::shell
