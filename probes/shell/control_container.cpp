// Win32-only. The form's container object. The kit's forms have no menus, no tool space and no
// status line: those requests are declined the way a container without them answers (a control
// that only wants no border space is told yes).
#include "probes/shell/control_container.h"

#include "common/com_values.h"
#include "probes/shell/dispatch_names.h"
#include "probes/shell/form_dispatch.h"
#include "probes/shell/single_interface.h"
#include "probes/shell/site_object.h"

#include <olectl.h>

#include <algorithm>
#include <array>
#include <new>

namespace kit::shell {
namespace {

using Microsoft::WRL::ComPtr;

int g_liveContainers = 0;


// A snapshot of the controls, each held for as long as the enumerator lives.
class UnknownEnumerator final : public SingleInterface<IEnumUnknown> {
public:
  explicit UnknownEnumerator(std::vector<ComPtr<IUnknown>> items, std::size_t next = 0)
      : m_items(std::move(items)), m_next(next) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG wanted, IUnknown** out, ULONG* fetched) override {
    if (!out || (wanted > 1 && !fetched)) return E_POINTER;
    ULONG given = 0;
    for (; given < wanted && m_next < m_items.size(); ++given, ++m_next) {
      out[given] = m_items[m_next].Get();
      out[given]->AddRef();
    }
    if (fetched) *fetched = given;
    return given == wanted ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
    const std::size_t left = m_items.size() - m_next;
    m_next += std::min<std::size_t>(count, left);
    return count <= left ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    m_next = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumUnknown** copy) override {
    if (!copy) return E_POINTER;
    *copy = new (std::nothrow) UnknownEnumerator(m_items, m_next);
    return *copy ? S_OK : E_OUTOFMEMORY;
  }

private:
  std::vector<ComPtr<IUnknown>> m_items;
  std::size_t m_next;
};

// Compared by their pointers: MinGW's ComPtr has no ==, and two of them compare through their
// conversion to bool, equal whenever both are set.
bool SameObject(IUnknown* a, IUnknown* b) {
  ComPtr<IUnknown> identityA;
  ComPtr<IUnknown> identityB;
  return SUCCEEDED(a->QueryInterface(IID_IUnknown, &identityA)) &&
         SUCCEEDED(b->QueryInterface(IID_IUnknown, &identityB)) && identityA.Get() == identityB.Get();
}

}  // namespace

DWORD HeldKeyModifiers() {
  DWORD modifiers = 0;
  if (GetKeyState(VK_SHIFT) < 0) modifiers |= kKeyModShift;
  if (GetKeyState(VK_CONTROL) < 0) modifiers |= kKeyModControl;
  if (GetKeyState(VK_MENU) < 0) modifiers |= kKeyModAlt;
  return modifiers;
}

std::optional<bool> TabForward(const MSG& message, DWORD modifiers) {
  if (message.message != WM_KEYDOWN || message.wParam != VK_TAB) return std::nullopt;
  if (modifiers & (kKeyModControl | kKeyModAlt)) return std::nullopt;
  return !(modifiers & kKeyModShift);
}

ControlContainer::ControlContainer(HWND frame, std::wstring formName)
    : m_frame(frame), m_formName(std::move(formName)) {
  ++g_liveContainers;
}

ControlContainer::~ControlContainer() { --g_liveContainers; }

ComPtr<ControlContainer> ControlContainer::Create(HWND frame, std::wstring formName) {
  return AdoptNew<ControlContainer>(new (std::nothrow) ControlContainer(frame, std::move(formName)));
}

int ControlContainer::Live() { return g_liveContainers; }

void ControlContainer::Join(IUnknown* control, ControlSite* site) { m_members.push_back({control, site}); }

std::vector<ControlSite*> ControlContainer::Sites() const {
  std::vector<ControlSite*> sites;
  for (const Member& member : m_members) sites.push_back(member.site);
  return sites;
}

void ControlContainer::Leave(ControlSite* site) {
  IUnknown* control = nullptr;
  for (const Member& member : m_members) {
    if (member.site == site) control = member.control;
  }
  std::erase_if(m_members, [site](const Member& member) { return member.site == site; });
  if (m_uiActive == site) m_uiActive = nullptr;
  // The form must not keep a control that leaves alive through its active object.
  if (m_activeObject && control && SameObject(m_activeObject.Get(), control)) m_activeObject.Reset();
}

HRESULT ControlContainer::TranslateAccelerator(MSG* message) {
  // Held for the call: the hook may UI-deactivate its own control.
  const ComPtr<IOleInPlaceActiveObject> active = m_activeObject;
  if (!active) return S_FALSE;
  // Keys are for the control that is UI-active now, never for one it replaced that left its
  // active object behind.
  if (m_uiActive && m_uiActive->Control() && !SameObject(active.Get(), m_uiActive->Control())) return S_FALSE;
  return active->TranslateAccelerator(message);
}

HRESULT ControlContainer::HandleKey(const MSG& message, DWORD modifiers) {
  const std::optional<bool> forward = TabForward(message, modifiers);
  if (!forward || !m_frame) return S_FALSE;
  // Posted: the control is still inside its own accelerator hook, and moving the focus now would
  // UI-deactivate it under its feet.
  PostMessageW(m_frame, WM_NEXTDLGCTL, *forward ? 0 : 1, 0);
  return S_OK;
}

void ControlContainer::FrameActivated(bool active) {
  const ComPtr<IOleInPlaceActiveObject> object = m_activeObject;
  if (object) object->OnFrameWindowActivate(active ? TRUE : FALSE);
}

