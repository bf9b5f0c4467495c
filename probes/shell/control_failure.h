// The text of the report when an ActiveX control of a form cannot be created: it names the
// component file first, then what failed and the system's code.
#pragma once

#include "probes/shell/form_model.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace kit::shell {

std::wstring ControlFailureText(const ItemRecord& item, std::uint32_t code, std::wstring_view description);

}  // namespace kit::shell
