// Win32-only. One program of the kit under the survey's eye, from its start to its end: every
// wait has the bound of its own step (start, each action, the close), sees every dialog the
// program shows (read, pictured, answered by the button's control id) and sees the program end,
// crashed or not. What it sees goes into the program's result as it happens.
#pragma once

#include "common/win32.h"
#include "driver/driver.h"
#include "report/survey_result.h"

#include <functional>
#include <optional>
#include <string>

namespace kit::survey {
using namespace kit::report;

struct StepBounds {
  DWORD startMs = 30000;   // to the first window (--timeout)
  DWORD actionMs = 15000;  // from a click to its answer
  DWORD closeMs = 10000;   // from the close box to the end of the process
};

// What a wait ended on.
struct Seen {
  enum Kind { Done, Dialog, Ended, TimedOut } kind = TimedOut;
  driver::MessageBoxInfo dialog;  // for Dialog: read once it had finished starting
};

class ProgramSession {
public:
  ProgramSession(ProgramResult& result, StepBounds bounds) : m_result(result), m_bounds(bounds) {}

  // Starts the program in `folder`, inside `job` (may be null). False when the file could not be
  // started: the verdict says so with the system's text.
  bool Start(const std::wstring& exe, const std::wstring& folder, HANDLE job);

  // Waits for the form titled "Form1" or a dialog, within the start bound. With a dialog, `form` is
  // Form1 when that was already shown (the dialog came after it), else null.
  Seen WaitAtStart(HWND& form);
  // After an action: waits until `done` holds, a dialog appears or the program ends, within the
  // action bound. `done` is asked again after every poll.
  Seen WaitAfterAction(const std::function<bool()>& done, DWORD boundMs = 0);
  // Once `form` is shown, or after a push: until a dialog appears or the form's thread has handled
  // what was posted to it (the push too) and is idle again with no dialog on its way (Done).
  Seen WaitForIdle(HWND form);
  // Pushes a button of `form` and waits as WaitForIdle: a dialog (the push's answer) or Done.
  Seen Push(HWND form, HWND button);

  // A dialog seen: its title and text noted, pictured as `caption`, answered by control id (OK on a
  // plain message, Cancel on anything else). Returns the text.
  std::wstring Answer(const driver::MessageBoxInfo& dialog, const std::wstring& caption);
  // A dialog that is no plain message (a component's own window): cancelled (Cancel, else its
  // close box), noted and pictured first.
  void Cancel(const driver::MessageBoxInfo& dialog, const std::wstring& caption);

  // Closes Form1 by its close box once it is idle and waits for the end within the close bound;
  // dialogs on their way before the close or shown meanwhile are answered and count against the
  // program. Then decides what is still open: a program that ended badly or did not end is not
  // "works", and the step is named.
  void Close(HWND form);

  // The verdict for a wait that ended without what the step waited for: the program ended (how)
  // or the bound passed (hung), naming `step` ("at start", "after \"test\"", ...).
  void Unanswered(const Seen& seen, const std::wstring& step);

  void Broken(const std::wstring& message);
  void Works(const std::wstring& message);
  void Note(const std::wstring& text) { m_result.texts.push_back(text); }
  void Picture(HWND window, const std::wstring& caption);

  DWORD Pid() const { return m_program ? m_program->Id() : 0; }
  bool Running() const { return m_program && m_program->Running(); }
  const StepBounds& Bounds() const { return m_bounds; }

private:
  Seen Wait(DWORD boundMs, const std::function<bool()>& done);
  // Polls `condition` with the back-off until it holds; false when the program ended or the bound
  // passed first.
  bool Until(const std::function<bool()>& condition, DWORD boundMs);
  bool IdleWithoutDialog(HWND form);
  bool MarkerTaken();
  std::optional<driver::MessageBoxInfo> NewDialog(DWORD boundMs);
  void MessageWhileClosing(const driver::MessageBoxInfo& dialog);
  void EndedAt(const std::wstring& step);
  void HungAt(const std::wstring& step, DWORD boundMs);

  ProgramResult& m_result;
  StepBounds m_bounds;
  std::optional<driver::Program> m_program;
  DWORD m_lastBoundMs = 0;
  HWND m_marked = nullptr;  // the pushed button whose marker the program has not taken yet
};

// One line of a message box's text for the summary: each run of line breaks becomes one space.
std::wstring OneLine(const std::wstring& text);

}  // namespace kit::survey
