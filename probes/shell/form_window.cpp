// Win32-only. Builds `Form1` and runs it. The window procedure never lets an exception out; the
// failures it meets end in the top-level error report.
#include "probes/shell/form_window.h"

#include "common/error_text.h"
#include "common/fatal_report.h"
#include "common/kit_window.h"
#include "common/system_error.h"
#include "common/twips.h"

#include <algorithm>
#include <utility>

namespace kit::shell {
namespace {

constexpr wchar_t kFormClass[] = L"DiagKitForm";
// Item control identifiers start well above IDOK and IDCANCEL, which the dialog manager sends
// for Enter and Escape.
constexpr int kFirstItemId = 1000;
constexpr DWORD kFormStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kFormExStyle = 0;
constexpr wchar_t kOriginalProcProperty[] = L"DiagKitItemProc";

BuildFailure LastErrorFailure(std::wstring_view what) {
  const DWORD code = GetLastError();
  return {code, FormatErrorReport(code, std::wstring(what) + L": " + DescribeError(code))};
}

}  // namespace

Form::Form(FormDescription description, const FormHooks& hooks)
    : m_description(description),
      m_hooks(hooks),
      m_dpi{ScreenDpiX(), ScreenDpiY()},
      m_items(description.size(), nullptr),
      m_controls(description.size()),
      m_tabOrder(TabOrder(description)) {}

Form::~Form() {
  CloseControls();
  if (m_window) DestroyWindow(m_window);
}

void Form::CloseControls() {
  // Last created first: contained controls close before their container.
  for (auto control = m_controls.rbegin(); control != m_controls.rend(); ++control) {
    if (*control) (*control)->Close();
  }
  if (m_container) m_container->SetFormItems(nullptr);
}

std::unique_ptr<Form> Form::Build(FormDescription description, const FormHooks& hooks, BuildFailure& failure) {
  std::unique_ptr<Form> form(new Form(description, hooks));
  if (!form->CreateWindowFrame(failure)) return nullptr;
  for (std::size_t i = 1; i < description.size(); ++i) {
    if (!form->CreateItem(i, failure)) return nullptr;
  }
  form->StackInCreationOrder();
  form->LayAlignedItems();
  return form;
}

bool Form::CreateWindowFrame(BuildFailure& failure) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!RegisterKitWindowClass(instance, kFormClass, &Form::WindowProc, CS_DBLCLKS)) {
    failure = LastErrorFailure(L"registering the window class");
    return false;
  }
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0)) {
    m_defaultFont.reset(CreateFontIndirectW(&metrics.lfMessageFont));
    m_defaultFontInfo = metrics.lfMessageFont;
  }
  const ItemRecord& record = m_description[0];
  const PixelRect client = ClientPixels(record, m_dpi);
  RECT frame{0, 0, client.width, client.height};
  AdjustWindowRectEx(&frame, kFormStyle, FALSE, kFormExStyle);
  int x = CW_USEDEFAULT;
  int y = CW_USEDEFAULT;
  if (record.placement == Placement::Fixed) {
    x = TwipsToPixels(record.left, m_dpi.x) + frame.left;
    y = TwipsToPixels(record.top, m_dpi.y) + frame.top;
  }
  const std::wstring caption(record.caption);
  m_window = CreateWindowExW(kFormExStyle, kFormClass, caption.c_str(), kFormStyle, x, y, frame.right - frame.left,
                             frame.bottom - frame.top, nullptr, nullptr, instance, this);
  if (!m_window) {
    failure = LastErrorFailure(L"creating the window");
    return false;
  }
  m_items[0] = m_window;
  return true;
}

HFONT Form::FontFor(const ItemRecord& item) {
  if (!item.font) return m_defaultFont.get();
  LOGFONTW font{};
  font.lfHeight = FontHeightPixels(item.font->points, m_dpi.y);
  font.lfWeight = item.font->weight;
  font.lfItalic = item.font->italic;
  font.lfUnderline = item.font->underline;
  font.lfStrikeOut = item.font->strikeout;
  font.lfCharSet = item.font->charset;
  const std::size_t length = std::min(item.font->face.size(), std::size(font.lfFaceName) - 1);
  std::copy_n(item.font->face.data(), length, font.lfFaceName);
  m_fonts.emplace_back(CreateFontIndirectW(&font));
  return m_fonts.back() ? m_fonts.back().get() : m_defaultFont.get();
}

