// Win32-only. The run shared by the service probes.
#include "probes/services/common/service_probe.h"

#include "probes/services/common/com_calls.h"

namespace kit::services {

int RunServiceProbe(shell::FormDescription form, void (*releaseReferences)(), const shell::FormHooks& hooks) {
  const int exitCode = shell::RunProbe(form, hooks);
  if (releaseReferences) releaseReferences();
  LeaveComApartment();
  return exitCode;
}

}  // namespace kit::services
