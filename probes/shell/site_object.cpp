// Win32-only. The container side of a hosted control. The kit's hosts never save, never merge
// menus and keep no tool space: those requests are declined; what a control needs to draw and
// take input (its window, its rectangles, the ambient properties) is answered.
#include "probes/shell/site_object.h"

#include "common/com_values.h"
#include "common/kit_window.h"
#include "common/number_text.h"
#include "common/twips.h"
#include "probes/shell/dispatch_names.h"
#include "probes/shell/extender.h"
#include "probes/shell/form_dispatch.h"
#include "probes/shell/property_bag.h"

#include <olectl.h>

#include <array>
#include <cmath>
#include <new>

namespace kit::shell {
namespace {

using Microsoft::WRL::ComPtr;

int g_liveSites = 0;

constexpr OLE_COLOR kAmbientBackColour = kFormBackColour;
constexpr OLE_COLOR kAmbientForeColour = kSystemColour | COLOR_BTNTEXT;


std::wstring DisplayNameOf(const ItemRecord& item) {
  std::wstring name(item.name);
  if (item.index) name += L"(" + kit::Decimal(*item.index) + L")";
  return name;
}

}  // namespace

ControlSite::ControlSite(HWND window, const RECT& rect, const ItemRecord& item, ComPtr<ControlContainer> container,
                         ComPtr<ControlSite> outerSite, const LOGFONTW& ambientFont)
    : m_window(window),
      m_rect(rect),
      m_item(item),
      m_twips{item.left, item.top, item.width, item.height},
      m_container(std::move(container)),
      m_outerSite(std::move(outerSite)),
      m_displayName(DisplayNameOf(item)),
      m_ambientFont(ambientFont) {
  m_extended.tabStop = item.tabIndex && !item.invisibleAtRunTime;
  ++g_liveSites;
}

ControlSite::~ControlSite() {
  if (m_extender) ForgetSite(m_extender.Get());
  --g_liveSites;
}

ComPtr<ControlSite> ControlSite::Create(HWND window, const RECT& rect, const ItemRecord& item,
                                        ComPtr<ControlContainer> container, ComPtr<ControlSite> outerSite,
                                        const LOGFONTW& ambientFont) {
  return AdoptNew<ControlSite>(
      new (std::nothrow) ControlSite(window, rect, item, std::move(container), std::move(outerSite), ambientFont));
}

int ControlSite::Live() { return g_liveSites; }

void ControlSite::SetControl(IOleObject* control) {
  if (m_control && m_container) m_container->Leave(this);
  m_control = control;
  if (m_control && m_container) m_container->Join(m_control, this);
}

void ControlSite::Place(const RECT& rect, const TwipsPlace* twips) {
  m_rect = rect;
  if (twips) m_twips = *twips;
  if (!m_control || m_placing) return;
  // A control may answer its new rectangles with OnPosRectChange; the place given here stands.
  m_placing = true;
  ComPtr<IOleInPlaceObject> inPlace;
  if (SUCCEEDED(m_control->QueryInterface(IID_IOleInPlaceObject, &inPlace))) inPlace->SetObjectRects(&m_rect, &m_rect);
  m_placing = false;
}

void ControlSite::UIDeactivateControl() {
  ComPtr<IOleInPlaceObject> inPlace;
  if (m_control && SUCCEEDED(m_control->QueryInterface(IID_IOleInPlaceObject, &inPlace))) inPlace->UIDeactivate();
  // A control that ignores the request is no longer UI-active for the form all the same.
  if (m_container) m_container->OnUIDeactivate(this);
}

// --- IUnknown ---------------------------------------------------------------------------------

HRESULT ControlSite::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  struct Entry {
    const IID* iid;
    void* (*cast)(ControlSite*);
  };
  static const Entry kInterfaces[] = {
      {&IID_IUnknown, [](ControlSite* s) -> void* { return static_cast<IOleClientSite*>(s); }},
      {&IID_IOleClientSite, [](ControlSite* s) -> void* { return static_cast<IOleClientSite*>(s); }},
      {&IID_IOleWindow, [](ControlSite* s) -> void* { return static_cast<IOleInPlaceSiteWindowless*>(s); }},
      {&IID_IOleInPlaceSite, [](ControlSite* s) -> void* { return static_cast<IOleInPlaceSiteWindowless*>(s); }},
      {&IID_IOleInPlaceSiteEx, [](ControlSite* s) -> void* { return static_cast<IOleInPlaceSiteWindowless*>(s); }},
      {&IID_IOleInPlaceSiteWindowless,
       [](ControlSite* s) -> void* { return static_cast<IOleInPlaceSiteWindowless*>(s); }},
      {&IID_IOleControlSite, [](ControlSite* s) -> void* { return static_cast<IOleControlSite*>(s); }},
      {&IID_IDispatch, [](ControlSite* s) -> void* { return static_cast<IDispatch*>(s); }},
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

ULONG ControlSite::AddRef() { return ++m_references; }

ULONG ControlSite::Release() {
  const ULONG left = --m_references;
  if (left == 0) delete this;
  return left;
}

// --- IOleClientSite ---------------------------------------------------------------------------

HRESULT ControlSite::SaveObject() { return E_NOTIMPL; }
HRESULT ControlSite::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}
HRESULT ControlSite::GetContainer(IOleContainer** container) {
  if (!container) return E_POINTER;
  *container = m_container.Get();
  if (!*container) return E_NOINTERFACE;
  (*container)->AddRef();
  return S_OK;
}
HRESULT ControlSite::ShowObject() { return S_OK; }
HRESULT ControlSite::OnShowWindow(BOOL) { return S_OK; }
HRESULT ControlSite::RequestNewObjectLayout() { return E_NOTIMPL; }

// --- IOleWindow -------------------------------------------------------------------------------

HRESULT ControlSite::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = m_window;
  return S_OK;
}
HRESULT ControlSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