bool Form::CreateItem(std::size_t record, BuildFailure& failure) {
  const ItemRecord& item = m_description[record];
  const std::size_t container = ContainerOf(m_description, record);
  HWND parent = m_items[container] ? m_items[container] : m_window;
  const PixelRect rect = ItemPixels(item, m_dpi);

  if (item.kind == ItemKind::ActiveX) {
    if (!m_container) {
      m_container = ControlContainer::Create(m_window, std::wstring(m_description[0].name));
      if (m_container) m_container->SetFormItems(this);
    }
    if (!m_container) {
      failure = {static_cast<std::uint32_t>(E_OUTOFMEMORY), FormatErrorReport(E_OUTOFMEMORY, DescribeError(E_OUTOFMEMORY))};
      return false;
    }
    const HostPlace place{parent, m_container.Get(), m_controls[container] ? m_controls[container]->Site() : nullptr,
                          &m_defaultFontInfo};
    std::unique_ptr<HostedControl> control = CreateHostedControl(item, place, rect, failure);
    if (!control) return false;
    m_items[record] = control->ContainerWindow();
    m_controls[record] = std::move(control);
    return true;
  }

  DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  style |= item.kind == ItemKind::CheckBox ? BS_AUTOCHECKBOX : BS_PUSHBUTTON;
  const std::wstring caption(item.caption);
  HWND window = CreateWindowExW(0, L"BUTTON", caption.c_str(), style, rect.left, rect.top, rect.width, rect.height,
                                parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstItemId + record)),
                                GetModuleHandleW(nullptr), nullptr);
  if (!window) {
    failure = LastErrorFailure(L"creating " + std::wstring(item.name));
    return false;
  }
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(item)), FALSE);
  m_items[record] = window;
  if (m_hooks.notify) WatchItem(window, record);
  return true;
}

