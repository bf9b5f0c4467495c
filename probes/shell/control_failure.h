// The report when an ActiveX control of a form cannot be created. It names the component file
// first (what the support engineer looks for), then the control, what precisely failed and the
// system's code.
#pragma once

#include "catalogue/form_model.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kit::shell {

enum class CreationStage : std::uint8_t {
  Create,          // creating the object from its class
  ClientSite,      // giving it its place on the form (its client site)
  LoadProperties,  // handing it its saved properties
  Events,          // connecting the form to the events its class says it raises
  Activate,        // placing it in the window
};

// What the registry says of the control's class, read when creation fails.
struct ClassRegistration {
  bool registered = false;       // HKCR\CLSID\{class} names an in-process server
  std::wstring serverPath{};     // the file it names
  bool serverExists = false;     // that file is there
};

// The file an InprocServer32 value names: surrounding quotes (and anything after the closing one)
// are not part of it.
std::wstring ServerPathFromRegistry(std::wstring_view value);

std::wstring ControlFailureText(const ItemRecord& item, CreationStage stage, std::uint32_t code,
                                std::wstring_view description, const ClassRegistration& registration);

}  // namespace kit::shell
