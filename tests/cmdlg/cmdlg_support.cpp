// Win32-only. Shared steps of the dialog probe's tests.
#include "tests/cmdlg/cmdlg_support.h"

#include "common/ansi_text.h"

#include <commdlg.h>
#include <dlgs.h>

#include <fstream>

namespace kit::cmdlg_test {
namespace {


constexpr DWORD kPollMs = 20;
constexpr SIZE_T kRemoteBufferBytes = 4096;

}  // namespace

HRESULT RegisterStandin() { return driver::RegisterServer(driver::BesideMe(L"COMDLG32.OCX")); }
HRESULT UnregisterStandin() { return driver::UnregisterServer(driver::BesideMe(L"COMDLG32.OCX")); }

std::vector<HWND> DialogWindows(DWORD processId) {
  std::vector<HWND> dialogs;
  for (HWND window : driver::TopLevelWindows(processId)) {
    if (driver::ClassName(window) == L"#32770") dialogs.push_back(window);
  }
  return dialogs;
}

HWND WaitForDialog(DWORD processId, DWORD timeoutMs) {
  // Found once it answers messages: its start is over. A start longer than the system's five
  // seconds (an emulated CPU's) has the dialog counted hung, and a look is refused at once until
  // it answers again: looked for again, within the bound.
  HWND found = nullptr;
  driver::WaitUntil(
      [&] {
        const std::vector<HWND> dialogs = DialogWindows(processId);
        found = dialogs.empty() ? nullptr : dialogs.front();
        return found != nullptr && driver::WaitIdle(found);
      },
      timeoutMs);
  return found;
}

bool NoDialogFor(DWORD processId, DWORD quietMs, DWORD timeoutMs) {
  // A dialog seen starts the quiet again: Wine shows a print dialog that ended in its own start
  // (no printer: its notice was answered) for a moment before destroying it, long enough to be
  // seen under an emulated CPU. A dialog that stays, or a message box that follows, never lets
  // the quiet last.
  const ULONGLONG deadline = GetTickCount64() + timeoutMs + quietMs;
  ULONGLONG quietSince = GetTickCount64();
  while (GetTickCount64() < deadline) {
    const ULONGLONG now = GetTickCount64();
    if (!DialogWindows(processId).empty()) {
      quietSince = now;
    } else if (now - quietSince >= quietMs) {
      return true;
    }
    Sleep(kPollMs);
  }
  return false;
}

void CancelDialog(HWND dialog) { PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0); }

void ChooseFile(HWND dialog, const std::wstring& name) {
  // The file name box is a combo box (cmb13) in the dialogs of today, an edit (edt1) in older ones.
  HWND box = GetDlgItem(dialog, cmb13);
  if (!box) box = GetDlgItem(dialog, edt1);
  DWORD_PTR ignored = 0;
  SendMessageTimeoutW(box ? box : dialog, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name.c_str()), SMTO_BLOCK, 5000,
                      &ignored);
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

std::wstring FolderOfDialog(HWND dialog, bool ansi) {
  DWORD processId = 0;
  GetWindowThreadProcessId(dialog, &processId);
  const HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
  if (!process) return L"<cannot open the dialog's process>";
  const UniqueHandleObject owner(process);
  void* remote = VirtualAllocEx(process, nullptr, kRemoteBufferBytes, MEM_COMMIT, PAGE_READWRITE);
  if (!remote) return L"<no buffer in the dialog's process>";
  std::wstring folder = L"<no answer>";
  DWORD_PTR length = 0;
  const WPARAM capacity = ansi ? kRemoteBufferBytes : kRemoteBufferBytes / sizeof(wchar_t);
  if (SendMessageTimeoutW(dialog, CDM_GETFOLDERPATH, capacity, reinterpret_cast<LPARAM>(remote), SMTO_BLOCK, 5000,
                          &length)) {
    std::string bytes(kRemoteBufferBytes, '\0');
    SIZE_T read = 0;
    if (ReadProcessMemory(process, remote, bytes.data(), bytes.size(), &read)) {
      if (ansi) {
        folder = FromAnsi(bytes.c_str());
      } else {
        folder = reinterpret_cast<const wchar_t*>(bytes.data());
      }
    }
  }
  VirtualFreeEx(process, remote, 0, MEM_RELEASE);
  return folder;
}

std::wstring NewStandinJournal(const std::wstring& name) {
  const std::wstring path = driver::BesideMe(name + L".comdlg.journal");
  DeleteFileW(path.c_str());
  SetEnvironmentVariableW(L"KIT_CONTROL_JOURNAL", path.c_str());
  return path;
}

std::vector<std::wstring> ReadLines(const std::wstring& path) {
  std::vector<std::wstring> lines;
  std::ifstream in(driver::Narrow(path));
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(FromAnsi(line));  // the journal is UTF-8; the tests' lines are plain ASCII
  }
  return lines;
}

void SetStandinFailure(const std::wstring& members) {
  SetEnvironmentVariableW(L"KIT_COMDLG_FAIL", members.empty() ? nullptr : members.c_str());
}

int CountOf(const std::vector<std::wstring>& lines, const std::wstring& line) {
  int count = 0;
  for (const std::wstring& l : lines) count += l == line ? 1 : 0;
  return count;
}

std::string Joined(const std::vector<std::wstring>& lines) {
  std::string text;
  for (const std::wstring& line : lines) text += driver::Narrow(line) + "\n";
  return text;
}

}  // namespace kit::cmdlg_test
