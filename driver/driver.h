// Win32-only. Drives a running program of the kit from outside, the way a person would: starts
// it, finds its window, reads what is on it, clicks, types, answers message boxes, closes it and
// waits for it to end. Every wait has a bound; nothing here hangs on a program that misbehaves.
// Shared by kit_survey and the tests, so it keeps to what Windows XP offers, like the programs.
#pragma once

#include "common/owners.h"
#include "common/win32.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kit::driver {

// The waits whose bound the caller does not name (15 s) and the reading of a window's text (10 s)
// take that long times the wait scale: 1 unless a caller on a much slower machine (the tests on an
// emulated CPU) sets it, once, before its first wait. kit_survey keeps 1 and bounds its own steps.
void SetWaitScale(DWORD scale);
// The bound of a wait that names none: 15 s times the wait scale.
DWORD DefaultWaitMs();

// A started program. The destructor ends it if it still runs, so a failed test leaves nothing
// behind.
class Program {
public:
  // Starts `exe` with `arguments` in `folder` (empty: the caller's current folder), inside `job`
  // when one is given (the program and whatever it starts end with the job). On failure the
  // program is not running and Error() says why (ErrorCode() holds the system's code). The
  // caller's error mode is inherited.
  static Program Start(const std::wstring& exe, const std::wstring& arguments = L"",
                       const std::wstring& folder = L"", HANDLE job = nullptr);
  Program(Program&&) = default;
  Program& operator=(Program&&) = default;
  ~Program();

  bool Started() const { return static_cast<bool>(m_process); }
  const std::wstring& Error() const { return m_error; }
  DWORD ErrorCode() const { return m_errorCode; }
  DWORD Id() const { return m_id; }
  HANDLE Handle() const { return m_process.get(); }
  // Whether the program runs inside the job it was started with; when not (the system refused,
  // JobError() says why), it runs outside any job of the caller's and only its own end is certain.
  bool InJob() const { return m_inJob; }
  DWORD JobError() const { return m_jobError; }

  // The program's visible top-level window with this title, once it exists and answers messages;
  // null when none appears within the bound. Looked for every `pollMs` (a benchmark asks for 1).
  HWND WaitForWindow(std::wstring_view title = L"Form1", DWORD timeoutMs = DefaultWaitMs(), DWORD pollMs = 20) const;
  // True when the process ended within the bound; its exit code goes to `exitCode`.
  bool WaitForExit(DWORD timeoutMs = DefaultWaitMs(), DWORD* exitCode = nullptr) const;
  bool Running() const;
  void Kill();

private:
  Program() = default;
  UniqueHandleObject m_process;
  DWORD m_id = 0;
  DWORD m_thread = 0;
  std::wstring m_error;
  DWORD m_errorCode = 0;
  bool m_inJob = false;
  DWORD m_jobError = 0;
};

// One child window of a form, as another program sees it.
struct Item {
  HWND window = nullptr;
  std::wstring className;
  std::wstring text;
  RECT rect{};  // pixels, relative to the top-level window's client area
  bool visible = false;
  bool enabled = false;
  bool tabStop = false;
  bool focused = false;
  int check = -1;  // BST_* for check boxes, -1 for anything else
  LONG style = 0;
};

std::vector<HWND> TopLevelWindows(DWORD processId, bool visibleOnly = true);
std::wstring WindowText(HWND window);
std::wstring ClassName(HWND window);
SIZE ClientSize(HWND window);
// Every descendant of `form`, in z-order per parent, topmost first (a probe's form stacks its
// items in creation order, the last created on top; the tab order is the form's own), parents
// before their children.
std::vector<Item> ListItems(HWND form);
std::optional<Item> FindItem(HWND form, std::wstring_view text);
// The window that has the keyboard focus in `window`'s thread, or null.
HWND FocusedWindow(HWND window);

// Waits until the window's thread has handled everything sent before: Wine's WaitForInputIdle
// reports idle once and stays so, a WM_NULL answered with a bound tells the truth.
bool WaitIdle(HWND window, DWORD timeoutMs = DefaultWaitMs());

