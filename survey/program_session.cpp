// Win32-only. The survey's waits. Under Wine WaitForInputIdle says nothing after the start, so
// "idle" is a window's thread answering a WM_NULL; a dialog is read once its own thread answers
// (it has finished starting); polling backs off from 2 ms to 10 ms, so a quick program costs the
// survey little and a slow one costs no CPU it needs.
#include "survey/program_session.h"

#include "common/number_text.h"
#include "common/system_error.h"
#include "survey/exit_status.h"
#include "survey/window_picture.h"

#include <algorithm>

namespace kit::survey {
namespace {

constexpr wchar_t kFormTitle[] = L"Form1";
constexpr DWORD kFirstPollMs = 2;
constexpr DWORD kLongestPollMs = 10;
// How long an answered dialog gets to go away before the survey goes on without it.
constexpr DWORD kDialogGoneMs = 5000;

std::wstring Seconds(DWORD ms) { return kit::Decimal((ms + 500) / 1000) + L" s"; }

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

bool ProgramSession::Start(const std::wstring& exe, const std::wstring& folder, HANDLE job) {
  m_program.emplace(driver::Program::Start(exe, L"", folder, job));
  if (m_program->Started()) return true;
  m_result.verdict = Verdict::CannotStart;
  m_result.message = OneLine(DescribeError(m_program->ErrorCode()) + L" (" +
                             kit::Decimal(m_program->ErrorCode()) + L")");
  Note(m_program->Error());
  return false;
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

std::optional<driver::MessageBoxInfo> ProgramSession::NewDialog(DWORD boundMs) {
  for (HWND window : driver::TopLevelWindows(Pid())) {
    if (driver::ClassName(window) != driver::kDialogClass) continue;
    if (!driver::WaitIdle(window, boundMs)) continue;  // still starting: the next poll reads it
    if (IsWindowVisible(window)) return driver::ReadDialog(window);
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

Seen ProgramSession::Wait(DWORD boundMs, const std::function<bool()>& done) {
  m_lastBoundMs = boundMs;
  const driver::Deadline bound(boundMs);
  Seen seen;
  const bool met = Until(
      [&] {
        if (auto dialog = NewDialog(bound.Left())) {
          seen = {Seen::Dialog, std::move(*dialog)};
          return true;
        }
        seen.kind = Seen::Done;
        return done && done();
      },
      boundMs);
  if (met) return seen;
  return {Running() ? Seen::TimedOut : Seen::Ended, {}};
}

Seen ProgramSession::WaitAtStart(HWND& form) {
  form = nullptr;
  Seen seen = Wait(m_bounds.startMs, [&] {
    for (HWND window : driver::TopLevelWindows(Pid())) {
      if (driver::WindowText(window) == kFormTitle && driver::WaitIdle(window, m_bounds.startMs)) {
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
  return seen;
}

Seen ProgramSession::WaitAfterAction(const std::function<bool()>& done, DWORD boundMs) {
  return Wait(boundMs ? boundMs : m_bounds.actionMs, done);
}

bool ProgramSession::MarkerTaken() {
  if (m_marked && driver::MarkerTaken(m_marked, m_bounds.actionMs)) m_marked = nullptr;
  return !m_marked;
}

bool ProgramSession::IdleWithoutDialog(HWND form) {
  // After a push the form's thread has returned from its handler or entered a dialog's loop once it
  // has taken the marker behind the push; a round trip alone can be answered from inside the
  // handler. A dialog on its way exists by then, though it may not be shown yet: only when there is
  // none is it idle.
  if (!MarkerTaken() || !driver::WaitIdle(form, m_bounds.actionMs)) return false;
  for (HWND window : driver::TopLevelWindows(Pid(), false)) {
    if (window != form && driver::ClassName(window) == driver::kDialogClass) return false;
  }
  return true;
}

Seen ProgramSession::WaitForIdle(HWND form) {
  return Wait(m_bounds.actionMs, [&] { return IdleWithoutDialog(form); });
}

Seen ProgramSession::Push(HWND form, HWND button) {
  // The marker of an earlier push still queued would read as this one's: it goes first (the dialog
  // it was behind has been answered by now).
  Until([&] { return MarkerTaken(); }, m_bounds.actionMs);
  driver::PushButton(button);
  driver::PostMarker(button);
  m_marked = button;
  return WaitForIdle(form);
}

std::wstring ProgramSession::Answer(const driver::MessageBoxInfo& dialog, const std::wstring& caption) {
  Note(L"message \"" + dialog.title + L"\": " + dialog.text);
  Picture(dialog.window, caption);
  driver::Dismiss(dialog);
  Until([&] { return !IsWindow(dialog.window); }, kDialogGoneMs);
  return dialog.text;
}

void ProgramSession::Cancel(const driver::MessageBoxInfo& dialog, const std::wstring& caption) {
  Note(L"\"" + dialog.title + L"\" opened; cancelled");
  Picture(dialog.window, caption);
  driver::Dismiss(dialog);
  if (!Until([&] { return !IsWindow(dialog.window); }, kDialogGoneMs)) {
    PostMessageW(dialog.window, WM_SYSCOMMAND, SC_CLOSE, 0);
    Until([&] { return !IsWindow(dialog.window); }, kDialogGoneMs);
  }
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
  m_program->Kill();
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
  if (seen.kind == Seen::TimedOut) return HungAt(step, m_lastBoundMs);
}

void ProgramSession::MessageWhileClosing(const driver::MessageBoxInfo& dialog) {
  const std::wstring said = L"a message while closing: " + OneLine(Answer(dialog, L"a message while closing"));
  Broken(m_result.verdict == Verdict::Broken ? m_result.message + L"; " + said : said);
}

void ProgramSession::Close(HWND form) {
  // A dialog on its way is answered first: a close under it would end the program, the dialog unseen.
  if (Running() && form && IsWindow(form)) {
    const Seen before = WaitForIdle(form);
    if (before.kind == Seen::Dialog) MessageWhileClosing(before.dialog);
  }
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
    const Seen seen = Wait(m_bounds.closeMs, [] { return false; });
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
