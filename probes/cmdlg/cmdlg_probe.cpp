// Win32-only. probe_cmdlg's click handlers, by the names its form gives them. In every handler the
// first failure ends the click quietly and the window stays as it was.
#include "probes/cmdlg/cmdlg_probe.h"

#include "catalogue/forms/probe_cmdlg.h"
#include "probes/cmdlg/control_calls.h"
#include "probes/cmdlg/file_dialog_win32.h"
#include "probes/shell/probe_main.h"

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

constexpr NamedHandler kHandlers[] = {
    {catalogue::probe_cmdlg::kShowColor, ControlTest<kDispidShowColor>},
    {catalogue::probe_cmdlg::kShowOpen, ControlTest<kDispidShowOpen>},
    {catalogue::probe_cmdlg::kShowSave, ControlTest<kDispidShowSave>},
    {catalogue::probe_cmdlg::kShowFont, ControlTest<kDispidShowFont>},
    {catalogue::probe_cmdlg::kShowPrinter, ControlTest<kDispidShowPrinter>},
    {catalogue::probe_cmdlg::kDirectOpen, DirectOpen},
    {catalogue::probe_cmdlg::kDirectSave, DirectSave},
};

}  // namespace

FormDescription ProbeForm() { return catalogue::probe_cmdlg::kForm; }
int Run() { return RunProbe(catalogue::probe_cmdlg::kForm, {.handlers = kHandlers}); }

}  // namespace kit::cmdlg