// One WM_NULL answered within the bound: the window's thread is between messages, done with the
// one it was handling (a paint, say). Messages posted to it may still wait.
bool Answers(HWND window, DWORD timeoutMs);

// A bound on a wait. GetTickCount wraps after 49 days; the unsigned difference from the start
// stays right across the wrap, which GetTickCount64 (not on XP) would otherwise be needed for.
class Deadline {
public:
  explicit Deadline(DWORD timeoutMs) : m_start(GetTickCount()), m_timeout(timeoutMs) {}
  bool Passed() const { return Elapsed() >= m_timeout; }
  // What is left of the bound, at least 1 ms so that a last wait is still a wait.
  DWORD Left() const { return Passed() ? 1 : m_timeout - Elapsed(); }
  DWORD Elapsed() const { return GetTickCount() - m_start; }

private:
  DWORD m_start;
  DWORD m_timeout;
};

// Polls `condition` until it holds or the bound passes; the last answer is returned. For what
// another process does after a posted key or click, whose handling no round trip can prove.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs = DefaultWaitMs()) {
  const Deadline deadline(timeoutMs);
  while (!condition()) {
    if (deadline.Passed()) return condition();
    Sleep(10);
  }
  return true;
}

// A left click in the middle of `item`, as the mouse gives it.
void Click(HWND item);
// A push button's click as its parent hears it (BN_CLICKED), whatever the button's own handling of
// the mouse: for the survey, which wants the program's answer to the button, not the button's.
// A click by the mouse messages is lost when the button's capture goes between its down and up
// (a window of the program becoming active again as a dialog closes, under Wine).
void PushButton(HWND button);
// A marker behind whatever was posted to the button's thread so far (a push): the thread takes it
// once it has returned from the handlers before it, or runs a message loop of its own (a dialog's,
// which exists by then). Until then the thread may still answer sent messages (a round trip) from
// inside a handler that waits on something, before a dialog on its way exists. The button shows
// pressed while the marker stands; MarkerTaken puts it back.
void PostMarker(HWND button);
// True once the marker has been taken (or the button is gone); false while it is still queued or
// the thread does not answer within the bound.
bool MarkerTaken(HWND button, DWORD timeoutMs);
// A key pressed and released on the window that has the focus in `anyWindowOfThread`'s thread.
void PressKey(HWND anyWindowOfThread, UINT virtualKey);
// The close box (or the system menu's Close).
void CloseWithCloseBox(HWND window);
// Resizes a top-level window to the outer size given, in pixels.
void Resize(HWND window, int width, int height);

// A dialog box as read from outside: its title, its static texts in order, its buttons (captions
// without the accelerator mark, and their control ids), and whether it asks for input (edit
// fields, lists, tabs: a dialog of a component, not a plain message).
struct MessageBoxInfo {
  HWND window = nullptr;
  std::wstring title;
  std::wstring text;
  std::vector<std::wstring> buttons;
  std::vector<int> buttonIds;
  bool asksForInput = false;
};
inline constexpr wchar_t kDialogClass[] = L"#32770";
// The one reader of dialogs, for the survey and the tests alike.
MessageBoxInfo ReadDialog(HWND dialog);
// The first dialog box of the process that appears within the bound.
std::optional<MessageBoxInfo> WaitForMessageBox(DWORD processId, DWORD timeoutMs = DefaultWaitMs());
// Presses the button with control id `id` (IDOK, IDCANCEL, IDNO...): by id, never by caption, so
// it works whatever the system's language. False when the dialog has no such button.
bool PressButton(const MessageBoxInfo& box, int id);
// Presses OK (IDOK); false when the box has none.
bool PressOk(const MessageBoxInfo& box);
// Answers a dialog the way that changes least: OK on a plain message, else Cancel, No, Abort or
// Close (in that order of preference), else the close box. The id pressed, or IDCLOSE.
int Dismiss(const MessageBoxInfo& box);

}  // namespace kit::driver
