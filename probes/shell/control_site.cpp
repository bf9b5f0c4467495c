// Win32-only. Until the control site exists, a form with an ActiveX record cannot be built; the
// failure names the component file like any other failed creation.
#include "probes/shell/control_site.h"

namespace kit::shell {

std::unique_ptr<HostedControl> CreateHostedControl(const ItemRecord&, HWND, const PixelRect&, HRESULT& code) {
  code = E_NOTIMPL;
  return nullptr;
}

}  // namespace kit::shell
