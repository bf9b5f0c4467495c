// Win32-only. The driver: the ordinary window functions, used from another process.
#include "driver/driver.h"

#include "common/number_text.h"

#include <algorithm>

namespace kit::driver {
namespace {

constexpr DWORD kPollMs = 20;
constexpr DWORD kDefaultWaitMs = 15000;
constexpr DWORD kTextReadMs = 10000;
// A window's text is read whole up to a million characters (a window that claims more is read so
// far), in room for 1,024 at first.
constexpr std::size_t kTextRoom = 1024;
constexpr std::size_t kLongestText = 1 << 20;

// Set before the first wait and only read afterwards (SetWaitScale's contract).
DWORD g_waitScale = 1;

struct FindContext {
  DWORD processId;
  bool visibleOnly;
  std::vector<HWND>* found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM lParam) {
  auto* context = reinterpret_cast<FindContext*>(lParam);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == context->processId && (!context->visibleOnly || IsWindowVisible(window))) {
    context->found->push_back(window);
  }
  return TRUE;
}

void CollectChildren(HWND form, HWND parent, HWND focus, std::vector<Item>& items) {
  for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    Item item;
    item.window = child;
    item.className = ClassName(child);
    item.text = WindowText(child);
    GetWindowRect(child, &item.rect);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&item.rect), 2);
    item.style = GetWindowLongW(child, GWL_STYLE);
    item.visible = IsWindowVisible(child);
    item.enabled = IsWindowEnabled(child);
    item.tabStop = (item.style & WS_TABSTOP) != 0;
    item.focused = child == focus;
    const LONG kind = item.style & BS_TYPEMASK;
    if (_wcsicmp(item.className.c_str(), L"Button") == 0 &&
        (kind == BS_CHECKBOX || kind == BS_AUTOCHECKBOX || kind == BS_3STATE || kind == BS_AUTO3STATE ||
         kind == BS_RADIOBUTTON || kind == BS_AUTORADIOBUTTON)) {
      DWORD_PTR state = 0;
      if (SendMessageTimeoutW(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state)) {
        item.check = static_cast<int>(state);
      }
    }
    items.push_back(item);
    CollectChildren(form, child, focus, items);
  }
}

std::wstring StripAmpersand(std::wstring text) {
  text.erase(std::remove(text.begin(), text.end(), L'&'), text.end());
  return text;
}

LPARAM PointParam(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

}  // namespace

void SetWaitScale(DWORD scale) { g_waitScale = scale ? scale : 1; }

DWORD DefaultWaitMs() { return kDefaultWaitMs * g_waitScale; }

Program Program::Start(const std::wstring& exe, const std::wstring& arguments, const std::wstring& folder,
                       HANDLE job) {
  Program program;
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info{};
  // In a job, the program starts suspended and runs only once it is inside, so nothing it starts
  // can escape the job. It is asked to break away from a job the caller itself runs in (a survey
  // started by a management tool, say): then it can join `job` on systems whose jobs do not nest
  // (before Windows 8). Where the caller's job refuses breakaways, it starts inside the caller's
  // job and joins `job` only where jobs nest.
  DWORD flags = job ? CREATE_SUSPENDED | CREATE_BREAKAWAY_FROM_JOB : 0;
  const auto create = [&] {
    return CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &info);
  };
  bool created = create();
  if (!created && (flags & CREATE_BREAKAWAY_FROM_JOB) && GetLastError() == ERROR_ACCESS_DENIED) {
    flags &= ~CREATE_BREAKAWAY_FROM_JOB;
    created = create();
  }
  // A new process that died while the system started it (seen under load with Wine) fails with an
  // internal error: that says nothing of the program, so it gets one more try.
  if (!created && GetLastError() == ERROR_INTERNAL_ERROR) {
    Sleep(500);
    created = create();
  }
  if (!created) {
    program.m_errorCode = GetLastError();
    program.m_error = L"CreateProcess(" + exe + L") failed with " + kit::Decimal(program.m_errorCode);
    return program;
  }
  if (job) {
    program.m_inJob = AssignProcessToJobObject(job, info.hProcess) != FALSE;
    if (!program.m_inJob) program.m_jobError = GetLastError();
    ResumeThread(info.hThread);
  }
  CloseHandle(info.hThread);
  program.m_process.reset(info.hProcess);
  program.m_id = info.dwProcessId;
  program.m_thread = info.dwThreadId;
  return program;
}