void ControlContainer::OnUIActivate(ControlSite* site) {
  ControlSite* previous = m_uiActive;
  m_uiActive = site;
  if (!previous || previous == site) return;
  // A control may name its active object before it reports its UI activation; the one leaving
  // then clears the frame's active object as it goes. The newcomer's is kept. Compared by
  // identity: the active object and the control object are different interfaces of one object.
  const ComPtr<IOleInPlaceActiveObject> early = m_activeObject;
  previous->UIDeactivateControl();
  const auto newcomers = [site](IUnknown* object) { return site->Control() && SameObject(object, site->Control()); };
  if (early && !m_activeObject && newcomers(early.Get())) m_activeObject = early;
  // One the control before left behind (it never cleared it) is not the newcomer's.
  if (m_activeObject && !newcomers(m_activeObject.Get())) m_activeObject.Reset();
}

void ControlContainer::OnUIDeactivate(ControlSite* site) {
  if (m_uiActive != site) return;
  m_uiActive = nullptr;
  m_activeObject.Reset();
}

void ControlContainer::DeactivateUI() {
  if (ControlSite* site = m_uiActive) site->UIDeactivateControl();
}

// --- IUnknown ---------------------------------------------------------------------------------

HRESULT ControlContainer::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  struct Entry {
    const IID* iid;
    void* (*cast)(ControlContainer*);
  };
  static const Entry kInterfaces[] = {
      {&IID_IUnknown, [](ControlContainer* c) -> void* { return static_cast<IOleContainer*>(c); }},
      {&IID_IParseDisplayName, [](ControlContainer* c) -> void* { return static_cast<IOleContainer*>(c); }},
      {&IID_IOleContainer, [](ControlContainer* c) -> void* { return static_cast<IOleContainer*>(c); }},
      {&IID_IOleWindow, [](ControlContainer* c) -> void* { return static_cast<IOleInPlaceFrame*>(c); }},
      {&IID_IOleInPlaceUIWindow, [](ControlContainer* c) -> void* { return static_cast<IOleInPlaceFrame*>(c); }},
      {&IID_IOleInPlaceFrame, [](ControlContainer* c) -> void* { return static_cast<IOleInPlaceFrame*>(c); }},
      {&IID_IDispatch, [](ControlContainer* c) -> void* { return static_cast<IDispatch*>(c); }},
  };
  for (const Entry& entry : kInterfaces) {
    if (*entry.iid == iid) {
      *object = entry.cast(this);
      AddRef();
      return S_OK;
    }
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG ControlContainer::AddRef() { return ++m_references; }

ULONG ControlContainer::Release() {
  const ULONG left = --m_references;
  if (left == 0) delete this;
  return left;
}

// --- IOleContainer ----------------------------------------------------------------------------

HRESULT ControlContainer::ParseDisplayName(IBindCtx*, LPOLESTR, ULONG* eaten, IMoniker** out) {
  if (eaten) *eaten = 0;
  if (out) *out = nullptr;
  return E_NOTIMPL;
}

HRESULT ControlContainer::EnumObjects(DWORD, IEnumUnknown** objects) {
  if (!objects) return E_POINTER;
  std::vector<ComPtr<IUnknown>> controls;
  // Each control by its identity, as a caller compares objects.
  for (const Member& member : m_members) {
    ComPtr<IUnknown> identity;
    if (SUCCEEDED(member.control->QueryInterface(IID_IUnknown, &identity))) controls.push_back(std::move(identity));
  }
  *objects = new (std::nothrow) UnknownEnumerator(std::move(controls));
  return *objects ? S_OK : E_OUTOFMEMORY;
}

HRESULT ControlContainer::LockContainer(BOOL) { return S_OK; }

// --- IOleInPlaceFrame -------------------------------------------------------------------------

HRESULT ControlContainer::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = m_frame;
  return S_OK;
}
HRESULT ControlContainer::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }
HRESULT ControlContainer::GetBorder(LPRECT) { return INPLACE_E_NOTOOLSPACE; }
HRESULT ControlContainer::RequestBorderSpace(LPCBORDERWIDTHS) { return INPLACE_E_NOTOOLSPACE; }

HRESULT ControlContainer::SetBorderSpace(LPCBORDERWIDTHS widths) {
  // No space, or none wanted, is what the form has: yes. Any actual border: no.
  if (!widths || (widths->left == 0 && widths->top == 0 && widths->right == 0 && widths->bottom == 0)) return S_OK;
  return OLE_E_INVALIDRECT;
}

HRESULT ControlContainer::SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR) {
  m_activeObject = object;
  return S_OK;
}

HRESULT ControlContainer::InsertMenus(HMENU, LPOLEMENUGROUPWIDTHS) { return E_NOTIMPL; }
HRESULT ControlContainer::SetMenu(HMENU, HOLEMENU, HWND) { return S_OK; }
HRESULT ControlContainer::RemoveMenus(HMENU) { return E_NOTIMPL; }
HRESULT ControlContainer::SetStatusText(LPCOLESTR) { return S_OK; }
HRESULT ControlContainer::EnableModeless(BOOL) { return S_OK; }
HRESULT ControlContainer::TranslateAccelerator(LPMSG, WORD) { return S_FALSE; }

// --- IDispatch --------------------------------------------------------------------------------

HRESULT ControlContainer::GetTypeInfoCount(UINT* count) { return NoTypeInfoCount(count); }
HRESULT ControlContainer::GetTypeInfo(UINT, LCID, ITypeInfo** info) { return NoTypeInfo(info); }

HRESULT ControlContainer::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  return FormIdsOfNames(names, count, ids);
}

HRESULT ControlContainer::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                 EXCEPINFO*, UINT*) {
  return InvokeFormMember(*this, id, flags, parameters, result);
}

}  // namespace kit::shell
