// Win32-only. Hosting one ActiveX control of a form description inside its container window.
#pragma once

#include "common/win32.h"
#include "probes/shell/form_layout.h"
#include "probes/shell/form_model.h"

#include <memory>

namespace kit::shell {

class HostedControl {
public:
  virtual ~HostedControl() = default;
  // The window items contained in this control go into (the control's own window), or null.
  virtual HWND ContainerWindow() const = 0;
  virtual void Place(const PixelRect& rect) = 0;
  // Orderly close: close without saving, clear the client site, release.
  virtual void Close() = 0;
};

// Creates the control of `item` in `parent` at `rect`, handing it its saved properties.
// Returns the failure code in `code` when it cannot be created.
std::unique_ptr<HostedControl> CreateHostedControl(const ItemRecord& item, HWND parent, const PixelRect& rect,
                                                   HRESULT& code);

}  // namespace kit::shell
