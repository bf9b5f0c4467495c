// Win32-only. The run shared by the service probes.
#include "probes/services/common/service_probe.h"

#include <ole2.h>

namespace kit::services {

int RunServiceProbe(shell::FormDescription form, void (*releaseReferences)(), const shell::FormHooks& hooks) {
  // Should OLE fail to start, the window still opens: each test then says what its first call met.
  const bool ole = SUCCEEDED(OleInitialize(nullptr));
  const int exitCode = shell::RunProbe(form, hooks);
  if (releaseReferences) releaseReferences();
  if (ole) OleUninitialize();
  return exitCode;
}

}  // namespace kit::services
