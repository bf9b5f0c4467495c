// Win32-only. The survey's waits. Under Wine WaitForInputIdle says nothing after the start, so
// "idle" is a window's thread answering a WM_NULL; a window is read once its own thread answers
// (it has finished starting); polling backs off from 2 ms to 10 ms, so a quick program costs the
// survey little and a slow one costs no CPU it needs. Every wait inside a step takes what is left
// of the step's deadline, never a bound of its own, so a step ends within one poll of its bound.
#include "survey/program_session.h"

#include "common/number_text.h"
#include "common/system_error.h"
#include "survey/exit_status.h"
#include "survey/program_job.h"
#include "survey/window_picture.h"

#include <algorithm>

namespace kit::survey {
namespace {

constexpr wchar_t kFormTitle[] = L"Form1";
constexpr DWORD kFirstPollMs = 2;
constexpr DWORD kLongestPollMs = 10;
// How long an answered window gets to go away, and then again after its close box.
constexpr DWORD kDialogGoneMs = 2500;
// How long a hidden dialog new in a step counts as on its way to the screen: a dialog is made
// hidden and shown once its controls are in place; one a control keeps hidden for good (a message
// sink) must not hold the step.
constexpr DWORD kComingMs = 2000;

std::wstring Seconds(DWORD ms) { return kit::Decimal((ms + 500) / 1000) + L" s"; }

bool Contains(const std::vector<DWORD>& ids, DWORD id) { return std::find(ids.begin(), ids.end(), id) != ids.end(); }
bool Contains(const std::vector<HWND>& windows, HWND window) {
  return std::find(windows.begin(), windows.end(), window) != windows.end();
}

BOOL CALLBACK CollectWindow(HWND window, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
  return TRUE;
}

// Every top-level window of the desktop, in z-order.
std::vector<HWND> AllTopLevel() {
  std::vector<HWND> windows;
  EnumWindows(&CollectWindow, reinterpret_cast<LPARAM>(&windows));
  return windows;
}

DWORD ProcessOf(HWND window) {
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  return id;
}

// Windows that come and go with a person's use of a program and ask nothing: menus, drop-down
// lists, tooltips, input-method and shadow windows, the shell's own.
bool Transient(HWND window) {
  static constexpr const wchar_t* kClasses[] = {L"#32768",     L"ComboLBox", L"tooltips_class32", L"IME",
                                                L"MSCTFIME UI", L"SysShadow", L"Shell_TrayWnd",    L"Progman",
                                                L"WorkerW"};
  const std::wstring name = driver::ClassName(window);
  for (const wchar_t* transient : kClasses) {
    if (_wcsicmp(name.c_str(), transient) == 0) return true;
  }
  return false;
}

// A window a person would have to deal with: a dialog of the system's class, or any window with a
// title bar, shown and of some size.
bool Boxlike(HWND window) {
  if (!IsWindowVisible(window) || Transient(window)) return false;
  RECT frame{};
  if (!GetWindowRect(window, &frame) || frame.right <= frame.left || frame.bottom <= frame.top) return false;
  if (driver::ClassName(window) == driver::kDialogClass) return true;
  return (GetWindowLongW(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
}

// A window's title as the system keeps it, asking nothing of the window: a window that does not
// answer has one too.
std::wstring Caption(HWND window) {
  wchar_t title[512] = {};
  const int length = InternalGetWindowText(window, title, static_cast<int>(std::size(title)));
  return std::wstring(title, length > 0 ? static_cast<std::size_t>(length) : 0);
}

// The program file's name of a process, for the note on a window it showed ("WerFault.exe").
std::wstring ProcessName(DWORD id) {
  using QueryName = BOOL(WINAPI*)(HANDLE, DWORD, LPWSTR, PDWORD);
  static const auto query = reinterpret_cast<QueryName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "QueryFullProcessImageNameW")));
  constexpr DWORD kQueryLimited = 0x1000;  // PROCESS_QUERY_LIMITED_INFORMATION (Vista)
  const kit::UniqueHandleObject process(query ? OpenProcess(kQueryLimited, FALSE, id) : nullptr);
  wchar_t path[MAX_PATH * 2] = {};
  DWORD size = static_cast<DWORD>(std::size(path));
  if (!process || !query(process.get(), 0, path, &size)) return L"process " + kit::Decimal(id);
  const std::wstring full(path, size);
  return full.substr(full.find_last_of(L"\\/") + 1);
}

// The processes of the program: those of its job, and the program itself.
std::vector<DWORD> ProgramProcessesOf(HANDLE job, DWORD pid) {
  std::vector<DWORD> ids = JobProcessIds(job);
  if (pid && !Contains(ids, pid)) ids.push_back(pid);
  return ids;
}

}  // namespace

