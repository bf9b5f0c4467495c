// Win32-only. Everything goes through late binding, as the code of a form's controls does: names
// resolved with GetIDsOfNames, members read and written with Invoke. A failure is journaled with
// its code and ends that habit only.
#include "standins/controls/form_habits.h"

#include "standins/controls/com_owners.h"
#include "standins/controls/journal.h"

#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <cstdio>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace kit::standin {
namespace {

// More than any form holds: a collection that counts or enumerates past it is broken.
constexpr LONG kMostControls = 1000;

std::wstring Hex(HRESULT hr) {
  wchar_t text[16];
  std::swprintf(text, 16, L"0x%08lX", static_cast<unsigned long>(hr));
  return text;
}

std::wstring Number(double value) {
  wchar_t text[32];
  std::swprintf(text, 32, L"%g", value);
  return text;
}

HRESULT IdOf(IDispatch* object, const wchar_t* name, DISPID* id) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  return object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, id);
}

// object.name(arguments) read as a property: what a late-bound Parent.Controls(i) is, one call.
HRESULT Get(IDispatch* object, const wchar_t* name, VARIANT* result, VARIANT* argument = nullptr) {
  DISPID id = DISPID_UNKNOWN;
  const HRESULT hr = IdOf(object, name, &id);
  if (FAILED(hr)) return hr;
  DISPPARAMS parameters{argument, nullptr, argument ? 1u : 0u, 0};
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &parameters, result, nullptr,
                        nullptr);
}

HRESULT Put(IDispatch* object, const wchar_t* name, VARIANT value) {
  DISPID id = DISPID_UNKNOWN;
  const HRESULT hr = IdOf(object, name, &id);
  if (FAILED(hr)) return hr;
  DISPID named = DISPID_PROPERTYPUT;
  DISPPARAMS parameters{&value, &named, 1, 1};
  return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &parameters, nullptr, nullptr,
                        nullptr);
}

// An object-valued member; null with the failure in `hr`.
ComPtr<IDispatch> MemberObject(IDispatch* object, const wchar_t* name, HRESULT& hr, VARIANT* argument = nullptr) {
  UniqueVariant value;
  hr = Get(object, name, value.get(), argument);
  if (SUCCEEDED(hr) && (V_VT(&value.value()) != VT_DISPATCH || !V_DISPATCH(&value.value()))) hr = DISP_E_TYPEMISMATCH;
  return SUCCEEDED(hr) ? ComPtr<IDispatch>(V_DISPATCH(&value.value())) : nullptr;
}

// A member as text ("!" and the code when it cannot be read).
std::wstring Text(IDispatch* object, const wchar_t* name) {
  UniqueVariant value;
  HRESULT hr = Get(object, name, value.get());
  UniqueVariant text;
  if (SUCCEEDED(hr)) hr = VariantChangeType(text.get(), value.get(), VARIANT_ALPHABOOL, VT_BSTR);
  if (FAILED(hr)) return L"!" + Hex(hr);
  return std::wstring(V_BSTR(&text.value()), SysStringLen(V_BSTR(&text.value())));
}

HRESULT Number(IDispatch* object, const wchar_t* name, double& number) {
  UniqueVariant value;
  HRESULT hr = Get(object, name, value.get());
  UniqueVariant converted;
  if (SUCCEEDED(hr)) hr = VariantChangeType(converted.get(), value.get(), 0, VT_R8);
  if (SUCCEEDED(hr)) number = V_R8(&converted.value());
  return hr;
}

bool SameObject(IUnknown* a, IUnknown* b) {
  ComPtr<IUnknown> first, second;
  return a && b && SUCCEEDED(a->QueryInterface(IID_PPV_ARGS(&first))) &&
         SUCCEEDED(b->QueryInterface(IID_PPV_ARGS(&second))) && first.Get() == second.Get();
}

VARIANT Index(LONG i) {
  VARIANT v;
  VariantInit(&v);
  V_VT(&v) = VT_I4;
  V_I4(&v) = i;
  return v;
}

class Habits {
public:
  Habits(IOleClientSite* site, IUnknown* self, std::wstring_view instance)
      : m_site(site), m_self(self), m_instance(instance) {}

  // The extender and the form it lies on; false (journaled) when the site has none.
  bool FindForm() {
    HRESULT hr = E_NOINTERFACE;
    ComPtr<IOleControlSite> controlSite;
    if (m_site) hr = m_site->QueryInterface(IID_PPV_ARGS(&controlSite));
    if (SUCCEEDED(hr)) hr = controlSite->GetExtendedControl(&m_extender);
    if (SUCCEEDED(hr) && !m_extender) hr = E_POINTER;
    if (SUCCEEDED(hr)) m_form = MemberObject(m_extender.Get(), L"Parent", hr);
    if (FAILED(hr)) Journal(L"no form " + Hex(hr));
    return SUCCEEDED(hr);
  }

