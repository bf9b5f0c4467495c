// Win32-only. The shell's own handlers, the two endings of a probe, and the lookup of a handler
// by the name a form's record gives.
#include "catalogue/standard_items.h"
#include "common/win32.h"
#include "probes/shell/form_window.h"

namespace kit::shell {
namespace {

void EndAtOnce(Form&, const ItemRecord&) {
  // The process ends here: no close or unload notification reaches the window or its controls.
  ExitProcess(0);
}

void CloseForm(Form& form, const ItemRecord&) { form.RequestClose(); }

constexpr NamedHandler kShellHandlers[] = {{kEndAtOnce, EndAtOnce}, {kCloseForm, CloseForm}};

}  // namespace

ClickHandler FindHandler(HandlerName name, std::span<const NamedHandler> programHandlers) {
  for (std::span<const NamedHandler> table : {programHandlers, std::span<const NamedHandler>(kShellHandlers)}) {
    for (const NamedHandler& handler : table) {
      if (handler.name == name) return handler.run;
    }
  }
  return nullptr;
}

}  // namespace kit::shell