std::wstring OneLine(const std::wstring& text) {
  std::wstring line;
  bool inBreak = false;
  for (wchar_t c : text) {
    const bool isBreak = c == L'\r' || c == L'\n';
    if (isBreak && !inBreak) line += L' ';
    if (!isBreak) line += c;
    inBreak = isBreak;
  }
  return line;
}

bool ProgramSession::Start(const std::wstring& exe, const std::wstring& folder) {
  // What other programs show from now on may be the program's doing: error reporting, an
  // installer's prompt, a help viewer it opened.
  for (HWND window : AllTopLevel()) {
    if (IsWindowVisible(window)) m_onScreenBefore.push_back(window);
  }
  m_program.emplace(driver::Program::Start(exe, L"", folder, m_job));
  if (!m_program->Started()) {
    m_result.verdict = Verdict::CannotStart;
    m_result.message = OneLine(DescribeError(m_program->ErrorCode()) + L" (" +
                               kit::Decimal(m_program->ErrorCode()) + L")");
    Note(m_program->Error());
    return false;
  }
  if (m_job && !m_program->InJob()) {
    m_result.outsideJob = true;
    Note(L"ran outside the survey's job: " + OneLine(DescribeError(m_program->JobError())) + L" (" +
         kit::Decimal(m_program->JobError()) + L")");
  }
  return true;
}

void ProgramSession::Broken(const std::wstring& message) {
  m_result.verdict = Verdict::Broken;
  m_result.message = OneLine(message);
}

void ProgramSession::Works(const std::wstring& message) {
  m_result.verdict = Verdict::Works;
  m_result.message = message;
}

void ProgramSession::Picture(HWND window, const std::wstring& caption) {
  if (auto picture = TakePicture(window, caption)) m_result.pictures.push_back(std::move(*picture));
}

std::vector<DWORD> ProgramSession::ProgramProcesses() const {
  // Outside a job only the program itself is known.
  return ProgramProcessesOf(m_program && m_program->InJob() ? m_job : nullptr, Pid());
}

void ProgramSession::BeginStep(DWORD boundMs) {
  m_step = driver::Deadline(boundMs);
  m_stepMs = boundMs;
  m_answered.clear();
  m_coming.clear();
  m_hiddenBefore.clear();
  const std::vector<DWORD> program = ProgramProcesses();
  for (HWND window : AllTopLevel()) {
    if (!IsWindowVisible(window) && Contains(program, ProcessOf(window)) &&
        driver::ClassName(window) == driver::kDialogClass) {
      m_hiddenBefore.push_back(window);
    }
  }
}

std::optional<driver::MessageBoxInfo> ProgramSession::NewWindow() {
  const std::vector<DWORD> program = ProgramProcesses();
  const DWORD survey = GetCurrentProcessId();
  for (HWND window : AllTopLevel()) {
    if (window == m_form || !Boxlike(window)) continue;
    const DWORD owner = ProcessOf(window);
    const bool ours = Contains(program, owner);
    // Another process's window counts when it came while the program ran.
    if (!ours && (owner == survey || Contains(m_onScreenBefore, window))) continue;
    if (ours && driver::WindowText(window) == kFormTitle) continue;
    if (!driver::WaitIdle(window, m_step.Left())) continue;  // still starting: the next poll reads it
    if (!IsWindowVisible(window)) continue;
    driver::MessageBoxInfo info = driver::ReadDialog(window);
    if (!ours && !Contains(m_otherProcess, window)) {
      m_otherProcess.push_back(window);
      Note(L"a window of another program, " + ProcessName(owner) + L":");
    }
    return info;
  }
  return std::nullopt;
}

bool ProgramSession::Until(const std::function<bool()>& condition, DWORD boundMs) {
  const driver::Deadline bound(boundMs);
  DWORD pollMs = kFirstPollMs;
  while (!condition()) {
    // A last look once the program has ended or the bound has passed: what it showed just before.
    if (bound.Passed() || !Running()) return condition();
    m_program->WaitForExit(std::min(pollMs, bound.Left()));
    pollMs = std::min(pollMs * 2, kLongestPollMs);
  }
  return true;
}

Seen ProgramSession::KeptShowing(const driver::MessageBoxInfo& dialog) {
  const std::wstring kept = L"kept showing \"" + dialog.title + L"\": " + OneLine(dialog.text);
  Note(kept + L"; the program was ended");
  // What was found before stays, unless it was this box already.
  const bool found = m_result.verdict == Verdict::Works || m_result.verdict == Verdict::Broken;
  const std::wstring before =
      found && m_result.message.find(OneLine(dialog.text)) == std::wstring::npos ? m_result.message : L"";
  EndProgram();
  Broken(before.empty() ? kept : kept + L" (before: " + before + L")");
  return {Seen::Stopped, dialog};
}

