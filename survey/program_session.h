// Win32-only. One program of the kit under the survey's eye, from its start to its end: each step
// (the start, an action, the close) has one overall deadline whatever its windows do; every window
// the program's job shows, of any class, and every new window of another process while it runs
// (error reporting, an installer's prompt) is read, pictured and answered by its buttons' control
// ids; a box that survives its answer or comes back ends the program; the program's end, crashed
// or not, is seen. What it sees goes into the program's result as it happens.
#pragma once

#include "common/win32.h"
#include "driver/driver.h"
#include "report/survey_result.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace kit::survey {
using namespace kit::report;

struct StepBounds {
  DWORD startMs = 30000;   // to the first window (--timeout)
  DWORD actionMs = 15000;  // from a click to its answer
  DWORD closeMs = 10000;   // from the close box to the end of the process
};

// What a wait ended on. Stopped: the survey ended the program itself (a box that kept coming
// back), and its verdict says so: there is nothing more to do with it.
struct Seen {
  enum Kind { Done, Dialog, Ended, TimedOut, Stopped } kind = TimedOut;
  driver::MessageBoxInfo dialog;  // for Dialog: read once it had finished starting
};

class ProgramSession {
public:
  ProgramSession(ProgramResult& result, StepBounds bounds, HANDLE job)
      : m_result(result), m_bounds(bounds), m_job(job) {}

  // Starts the program in `folder`, inside the session's job (may be null). False when the file
  // could not be started: the verdict says so with the system's text.
  bool Start(const std::wstring& exe, const std::wstring& folder);

  // A new step: from now on every wait and answer shares this one deadline.
  void BeginStep(DWORD boundMs);

  // Begins the start step; waits for the form titled "Form1" or a window. With a window, `form` is
  // Form1 when that was already shown (the window came after it), else null.
  Seen WaitAtStart(HWND& form);
  // Within the current step: waits until `done` holds, a window appears or the program ends.
  // `done` is asked again after every poll.
  Seen WaitInStep(const std::function<bool()>& done);
  // Begins a step of `boundMs` (0: the action bound) and waits as WaitInStep.
  Seen WaitAfterAction(const std::function<bool()>& done, DWORD boundMs = 0);
  // Begins an action step: until a window appears or the form's thread has handled what was posted
  // to it (a push too) and is idle again with no dialog on its way (Done).
  Seen WaitForIdle(HWND form);
  // Pushes a button of `form` and waits as WaitForIdle, in a step of its own.
  Seen Push(HWND form, HWND button);

  // A window seen: its title and text noted, pictured as `caption`, answered by control id (OK on a
  // plain message, Cancel on anything else, its close box last). Returns the text.
  std::wstring Answer(const driver::MessageBoxInfo& dialog, const std::wstring& caption);
  // A window that is no plain message (a component's own dialog): cancelled, noted and pictured first.
  void Cancel(const driver::MessageBoxInfo& dialog, const std::wstring& caption);

  // Closes Form1 by its close box once it is idle and waits for the end within the close bound;
  // windows on their way before the close or shown meanwhile are answered and count against the
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
  // False once the program has ended, or once the survey has ended it (even if the system did not
  // let it go: nothing more is asked of it).
  bool Running() const { return m_program && !m_givenUp && m_program->Running(); }
  const StepBounds& Bounds() const { return m_bounds; }

private:
  // A window answered in this step: a window still there, or one of the same title and text, is
  // the same box back.
  struct Answered {
    HWND window;
    std::wstring title;
    std::wstring text;
  };
  // A hidden dialog that was not there when the step began, and when the survey first saw it.
  struct Coming {
    HWND window;
    DWORD since;
  };

  Seen Wait(const std::function<bool()>& done);
  // Polls `condition` with the back-off until it holds; false when the program ended or the bound
  // passed first.
  bool Until(const std::function<bool()>& condition, DWORD boundMs);
  bool IdleWithoutDialog(HWND form);
  bool MarkerTaken();
  std::vector<DWORD> ProgramProcesses() const;
  std::optional<driver::MessageBoxInfo> NewWindow();
  void Dismissed(const driver::MessageBoxInfo& dialog);
  // A box that comes again (in another step) is pictured the first time only.
  void PictureOnce(const driver::MessageBoxInfo& dialog, const std::wstring& caption);
  Seen KeptShowing(const driver::MessageBoxInfo& dialog);
  void PictureOpenWindows();
  void EndProgram();
  void MessageWhileClosing(const driver::MessageBoxInfo& dialog);
  void EndedAt(const std::wstring& step);
  void HungAt(const std::wstring& step, DWORD boundMs);

  ProgramResult& m_result;
  StepBounds m_bounds;
  HANDLE m_job;
  std::optional<driver::Program> m_program;
  bool m_givenUp = false;
  HWND m_form = nullptr;
  HWND m_marked = nullptr;  // the pushed button whose marker the program has not taken yet
  // The current step.
  driver::Deadline m_step{0};
  DWORD m_stepMs = 0;
  std::vector<HWND> m_onScreenBefore;  // every visible top-level window when the program started
  std::vector<HWND> m_hiddenBefore;    // the program's hidden dialogs when the step began
  std::vector<Coming> m_coming;
  std::vector<Answered> m_answered;
  std::vector<Answered> m_pictured;    // every box pictured while the program ran
  std::vector<HWND> m_otherProcess;    // windows answered that another process showed
};

// One line of a message box's text for the summary: each run of line breaks becomes one space.
std::wstring OneLine(const std::wstring& text);

}  // namespace kit::survey
