// Win32-only. The engineer's actions per kind of program, through the session: every step has its
// own bound, every dialog shown at any step is read and answered by its buttons' ids, and an end
// of the program at any step is read from its exit code.
#include "survey/program_runs.h"

#include "common/ansi_text.h"
#include "common/number_text.h"
#include "survey/control_places.h"
#include "survey/exit_status.h"
#include "common/letter_case.h"
#include "survey/survey_files.h"
#include "common/whole_file.h"
#include "probes/services/common/service_texts.h"
#include "report/verifier_log.h"

#include <algorithm>

namespace kit::survey {
using namespace kit::report;
using catalogue::ProgramKind;
namespace {

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

class Run {
public:
  Run(const catalogue::KitProgram& entry, const RunSettings& settings)
      : m_entry(entry), m_settings(settings), m_session(m_result, settings.bounds, settings.job), m_started(GetTickCount()) {
    m_result.program = std::wstring(entry.name);
    m_result.component = std::wstring(entry.component);
  }

  ProgramResult Go() {
    const std::wstring exe = m_settings.programFolder + L"\\" + m_result.program + L".exe";
    if (GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES) {
      m_result.verdict = Verdict::NotFound;
      m_result.message = L"not beside kit_survey";
      return m_result;
    }
    if (!m_session.Start(exe, m_settings.scratchFolder)) return Finished();
    HWND form = nullptr;
    const Seen first = m_session.WaitAtStart(form);
    if (first.kind != Seen::Dialog && first.kind != Seen::Done) {
      m_session.Unanswered(first, L"at start");
      return Finished();
    }
    switch (m_entry.kind) {
      case ProgramKind::Base: Base(first, form); break;
      case ProgramKind::Verifier: Verifier(first, form); break;
      case ProgramKind::ControlHost: ControlHost(first, form); break;
      case ProgramKind::Service: Service(first, form); break;
      case ProgramKind::NativeLibrary: NativeLibrary(first, form); break;
      case ProgramKind::Dialogs: Dialogs(first, form); break;
      case ProgramKind::Survey: break;  // the survey never runs itself
    }
    if (m_session.Running()) m_session.Close(form);
    return Finished();
  }

private:
  ProgramResult Finished() {
    if (m_result.verdict == Verdict::NotFound) m_session.Broken(L"nothing shown");
    m_result.seconds = (GetTickCount() - m_started) / 1000.0;
    return m_result;
  }

  // At start: a message instead of the form. Noted as the verdict; true when there was one. A
  // licensed control refused for want of a run-time key is no broken component.
  bool MessageInsteadOfForm(const Seen& first, HWND form) {
    if (first.kind != Seen::Dialog) return false;
    if (form) {
      DialogAfterForm(first, L"after Form1 opened");
      return true;
    }
    const std::wstring text = m_session.Answer(first.dialog, L"the message at start");
    m_session.Broken(text);
    if (IsLicenceRefusal(text)) m_result.verdict = Verdict::NeedsLicence;
    // The program ends after its message: what it does then is part of the verdict.
    const Seen after = m_session.WaitAfterAction({}, m_settings.bounds.closeMs);
    if (after.kind == Seen::Dialog) m_session.Answer(after.dialog, L"a further message");
    if (after.kind == Seen::Ended || after.kind == Seen::TimedOut) m_session.Unanswered(after, L"after its message");
    return true;
  }

  // A dialog that came up on its own after Form1 (a component's error box): it breaks the program.
  void DialogAfterForm(const Seen& seen, const std::wstring& when) {
    const std::wstring text = m_session.Answer(seen.dialog, L"a message " + when);
    m_session.Broken(L"a message " + when + L" \"" + seen.dialog.title + L"\": " + text);
  }

  // Once Form1 is up, a moment for what a control does right after it is shown.
  bool SettledWithoutDialog(HWND form) {
    const Seen seen = m_session.WaitForIdle(form);
    if (seen.kind == Seen::Done) return true;
    if (seen.kind == Seen::Dialog) {
      DialogAfterForm(seen, L"after Form1 opened");
    } else {
      m_session.Unanswered(seen, L"after Form1 opened");
    }
    return false;
  }

  void Base(const Seen& first, HWND form) {
    if (MessageInsteadOfForm(first, form)) return;
    m_session.Picture(form, L"Form1");
    m_session.Works(L"a plain program of the kit runs");
  }

