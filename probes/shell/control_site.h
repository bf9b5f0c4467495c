// Win32-only. Hosting one ActiveX control of a form description: created by its class
// identifier (with the program's run-time licence key when its class is licensed), handed its
// saved properties, given its extent, activated in place in its container window, UI-activated
// when it takes the focus; closed without saving, its site cleared and released on an orderly
// close.
#pragma once

#include "common/win32.h"
#include "probes/shell/control_failure.h"
#include "probes/shell/form_layout.h"
#include "catalogue/form_model.h"
#include "probes/shell/site_object.h"

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
  // The window that lies in the form (or frame) for it: its own window, or the wrapper around it
  // that some controls make (a reflector). What the form stacks.
  virtual HWND PlacedWindow() const = 0;
  // `twips`: the place its extender reports, when it is not the record's (aligned controls).
  virtual void Place(const PixelRect& rect, const TwipsPlace* twips = nullptr) = 0;
  // Whether the control takes the keyboard focus at all: it has a window, and its class does not
  // say it acts like a label or never UI-activates.
  virtual bool Focusable() const = 0;
  // Its class says it acts like a label: its mnemonic moves the focus to the item after it.
  virtual bool ActsLikeLabel() const = 0;
  // Gives it the focus the way a form does, by UI activation, its window getting it only when
  // the control does not take it itself; false when it refuses or its window passes it on.
  virtual bool TakeFocus() = 0;
  // Its site, which the controls inside it name as their container; null once closed.
  virtual ControlSite* Site() const = 0;
  // The control object itself, for code of the probe that calls it; null once closed. The
  // hosted control keeps the reference.
  virtual IUnknown* Object() const = 0;
  // Orderly close: close without saving, clear the client site, release. Runs once.
  virtual void Close() = 0;
};

// Where a control is created: its window, the form's container, the site of the control it
// lies in (null on the form itself) and the form's font (the ambient one a control asks for).
struct HostPlace {
  HWND parent = nullptr;
  ControlContainer* container = nullptr;
  ControlSite* outerSite = nullptr;
  const LOGFONTW* ambientFont = nullptr;
};

// Creates the control of `item` at `rect` in `place`. On failure returns null with the report's
// code and text in `failure`; nothing of the control is left behind.
std::unique_ptr<HostedControl> CreateHostedControl(const ItemRecord& item, const HostPlace& place,
                                                   const PixelRect& rect, BuildFailure& failure);

}  // namespace kit::shell