// --- IOleInPlaceSite --------------------------------------------------------------------------

HRESULT ControlSite::CanInPlaceActivate() { return S_OK; }
HRESULT ControlSite::OnInPlaceActivate() { return S_OK; }
HRESULT ControlSite::OnUIActivate() {
  // One UI-active control per form: the one before gives up its UI activation.
  if (m_container) m_container->OnUIActivate(this);
  return S_OK;
}

HRESULT ControlSite::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, RECT* position,
                                      RECT* clip, OLEINPLACEFRAMEINFO* frameInfo) {
  if (!frame || !document || !position || !clip || !frameInfo) return E_POINTER;
  *frame = nullptr;
  *document = nullptr;
  if (!m_container) return E_UNEXPECTED;
  *frame = m_container.Get();
  (*frame)->AddRef();
  *position = m_rect;
  *clip = m_rect;
  frameInfo->cb = sizeof(*frameInfo);
  frameInfo->fMDIApp = FALSE;
  frameInfo->hwndFrame = GetAncestor(m_window, GA_ROOT);
  frameInfo->haccel = nullptr;
  frameInfo->cAccelEntries = 0;
  return S_OK;
}

HRESULT ControlSite::Scroll(SIZE) { return E_NOTIMPL; }
HRESULT ControlSite::OnUIDeactivate(BOOL) {
  if (m_container) m_container->OnUIDeactivate(this);
  return S_OK;
}
HRESULT ControlSite::OnInPlaceDeactivate() { return S_OK; }
HRESULT ControlSite::DiscardUndoState() { return S_OK; }
HRESULT ControlSite::DeactivateAndUndo() { return S_OK; }

HRESULT ControlSite::OnPosRectChange(LPCRECT) {
  // The form decides where its controls lie: a control asking to move is put back in place,
  // once (Place ignores the request a control makes while it is being placed).
  Place(m_rect);
  return S_OK;
}

// --- IOleInPlaceSiteEx ------------------------------------------------------------------------

HRESULT ControlSite::OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) {
  if (noRedraw) *noRedraw = FALSE;
  // The form gives every control a window of its own; it never draws one for it.
  if (flags & ACTIVATE_WINDOWLESS) return E_FAIL;
  return OnInPlaceActivate();
}
HRESULT ControlSite::OnInPlaceDeactivateEx(BOOL) { return OnInPlaceDeactivate(); }
HRESULT ControlSite::RequestUIActivate() { return S_OK; }

// --- IOleInPlaceSiteWindowless: a windowless control is told to make itself a window ----------

HRESULT ControlSite::CanWindowlessActivate() { return S_FALSE; }
HRESULT ControlSite::GetCapture() { return S_FALSE; }
HRESULT ControlSite::SetCapture(BOOL) { return E_FAIL; }
HRESULT ControlSite::GetFocus() { return S_FALSE; }
HRESULT ControlSite::SetFocus(BOOL) { return E_FAIL; }
HRESULT ControlSite::GetDC(LPCRECT, DWORD, HDC* dc) {
  if (dc) *dc = nullptr;
  return E_FAIL;
}
HRESULT ControlSite::ReleaseDC(HDC) { return E_FAIL; }
HRESULT ControlSite::InvalidateRect(LPCRECT, BOOL) { return E_FAIL; }
HRESULT ControlSite::InvalidateRgn(HRGN, BOOL) { return E_FAIL; }
HRESULT ControlSite::ScrollRect(INT, INT, LPCRECT, LPCRECT) { return E_FAIL; }
HRESULT ControlSite::AdjustRect(LPRECT) { return S_OK; }
HRESULT ControlSite::OnDefWindowMessage(UINT, WPARAM, LPARAM, LRESULT* result) {
  if (result) *result = 0;
  return S_FALSE;
}

// --- IOleControlSite --------------------------------------------------------------------------

HRESULT ControlSite::OnControlInfoChanged() {
  ReadMnemonics();
  return S_OK;
}
HRESULT ControlSite::LockInPlaceActive(BOOL) { return S_OK; }
HRESULT ControlSite::GetExtendedControl(IDispatch** control) {
  if (!control) return E_POINTER;
  if (!m_extender) m_extender = CreateExtender(this);
  *control = m_extender.Get();
  if (!*control) return E_OUTOFMEMORY;
  (*control)->AddRef();
  return S_OK;
}

