// Win32-only. The two endings of a probe.
#include "common/win32.h"
#include "probes/shell/form_window.h"
#include "probes/shell/standard_items.h"

namespace kit::shell {

void EndAtOnce(Form&, const ItemRecord&) {
  // The process ends here: no close or unload notification reaches the window or its controls.
  ExitProcess(0);
}

void CloseForm(Form& form, const ItemRecord&) { form.RequestClose(); }

}  // namespace kit::shell
