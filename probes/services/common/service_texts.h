// The texts the service probes show, and how they pick the description of an error: the
// component's own words when it gives any, else the system's text for the code, else a name
// and the code (never empty). Plain C++: the unit tests run it natively.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kit::services {

inline constexpr std::wstring_view kTestOk = L"Test ok";        // ADO, DAO, scripting runtime
inline constexpr std::wstring_view kTestFailed = L"Test failed";
inline constexpr std::wstring_view kTestOkLibrary = L"Test OK";  // the utility library

// Longest description a message shows; a longer one is cut and ends in "...", so the box
// still fits on the screen and its OK button can be reached.
inline constexpr std::size_t kMaxDescription = 1024;

// The description of a failed step. `componentText` is what the component said (its error
// information or exception text), `systemText` the system's message for `code`; either may be
// empty. Blanks around the text and anything after an embedded NUL are dropped.
std::wstring DescribeStepFailure(std::uint32_t code, std::wstring_view componentText, std::wstring_view systemText);

// "Test failed: " and the description (the DAO probe).
std::wstring FailedWithDescription(std::wstring_view description);

// "Test " step " failed: " description (the utility library probe).
std::wstring StepFailed(std::int32_t step, std::wstring_view description);

// " Loadlib error return for " name " : " and the result in the sign-reserving form: a blank in
// front of a value that is not negative, a minus sign in front of a negative one.
std::wstring LoadLibFailure(std::wstring_view libraryName, std::int64_t result);

// Whether a file found under a name counts as present for the DAO probe: ordinary and
// read-only files do, hidden and system files and folders do not. `attributes` are the
// file-system attribute bits; the three masks are the platform's values.
inline constexpr std::uint32_t kAttributeHidden = 0x2;
inline constexpr std::uint32_t kAttributeSystem = 0x4;
inline constexpr std::uint32_t kAttributeDirectory = 0x10;
constexpr bool CountsAsPlainFile(std::uint32_t attributes) {
  return (attributes & (kAttributeHidden | kAttributeSystem | kAttributeDirectory)) == 0;
}

}  // namespace kit::services