HRESULT ControlSite::TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) {
  if (!himetric || !container) return E_POINTER;
  // The form's unit is the twip (its ScaleMode, and what the extenders answer in), for positions
  // and sizes alike: a pure scale, no origin.
  constexpr double kTwipsPerHimetric = static_cast<double>(kTwipsPerInch) / kHimetricPerInch;
  if (flags & XFORMCOORDS_HIMETRICTOCONTAINER) {
    container->x = static_cast<float>(himetric->x * kTwipsPerHimetric);
    container->y = static_cast<float>(himetric->y * kTwipsPerHimetric);
  } else if (flags & XFORMCOORDS_CONTAINERTOHIMETRIC) {
    // To the nearest unit, halves away from zero, left of and above the form as well.
    himetric->x = std::lround(container->x / kTwipsPerHimetric);
    himetric->y = std::lround(container->y / kTwipsPerHimetric);
  } else {
    return E_INVALIDARG;
  }
  return S_OK;
}

HRESULT ControlSite::TranslateAccelerator(LPMSG message, DWORD modifiers) {
  // A key the control does not use itself, handed back for the form's own handling.
  if (!message) return E_POINTER;
  return m_container ? m_container->HandleKey(*message, modifiers) : S_FALSE;
}
HRESULT ControlSite::OnFocus(BOOL) { return S_OK; }
HRESULT ControlSite::ShowPropertyFrame() { return E_NOTIMPL; }

// --- IDispatch: ambient properties ------------------------------------------------------------

HRESULT ControlSite::GetTypeInfoCount(UINT* count) { return NoTypeInfoCount(count); }
HRESULT ControlSite::GetTypeInfo(UINT, LCID, ITypeInfo** info) { return NoTypeInfo(info); }
HRESULT ControlSite::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  // The ambient properties Invoke answers, by their standard names.
  static constexpr DispatchName kAmbient[] = {
      {"BackColor", DISPID_AMBIENT_BACKCOLOR},
      {"DisplayName", DISPID_AMBIENT_DISPLAYNAME},
      {"Font", DISPID_AMBIENT_FONT},
      {"ForeColor", DISPID_AMBIENT_FORECOLOR},
      {"LocaleID", DISPID_AMBIENT_LOCALEID},
      {"MessageReflect", DISPID_AMBIENT_MESSAGEREFLECT},
      {"UserMode", DISPID_AMBIENT_USERMODE},
      {"UIDead", DISPID_AMBIENT_UIDEAD},
      {"ShowGrabHandles", DISPID_AMBIENT_SHOWGRABHANDLES},
      {"ShowHatching", DISPID_AMBIENT_SHOWHATCHING},
      {"SupportsMnemonics", DISPID_AMBIENT_SUPPORTSMNEMONICS},
  };
  return IdsOfNames(kAmbient, names, count, ids);
}

HRESULT ControlSite::Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) {
  if (!(flags & DISPATCH_PROPERTYGET)) return DISP_E_MEMBERNOTFOUND;
  if (!result) return E_POINTER;
  VariantInit(result);
  switch (id) {
    case DISPID_AMBIENT_USERMODE:
      result->vt = VT_BOOL;
      result->boolVal = VARIANT_TRUE;
      return S_OK;
    case DISPID_AMBIENT_UIDEAD:
    case DISPID_AMBIENT_SHOWGRABHANDLES:
    case DISPID_AMBIENT_SHOWHATCHING:
    case DISPID_AMBIENT_MESSAGEREFLECT:
      result->vt = VT_BOOL;
      result->boolVal = VARIANT_FALSE;
      return S_OK;
    case DISPID_AMBIENT_SUPPORTSMNEMONICS:
      result->vt = VT_BOOL;
      result->boolVal = VARIANT_TRUE;
      return S_OK;
    case DISPID_AMBIENT_DISPLAYNAME:
      result->vt = VT_BSTR;
      result->bstrVal = UniqueBstr(m_displayName).release();
      return S_OK;
    case DISPID_AMBIENT_BACKCOLOR:
      result->vt = VT_I4;
      result->lVal = static_cast<LONG>(kAmbientBackColour);
      return S_OK;
    case DISPID_AMBIENT_FORECOLOR:
      result->vt = VT_I4;
      result->lVal = static_cast<LONG>(kAmbientForeColour);
      return S_OK;
    case DISPID_AMBIENT_LOCALEID:
      result->vt = VT_I4;
      result->lVal = static_cast<LONG>(GetUserDefaultLCID());
      return S_OK;
    case DISPID_AMBIENT_FONT: {
      IDispatch* font = nullptr;
      const HRESULT hr = CreateFontObject(DescribeFont(m_ambientFont, ScreenDpiY()), &font);
      if (FAILED(hr)) return hr;
      result->vt = VT_DISPATCH;
      result->pdispVal = font;
      return S_OK;
    }
    default:
      return DISP_E_MEMBERNOTFOUND;
  }
}

}  // namespace kit::shell
