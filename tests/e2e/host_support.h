// Win32-only. What the control-host tests share: putting the stand-in controls into the test
// prefix's registry (or taking them out), the journal the stand-ins write, and the pixel
// rectangle a form record should have on screen.
#pragma once

#include "catalogue/programs.h"
#include "tests/e2e/e2e_support.h"

#include <string>
#include <vector>

namespace kit::e2e {

// The catalogue's control hosts, in its order.
const std::vector<catalogue::KitProgram>& ControlHostPrograms();

// Calls the stand-in's own registration entry (DllRegisterServer / DllUnregisterServer).
HRESULT RegisterStandin(const std::wstring& file);
HRESULT UnregisterStandin(const std::wstring& file);
// Registers a copy of the stand-in from another folder, then deletes the copy: the class is
// registered, its file is gone.
HRESULT RegisterThenRemoveFile(const std::wstring& file);

// A fresh journal for the stand-ins (KIT_CONTROL_JOURNAL); the failure they should fake
// (KIT_CONTROL_FAIL, empty for none).
std::wstring NewControlJournal(const std::wstring& name);
void SetControlFailure(const std::wstring& progIdAndStage);

// The journal lines of one instance, without its name.
std::vector<std::wstring> LinesOf(const std::vector<std::wstring>& journal, const std::wstring& instance);
// The name a control is known by: its record name, with its index for an array member.
std::wstring InstanceName(const shell::ItemRecord& item);
// The journal lines the saved values of a record should give, in order.
std::vector<std::wstring> ExpectedPropertyLines(const shell::ItemRecord& item);
// Where an item should be on screen, relative to Form1's client area, at this screen's
// resolution, for a client area of the given size.
RECT ExpectedRect(shell::FormDescription form, std::size_t record, SIZE client);

// The form table of a host program of the catalogue (empty for another name).
shell::FormDescription FormOf(std::wstring_view program);
// The window of the record named `name` (with its index) of a running host, found where the
// form table puts it; null when nothing lies exactly there.
HWND WindowOf(HWND form, shell::FormDescription description, std::wstring_view name,
              std::optional<std::int16_t> index = {});

std::string JoinLines(const std::vector<std::wstring>& lines);

// A control host started with its stand-in registered, the habits or failures asked of it
// (KIT_CONTROL_FAIL, for this program only) and a fresh journal.
struct Host {
  driver::Program program;
  HWND form = nullptr;
  std::wstring journal;
};
Host StartHost(const wchar_t* name, const wchar_t* file, const std::wstring& failure = L"");

// The stand-in control's window showing `progId`, or null.
const driver::Item* StandinWindow(const std::vector<driver::Item>& items, std::wstring_view progId);

}  // namespace kit::e2e
