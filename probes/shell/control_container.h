// Win32-only. The form as its controls see it: one object per form answering for the container
// (the controls it holds, in creation order), the in-place frame (Form1's window, the active
// object whose accelerator hook sees the keys first) and the form's own dispatch face (what a
// control's extender gives as Parent). It also keeps which control is UI-active, so that
// activating one deactivates the one before.
#pragma once

#include "common/win32.h"

#include <oleidl.h>
#include <wrl/client.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kit::shell {

class ControlSite;

// What changed when a control's code set a property through its extender (the site keeps the
// new value).
enum class ItemChange : std::uint8_t { Place, Visible, Enabled };

// The form's side of a control's extender: it acts on what the control's code sets (moves, shows,
// enables the control's window, reorders the keyboard order) and answers what only it knows.
// The form gives its container one while it has controls; sites find it through their container.
class FormItems {
public:
  virtual void Apply(ControlSite& site, ItemChange change) = 0;
  // The control's tab index: its place in the keyboard order, from 0, as a form numbers its items
  // (a description's indexes are those places); setting one renumbers the others.
  virtual std::int16_t TabIndex(ControlSite& site) = 0;
  virtual void SetTabIndex(ControlSite& site, std::int16_t place) = 0;
  // The control's own window, or null (a control invisible at run time has none).
  virtual HWND ControlWindow(ControlSite& site) = 0;

protected:
  ~FormItems() = default;
};

// IOleControlSite::TranslateAccelerator's modifier flags (KEYMOD_*; MinGW's headers lack them).
constexpr DWORD kKeyModShift = 0x1;
constexpr DWORD kKeyModControl = 0x2;
constexpr DWORD kKeyModAlt = 0x4;

// The modifier flags of the keys held down now.
DWORD HeldKeyModifiers();
// Tab or Shift+Tab pressed (without Ctrl or Alt): the direction it moves the focus.
std::optional<bool> TabForward(const MSG& message, DWORD modifiers);

class ControlContainer final : public IOleContainer, public IOleInPlaceFrame, public IDispatch {
public:
  static Microsoft::WRL::ComPtr<ControlContainer> Create(HWND frame, std::wstring formName);
  // The containers alive in this process; an orderly close brings it back to where it was.
  static int Live();

  // A control joins when its site is set up and leaves when it is closed. Not owned: the form
  // owns its controls.
  void Join(IUnknown* control, ControlSite* site);
  void Leave(ControlSite* site);

  // Offers a key message to the UI-active control's accelerator hook: S_OK when it took it.
  HRESULT TranslateAccelerator(MSG* message);
  // A key a control hands back (IOleControlSite::TranslateAccelerator), with its modifier flags:
  // the form's own handling of it, S_OK when there was one (Tab and Shift+Tab move the focus
  // by a WM_NEXTDLGCTL posted to the frame), S_FALSE otherwise.
  HRESULT HandleKey(const MSG& message, DWORD modifiers);
  // Form1 became active or inactive: the active object hears of it.
  void FrameActivated(bool active);
  // UI activation bookkeeping for the sites.
  void OnUIActivate(ControlSite* site);
  void OnUIDeactivate(ControlSite* site);
  ControlSite* UIActiveSite() const { return m_uiActive; }
  // UI-deactivates whichever control is UI-active (the focus went to an item of the form's own).
  void DeactivateUI();
  // The form's name and the sites of its controls, in creation order (for the form's dispatch).
  const std::wstring& FormName() const { return m_formName; }
  std::vector<ControlSite*> Sites() const;
  // The site of the control at `place` in creation order; null beyond the last.
  ControlSite* SiteAt(std::size_t place) const { return place < m_members.size() ? m_members[place].site : nullptr; }
  std::size_t SiteCount() const { return m_members.size(); }
  // The form acting on its controls' extenders; null when there is none (a site on its own).
  void SetFormItems(FormItems* items) { m_formItems = items; }
  FormItems* Items() const { return m_formItems; }

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  // IParseDisplayName, IOleContainer
  HRESULT STDMETHODCALLTYPE ParseDisplayName(IBindCtx* context, LPOLESTR name, ULONG* eaten, IMoniker** out) override;
  HRESULT STDMETHODCALLTYPE EnumObjects(DWORD flags, IEnumUnknown** objects) override;
  HRESULT STDMETHODCALLTYPE LockContainer(BOOL lock) override;

  // IOleWindow, IOleInPlaceUIWindow, IOleInPlaceFrame
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enter) override;
  HRESULT STDMETHODCALLTYPE GetBorder(LPRECT border) override;
  HRESULT STDMETHODCALLTYPE RequestBorderSpace(LPCBORDERWIDTHS widths) override;
  HRESULT STDMETHODCALLTYPE SetBorderSpace(LPCBORDERWIDTHS widths) override;
  HRESULT STDMETHODCALLTYPE SetActiveObject(IOleInPlaceActiveObject* object, LPCOLESTR name) override;
  HRESULT STDMETHODCALLTYPE InsertMenus(HMENU menu, LPOLEMENUGROUPWIDTHS widths) override;
  HRESULT STDMETHODCALLTYPE SetMenu(HMENU menu, HOLEMENU ole, HWND active) override;
  HRESULT STDMETHODCALLTYPE RemoveMenus(HMENU menu) override;
  HRESULT STDMETHODCALLTYPE SetStatusText(LPCOLESTR text) override;
  HRESULT STDMETHODCALLTYPE EnableModeless(BOOL enable) override;
  HRESULT STDMETHODCALLTYPE TranslateAccelerator(LPMSG message, WORD id) override;

  // IDispatch: the form as a parent (form_dispatch.h)
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID locale,
                                          DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

private:
  ControlContainer(HWND frame, std::wstring formName);
  ~ControlContainer();

  struct Member {
    IUnknown* control;
    ControlSite* site;
  };

  ULONG m_references = 1;
  HWND m_frame;
  std::wstring m_formName;
  std::vector<Member> m_members;
  Microsoft::WRL::ComPtr<IOleInPlaceActiveObject> m_activeObject;
  ControlSite* m_uiActive = nullptr;
  FormItems* m_formItems = nullptr;  // not owned: the form outlives its controls' use of it
};

}  // namespace kit::shell
