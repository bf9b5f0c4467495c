// Win32-only. What the service probes' end-to-end tests share: stand-in COM servers registered
// for one test and unregistered after it, Wine's own components registered again, the stand-ins'
// behaviour and journal, scratch folders, and reading the probes' message boxes.
#pragma once

#include "tests/e2e/e2e_support.h"

#include <string>
#include <string_view>
#include <vector>

namespace kit::services_test {

// Calls DllRegisterServer (or DllUnregisterServer) of a library; the HRESULT, or the load error.
HRESULT CallRegistration(const std::wstring& library, bool registering);

// A stand-in COM server of this build (a file beside the test) registered for one scope.
// `restore` names a library of Wine's whose registration takes back what the stand-in took over.
class RegisteredStandIn {
public:
  explicit RegisteredStandIn(std::wstring dll, std::wstring restore = L"");
  RegisteredStandIn(const RegisteredStandIn&) = delete;
  RegisteredStandIn& operator=(const RegisteredStandIn&) = delete;
  ~RegisteredStandIn();
  HRESULT Result() const { return m_result; }

private:
  std::wstring m_path;
  std::wstring m_restore;
  HRESULT m_result = E_FAIL;
};

// Wine's own components, registered as a fresh prefix has them.
std::wstring WineAdoLibrary();
inline constexpr wchar_t kWineScriptingLibrary[] = L"scrrun.dll";

// Sets KIT_STANDIN_MODE for programs started next; empty clears it. Restored at scope end.
class StandInMode {
public:
  explicit StandInMode(const wchar_t* mode);
  ~StandInMode();
};

// An empty folder beside the test program, made afresh.
std::wstring ScratchFolder(const std::wstring& name);
// Reads a stand-in's journal (UTF-8 lines).
std::vector<std::wstring> ReadUtf8Journal(const std::wstring& path);
std::string Lines(const std::vector<std::wstring>& lines);

// Starts a program of the build with `folder` as its current folder and waits for its Form1.
e2e::Started StartIn(const std::wstring& exe, const std::wstring& folder);

// Clicks the item captioned `caption` on `form` and waits for the program's message box.
std::optional<driver::MessageBoxInfo> ClickForMessage(const e2e::Started& started, std::wstring_view caption);
// Checks a probe's message box: the exact text, only an OK button, no icon, the program's name
// as its title; then presses OK and waits until the box is gone.
void ExpectMessageAndAnswer(const std::optional<driver::MessageBoxInfo>& box, std::wstring_view text,
                            std::wstring_view program);

// One item of a form as the user should see it.
struct ExpectedItem {
  std::wstring_view text;
  std::wstring_view className;  // "Button" for buttons and check boxes
  int left, top, width, height;  // twips
  int check = -1;                // BST_* for check boxes
};
// Client size, the items in tab order with their places and captions, the focus on the first.
void ExpectForm(HWND form, int clientWidth, int clientHeight, const std::vector<ExpectedItem>& items);

}  // namespace kit::services_test
