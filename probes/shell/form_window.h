// Win32-only. `Form1` built from a form description: the window, its items at their twips
// places, fonts, tab order and focus, the click routing and the orderly close.
#pragma once

#include "common/owners.h"
#include "common/win32.h"
#include "probes/shell/control_container.h"
#include "probes/shell/control_site.h"
#include "probes/shell/form_layout.h"
#include "catalogue/form_model.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace kit::shell {

class Form;

// What a button's click runs, and the name a form's record gives it by (form_model.h).
using ClickHandler = void (*)(Form& form, const ItemRecord& item);
struct NamedHandler {
  HandlerName name;
  ClickHandler run;
};
// The handler of that name: the program's own first, then the shell's (standard_items.h); null
// when neither has it.
ClickHandler FindHandler(HandlerName name, std::span<const NamedHandler> programHandlers);

// What a program may hook into the shell. Probes that only look need none of it.
struct FormHooks {
  // The handlers the program's form names beside the shell's own.
  std::span<const NamedHandler> handlers{};
  // Every close and destroy notification of `Form1` and its items, by item name and with
  // "close" or "destroy"; the probes' own test programs journal these.
  void (*notify)(std::wstring_view item, std::wstring_view what) = nullptr;
  // Code of the program's own that runs while the window loads: every item exists, nothing is
  // shown yet.
  void (*onLoad)(Form& form) = nullptr;
};

// The form acts on what its controls' code sets through their extenders (FormItems).
class Form final : private FormItems {
public:
  // Builds the window and every item, in description order; shows nothing. Returns null and
  // fills `failure` when an item cannot be created.
  static std::unique_ptr<Form> Build(FormDescription description, const FormHooks& hooks, BuildFailure& failure);

  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  ~Form();

  // Shows the window and gives the focus to the first item in tab order that can take it.
  void Show(int showCommand);
  // What the message loop does with one message before the dialog manager sees it: keys go
  // first to the UI-active control's accelerator hook; Tab and Shift+Tab that it leaves move the
  // focus by the form's tab indexes, whatever the focused window claims through WM_GETDLGCODE;
  // other keys inside a control are the control's. True when the message is handled.
  bool PreTranslate(MSG& message);
  // Moves the focus to the next (or previous) item in tab-index order that can take it, from the
  // item holding it or from record `from`.
  void MoveFocus(bool forward, std::size_t from = 0);
  // Runs until the window is gone; returns the process exit code.
  int RunMessageLoop();
  // Closes the window as its close box does: the window gets its close notification, then
  // Close() runs.
  void RequestClose();
  // Closes the window in the orderly way: hosted controls are shut down, then the window and
  // every item get their destroy notifications. A failure goes to the top-level error report.
  void Close();

  HWND Window() const { return m_window; }
  // The item's window, or null when the record has none (the window record, an invisible control).
  HWND ItemWindow(std::size_t record) const;
  HWND ItemWindow(std::wstring_view name, std::optional<std::int16_t> index = std::nullopt) const;
  // The hosted control object of the ActiveX item, or null (no such item, not a control, closed).
  // The form keeps the reference: a caller that holds on to it adds its own.
  IUnknown* ControlObject(std::wstring_view name, std::optional<std::int16_t> index = std::nullopt) const {
    for (std::size_t i = 1; i < m_description.size() && i < m_controls.size(); ++i) {
      if (m_description[i].name == name && m_description[i].index == index && m_controls[i]) {
        return m_controls[i]->Object();
      }
    }
    return nullptr;
  }
  FormDescription Description() const { return m_description; }
  Dpi ScreenDpi() const { return m_dpi; }

private:
  Form(FormDescription description, const FormHooks& hooks);
  bool CreateWindowFrame(BuildFailure& failure);
  bool CreateItem(std::size_t record, BuildFailure& failure);
  HFONT FontFor(const ItemRecord& item);
  void StackInCreationOrder();
  void LayAlignedItems();
  void CloseControls();
  // Places a control where its site's twips say; an aligned one keeps to its edge.
  void PlaceControl(std::size_t record);
  std::size_t RecordOfSite(const ControlSite& site) const;
  // False for a control whose code set TabStop to False: Tab passes it by.
  bool TabStop(std::size_t record) const;
  void Apply(ControlSite& site, ItemChange change) override;
  std::int16_t TabIndex(ControlSite& site) override;
  void SetTabIndex(ControlSite& site, std::int16_t place) override;
  HWND ControlWindow(ControlSite& site) override;
  bool CanFocus(std::size_t record) const;
  bool FocusItem(std::size_t record);
  void FollowFocus();
  // Alt+key (or a key) that is a control's mnemonic: its focus and its OnMnemonic; true when taken.
  bool TakeMnemonic(MSG& message);
  std::size_t RecordOfWindow(HWND item) const;
  // The item holding the focus (the innermost, for a control inside another), or 0.
  std::size_t RecordOfFocus() const;
  // The item whose window is or contains `window` (the innermost), or 0.
  std::size_t RecordHolding(HWND window) const;
  // WM_NEXTDLGCTL with a window: focus to it through its item; ignored when the item takes none.
  void FocusWindow(HWND window);
  void Notify(std::wstring_view item, std::wstring_view what) const;

  void WatchItem(HWND item, std::size_t record);
  static LRESULT CALLBACK ItemProc(HWND item, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);

  FormDescription m_description;
  FormHooks m_hooks;
  Dpi m_dpi;
  HWND m_window = nullptr;
  HWND m_lastFocus = nullptr;
  HWND m_followedFocus = nullptr;
  bool m_shown = false;
  bool m_closing = false;
  Microsoft::WRL::ComPtr<ControlContainer> m_container;  // created with the first control
  std::vector<HWND> m_items;  // per record; [0] is the window
  std::vector<std::unique_ptr<HostedControl>> m_controls;  // per record; null for other items
  std::vector<std::size_t> m_tabOrder;  // the keyboard order, by record
  UniqueFont m_defaultFont;
  LOGFONTW m_defaultFontInfo{};
  std::vector<UniqueFont> m_fonts;
};

}  // namespace kit::shell