  void WalkByIndex() {
    HRESULT hr = S_OK;
    const ComPtr<IDispatch> controls = MemberObject(m_form.Get(), L"Controls", hr);
    double count = 0;
    if (SUCCEEDED(hr)) hr = Number(controls.Get(), L"Count", count);
    if (FAILED(hr)) return Journal(L"controls by index failed " + Hex(hr));
    if (count < 0 || count > kMostControls) return Journal(L"controls by index failed: Count=" + Number(count));
    std::wstring names;
    for (LONG i = 0; i < static_cast<LONG>(count); ++i) {
      VARIANT index = Index(i);
      const ComPtr<IDispatch> control = MemberObject(m_form.Get(), L"Controls", hr, &index);
      if (FAILED(hr)) return Journal(L"controls by index failed at " + std::to_wstring(i) + L" " + Hex(hr));
      names += L" " + Text(control.Get(), L"Name");
    }
    Journal(L"controls by index:" + names);
  }

  // For Each: the collection's enumerator (DISPID_NEWENUM), as a method or a property.
  void WalkByEach() {
    HRESULT hr = S_OK;
    const ComPtr<IDispatch> controls = MemberObject(m_form.Get(), L"Controls", hr);
    UniqueVariant made;
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (SUCCEEDED(hr)) {
      hr = controls->Invoke(DISPID_NEWENUM, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                            &none, made.get(), nullptr, nullptr);
    }
    ComPtr<IEnumVARIANT> each;
    if (SUCCEEDED(hr)) {
      const VARTYPE type = V_VT(&made.value());
      IUnknown* object = type == VT_UNKNOWN ? V_UNKNOWN(&made.value())
                         : type == VT_DISPATCH ? V_DISPATCH(&made.value()) : nullptr;
      hr = object ? object->QueryInterface(IID_PPV_ARGS(&each)) : DISP_E_TYPEMISMATCH;
    }
    if (FAILED(hr)) return Journal(L"controls by each failed " + Hex(hr));
    std::wstring names;
    for (LONG i = 0;; ++i) {
      if (i > kMostControls) return Journal(L"controls by each failed: no end");
      UniqueVariant item;
      ULONG fetched = 0;
      hr = each->Next(1, item.get(), &fetched);
      if (hr != S_OK || fetched != 1) break;
      if (V_VT(&item.value()) != VT_DISPATCH || !V_DISPATCH(&item.value())) {
        return Journal(L"controls by each failed: item " + std::to_wstring(i) + L" is no object");
      }
      names += L" " + Text(V_DISPATCH(&item.value()), L"Name");
    }
    if (FAILED(hr)) return Journal(L"controls by each failed " + Hex(hr));
    Journal(L"controls by each:" + names);
  }

  // The first control of the form that is not this one, by its Object.
  void MoveSibling() {
    HRESULT hr = S_OK;
    const ComPtr<IDispatch> controls = MemberObject(m_form.Get(), L"Controls", hr);
    double count = 0;
    if (SUCCEEDED(hr)) hr = Number(controls.Get(), L"Count", count);
    if (FAILED(hr)) return Journal(L"sibling not found " + Hex(hr));
    ComPtr<IDispatch> sibling;
    for (LONG i = 0; !sibling && i < static_cast<LONG>(count) && i < kMostControls; ++i) {
      VARIANT index = Index(i);
      ComPtr<IDispatch> control = MemberObject(m_form.Get(), L"Controls", hr, &index);
      if (FAILED(hr)) break;
      UniqueVariant object;
      if (SUCCEEDED(Get(control.Get(), L"Object", object.get())) &&
          (V_VT(&object.value()) == VT_DISPATCH || V_VT(&object.value()) == VT_UNKNOWN) &&
          !SameObject(V_UNKNOWN(&object.value()), m_self)) {
        sibling = control;
      }
    }
    if (!sibling) {
      return Journal(FAILED(hr) ? L"sibling not found " + Hex(hr)
                                : L"sibling not found among " + Number(count) + L" controls");
    }
    const std::wstring name = Text(sibling.Get(), L"Name");
    double left = 0, top = 0, width = 0;
    hr = Number(sibling.Get(), L"Left", left);
    if (SUCCEEDED(hr)) hr = Number(sibling.Get(), L"Top", top);
    if (SUCCEEDED(hr)) hr = Number(sibling.Get(), L"Width", width);
    if (FAILED(hr)) return Journal(L"sibling " + name + L" unreadable " + Hex(hr));

    struct Step {
      const wchar_t* member;
      VARIANT value;
    };
    const auto single = [](double v) {
      VARIANT value;
      VariantInit(&value);
      V_VT(&value) = VT_R4;
      V_R4(&value) = static_cast<float>(v);
      return value;
    };
    const auto boolean = [](bool v) {
      VARIANT value;
      VariantInit(&value);
      V_VT(&value) = VT_BOOL;
      V_BOOL(&value) = v ? VARIANT_TRUE : VARIANT_FALSE;
      return value;
    };
    const Step steps[] = {{L"Left", single(left + kSiblingShiftTwips)},
                          {L"Top", single(top + kSiblingShiftTwips)},
                          {L"Visible", boolean(false)},
                          {L"Visible", boolean(true)},
                          {L"Width", single(width + kSiblingShiftTwips)}};
    std::wstring put = L"sibling " + name + L" put";
    std::wstring whileHidden;
    for (const Step& step : steps) {
      hr = Put(sibling.Get(), step.member, step.value);
      put += L" " + std::wstring(step.member) + L"=" +
             (V_VT(&step.value) == VT_BOOL ? (V_BOOL(&step.value) ? L"True" : L"False") : Number(V_R4(&step.value)));
      if (FAILED(hr)) return Journal(put + L" refused " + Hex(hr));
      if (V_VT(&step.value) == VT_BOOL && !V_BOOL(&step.value)) whileHidden = Text(sibling.Get(), L"Visible");
    }
    Journal(put);
    Journal(L"sibling " + name + L" read Left=" + Text(sibling.Get(), L"Left") + L" Top=" +
            Text(sibling.Get(), L"Top") + L" Width=" + Text(sibling.Get(), L"Width") + L" Visible=" + whileHidden +
            L"," + Text(sibling.Get(), L"Visible"));
  }

