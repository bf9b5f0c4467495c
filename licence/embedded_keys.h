// Win32-only. The licence keys this build carries (from the key file it was built with; none
// without one).
#pragma once

#include <string>
#include <string_view>

namespace kit::licence {

// The run-time key this build carries for the class `classId` ("{...}", any case); empty when none.
std::wstring EmbeddedLicenceKey(std::wstring_view classId);

}  // namespace kit::licence
