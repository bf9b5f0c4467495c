// Win32-only. probe_cmdlg's form and its click handlers. In every handler the first failure ends the
// click quietly and the window stays as it was.
#include "probes/cmdlg/cmdlg_probe.h"

#include "probes/cmdlg/control_calls.h"
#include "probes/cmdlg/file_dialog_win32.h"
#include "probes/shell/probe_main.h"
#include "probes/shell/standard_items.h"

#include <wrl/client.h>

namespace kit::cmdlg {
namespace {
using namespace kit::shell;
using Microsoft::WRL::ComPtr;

// The five control tests: CancelError True, then the Show method; the outcome is not read. One body
// for the five buttons, each of which only names its method.
[[gnu::noinline]] void ShowFromControl(Form& form, DISPID show) {
  IUnknown* control = form.ControlObject(L"CMD");
  ComPtr<IDispatch> dispatch;
  if (!control || FAILED(control->QueryInterface(IID_PPV_ARGS(&dispatch)))) return;
  ShowThroughControl(dispatch.Get(), show);
}

template <DISPID kShow>
void ControlTest(Form& form, const ItemRecord&) {
  ShowFromControl(form, kShow);
}

void DirectOpen(Form&, const ItemRecord&) {
  std::wstring fname;
  std::int32_t ierr = 0;
  open_file_to_read(fname, kDirectFilter, kDirectTitle, ierr);
}

void DirectSave(Form&, const ItemRecord&) {
  std::wstring fname;
  std::int32_t ierr = 0;
  open_file_to_write(fname, L"", kDirectFilter, kDirectTitle, ierr);
}

constexpr ItemRecord TestButton(std::wstring_view name, std::wstring_view caption, std::int32_t left,
                                std::int32_t top, std::int16_t tabIndex, ClickHandler onClick) {
  return {.name = name, .kind = ItemKind::CommandButton, .caption = caption, .left = left, .top = top,
          .width = 1305, .height = 375, .tabIndex = tabIndex, .onClick = onClick};
}

// The control keeps only its extent: 847 x 847 HIMETRIC, which is 480 twips.
constexpr SavedProperty kSaved[] = {
    {L"_ExtentX", std::int32_t{847}},
    {L"_ExtentY", std::int32_t{847}},
};

constexpr ItemRecord kForm[] = {
    FormWindow(3230, 3200),
    CommandDone(1950, 2760, 1065, 315),
    TestButton(L"Command_test", L"test colour", 120, 120, 1, ControlTest<kDispidShowColor>),
    TestButton(L"Command1", L"test file open", 150, 1320, 2, ControlTest<kDispidShowOpen>),
    TestButton(L"Command2", L"test file save", 150, 1920, 3, ControlTest<kDispidShowSave>),
    TestButton(L"Command3", L"test font", 1680, 120, 4, ControlTest<kDispidShowFont>),
    TestButton(L"Command4", L"test printer", 1680, 720, 5, ControlTest<kDispidShowPrinter>),
    TestButton(L"Command5", L"test dll file open", 1680, 1320, 6, DirectOpen),
    TestButton(L"Command6", L"test file save", 1680, 1920, 7, DirectSave),
    {.name = L"CMD", .kind = ItemKind::ActiveX, .control = kCommonDialog, .left = 90, .top = 750, .width = 480,
     .height = 480, .saved = {SavedForm::PropertyBag, kSaved}, .invisibleAtRunTime = true},
};

}  // namespace

FormDescription ProbeForm() { return kForm; }
int Run() { return RunProbe(kForm); }

}  // namespace kit::cmdlg