Program::~Program() {
  if (Running()) Kill();
}

bool Program::Running() const { return m_process && WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT; }

void Program::Kill() {
  if (!m_process) return;
  TerminateProcess(m_process.get(), 99);
  WaitForSingleObject(m_process.get(), 5000);
}

HWND Program::WaitForWindow(std::wstring_view title, DWORD timeoutMs, DWORD pollMs) const {
  const Deadline deadline(timeoutMs);
  do {
    for (HWND window : TopLevelWindows(m_id)) {
      if (WindowText(window) == title) {
        if (WaitIdle(window, deadline.Left())) return window;
      }
    }
    if (!Running()) return nullptr;
    Sleep(pollMs);
  } while (!deadline.Passed());
  return nullptr;
}

bool Program::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const {
  if (!m_process) return false;
  if (WaitForSingleObject(m_process.get(), timeoutMs) != WAIT_OBJECT_0) return false;
  if (exitCode) GetExitCodeProcess(m_process.get(), exitCode);
  return true;
}

std::vector<HWND> TopLevelWindows(DWORD processId, bool visibleOnly) {
  std::vector<HWND> found;
  FindContext context{processId, visibleOnly, &found};
  EnumWindows(&CollectTopLevel, reinterpret_cast<LPARAM>(&context));
  return found;
}

std::wstring WindowText(HWND window) {
  // WM_GETTEXT with a bound: a hung program must not hang the caller (the system answers at once
  // for a window it already counts as hung); a busy one gets its time, more on a slower machine.
  // The length first, then the text into room for one more: a text that grew in between fills it
  // and is asked for again, with twice the room (a window that answers no length is read so too),
  // all within the one bound.
  const Deadline deadline(kTextReadMs * g_waitScale);
  std::wstring text;
  for (std::size_t room = kTextRoom;; room *= 2) {
    DWORD_PTR length = 0;
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, deadline.Left(), &length)) return text;
    room = std::min(std::max<std::size_t>(room, length + 2), kLongestText + 1);
    std::wstring read(room, L'\0');
    if (!SendMessageTimeoutW(window, WM_GETTEXT, room, reinterpret_cast<LPARAM>(read.data()), SMTO_ABORTIFHUNG,
                             deadline.Left(), &copied)) {
      return text;
    }
    read.resize(std::min<std::size_t>(copied, room - 1));
    text = std::move(read);
    if (text.size() + 1 < room || room > kLongestText || deadline.Passed()) return text;
  }
}

std::wstring ClassName(HWND window) {
  wchar_t buffer[256] = {};
  const int length = GetClassNameW(window, buffer, static_cast<int>(std::size(buffer)));
  return std::wstring(buffer, length > 0 ? length : 0);
}

SIZE ClientSize(HWND window) {
  RECT client{};
  GetClientRect(window, &client);
  return {client.right - client.left, client.bottom - client.top};
}

HWND FocusedWindow(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

std::vector<Item> ListItems(HWND form) {
  std::vector<Item> items;
  CollectChildren(form, form, FocusedWindow(form), items);
  return items;
}

std::optional<Item> FindItem(HWND form, std::wstring_view text) {
  for (const Item& item : ListItems(form)) {
    if (item.text == text) return item;
  }
  return std::nullopt;
}

bool Answers(HWND window, DWORD timeoutMs) {
  DWORD_PTR result = 0;
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &result) != 0;
}

bool WaitIdle(HWND window, DWORD timeoutMs) {
  // A thread handles sent messages before it takes the next posted one, so each answered WM_NULL
  // lets at least one message posted before it (a key, a click) through. Enough round trips
  // drain what a test posts in one step.
  constexpr int kRoundTrips = 12;
  const Deadline deadline(timeoutMs);
  for (int i = 0; i < kRoundTrips; ++i) {
    if (deadline.Passed() || !Answers(window, deadline.Left())) return false;
  }
  return true;
}

void Click(HWND item) {
  RECT client{};
  GetClientRect(item, &client);
  const int x = client.right / 2;
  const int y = client.bottom / 2;
  PostMessageW(item, WM_MOUSEMOVE, 0, PointParam(x, y));
  PostMessageW(item, WM_LBUTTONDOWN, MK_LBUTTON, PointParam(x, y));
  PostMessageW(item, WM_LBUTTONUP, 0, PointParam(x, y));
}