  // A point and a size, from HIMETRIC to the container's unit and back. A form container's unit
  // is the twip, at every resolution.
  void Transform() {
    ComPtr<IOleControlSite> controlSite;
    const HRESULT hr = m_site ? m_site->QueryInterface(IID_PPV_ARGS(&controlSite)) : E_POINTER;
    if (FAILED(hr)) return Journal(L"transform failed " + Hex(hr));
    const struct {
      const wchar_t* what;
      DWORD flag;
    } kinds[] = {{L"position", XFORMCOORDS_POSITION}, {L"size", XFORMCOORDS_SIZE}};
    for (const auto& kind : kinds) {
      POINTL himetric{2540, 1270};
      POINTF container{-1.0f, -1.0f};
      HRESULT step = controlSite->TransformCoords(&himetric, &container, kind.flag | XFORMCOORDS_HIMETRICTOCONTAINER);
      if (FAILED(step)) {
        Journal(L"transform " + std::wstring(kind.what) + L" to container failed " + Hex(step));
        continue;
      }
      POINTL back{-1, -1};
      POINTF from = container;
      step = controlSite->TransformCoords(&back, &from, kind.flag | XFORMCOORDS_CONTAINERTOHIMETRIC);
      Journal(L"transform " + std::wstring(kind.what) + L" 2540 1270 to " + Number(container.x) + L" " +
              Number(container.y) + L" back " +
              (FAILED(step) ? L"failed " + Hex(step)
                            : std::to_wstring(back.x) + L" " + std::to_wstring(back.y)));
    }
  }

  // One extender per site, one container object per container, and a frame reached through the
  // form's Controls is the very object the control's Container gives.
  void SameContainer() {
    ComPtr<IOleControlSite> controlSite;
    ComPtr<IDispatch> again;
    HRESULT hr = m_site->QueryInterface(IID_PPV_ARGS(&controlSite));
    if (SUCCEEDED(hr)) hr = controlSite->GetExtendedControl(&again);
    if (FAILED(hr) || !again) return Journal(L"extender again failed " + Hex(hr));
    Journal(SameObject(m_extender.Get(), again.Get()) ? L"extender same" : L"extender differs");

    const ComPtr<IDispatch> container = MemberObject(m_extender.Get(), L"Container", hr);
    ComPtr<IDispatch> containerAgain;
    if (SUCCEEDED(hr)) containerAgain = MemberObject(again.Get(), L"Container", hr);
    if (FAILED(hr)) return Journal(L"container failed " + Hex(hr));
    const std::wstring name = Text(container.Get(), L"Name");
    Journal(L"container " + name + (SameObject(container.Get(), containerAgain.Get()) ? L" same" : L" differs"));
    if (SameObject(container.Get(), m_form.Get())) return;

    // In a frame: the form's Controls("<frame>") is that frame's extender.
    VARIANT key;
    VariantInit(&key);
    V_VT(&key) = VT_BSTR;
    V_BSTR(&key) = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
    const ComPtr<IDispatch> frame = MemberObject(m_form.Get(), L"Controls", hr, &key);
    VariantClear(&key);
    if (FAILED(hr)) return Journal(L"frame " + name + L" not found " + Hex(hr));
    Journal(L"frame " + name + (SameObject(frame.Get(), container.Get()) ? L" same" : L" differs"));
  }

private:
  void Journal(const std::wstring& line) const { JournalLine(m_instance, line); }

  IOleClientSite* m_site;
  IUnknown* m_self;
  std::wstring m_instance;
  ComPtr<IDispatch> m_extender;
  ComPtr<IDispatch> m_form;
};

}  // namespace

void ActAgainstForm(IOleClientSite* site, IUnknown* self, const FormHabits& habits, std::wstring_view instance) {
  Habits form(site, self, instance);
  if (habits.transform) form.Transform();
  if (!(habits.walkControls || habits.moveSibling || habits.sameContainer) || !form.FindForm()) return;
  if (habits.walkControls) {
    form.WalkByIndex();
    form.WalkByEach();
  }
  if (habits.sameContainer) form.SameContainer();
  if (habits.moveSibling) form.MoveSibling();
}

}  // namespace kit::standin