  // A component's own message while the verifier checks it: the check goes on once it is answered.
  std::wstring MessageDuringCheck(const Seen& seen) {
    const std::wstring text = m_session.Answer(seen.dialog, L"a message during the check");
    return L"; a message during the check \"" + seen.dialog.title + L"\": " + OneLine(text);
  }

  void Verifier(const Seen& first, HWND form) {
    std::wstring messages;
    if (first.kind == Seen::Dialog && form) {
      messages = MessageDuringCheck(first);
    } else if (MessageInsteadOfForm(first, form)) {
      return;
    }
    // The picture first: every paint rewrites the log, so the log is read once the painting is over.
    m_session.Picture(form, L"the report window");
    const std::wstring log = m_settings.scratchFolder + L"\\" + std::wstring(m_entry.logFile);
    std::string bytes;
    VerifierLog parsed;
    m_session.BeginStep(m_settings.bounds.startMs);
    for (;;) {
      const Seen seen = m_session.WaitInStep(
          [&] {
            bytes = ReadWholeFile(log);
            parsed = ParseVerifierLog(FromAnsi(bytes));
            return parsed.complete;
          });
      if (seen.kind == Seen::Done) break;
      if (seen.kind != Seen::Dialog) return m_session.Unanswered(seen, L"while writing its log");
      messages += MessageDuringCheck(seen);
    }
    for (const VerifierLogRow& row : parsed.rows) m_session.Note(RowText(row));
    if (WriteWholeFile(m_settings.reportFolder + L"\\" + std::wstring(m_entry.logFile), bytes)) {
      m_result.logFile = std::wstring(m_entry.logFile);
    }
    const LocatedCount count = CountLocated(parsed);
    m_session.Works(kit::Decimal(count.located) + L" of " + kit::Decimal(count.rows) + L" located, MDAC " +
                    parsed.mdac + messages);
  }

  void ControlHost(const Seen& first, HWND form) {
    if (MessageInsteadOfForm(first, form)) return;
    if (!SettledWithoutDialog(form)) return;
    const ControlPlaces places = CheckControlPlaces(m_result.program, form);
    m_session.Picture(form, L"Form1");
    // Once more: a box that a control posts for itself as the form is shown can come after the
    // form first answered (a thread answers messages sent to it whenever it waits on another).
    if (!SettledWithoutDialog(form)) return;
    if (places.expected < 0) return m_session.Broken(L"the survey knows no form table for this host");
    std::wstring counted = L"Form1 with " + kit::Decimal(places.placed) + L" of " + kit::Decimal(places.expected) +
                           (places.expected == 1 ? L" control" : L" controls") + L" placed";
    if (places.invisible > 0) counted += L" (" + kit::Decimal(places.invisible) + L" invisible at run time)";
    if (places.missing.empty()) return m_session.Works(counted);
    counted += L"; nothing shown at the place of ";
    for (std::size_t i = 0; i < places.missing.size(); ++i) counted += (i ? L", " : L"") + places.missing[i];
    m_session.Broken(counted);
  }

  // The data provider's prompt: a window of the provider that asks for the connection details,
  // not a message box; only ADO's probe meets one.
  bool IsProviderPrompt(const driver::MessageBoxInfo& dialog) const {
    return m_result.program == L"probe_ado26" && dialog.asksForInput;
  }

  // Presses "test" and reads the answer: the program's own message box (titled with its name).
  void Service(const Seen& first, HWND form) {
    if (MessageInsteadOfForm(first, form)) return;
    m_session.Picture(form, L"Form1");
    const auto test = driver::FindItem(form, L"test");
    if (!test) return m_session.Broken(L"no \"test\" button on Form1");
    m_session.BeginStep(m_settings.bounds.actionMs);
    driver::PushButton(test->window);
    std::wstring prompt;
    std::wstring unexpected;
    for (;;) {
      const Seen seen = m_session.WaitInStep({});
      if (seen.kind != Seen::Dialog) return m_session.Unanswered(seen, L"after \"test\"");
      if (IsProviderPrompt(seen.dialog) && prompt.empty()) {
        prompt = seen.dialog.title;
        m_session.Cancel(seen.dialog, L"the data provider's prompt");
        continue;
      }
      if (seen.dialog.title != m_result.program) {
        // A component's own box during the test: it says what went wrong, whatever the test says.
        const std::wstring text = m_session.Answer(seen.dialog, L"a message during the test");
        unexpected = L"a message during the test \"" + seen.dialog.title + L"\": " + OneLine(text);
        continue;
      }
      const std::wstring text = m_session.Answer(seen.dialog, L"the answer to test");
      if (!unexpected.empty()) return m_session.Broken(unexpected + L"; then: " + text);
      if (!prompt.empty()) {
        // With its prompt cancelled the provider fails the connection as cancelled: the probe's
        // "Test failed" is then the answer of a working ADO. Any other answer is the probe's finding.
        if (text != services::kTestFailed && !StartsWithNoCase(text, services::kTestOk)) {
          return m_session.Broken(L"after the data provider's prompt \"" + prompt + L"\" (cancelled): " + text);
        }
        return m_session.Works(L"ADO works up to the data provider's prompt \"" + prompt + L"\" (cancelled)");
      }
      if (StartsWithNoCase(text, L"Test ok")) return m_session.Works(OneLine(text));
      return m_session.Broken(text);
    }
  }

