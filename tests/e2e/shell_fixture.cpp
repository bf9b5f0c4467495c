// A test program built on the probe shell, with more on its form than any one probe has: both
// end buttons, a test button, a check box with a font of its own, a tab order unlike the
// creation order. It journals the close and destroy notifications and the fonts it was given to
// the file named by KIT_JOURNAL, so the end-to-end tests can see what crossed inside.
// Started with "control" it describes a form whose control cannot be created.
#include "common/fatal_report.h"
#include "common/win32.h"
#include "probes/shell/probe_main.h"
#include "catalogue/standard_items.h"

#include <cstdio>
#include <cwchar>
#include <string>

namespace {
using namespace kit::shell;

void Journal(std::wstring_view line) {
  wchar_t path[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"KIT_JOURNAL", path, MAX_PATH) == 0) return;
  FILE* file = _wfopen(path, L"a");
  if (!file) return;
  fwprintf(file, L"%.*ls\n", static_cast<int>(line.size()), line.data());
  fclose(file);
}

void NotifyJournal(std::wstring_view item, std::wstring_view what) {
  Journal(std::wstring(item) + L" " + std::wstring(what));
}

void ShowClicked(Form& form, const ItemRecord&) { kit::ShowMessage(form.Window(), L"clicked"); }
constexpr NamedHandler kHandlers[] = {{L"ShowClicked", ShowClicked}};

void JournalFonts(Form& form) {
  for (std::size_t i = 1; i < form.Description().size(); ++i) {
    HWND item = form.ItemWindow(i);
    auto font = reinterpret_cast<HFONT>(SendMessageW(item, WM_GETFONT, 0, 0));
    LOGFONTW info{};
    if (!font || !GetObjectW(font, sizeof(info), &info)) {
      Journal(L"font " + std::wstring(form.Description()[i].name) + L" none");
      continue;
    }
    Journal(L"font " + std::wstring(form.Description()[i].name) + L" " + info.lfFaceName + L" " +
            std::to_wstring(info.lfHeight) + L" " + std::to_wstring(info.lfWeight));
  }
}

constexpr FontSpec kSansBold{.face = L"MS Sans Serif", .points = 8, .weight = 700};

constexpr ItemRecord kShellForm[] = {
    FormWindow(3000, 2400),
    {.name = L"Command_test", .kind = ItemKind::CommandButton, .caption = L"test", .left = 120, .top = 1200,
     .width = 1065, .height = 375, .tabIndex = 2, .onClick = L"ShowClicked"},
    {.name = L"Check_lib", .kind = ItemKind::CheckBox, .caption = L"lib", .left = 120, .top = 720, .width = 1500,
     .height = 300, .tabIndex = 1, .font = kSansBold},
    CommandOneDone(1500, 1800, 3),
    CommandDone(120, 120),
};

constexpr ItemRecord kControlForm[] = {
    FormWindow(3530, 2360),
    {.name = L"sld_absent", .kind = ItemKind::ActiveX,
     .control = {L"KitAbsent.Slider", L"{6B1D4E30-0000-4A1B-9C2D-00000000AB5E}", L"KITABSENT.OCX"},
     .left = 3000, .top = 690, .width = 630, .height = 795, .tabIndex = 1},
    CommandDone(2370, 1830),
};

// A button naming a handler neither the program nor the shell has.
constexpr ItemRecord kUnknownHandlerForm[] = {
    FormWindow(3000, 2400),
    {.name = L"Command_lost", .kind = ItemKind::CommandButton, .caption = L"lost", .left = 120, .top = 120,
     .width = 1065, .height = 375, .tabIndex = 1, .onClick = L"NoSuchHandler"},
    CommandDone(120, 1200),
};

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
  const FormHooks hooks{.handlers = kHandlers, .notify = NotifyJournal, .onLoad = JournalFonts};
  if (std::wstring_view(commandLine) == L"control") return RunProbe(kControlForm, hooks);
  if (std::wstring_view(commandLine) == L"unknown-handler") return RunProbe(kUnknownHandlerForm, hooks);
  return RunProbe(kShellForm, hooks);
}
