// Win32-only. Hosting one ActiveX control of a form description: created by its class
// identifier, handed its saved properties, given its extent, activated in place in its container
// window; closed without saving, its site cleared and released on an orderly close.
#pragma once

#include "common/win32.h"
#include "probes/shell/control_failure.h"
#include "probes/shell/form_layout.h"
#include "probes/shell/form_model.h"

#include <unknwn.h>

#include <memory>

namespace kit::shell {

// Why a form could not be built: the code, and the report's full text.
struct BuildFailure {
  std::uint32_t code = 0;
  std::wstring message{};
};

class HostedControl {
public:
  virtual ~HostedControl() = default;
  // The control's own window: where items it contains go, and its place in the tab order.
  // Null for a control that shows nothing at run time.
  virtual HWND ContainerWindow() const = 0;
  virtual void Place(const PixelRect& rect) = 0;
  // The control object itself, for code of the probe that calls it; null once closed. The
  // hosted control keeps the reference.
  virtual IUnknown* Object() const = 0;
  // Orderly close: close without saving, clear the client site, release. Runs once.
  virtual void Close() = 0;
};

// Creates the control of `item` inside `parent` at `rect`. `ambientFont` is the form's font, the
// one a control asks for as an ambient property. On failure returns null with the report's
// code and text in `failure`; nothing of the control is left behind.
std::unique_ptr<HostedControl> CreateHostedControl(const ItemRecord& item, HWND parent, const PixelRect& rect,
                                                   const LOGFONTW& ambientFont, BuildFailure& failure);

}  // namespace kit::shell
