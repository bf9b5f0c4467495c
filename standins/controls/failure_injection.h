// Win32-only. Failures the host's bad-input tests ask a stand-in for, through the environment:
// KIT_CONTROL_FAIL = "<ProgID>:<stage>", several separated by ';'. Only instances of the named
// class fail, so one control of a form can fail while the others behave.
#pragma once

#include <string_view>

namespace kit::standin {

enum class FailureStage {
  Create,    // the class factory refuses the instance (E_OUTOFMEMORY)
  Load,      // loading saved properties or starting new fails (E_FAIL), after journaling
  Activate,  // DoVerb fails (E_FAIL) before anything is shown
  Extent,    // GetExtent answers a negative width, SetExtent fails
  Leak,      // the object keeps one reference of its own and never reaches zero
  NoFace,    // no property-bag persistence: the host must fall back to the stream interface
};

// Pure parsing, for the tests: does `setting` ask `progId` to fail at `stage`?
bool SettingRequests(std::wstring_view setting, std::wstring_view progId, FailureStage stage);
// Reads KIT_CONTROL_FAIL now.
bool FailureRequested(std::wstring_view progId, FailureStage stage);

}  // namespace kit::standin