Seen ProgramSession::Wait(const std::function<bool()>& done) {
  Seen seen;
  const bool met = Until(
      [&] {
        if (auto window = NewWindow()) {
          const auto same = [&](const Answered& answered) {
            return answered.window == window->window || (answered.title == window->title && answered.text == window->text);
          };
          // The same box again within one step: an answer it ignores, or a box that keeps coming
          // back (a nag). Answering it again would never end.
          if (std::any_of(m_answered.begin(), m_answered.end(), same)) {
            seen = KeptShowing(*window);
          } else {
            seen = {Seen::Dialog, std::move(*window)};
          }
          return true;
        }
        seen.kind = Seen::Done;
        return done && done();
      },
      m_step.Left());
  if (met) return seen;
  return {Running() ? Seen::TimedOut : Seen::Ended, {}};
}

Seen ProgramSession::WaitInStep(const std::function<bool()>& done) {
  if (m_givenUp) return {Seen::Stopped, {}};
  return Wait(done);
}

Seen ProgramSession::WaitAtStart(HWND& form) {
  form = nullptr;
  BeginStep(m_bounds.startMs);
  Seen seen = Wait([&] {
    for (HWND window : driver::TopLevelWindows(Pid())) {
      if (driver::WindowText(window) == kFormTitle && driver::WaitIdle(window, m_step.Left())) {
        form = window;
        return true;
      }
    }
    return false;
  });
  if (seen.kind == Seen::Dialog) {
    // A box that came once Form1 was on the screen is no message instead of the form.
    for (HWND window : driver::TopLevelWindows(Pid())) {
      if (driver::WindowText(window) == kFormTitle) form = window;
    }
  }
  if (form) m_form = form;
  return seen;
}

Seen ProgramSession::WaitAfterAction(const std::function<bool()>& done, DWORD boundMs) {
  BeginStep(boundMs ? boundMs : m_bounds.actionMs);
  return WaitInStep(done);
}

bool ProgramSession::MarkerTaken() {
  if (m_marked && driver::MarkerTaken(m_marked, m_step.Left())) m_marked = nullptr;
  return !m_marked;
}

bool ProgramSession::IdleWithoutDialog(HWND form) {
  // After a push the form's thread has returned from its handler or entered a dialog's loop once it
  // has taken the marker behind the push; a round trip alone can be answered from inside the
  // handler. A dialog on its way exists by then, though it may not be shown yet: only when there is
  // none is it idle. A hidden dialog counts as on its way only if it is new in this step, and only
  // for a moment. A disabled form is in a modal state: something on its way (a box of another
  // process it waits for, a box of a class of its own) that the next polls will see.
  if (!MarkerTaken() || !driver::WaitIdle(form, m_step.Left()) || !IsWindowEnabled(form)) return false;
  const DWORD now = GetTickCount();
  const std::vector<DWORD> program = ProgramProcesses();
  for (HWND window : AllTopLevel()) {
    if (window == form || !Contains(program, ProcessOf(window)) || Contains(m_hiddenBefore, window) ||
        driver::ClassName(window) != driver::kDialogClass) {
      continue;
    }
    auto coming = std::find_if(m_coming.begin(), m_coming.end(), [&](const Coming& c) { return c.window == window; });
    if (coming == m_coming.end()) {
      m_coming.push_back({window, now});
      return false;
    }
    if (now - coming->since < kComingMs) return false;
  }
  return true;
}

Seen ProgramSession::WaitForIdle(HWND form) {
  BeginStep(m_bounds.actionMs);
  return WaitInStep([&] { return IdleWithoutDialog(form); });
}

Seen ProgramSession::Push(HWND form, HWND button) {
  BeginStep(m_bounds.actionMs);
  // The marker of an earlier push still queued would read as this one's: it goes first (the dialog
  // it was behind has been answered by now).
  Until([&] { return MarkerTaken(); }, m_step.Left());
  driver::PushButton(button);
  driver::PostMarker(button);
  m_marked = button;
  return WaitInStep([&] { return IdleWithoutDialog(form); });
}

void ProgramSession::Dismissed(const driver::MessageBoxInfo& dialog) {
  m_answered.push_back({dialog.window, dialog.title, dialog.text});
  driver::Dismiss(dialog);
  const auto gone = [&] { return !IsWindow(dialog.window) || !IsWindowVisible(dialog.window); };
  if (Until(gone, std::min(kDialogGoneMs, m_step.Left()))) return;
  // A window of a class of its own may ignore the buttons' ids; its close box is what a person
  // tries next. One that survives that too is seen again by the next wait: kept showing.
  PostMessageW(dialog.window, WM_SYSCOMMAND, SC_CLOSE, 0);
  Until(gone, std::min(kDialogGoneMs, m_step.Left()));
}

