// Win32-only. The container side of one hosted ActiveX control: one object answering for the
// client site, the in-place site (extended and windowless ones included, windowless activation
// refused), the control site and the ambient properties, with one reference count. The form's
// frame and container are the form's one ControlContainer.
#pragma once

#include "common/win32.h"
#include "probes/shell/control_container.h"
#include "probes/shell/mnemonics.h"
#include "catalogue/form_model.h"

#include <ocidl.h>
#include <oleidl.h>
#include <wrl/client.h>

#include <string>

namespace kit::shell {

// Where a control lies in twips, relative to its container, as its extender reports it.
struct TwipsPlace {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

// What a control's code set through its extender beside its place (the form acts on these).
struct ExtenderState {
  std::wstring tag{};
  bool visible = true;
  bool enabled = true;
  bool tabStop = true;
};

class ControlSite final : public IOleClientSite,
                          public IOleInPlaceSiteWindowless,
                          public IOleControlSite,
                          public IDispatch {
public:
  // `window`: the window the control lives in; `rect`: its place there, in pixels; `item`: its
  // record (names, tab index, place in twips); `container`: the form's container;
  // `outerSite`: the site of the control it lies in, or null on the form itself;
  // `ambientFont`: the form's font.
  static Microsoft::WRL::ComPtr<ControlSite> Create(HWND window, const RECT& rect, const ItemRecord& item,
                                                    Microsoft::WRL::ComPtr<ControlContainer> container,
                                                    Microsoft::WRL::ComPtr<ControlSite> outerSite,
                                                    const LOGFONTW& ambientFont);
  // The sites alive in this process; an orderly close brings it back to where it was.
  static int Live();

  // The control joins the form's container with it; null leaves.
  void SetControl(IOleObject* control);
  // `twips`: the place the extender reports, when it is not the record's (an aligned control).
  void Place(const RECT& rect, const TwipsPlace* twips = nullptr);
  const RECT& Rect() const { return m_rect; }
  // Asks the control to leave UI activation (another item takes the focus).
  void UIDeactivateControl();
  // The window the control lives in (the form's, or its frame control's).
  HWND Window() const { return m_window; }
  // The control's mnemonics: read once it is set up, and again on OnControlInfoChanged.
  void ReadMnemonics() { m_mnemonics.Read(m_control); }
  bool HasMnemonic(const MSG& message) const { return m_control && m_mnemonics.Matches(message); }

  // What the control's extender object reports.
  const ItemRecord& Item() const { return m_item; }
  const TwipsPlace& Twips() const { return m_twips; }
  TwipsPlace& Twips() { return m_twips; }
  ExtenderState& Extended() { return m_extended; }
  IOleObject* Control() const { return m_control; }
  ControlContainer* Container() const { return m_container.Get(); }
  ControlSite* OuterSite() const { return m_outerSite.Get(); }
  const std::wstring& DisplayName() const { return m_displayName; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IOleClientSite
  HRESULT STDMETHODCALLTYPE SaveObject() override;
  HRESULT STDMETHODCALLTYPE GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  HRESULT STDMETHODCALLTYPE GetContainer(IOleContainer** container) override;
  HRESULT STDMETHODCALLTYPE ShowObject() override;
  HRESULT STDMETHODCALLTYPE OnShowWindow(BOOL show) override;
  HRESULT STDMETHODCALLTYPE RequestNewObjectLayout() override;

  // IOleWindow (the in-place site's)
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override;

  // IOleInPlaceSite
  HRESULT STDMETHODCALLTYPE CanInPlaceActivate() override;
  HRESULT STDMETHODCALLTYPE OnInPlaceActivate() override;
  HRESULT STDMETHODCALLTYPE OnUIActivate() override;
  HRESULT STDMETHODCALLTYPE GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, RECT* position,
                                             RECT* clip, OLEINPLACEFRAMEINFO* frameInfo) override;
  HRESULT STDMETHODCALLTYPE Scroll(SIZE extent) override;
  HRESULT STDMETHODCALLTYPE OnUIDeactivate(BOOL undoable) override;
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivate() override;
  HRESULT STDMETHODCALLTYPE DiscardUndoState() override;
  HRESULT STDMETHODCALLTYPE DeactivateAndUndo() override;
  HRESULT STDMETHODCALLTYPE OnPosRectChange(LPCRECT position) override;

  // IOleInPlaceSiteEx
  HRESULT STDMETHODCALLTYPE OnInPlaceActivateEx(BOOL* noRedraw, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE OnInPlaceDeactivateEx(BOOL noRedraw) override;
  HRESULT STDMETHODCALLTYPE RequestUIActivate() override;

  // IOleInPlaceSiteWindowless: asked, and always answered "run in your own window"
  HRESULT STDMETHODCALLTYPE CanWindowlessActivate() override;
  HRESULT STDMETHODCALLTYPE GetCapture() override;
  HRESULT STDMETHODCALLTYPE SetCapture(BOOL capture) override;
  HRESULT STDMETHODCALLTYPE GetFocus() override;
  HRESULT STDMETHODCALLTYPE SetFocus(BOOL focus) override;
  HRESULT STDMETHODCALLTYPE GetDC(LPCRECT rect, DWORD flags, HDC* dc) override;
  HRESULT STDMETHODCALLTYPE ReleaseDC(HDC dc) override;
  HRESULT STDMETHODCALLTYPE InvalidateRect(LPCRECT rect, BOOL erase) override;
  HRESULT STDMETHODCALLTYPE InvalidateRgn(HRGN region, BOOL erase) override;
  HRESULT STDMETHODCALLTYPE ScrollRect(INT dx, INT dy, LPCRECT scroll, LPCRECT clip) override;
  HRESULT STDMETHODCALLTYPE AdjustRect(LPRECT rect) override;
  HRESULT STDMETHODCALLTYPE OnDefWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;

  // IOleControlSite
  HRESULT STDMETHODCALLTYPE OnControlInfoChanged() override;
  HRESULT STDMETHODCALLTYPE LockInPlaceActive(BOOL lock) override;
  HRESULT STDMETHODCALLTYPE GetExtendedControl(IDispatch** control) override;
  HRESULT STDMETHODCALLTYPE TransformCoords(POINTL* himetric, POINTF* container, DWORD flags) override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message, DWORD modifiers) override;
  HRESULT STDMETHODCALLTYPE OnFocus(BOOL got) override;
  HRESULT STDMETHODCALLTYPE ShowPropertyFrame() override;

  // IDispatch: the ambient properties
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

private:
  ControlSite(HWND window, const RECT& rect, const ItemRecord& item, Microsoft::WRL::ComPtr<ControlContainer> container,
              Microsoft::WRL::ComPtr<ControlSite> outerSite, const LOGFONTW& ambientFont);
  ~ControlSite();

  ULONG m_references = 1;
  HWND m_window;
  RECT m_rect;
  const ItemRecord& m_item;
  TwipsPlace m_twips;
  ExtenderState m_extended;
  // The one extender of the control, for the site's whole life: controls compare extenders (and
  // containers) by identity. It does not hold the site; the site tells it when it goes.
  Microsoft::WRL::ComPtr<IDispatch> m_extender;
  Microsoft::WRL::ComPtr<ControlContainer> m_container;
  Microsoft::WRL::ComPtr<ControlSite> m_outerSite;
  std::wstring m_displayName;
  LOGFONTW m_ambientFont;
  IOleObject* m_control = nullptr;  // not owned: the hosted control owns the site, not the reverse
  bool m_placing = false;           // a control's OnPosRectChange while it is being placed
  ControlMnemonics m_mnemonics;
};

}  // namespace kit::shell