void Form::StackInCreationOrder() {
  // As on any form, an item lies above the items created before it (the keyboard order is the
  // tab indexes', walked by MoveFocus, not the windows' order).
  for (std::size_t i = 1; i < m_items.size(); ++i) {
    HWND placed = m_controls[i] ? m_controls[i]->PlacedWindow() : m_items[i];
    if (placed) SetWindowPos(placed, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void Form::LayAlignedItems() {
  RECT client{};
  GetClientRect(m_window, &client);
  for (std::size_t i = 1; i < m_description.size(); ++i) {
    const ItemRecord& item = m_description[i];
    if (item.align == Align::None) continue;
    if (m_controls[i]) {
      PlaceControl(i);
    } else if (m_items[i]) {
      const PixelRect placed = AlignedPixels(item, ItemPixels(item, m_dpi), client.right, client.bottom);
      SetWindowPos(m_items[i], nullptr, placed.left, placed.top, placed.width, placed.height,
                   SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
}

void Form::PlaceControl(std::size_t record) {
  ControlSite* site = m_controls[record]->Site();
  if (!site) return;
  TwipsPlace twips = site->Twips();
  PixelRect rect = TwipsPixels(twips.left, twips.top, twips.width, twips.height, m_dpi);
  if (m_description[record].align != Align::None) {
    // An aligned bar stays on its edge across the client area whatever the code sets: only a
    // new height moves it (a bottom bar grows upwards); Left, Top and Width read back as it lies.
    RECT client{};
    GetClientRect(m_window, &client);
    rect = AlignedPixels(m_description[record], rect, client.right, client.bottom);
    twips = {PixelsToTwips(rect.left, m_dpi.x), PixelsToTwips(rect.top, m_dpi.y), PixelsToTwips(rect.width, m_dpi.x),
             PixelsToTwips(rect.height, m_dpi.y)};
  }
  m_controls[record]->Place(rect, &twips);
}

std::size_t Form::RecordOfSite(const ControlSite& site) const {
  // A site keeps the record it was made from, the form's own: found while its control loads too,
  // before the form holds the control.
  for (std::size_t record = 1; record < m_description.size(); ++record) {
    if (&m_description[record] == &site.Item()) return record;
  }
  return 0;
}

bool Form::TabStop(std::size_t record) const {
  ControlSite* site = m_controls[record] ? m_controls[record]->Site() : nullptr;
  return !site || site->Extended().tabStop;
}

void Form::Apply(ControlSite& site, ItemChange change) {
  const std::size_t record = RecordOfSite(site);
  if (!record || !m_controls[record]) return;  // a control still loading is placed as it activates
  if (change == ItemChange::Place) return PlaceControl(record);
  // A control hidden or disabled while it holds the focus hands it on, as on any form.
  const bool hadFocus = RecordOfFocus() == record;
  bool on = site.Extended().enabled;
  if (change == ItemChange::Visible) {
    on = site.Extended().visible;
    if (HWND placed = m_controls[record]->PlacedWindow()) ShowWindow(placed, on ? SW_SHOWNA : SW_HIDE);
  } else if (m_items[record]) {
    EnableWindow(m_items[record], on);
  }
  if (hadFocus && !on) MoveFocus(true);
}

std::int16_t Form::TabIndex(ControlSite& site) {
  const std::size_t record = RecordOfSite(site);
  std::size_t place = 0;
  while (place < m_tabOrder.size() && m_tabOrder[place] != record) ++place;
  return static_cast<std::int16_t>(place < m_tabOrder.size() ? place : 0);
}

void Form::SetTabIndex(ControlSite& site, std::int16_t place) {
  MoveInTabOrder(m_tabOrder, RecordOfSite(site), static_cast<std::size_t>(place));
}

HWND Form::ControlWindow(ControlSite& site) {
  const std::size_t record = RecordOfSite(site);
  return record ? m_items[record] : nullptr;
}

bool Form::CanFocus(std::size_t record) const {
  // Whatever styles a control gives its windows: the form's record decides, not WS_TABSTOP.
  HWND item = m_items[record];
  if (!item || !IsWindowVisible(item) || !IsWindowEnabled(item)) return false;
  return !m_controls[record] || m_controls[record]->Focusable();
}

bool Form::FocusItem(std::size_t record) {
  if (m_controls[record]) {
    if (!m_controls[record]->TakeFocus()) return false;
    // A frame that leaves the focus on a control inside it has not taken it: its own window does.
    if (RecordOfFocus() != record) SetFocus(m_items[record]);
    if (RecordOfFocus() != record) return false;
  } else {
    if (m_container) m_container->DeactivateUI();
    SetFocus(m_items[record]);
  }
  m_followedFocus = GetFocus();
  return true;
}

void Form::MoveFocus(bool forward, std::size_t from) {
  // By place, not by iterator: a control taking the focus may set a tab index (the order keeps
  // its length).
  const std::vector<std::size_t>& order = m_tabOrder;
  if (order.empty()) return;
  const std::size_t count = order.size();
  const std::size_t current = from ? from : RecordOfFocus();
  std::size_t position = forward ? count - 1 : 0;  // from nowhere: the first (or the last)
  for (std::size_t i = 0; i < count; ++i) {
    if (order[i] == current) position = i;
  }
  for (std::size_t step = 1; step <= count; ++step) {
    const std::size_t next = order[(forward ? position + step : position + count - step) % count];
    if (next != current && TabStop(next) && CanFocus(next) && FocusItem(next)) return;
  }
}

void Form::Show(int showCommand) {
  m_shown = true;
  ShowWindow(m_window, showCommand);
  UpdateWindow(m_window);
  for (std::size_t i = 0; i < m_tabOrder.size(); ++i) {
    const std::size_t record = m_tabOrder[i];
    if (CanFocus(record) && FocusItem(record)) break;
  }
  m_lastFocus = GetFocus();
  if (!m_lastFocus || !IsChild(m_window, m_lastFocus)) {
    m_lastFocus = nullptr;
    SetFocus(m_window);
  }
}

bool Form::PreTranslate(MSG& message) {
  if (message.message < WM_KEYFIRST || message.message > WM_KEYLAST || !m_window) return false;
  if (message.hwnd != m_window && !IsChild(m_window, message.hwnd)) return false;
  if (m_container && m_container->TranslateAccelerator(&message) == S_OK) return true;
  if (TakeMnemonic(message)) return true;
  // Tab is the form's whatever a window answers to WM_GETDLGCODE: a control that wants it takes
  // it in its accelerator hook above.
  if (const std::optional<bool> forward = TabForward(message, HeldKeyModifiers())) {
    MoveFocus(*forward);
    return true;
  }
  // The dialog manager's arrows, Enter and Escape are for the form's own buttons: a key inside a
  // control goes to the control.
  const std::size_t record = RecordOfFocus();
  if (record > 0 && m_controls[record]) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
    return true;
  }
  return false;
}

bool Form::TakeMnemonic(MSG& message) {
  // A control's mnemonic focuses it as a click would (a label-like control passes the focus to
  // the item after it in tab order), then the control hears which key it was.
  for (std::size_t record = 1; record < m_controls.size(); ++record) {
    ControlSite* site = m_controls[record] ? m_controls[record]->Site() : nullptr;
    if (!site || !site->HasMnemonic(message)) continue;
    if (m_controls[record]->ActsLikeLabel()) {
      MoveFocus(true, record);
    } else if (CanFocus(record)) {
      FocusItem(record);
    }
    Microsoft::WRL::ComPtr<IOleControl> control;
    IUnknown* object = m_controls[record]->Object();
    if (object && SUCCEEDED(object->QueryInterface(IID_IOleControl, &control))) control->OnMnemonic(&message);
    return true;
  }
  return false;
}

void Form::FollowFocus() {
  // The focus moved by a click (or by a control itself): the control that now holds it is
  // UI-activated, and one that lost it to an item of the form's own gives up UI activation.
  HWND focus = GetFocus();
  if (focus == m_followedFocus || !m_window || !focus || !IsChild(m_window, focus)) return;
  m_followedFocus = focus;
  const std::size_t record = RecordOfFocus();
  if (record > 0 && m_controls[record]) {
    if (m_container && m_container->UIActiveSite() != m_controls[record]->Site()) m_controls[record]->TakeFocus();
  } else if (m_container) {
    m_container->DeactivateUI();
  }
  m_followedFocus = GetFocus();
}

int Form::RunMessageLoop() {
  MSG message{};
  BOOL got = FALSE;
  while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
    if (!PreTranslate(message) && !(m_window && IsDialogMessageW(m_window, &message))) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
    FollowFocus();
  }
  return got == 0 ? static_cast<int>(message.wParam) : 1;
}

void Form::RequestClose() { SendMessageW(m_window, WM_CLOSE, 0, 0); }

void Form::Close() {
  // A second close arriving while a control pumps messages in its own close is the same close.
  if (m_closing) return;
  m_closing = true;
  CloseControls();
  if (m_window && !DestroyWindow(m_window)) {
    const DWORD code = GetLastError();
    ReportFatalError(code, DescribeError(code));
  }
}

HWND Form::ItemWindow(std::size_t record) const {
  return record < m_items.size() && record > 0 ? m_items[record] : nullptr;
}

HWND Form::ItemWindow(std::wstring_view name, std::optional<std::int16_t> index) const {
  for (std::size_t i = 1; i < m_description.size(); ++i) {
    if (m_description[i].name == name && m_description[i].index == index) return m_items[i];
  }
  return nullptr;
}

std::size_t Form::RecordOfWindow(HWND item) const {
  for (std::size_t i = 1; i < m_items.size(); ++i) {
    if (m_items[i] == item) return i;
  }
  return 0;
}

std::size_t Form::RecordOfFocus() const { return RecordHolding(GetFocus()); }

std::size_t Form::RecordHolding(HWND window) const {
  for (; window && window != m_window; window = GetParent(window)) {
    if (const std::size_t record = RecordOfWindow(window)) return record;
  }
  return 0;
}

void Form::FocusWindow(HWND window) {
  // A window of the form goes through its item, as Tab would reach it; any other is not the form's.
  if (!window || !IsChild(m_window, window)) return;
  const std::size_t record = RecordHolding(window);
  if (record > 0 && CanFocus(record) && FocusItem(record) && window != m_items[record] && IsWindowVisible(window) &&
      IsWindowEnabled(window)) {
    SetFocus(window);
  }
}

void Form::Notify(std::wstring_view item, std::wstring_view what) const {
  if (m_hooks.notify) m_hooks.notify(item, what);
}

void Form::WatchItem(HWND item, std::size_t record) {
  // Buttons keep no data of their own in GWLP_USERDATA: it carries the record index.
  SetWindowLongPtrW(item, GWLP_USERDATA, static_cast<LONG_PTR>(record));
  const LONG_PTR original = SetWindowLongPtrW(item, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Form::ItemProc));
  SetPropW(item, kOriginalProcProperty, reinterpret_cast<HANDLE>(original));
}

LRESULT CALLBACK Form::ItemProc(HWND item, UINT message, WPARAM wParam, LPARAM lParam) {
  const auto original = reinterpret_cast<WNDPROC>(GetPropW(item, kOriginalProcProperty));
  if (message == WM_DESTROY) {
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(GetAncestor(item, GA_ROOT), GWLP_USERDATA));
    const auto record = static_cast<std::size_t>(GetWindowLongPtrW(item, GWLP_USERDATA));
    if (form && record < form->m_description.size()) form->Notify(form->m_description[record].name, L"destroy");
  } else if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(item, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    RemovePropW(item, kOriginalProcProperty);
  }
  return CallWindowProcW(original, item, message, wParam, lParam);
}

LRESULT CALLBACK Form::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->m_window = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form || form->m_window != window) return DefWindowProcW(window, message, wParam, lParam);
  return form->Handle(message, wParam, lParam);
}