void ProgramSession::PictureOnce(const driver::MessageBoxInfo& dialog, const std::wstring& caption) {
  const auto same = [&](const Answered& pictured) { return pictured.title == dialog.title && pictured.text == dialog.text; };
  if (std::any_of(m_pictured.begin(), m_pictured.end(), same)) return;
  m_pictured.push_back({dialog.window, dialog.title, dialog.text});
  Picture(dialog.window, caption);
}

std::wstring ProgramSession::Answer(const driver::MessageBoxInfo& dialog, const std::wstring& caption) {
  Note(L"message \"" + dialog.title + L"\": " + dialog.text);
  PictureOnce(dialog, caption);
  Dismissed(dialog);
  return dialog.text;
}

void ProgramSession::Cancel(const driver::MessageBoxInfo& dialog, const std::wstring& caption) {
  Note(L"\"" + dialog.title + L"\" opened; cancelled");
  Picture(dialog.window, caption);
  Dismissed(dialog);
}

// Every window of the program still on the screen, listed and pictured before it is ended: what a
// person would have seen of a program that stopped answering.
void ProgramSession::PictureOpenWindows() {
  const std::vector<DWORD> program = ProgramProcesses();
  for (HWND window : AllTopLevel()) {
    if (!IsWindowVisible(window) || Transient(window) || !Contains(program, ProcessOf(window))) continue;
    const std::wstring title = Caption(window);
    Note(L"still open: \"" + title + L"\" (" + driver::ClassName(window) + L")");
    Picture(window, L"still open: " + title);
  }
}

void ProgramSession::EndProgram() {
  m_program->Kill();
  m_givenUp = true;
  if (m_program->Running()) Note(L"it could not be ended: still running 5 s after it was told to end");
}

void ProgramSession::EndedAt(const std::wstring& step) {
  DWORD code = 0;
  m_program->WaitForExit(0, &code);
  const std::wstring end = DescribeEnd(code) + L" " + step;
  Note(end);
  // A crash is named whatever was found before it; a plain end counts only where nothing was
  // found yet (a program ends after its failure message, as it should).
  if (IsCrashCode(code)) {
    Broken(m_result.verdict == Verdict::NotFound ? end : end + L" (before: " + m_result.message + L")");
  } else if (m_result.verdict == Verdict::NotFound) {
    Broken(end);
  }
}

void ProgramSession::HungAt(const std::wstring& step, DWORD boundMs) {
  PictureOpenWindows();
  EndProgram();
  const std::wstring hung = L"hung " + step + L", " + Seconds(boundMs);
  Note(hung + L"; ended");
  // What was found before the hang stays in the message.
  if (m_result.verdict == Verdict::Works || m_result.verdict == Verdict::Broken) {
    m_result.message = hung + L" (before: " + m_result.message + L")";
  } else {
    m_result.message = hung;
  }
  m_result.verdict = Verdict::Hung;
}

void ProgramSession::Unanswered(const Seen& seen, const std::wstring& step) {
  if (seen.kind == Seen::Ended) return EndedAt(step);
  if (seen.kind == Seen::TimedOut) return HungAt(step, m_stepMs);
}

void ProgramSession::MessageWhileClosing(const driver::MessageBoxInfo& dialog) {
  const std::wstring said = L"a message while closing: " + OneLine(Answer(dialog, L"a message while closing"));
  Broken(m_result.verdict == Verdict::Broken ? m_result.message + L"; " + said : said);
}

void ProgramSession::Close(HWND form) {
  // A window on its way is answered first: a close under it would end the program, the window unseen.
  if (Running() && form && IsWindow(form)) {
    const Seen before = WaitForIdle(form);
    if (before.kind == Seen::Stopped) return;
    if (before.kind == Seen::Dialog) MessageWhileClosing(before.dialog);
  }
  BeginStep(m_bounds.closeMs);
  if (Running()) {
    if (form && IsWindow(form)) {
      driver::CloseWithCloseBox(form);
    } else {
      for (HWND window : driver::TopLevelWindows(Pid())) {
        if (driver::WindowText(window) == kFormTitle) driver::CloseWithCloseBox(window);
      }
    }
  }
  for (;;) {
    const Seen seen = WaitInStep([] { return false; });
    if (seen.kind == Seen::Stopped) return;
    if (seen.kind == Seen::Dialog) {
      MessageWhileClosing(seen.dialog);
      continue;
    }
    if (seen.kind == Seen::TimedOut) return HungAt(L"while closing", m_bounds.closeMs);
    break;
  }
  DWORD code = 0;
  m_program->WaitForExit(0, &code);
  if (code == 0) return;
  const std::wstring end = DescribeEnd(code) + L" while closing";
  Note(end);
  if (m_result.verdict == Verdict::Broken) {
    m_result.message += L"; " + end;
  } else {
    Broken(end + (m_result.verdict == Verdict::Works ? L" (before: " + m_result.message + L")" : L""));
  }
}

}  // namespace kit::survey
