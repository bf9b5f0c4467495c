// Win32-only. Start-up of every probe.
#include "probes/shell/probe_main.h"

#include "common/callback_faults.h"
#include "common/fatal_report.h"

#include <ole2.h>

namespace kit::shell {
namespace {

constexpr std::uint32_t kBadDescription = ERROR_INVALID_DATA;

bool HostsControls(FormDescription description) {
  for (const ItemRecord& item : description) {
    if (item.kind == ItemKind::ActiveX) return true;
  }
  return false;
}

}  // namespace

int RunProbe(FormDescription description, const FormHooks& hooks) {
  RaiseCallbackFaults();
  const HandlerKnown known = [](HandlerName name, const void* handlers) {
    return FindHandler(name, *static_cast<const std::span<const NamedHandler>*>(handlers)) != nullptr;
  };
  if (auto problem = CheckForm(description, known, &hooks.handlers)) ReportFatalError(kBadDescription, *problem);
  // Controls live in a single-threaded apartment; a probe without controls never loads OLE.
  const bool ole = HostsControls(description) && SUCCEEDED(OleInitialize(nullptr));
  int exitCode = 0;
  {
    BuildFailure failure;
    std::unique_ptr<Form> form = Form::Build(description, hooks, failure);
    if (!form) ReportFatalText(failure.message);
    if (hooks.onLoad) hooks.onLoad(*form);
    form->Show(SW_SHOWDEFAULT);
    exitCode = form->RunMessageLoop();
  }
  if (ole) OleUninitialize();
  return exitCode;
}

}  // namespace kit::shell
