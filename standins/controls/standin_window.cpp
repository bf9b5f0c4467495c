// Win32-only. The window keeps its own copy of what it draws (window data freed at
// WM_NCDESTROY), so it needs no reference to the COM object that made it.
#include "standins/controls/standin_window.h"

#include "common/owners.h"
#include "standins/controls/field_boxes.h"
#include "standins/controls/module.h"

#include <new>

namespace kit::standin {
namespace {

constexpr wchar_t kClassName[] = L"KitStandinControl";
constexpr wchar_t kReflectorClassName[] = L"KitStandinReflector";
constexpr UINT kLateMessage = WM_APP + 1;
constexpr UINT kNagBox = WM_APP + 2;
constexpr UINT kOwnClassBox = WM_APP + 3;
constexpr UINT kOtherProcess = WM_APP + 4;

struct WindowData {
  std::wstring progId{};
  std::wstring displayName{};
  HWND* slot{};
  WindowHabits habits{};
  // Set once the window exists; until then the creator frees the data if creation fails.
  bool ownedByWindow{};
};

WindowData* DataOf(HWND window) { return reinterpret_cast<WindowData*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

void Paint(HWND window) {
  PAINTSTRUCT paint{};
  const HDC dc = BeginPaint(window, &paint);
  if (!dc) return;
  RECT client{};
  GetClientRect(window, &client);
  if (const WindowData* data = DataOf(window)) {
    PaintStandin(dc, client, data->displayName, data->progId, GetFocus() == window);
  }
  EndPaint(window, &paint);
}

LRESULT CALLBACK StandinWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case kLateMessage:
      MessageBoxW(nullptr, L"The stand-in control met an error after it was shown.", L"Stand-in control",
                  MB_OK | MB_ICONERROR);
      return 0;
    case kNagBox:
    case kOwnClassBox:
    case kOtherProcess: {
      // Copied first: the window (and its data) may be gone when the box returns.
      const WindowData* data = DataOf(window);
      const std::wstring instance = data ? data->displayName : std::wstring();
      const HWND form = GetAncestor(window, GA_ROOT);
      if (message == kNagBox) NagForever(form, instance);
      if (message == kOwnClassBox) ShowOwnClassBox(form, instance);
      if (message == kOtherProcess) WaitForOtherProcessWindow(form, instance);
      return 0;
    }
    case WM_NCDESTROY:
      if (WindowData* data = DataOf(window)) {
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        if (data->slot && *data->slot == window) *data->slot = nullptr;
        if (data->ownedByWindow) delete data;
      }
      break;
    case WM_ERASEBKGND:
      // WM_PAINT fills the whole face; erasing first would only flicker.
      return 1;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_LBUTTONDOWN:
      SetFocus(window);
      return 0;
    case WM_GETDLGCODE: {
      // Like many real controls, the window asks the dialog manager for no keys: what it answers
      // comes through its object's accelerator hook. Edit-like ones claim them all, Tab too.
      const WindowData* data = DataOf(window);
      return data && data->habits.wantsTab ? DLGC_WANTTAB | DLGC_WANTALLKEYS : 0;
    }
    case WM_SETFOCUS:
      if (const WindowData* data = DataOf(window); data && data->habits.noFocus) {
        // Gives the focus back to where it came from (or to its parent), never keeps it.
        const HWND from = reinterpret_cast<HWND>(wParam);
        SetFocus(from && IsWindow(from) ? from : GetParent(window));
        return 0;
      }
      [[fallthrough]];
    case WM_KILLFOCUS:
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    default: break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// The wrapper only keeps the control's window at its own size.
LRESULT CALLBACK ReflectorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SIZE) {
    if (HWND inner = GetWindow(window, GW_CHILD)) MoveWindow(inner, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;
  return DefWindowProcW(window, message, wParam, lParam);
}

bool EnsureReflectorClass() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = ReflectorProc;
  windowClass.hInstance = ThisModule();
  windowClass.lpszClassName = kReflectorClassName;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool EnsureWindowClass() {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof(existing);
  if (GetClassInfoExW(ThisModule(), kClassName, &existing)) return true;
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = StandinWindowProc;
  windowClass.hInstance = ThisModule();
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.lpszClassName = kClassName;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HWND CreateStandinWindow(HWND parent, const RECT& rect, const std::wstring& progId, const std::wstring& displayName,
                         HWND* slot, WindowHabits habits) {
  if (!EnsureWindowClass()) return nullptr;
  WindowData* data = new (std::nothrow) WindowData{progId, displayName, slot, habits, false};
  if (!data) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  // A frame-like control holds other controls' windows: it must not paint over them.
  DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN;
  if (habits.clipSiblings) style |= WS_CLIPSIBLINGS;
  RECT place = rect;
  HWND reflector = nullptr;
  if (habits.reflector) {
    reflector = EnsureReflectorClass()
                    ? CreateWindowExW(0, kReflectorClassName, L"", style, rect.left, rect.top, rect.right - rect.left,
                                      rect.bottom - rect.top, parent, nullptr, ThisModule(), nullptr)
                    : nullptr;
    if (!reflector) {
      const DWORD error = GetLastError();
      delete data;
      SetLastError(error);
      return nullptr;
    }
    parent = reflector;
    place = RECT{0, 0, rect.right - rect.left, rect.bottom - rect.top};
  }
  if (habits.tabStop) style |= WS_TABSTOP;
  const HWND window = CreateWindowExW(0, kClassName, progId.c_str(), style, place.left, place.top,
                                      place.right - place.left, place.bottom - place.top, parent, nullptr, ThisModule(),
                                      data);
  if (!window) {
    const DWORD error = GetLastError();
    delete data;
    if (reflector) DestroyWindow(reflector);
    SetLastError(error);
    return nullptr;
  }
  data->ownedByWindow = true;
  *slot = window;
  if (habits.lateMessage) PostMessageW(window, kLateMessage, 0, 0);
  if (habits.nagBox) PostMessageW(window, kNagBox, 0, 0);
  if (habits.ownClassBox) PostMessageW(window, kOwnClassBox, 0, 0);
  if (habits.otherProcess) PostMessageW(window, kOtherProcess, 0, 0);
  return window;
}

HWND PlacedWindow(HWND window) {
  HWND parent = window ? GetParent(window) : nullptr;
  wchar_t name[64] = {};
  if (parent && GetClassNameW(parent, name, ARRAYSIZE(name)) && lstrcmpW(name, kReflectorClassName) == 0) return parent;
  return window;
}

void RenameStandinWindow(HWND window, const std::wstring& displayName) {
  if (WindowData* data = DataOf(window)) {
    data->displayName = displayName;
    InvalidateRect(window, nullptr, FALSE);
  }
}

void PaintStandin(HDC dc, const RECT& rect, std::wstring_view displayName, std::wstring_view progId, bool focused) {
  FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
  FrameRect(dc, &rect, GetSysColorBrush(COLOR_BTNSHADOW));

  const SelectedObject font(dc, GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  // Two lines, the instance first: a screenshot tells which control is which.
  constexpr int kMargin = 3;
  RECT text{rect.left + kMargin, rect.top + kMargin, rect.right - kMargin, rect.bottom - kMargin};
  const std::wstring lines = std::wstring(displayName) + L"\n" + std::wstring(progId);
  DrawTextW(dc, lines.c_str(), static_cast<int>(lines.size()), &text, DT_LEFT | DT_TOP | DT_NOPREFIX | DT_WORDBREAK);

  if (focused) {
    RECT focus{rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
    DrawFocusRect(dc, &focus);
  }
}

void UnregisterStandinWindowClass() {
  UnregisterClassW(kClassName, ThisModule());
  UnregisterClassW(kReflectorClassName, ThisModule());
}

}  // namespace kit::standin