LRESULT Form::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      std::size_t record = 0;
      if (id == IDOK && lParam == 0) {
        // Enter on a focused button presses it, as in any dialog. The dialog manager sends IDOK
        // with no window; a child window of a control that happens to carry id 1 sends its own
        // handle with its notifications, which are not Enter.
        record = RecordOfWindow(GetFocus());
      } else if (HIWORD(wParam) == BN_CLICKED && id >= kFirstItemId) {
        record = static_cast<std::size_t>(id - kFirstItemId);
      }
      // The handler by its name; a name neither the program nor the shell has runs nothing here
      // (RunProbe refuses such a form before it shows).
      if (record > 0 && record < m_description.size() && m_description[record].kind != ItemKind::ActiveX) {
        if (const ClickHandler run = FindHandler(m_description[record].onClick, m_hooks.handlers)) {
          run(*this, m_description[record]);
        }
      }
      return 0;
    }
    case WM_ACTIVATE:
      // The UI-active control hears of its frame's activation, as in any full container.
      if (m_container) m_container->FrameActivated(LOWORD(wParam) != WA_INACTIVE);
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(m_window, focus)) m_lastFocus = focus;
      } else if (m_lastFocus && IsWindow(m_lastFocus)) {
        SetFocus(m_lastFocus);
        return 0;
      }
      break;
    case WM_SETFOCUS:
      if (m_lastFocus && IsWindow(m_lastFocus)) SetFocus(m_lastFocus);
      return 0;
    case WM_NEXTDLGCTL:
      // As the dialog manager defines it: a window to focus when LOWORD(lParam) is set, else the
      // next item (wParam zero) or the previous one, by the form's tab indexes.
      if (LOWORD(lParam)) {
        FocusWindow(reinterpret_cast<HWND>(wParam));
      } else {
        MoveFocus(wParam == 0);
      }
      return 0;
    case WM_SIZE:
      // A minimised form has no client area: its aligned controls keep their places for its return.
      if (wParam != SIZE_MINIMIZED) LayAlignedItems();
      break;
    case WM_CLOSE:
      Notify(m_description[0].name, L"close");
      Close();
      return 0;
    case WM_DESTROY:
      Notify(m_description[0].name, L"destroy");
      // Only a shown form ends the program: a form torn down after a failed build must not
      // post a quit that would close the failure report before anyone reads it.
      if (m_shown) PostQuitMessage(0);
      break;
    case WM_NCDESTROY: {
      HWND window = std::exchange(m_window, nullptr);
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      return DefWindowProcW(window, message, wParam, lParam);
    }
  }
  return DefWindowProcW(m_window, message, wParam, lParam);
}

}  // namespace kit::shell