void PushButton(HWND button) {
  const auto id = static_cast<WORD>(GetDlgCtrlID(button));
  PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void PostMarker(HWND button) { PostMessageW(button, BM_SETSTATE, TRUE, 0); }

bool MarkerTaken(HWND button, DWORD timeoutMs) {
  if (!IsWindow(button)) return true;
  DWORD_PTR state = 0;
  if (!SendMessageTimeoutW(button, BM_GETSTATE, 0, 0, SMTO_ABORTIFHUNG, timeoutMs, &state)) return false;
  if (!(state & BST_PUSHED)) return false;
  SendMessageTimeoutW(button, BM_SETSTATE, FALSE, 0, SMTO_ABORTIFHUNG, timeoutMs, &state);
  return true;
}

void PressKey(HWND anyWindowOfThread, UINT virtualKey) {
  HWND target = FocusedWindow(anyWindowOfThread);
  if (!target) target = anyWindowOfThread;
  const UINT scan = MapVirtualKeyW(virtualKey, 0);
  PostMessageW(target, WM_KEYDOWN, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16));
  if (virtualKey == VK_SPACE) PostMessageW(target, WM_CHAR, L' ', 1 | (static_cast<LPARAM>(scan) << 16));
  PostMessageW(target, WM_KEYUP, virtualKey, 1 | (static_cast<LPARAM>(scan) << 16) | (1u << 30) | (1u << 31));
}

void CloseWithCloseBox(HWND window) { PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0); }

void Resize(HWND window, int width, int height) {
  SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

MessageBoxInfo ReadDialog(HWND dialog) {
  MessageBoxInfo box;
  box.window = dialog;
  box.title = WindowText(dialog);
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    const std::wstring cls = ClassName(child);
    if (_wcsicmp(cls.c_str(), L"Button") == 0) {
      const LONG kind = GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK;
      if (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON) {
        box.buttons.push_back(StripAmpersand(WindowText(child)));
        box.buttonIds.push_back(GetDlgCtrlID(child));
      } else if (kind != BS_GROUPBOX) {
        box.asksForInput = true;  // check boxes and option buttons
      }
    } else if (_wcsicmp(cls.c_str(), L"Static") == 0) {
      const std::wstring text = WindowText(child);
      if (!text.empty()) box.text += (box.text.empty() ? L"" : L"\n") + text;
    } else {
      // Edit fields, lists, combo boxes, tabs, trees; hidden ones too (the fields of a dialog's
      // folded part, as the colour dialog's): a message box has none at all.
      box.asksForInput = true;
    }
  }
  return box;
}

std::optional<MessageBoxInfo> WaitForMessageBox(DWORD processId, DWORD timeoutMs) {
  const Deadline deadline(timeoutMs);
  do {
    for (HWND window : TopLevelWindows(processId)) {
      // Read once it answers: a dialog still starting has not set its texts yet.
      if (ClassName(window) == kDialogClass && WaitIdle(window, deadline.Left())) return ReadDialog(window);
    }
    Sleep(kPollMs);
  } while (!deadline.Passed());
  return std::nullopt;
}

bool PressButton(const MessageBoxInfo& box, int id) {
  for (std::size_t i = 0; i < box.buttonIds.size(); ++i) {
    if (box.buttonIds[i] != id) continue;
    HWND button = GetDlgItem(box.window, id);
    // The dialog hears of the press as from the button itself: a click may miss a button that a
    // slow dialog has not finished laying out.
    PostMessageW(box.window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
    return true;
  }
  return false;
}

bool PressOk(const MessageBoxInfo& box) { return PressButton(box, IDOK); }

int Dismiss(const MessageBoxInfo& box) {
  const bool plainMessage = !box.asksForInput;
  if (plainMessage && box.buttonIds.size() == 1 && PressButton(box, box.buttonIds.front())) return box.buttonIds.front();
  for (int id : {IDCANCEL, IDNO, IDABORT, IDCLOSE, IDOK}) {
    if ((id != IDOK || plainMessage) && PressButton(box, id)) return id;
  }
  PostMessageW(box.window, WM_SYSCOMMAND, SC_CLOSE, 0);
  return IDCLOSE;
}

}  // namespace kit::driver
