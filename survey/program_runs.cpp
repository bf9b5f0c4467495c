// Win32-only. The engineer's actions per kind of program, through the driver. Every wait is bounded
// by one deadline per program; a program still running when it passes is ended and called hung.
#include "survey/program_runs.h"

#include "common/ansi_text.h"
#include "driver/driver.h"
#include "survey/control_places.h"
#include "survey/window_picture.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>

namespace kit::survey {
namespace {

constexpr wchar_t kFormTitle[] = L"Form1";
constexpr wchar_t kDialogClass[] = L"#32770";
// How long a test button of the dialog probe gets to open its dialog before it counts as none.
constexpr DWORD kDialogWaitMs = 2000;
// What a verifier's log holds when it is complete: its closing data-access line.
constexpr std::wstring_view kMdacLine = L"MDAC,";
constexpr std::wstring_view kUnableToLocate = L"Unable to locate ";

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (towlower(text[i]) != towlower(prefix[i])) return false;
  }
  return true;
}

// A message box's text for the summary's one line: each run of line breaks becomes one space.
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

std::string ReadBytes(const std::wstring& path) {
  std::ifstream file(path.c_str(), std::ios::binary);
  if (!file) return {};
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

std::vector<std::wstring> SplitLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::wistringstream stream(text);
  for (std::wstring line; std::getline(stream, line);) {
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

// What came up first after a start or a click: the form, or a dialog box of the process.
struct Appeared {
  HWND form = nullptr;
  HWND dialog = nullptr;
};

class Run {
public:
  Run(const SurveyedProgram& entry, const RunSettings& settings)
      : m_entry(entry), m_settings(settings), m_deadline(settings.timeoutMs), m_started(GetTickCount()) {
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
    m_program.emplace(driver::Program::Start(exe, L"", m_settings.scratchFolder));
    if (!m_program->Started()) {
      Broken(m_program->Error());
      return m_result;
    }
    const Appeared first = WaitForFormOrDialog();
    switch (m_entry.kind) {
      case ProgramKind::Base: Base(first); break;
      case ProgramKind::Verifier: Verifier(first); break;
      case ProgramKind::ControlHost: ControlHost(first); break;
      case ProgramKind::Service: Service(first); break;
      case ProgramKind::LoadLibrary: LoadLibrary(first); break;
      case ProgramKind::Dialogs: Dialogs(first); break;
    }
    Finish();
    return m_result;
  }

private:
  DWORD Pid() const { return m_program->Id(); }

  void Broken(const std::wstring& message) {
    m_result.verdict = Verdict::Broken;
    m_result.message = OneLine(message);
  }
  void Works(const std::wstring& message) {
    m_result.verdict = Verdict::Works;
    m_result.message = message;
  }
  void Note(const std::wstring& text) { m_result.texts.push_back(text); }
  void Picture(HWND window, const std::wstring& caption) {
    if (auto picture = TakePicture(window, caption)) m_result.pictures.push_back(std::move(*picture));
  }

  Appeared WaitForFormOrDialog(HWND except = nullptr, DWORD boundMs = INFINITE) {
    const driver::Deadline bound(boundMs == INFINITE ? m_deadline.Left() : std::min(boundMs, m_deadline.Left()));
    do {
      for (HWND window : driver::TopLevelWindows(Pid())) {
        if (window == except) continue;
        // A dialog is read once it has finished starting (its title and texts set).
        if (driver::ClassName(window) == kDialogClass && driver::WaitIdle(window, bound.Left())) return {nullptr, window};
        if (driver::WindowText(window) == kFormTitle && driver::WaitIdle(window, bound.Left())) return {window, nullptr};
      }
      if (!m_program->Running()) return {};
      Sleep(20);
    } while (!bound.Passed() && !m_deadline.Passed());
    return {};
  }

  // A message box of the program: its exact text noted and pictured, then answered with OK.
  std::wstring AnswerMessage(HWND dialog, const std::wstring& caption) {
    driver::MessageBoxInfo box = Describe(dialog);
    Note(L"message \"" + box.title + L"\": " + box.text);
    Picture(dialog, caption);
    driver::PressOk(box);
    driver::WaitUntil([&] { return !IsWindow(dialog); }, std::min<DWORD>(5000, m_deadline.Left()));
    return box.text;
  }

  static driver::MessageBoxInfo Describe(HWND dialog) {
    driver::MessageBoxInfo box;
    box.window = dialog;
    box.title = driver::WindowText(dialog);
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      const std::wstring cls = driver::ClassName(child);
      const std::wstring text = driver::WindowText(child);
      if (_wcsicmp(cls.c_str(), L"Button") == 0) box.buttons.push_back(text);
      else if (_wcsicmp(cls.c_str(), L"Static") == 0 && !text.empty()) box.text += (box.text.empty() ? L"" : L"\n") + text;
    }
    return box;
  }

  // Cancels a dialog that is not the program's own message: its Cancel button, else its close box.
  void CancelDialog(HWND dialog) {
    bool pressed = false;
    for (HWND child = GetWindow(dialog, GW_CHILD); child && !pressed; child = GetWindow(child, GW_HWNDNEXT)) {
      std::wstring text = driver::WindowText(child);
      std::erase(text, L'&');
      if (_wcsicmp(driver::ClassName(child).c_str(), L"Button") == 0 && text == L"Cancel") {
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), reinterpret_cast<LPARAM>(child));
        pressed = true;
      }
    }
    if (!pressed) PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    if (!driver::WaitUntil([&] { return !IsWindow(dialog); }, std::min<DWORD>(3000, m_deadline.Left()))) {
      PostMessageW(dialog, WM_CLOSE, 0, 0);
      driver::WaitUntil([&] { return !IsWindow(dialog); }, std::min<DWORD>(3000, m_deadline.Left()));
    }
  }

  // Nothing came up at start: a program that ended, or one that is still busy (hung, decided at
  // the end).
  void NothingShown() {
    DWORD code = 0;
    if (!m_program->Running() && m_program->WaitForExit(0, &code)) {
      Broken(L"ended without a window (exit code " + std::to_wstring(code) + L")");
    }
  }

  // At start: a message instead of the form. Noted as the verdict; true when there was one.
  bool MessageInsteadOfForm(const Appeared& first) {
    if (!first.dialog) return false;
    Broken(AnswerMessage(first.dialog, L"the message at start"));
    return true;
  }

  void Base(const Appeared& first) {
    if (MessageInsteadOfForm(first)) return;
    if (!first.form) return NothingShown();
    Picture(first.form, L"Form1");
    Works(L"a plain program of the kit runs");
  }

  void Verifier(const Appeared& first) {
    if (MessageInsteadOfForm(first)) return;
    if (!first.form) return NothingShown();
    // The picture first: every paint rewrites the log, so the log is read once the painting is over.
    Picture(first.form, L"the report window");
    const std::wstring log = m_settings.scratchFolder + L"\\" + std::wstring(m_entry.logFile);
    std::string bytes;
    std::vector<std::wstring> lines;
    const bool complete = driver::WaitUntil(
        [&] {
          bytes = ReadBytes(log);
          lines = SplitLines(FromAnsi(bytes));
          return !lines.empty() && lines.back().starts_with(kMdacLine);
        },
        m_deadline.Left());
    if (!complete) {
      if (m_deadline.Passed()) return;  // hung, decided at the end
      return Broken(L"the log " + std::wstring(m_entry.logFile) + L" was not completed");
    }
    for (const std::wstring& line : lines) Note(line);
    int rows = 0, located = 0;
    bool inRows = false;
    for (const std::wstring& line : lines) {
      if (line.starts_with(L"File,")) {
        inRows = true;
      } else if (inRows && !line.empty() && !line.starts_with(kMdacLine)) {
        ++rows;
        if (!line.starts_with(kUnableToLocate)) ++located;
      }
    }
    std::ofstream copy((m_settings.reportFolder + L"\\" + std::wstring(m_entry.logFile)).c_str(), std::ios::binary);
    if (copy.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) m_result.logFile = std::wstring(m_entry.logFile);
    std::wstring mdac = lines.back().substr(kMdacLine.size());
    Works(std::to_wstring(located) + L" of " + std::to_wstring(rows) + L" located, MDAC " + mdac);
  }

  void ControlHost(const Appeared& first) {
    if (MessageInsteadOfForm(first)) return;
    if (!first.form) return NothingShown();
    const ControlPlaces places = CheckControlPlaces(m_result.program, first.form);
    Picture(first.form, L"Form1");
    if (places.expected < 0) return Broken(L"the survey knows no form table for this host");
    std::wstring counted = L"Form1 with " + std::to_wstring(places.placed) + L" of " + std::to_wstring(places.expected) +
                           (places.expected == 1 ? L" control" : L" controls") + L" placed";
    if (places.invisible > 0) counted += L" (" + std::to_wstring(places.invisible) + L" invisible at run time)";
    if (places.missing.empty()) return Works(counted);
    counted += L"; nothing shown at the place of ";
    for (std::size_t i = 0; i < places.missing.size(); ++i) counted += (i ? L", " : L"") + places.missing[i];
    Broken(counted);
  }

  // Presses "test" and reads the answer. A dialog that is not the program's message (titled with
  // the program's name) is the data provider's prompt: ADO works up to it; it is cancelled.
  void Service(const Appeared& first) {
    if (MessageInsteadOfForm(first)) return;
    if (!first.form) return NothingShown();
    Picture(first.form, L"Form1");
    const auto test = driver::FindItem(first.form, L"test");
    if (!test) return Broken(L"no \"test\" button on Form1");
    driver::Click(test->window);
    Appeared answer = WaitForFormOrDialog(first.form);
    if (!answer.dialog) return;  // hung, decided at the end
    std::wstring prompt;
    if (driver::WindowText(answer.dialog) != m_result.program) {
      prompt = driver::WindowText(answer.dialog);
      Note(L"the data provider's prompt \"" + prompt + L"\" opened; cancelled");
      Picture(answer.dialog, L"the data provider's prompt");
      CancelDialog(answer.dialog);
      answer = WaitForFormOrDialog(first.form, 5000);
    }
    const std::wstring text = answer.dialog ? AnswerMessage(answer.dialog, L"the answer to test") : L"";
    if (!prompt.empty()) return Works(L"ADO works up to the data provider's prompt \"" + prompt + L"\" (cancelled)");
    if (StartsWithNoCase(text, L"Test ok")) return Works(OneLine(text));
    if (!answer.dialog) return;
    Broken(text);
  }

  void LoadLibrary(const Appeared& first) {
    Appeared shown = first;
    std::wstring message;
    if (shown.dialog) {
      message = AnswerMessage(shown.dialog, L"the message at start");
      shown = WaitForFormOrDialog();
    }
    if (!shown.form) {
      if (!message.empty()) Broken(message);
      return NothingShown();
    }
    Picture(shown.form, L"Form1");
    const auto box = driver::FindItem(shown.form, L"VEL_Intel_Win32");
    const bool ticked = box && box->check == BST_CHECKED;
    Note(ticked ? L"VEL_Intel_Win32 ticked" : L"VEL_Intel_Win32 not ticked");
    if (!message.empty()) return Broken(message);
    if (!ticked) return Broken(L"VEL_Intel_Win32 not ticked");
    Works(L"VEL_Intel_Win32 ticked, no message");
  }

  // Every test button in turn: the dialog that opened (its title), cancelled, or none.
  void Dialogs(const Appeared& first) {
    if (MessageInsteadOfForm(first)) return;
    if (!first.form) return NothingShown();
    Picture(first.form, L"Form1");
    std::vector<driver::Item> tests;
    for (const driver::Item& item : driver::ListItems(first.form)) {
      if (_wcsicmp(item.className.c_str(), L"Button") == 0 && item.text.starts_with(L"test")) tests.push_back(item);
    }
    // In the order the engineer reads the form: column by column, top to bottom.
    std::sort(tests.begin(), tests.end(), [](const driver::Item& a, const driver::Item& b) {
      return std::pair(a.rect.left, a.rect.top) < std::pair(b.rect.left, b.rect.top);
    });
    int buttons = 0, opened = 0;
    for (const driver::Item& item : tests) {
      ++buttons;
      driver::Click(item.window);
      const Appeared dialog = WaitForFormOrDialog(first.form, kDialogWaitMs);
      if (!dialog.dialog) {
        if (m_deadline.Passed()) return;
        Note(item.text + L": nothing opened");
        continue;
      }
      ++opened;
      const std::wstring title = driver::WindowText(dialog.dialog);
      Note(item.text + L": \"" + title + L"\" opened; cancelled");
      Picture(dialog.dialog, item.text + L": " + title);
      CancelDialog(dialog.dialog);
    }
    const std::wstring counted = std::to_wstring(opened) + L" of " + std::to_wstring(buttons) + L" test buttons opened a dialog";
    if (opened == 0) return Broken(counted);
    Works(counted);
  }

  // Closes the form by its close box and checks that the program ends; a program still running at
  // the deadline is ended and called hung.
  void Finish() {
    if (m_program->Running()) {
      for (HWND window : driver::TopLevelWindows(Pid())) {
        if (driver::WindowText(window) == kFormTitle) driver::CloseWithCloseBox(window);
      }
      DWORD code = 0;
      if (!m_program->WaitForExit(m_deadline.Left(), &code) && m_program->Running()) {
        m_program->Kill();
        m_result.verdict = Verdict::Hung;
        m_result.message = L"hung after " + std::to_wstring(m_settings.timeoutMs / 1000) + L" s";
        Note(m_result.message + L"; ended");
      }
    }
    if (m_result.verdict == Verdict::NotFound) Broken(L"nothing shown");
    m_result.seconds = (GetTickCount() - m_started) / 1000.0;
  }

  const SurveyedProgram& m_entry;
  const RunSettings& m_settings;
  driver::Deadline m_deadline;
  DWORD m_started;
  std::optional<driver::Program> m_program;
  ProgramResult m_result;
};

}  // namespace

ProgramResult RunProgram(const SurveyedProgram& program, const RunSettings& settings) {
  return Run(program, settings).Go();
}

}  // namespace kit::survey
