// probe_cmdlg: seven test buttons and "done". Five show a common dialog through the invisible
// common-dialog control `CMD`, two open and save directly through the system's library.
#pragma once

#include "catalogue/classes.h"
#include "catalogue/standard_items.h"

namespace kit::catalogue::probe_cmdlg {
using namespace kit::shell;

// The handlers the program hands the shell, one per test button.
inline constexpr HandlerName kShowColor = L"ShowColor";
inline constexpr HandlerName kShowOpen = L"ShowOpen";
inline constexpr HandlerName kShowSave = L"ShowSave";
inline constexpr HandlerName kShowFont = L"ShowFont";
inline constexpr HandlerName kShowPrinter = L"ShowPrinter";
inline constexpr HandlerName kDirectOpen = L"DirectOpen";
inline constexpr HandlerName kDirectSave = L"DirectSave";

constexpr ItemRecord TestButton(std::wstring_view name, std::wstring_view caption, std::int32_t left,
                                std::int32_t top, std::int16_t tabIndex, HandlerName onClick) {
  return {.name = name, .kind = ItemKind::CommandButton, .caption = caption, .left = left, .top = top,
          .width = 1305, .height = 375, .tabIndex = tabIndex, .onClick = onClick};
}

// The control keeps only its extent: 847 x 847 HIMETRIC, which is 480 twips.
inline constexpr SavedProperty kSaved[] = {
    {L"_ExtentX", std::int32_t{847}},
    {L"_ExtentY", std::int32_t{847}},
};

inline constexpr ItemRecord kForm[] = {
    FormWindow(3230, 3200),
    CommandDone(1950, 2760, 1065, 315),
    TestButton(L"Command_test", L"test colour", 120, 120, 1, kShowColor),
    TestButton(L"Command1", L"test file open", 150, 1320, 2, kShowOpen),
    TestButton(L"Command2", L"test file save", 150, 1920, 3, kShowSave),
    TestButton(L"Command3", L"test font", 1680, 120, 4, kShowFont),
    TestButton(L"Command4", L"test printer", 1680, 720, 5, kShowPrinter),
    TestButton(L"Command5", L"test dll file open", 1680, 1320, 6, kDirectOpen),
    TestButton(L"Command6", L"test file save", 1680, 1920, 7, kDirectSave),
    {.name = L"CMD", .kind = ItemKind::ActiveX, .control = kCommonDialog, .left = 90, .top = 750, .width = 480,
     .height = 480, .saved = {SavedForm::PropertyBag, kSaved}, .invisibleAtRunTime = true},
};

}  // namespace kit::catalogue::probe_cmdlg