  void NativeLibrary(const Seen& first, HWND form) {
    std::wstring message;
    if (first.kind == Seen::Dialog) {
      message = m_session.Answer(first.dialog, L"the message at start");
      const Seen shown = m_session.WaitAtStart(form);
      if (shown.kind == Seen::Stopped) return;
      if (shown.kind == Seen::Dialog) m_session.Answer(shown.dialog, L"a further message");
      if (shown.kind != Seen::Done) {
        m_session.Broken(message);
        if (shown.kind != Seen::Dialog) m_session.Unanswered(shown, L"after its message");
        return;
      }
    }
    m_session.Picture(form, L"Form1");
    const auto box = driver::FindItem(form, L"VEL_Intel_Win32");
    const bool ticked = box && box->check == BST_CHECKED;
    m_session.Note(ticked ? L"VEL_Intel_Win32 ticked" : L"VEL_Intel_Win32 not ticked");
    if (!message.empty()) return m_session.Broken(message);
    if (!ticked) return m_session.Broken(L"VEL_Intel_Win32 not ticked");
    m_session.Works(L"VEL_Intel_Win32 ticked, no message");
  }

  // The test buttons in the order the engineer reads the form: column by column, top to bottom.
  static std::vector<driver::Item> TestButtons(HWND form) {
    std::vector<driver::Item> tests;
    for (const driver::Item& item : driver::ListItems(form)) {
      if (_wcsicmp(item.className.c_str(), L"Button") == 0 && item.text.starts_with(L"test")) tests.push_back(item);
    }
    std::sort(tests.begin(), tests.end(), [](const driver::Item& a, const driver::Item& b) {
      return std::pair(a.rect.left, a.rect.top) < std::pair(b.rect.left, b.rect.top);
    });
    return tests;
  }

  // Every test button in turn: the dialog that opened (its title), cancelled, or none. Only a
  // dialog that asks for something (a file, a colour, a printer) counts as opened; a plain message
  // instead (the probe's own, or the system's or a component's box: "install a printer first") is
  // noted, and that dialog did not open.
  void Dialogs(const Seen& first, HWND form) {
    if (MessageInsteadOfForm(first, form)) return;
    m_session.Picture(form, L"Form1");
    const std::vector<driver::Item> tests = TestButtons(form);
    int opened = 0;
    for (const driver::Item& item : tests) {
      const Seen seen = m_session.Push(form, item.window);
      if (seen.kind == Seen::Done) {
        m_session.Note(item.text + L": nothing opened");
        continue;
      }
      if (seen.kind != Seen::Dialog) return m_session.Unanswered(seen, L"after " + Quoted(item.text));
      if (!seen.dialog.asksForInput) {
        const std::wstring text = m_session.Answer(seen.dialog, item.text + L": a message");
        m_session.Note(item.text + L": a message \"" + seen.dialog.title + L"\" instead of the dialog: " + OneLine(text));
        continue;
      }
      ++opened;
      m_session.Note(item.text + L":");
      m_session.Cancel(seen.dialog, item.text + L": " + seen.dialog.title);
    }
    const std::wstring counted =
        kit::Decimal(opened) + L" of " + kit::Decimal(tests.size()) + L" test buttons opened a dialog";
    if (opened == 0) return m_session.Broken(counted);
    m_session.Works(counted);
  }

  const catalogue::KitProgram& m_entry;
  const RunSettings& m_settings;
  ProgramResult m_result;
  ProgramSession m_session;
  DWORD m_started;
};

}  // namespace

ProgramResult RunProgram(const catalogue::KitProgram& program, const RunSettings& settings) {
  return Run(program, settings).Go();
}

}  // namespace kit::survey
