// Win32-only. Each box runs on the control's (the host's user-interface) thread, from a message
// the control's window posts to itself once it is shown, as real controls raise them; so the host
// has Form1 up and its own loop running when they appear.
#include "standins/controls/field_boxes.h"

#include "common/owners.h"
#include "standins/controls/journal.h"
#include "standins/controls/module.h"

namespace kit::standin {
namespace {

constexpr wchar_t kBoxClassName[] = L"KitStandInBox";
constexpr wchar_t kBoxCaption[] = L"Stand-in control";
constexpr wchar_t kReportEvent[] = L"kit_fx_report";
constexpr wchar_t kReportClosedEvent[] = L"kit_fx_report_closed";
constexpr DWORD kReportBoundMs = 120000;

// A WM_QUIT taken by a nested loop must stay for the thread's own loop, or the program never ends.
bool QuitPending() {
  MSG message;
  return PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

// Ends the box: the owner enabled again first, so that activation goes back to it, not to some
// other program's window.
void CloseBox(HWND box) {
  if (HWND owner = GetWindow(box, GW_OWNER)) EnableWindow(owner, TRUE);
  DestroyWindow(box);
}

LRESULT CALLBACK BoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) CloseBox(box);
      return 0;
    case WM_CLOSE:
      CloseBox(box);
      return 0;
    default: break;
  }
  return DefWindowProcW(box, message, wParam, lParam);
}

bool EnsureBoxClass() {
  WNDCLASSEXW windowClass{};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = BoxProc;
  windowClass.hInstance = ThisModule();
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  windowClass.lpszClassName = kBoxClassName;
  return RegisterClassExW(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND CreateBox(HWND form) {
  constexpr int kWidth = 360, kHeight = 140;
  // Centred on the form, as a message box is, but never off the work area (a small form at its
  // corner would put half the box off the screen).
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT around = work;
  if (form) GetWindowRect(form, &around);
  int x = (around.left + around.right - kWidth) / 2, y = (around.top + around.bottom - kHeight) / 2;
  if (x + kWidth > work.right) x = work.right - kWidth;
  if (y + kHeight > work.bottom) y = work.bottom - kHeight;
  if (x < work.left) x = work.left;
  if (y < work.top) y = work.top;
  const HWND box = CreateWindowExW(WS_EX_DLGMODALFRAME, kBoxClassName, kBoxCaption,
                                   WS_POPUP | WS_CAPTION | WS_SYSMENU, x, y, kWidth, kHeight, form, nullptr,
                                   ThisModule(), nullptr);
  if (!box) return nullptr;
  const HGDIOBJ font = GetStockObject(DEFAULT_GUI_FONT);
  const HWND text = CreateWindowExW(0, L"STATIC", L"The stand-in control could not find its licence server.",
                                    WS_CHILD | WS_VISIBLE | SS_LEFT, 16, 16, 320, 32, box, nullptr, ThisModule(),
                                    nullptr);
  const HWND ok = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 136, 64,
                                  80, 24, box, reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), ThisModule(),
                                  nullptr);
  if (!text || !ok) {
    DestroyWindow(box);
    return nullptr;
  }
  SendMessageW(text, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  SendMessageW(ok, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return box;
}

enum class WaitEnd { Signalled, Bound, Quit };

// The thread's messages handled until `done` is signalled, `ms` pass or the thread is told to quit.
WaitEnd WaitHandlingMessages(HANDLE done, DWORD ms) {
  const DWORD start = GetTickCount();
  for (DWORD passed = 0; passed < ms; passed = GetTickCount() - start) {
    const DWORD woke = MsgWaitForMultipleObjects(1, &done, FALSE, ms - passed, QS_ALLINPUT);
    if (woke == WAIT_OBJECT_0) return WaitEnd::Signalled;
    if (woke != WAIT_OBJECT_0 + 1) break;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(message.wParam));
        return WaitEnd::Quit;
      }
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return WaitForSingleObject(done, 0) == WAIT_OBJECT_0 ? WaitEnd::Signalled : WaitEnd::Bound;
}

INT_PTR CALLBACK SinkProc(HWND, UINT, WPARAM, LPARAM) { return FALSE; }

}  // namespace

void NagForever(HWND form, const std::wstring& instance) {
  for (;;) {
    JournalLine(instance, L"nagbox shown");
    const int answer = MessageBoxW(form, L"This copy of the stand-in control is for evaluation only.", kBoxCaption,
                                   MB_OK | MB_ICONINFORMATION);
    // A box that could not be shown, or was ended along with its owner, or a thread told to
    // quit: showing it again would only spin.
    if (answer == 0 || !IsWindow(form) || QuitPending()) break;
  }
}

void ShowOwnClassBox(HWND form, const std::wstring& instance) {
  const HWND box = EnsureBoxClass() ? CreateBox(form) : nullptr;
  if (!box) {
    JournalLine(instance, L"ownclassbox not made " + std::to_wstring(GetLastError()));
    return;
  }
  JournalLine(instance, L"ownclassbox shown");
  if (form) EnableWindow(form, FALSE);
  ShowWindow(box, SW_SHOW);
  SetForegroundWindow(box);
  MSG message;
  while (IsWindow(box)) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    if (got < 0) break;
    if (!IsDialogMessageW(box, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  if (IsWindow(box)) CloseBox(box);
  if (form && IsWindow(form)) EnableWindow(form, TRUE);
  JournalLine(instance, L"ownclassbox closed");
}

void WaitForOtherProcessWindow(HWND form, const std::wstring& instance) {
  // The closing event first: a reporter that is quick to close finds it and its signal stays.
  const UniqueHandleObject closed(CreateEventW(nullptr, TRUE, FALSE, kReportClosedEvent));
  const UniqueHandleObject report(CreateEventW(nullptr, FALSE, FALSE, kReportEvent));
  if (!closed || !report || !SetEvent(report.get())) {
    JournalLine(instance, L"otherprocess not asked " + std::to_wstring(GetLastError()));
    return;
  }
  JournalLine(instance, L"otherprocess asked");
  // The other process's window stands for a box of this program's: the form takes no input
  // meanwhile, as under a modal box.
  if (form) EnableWindow(form, FALSE);
  const WaitEnd end = WaitHandlingMessages(closed.get(), kReportBoundMs);
  if (form && IsWindow(form)) EnableWindow(form, TRUE);
  JournalLine(instance, end == WaitEnd::Signalled ? L"otherprocess closed"
                        : end == WaitEnd::Bound   ? L"otherprocess never closed"
                                                  : L"otherprocess left on quit");
}

HWND CreateHiddenSink(const std::wstring& instance) {
  // An empty dialog: no controls, no WS_VISIBLE, so it never shows (a DLGTEMPLATE must be
  // DWORD-aligned, followed by empty menu, class and title).
  struct alignas(4) Template {
    DLGTEMPLATE dialog;
    WORD menu, windowClass, title;
  } sink{};
  sink.dialog.style = WS_POPUP | WS_CAPTION | DS_MODALFRAME;
  const HWND window = CreateDialogIndirectParamW(ThisModule(), &sink.dialog, nullptr, SinkProc, 0);
  JournalLine(instance, window ? L"hiddendialog made" : L"hiddendialog not made " + std::to_wstring(GetLastError()));
  return window;
}

void UnregisterBoxClass() { UnregisterClassW(kBoxClassName, ThisModule()); }

}  // namespace kit::standin
