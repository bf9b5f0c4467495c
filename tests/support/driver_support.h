// Win32-only. What the tests add to the driver: stand-ins registered in the test prefix, paths
// beside the test program and on Wine's Z: drive, text for test output, and bounds as the test
// machine needs them. kit_survey links the driver without these.
#pragma once

#include "driver/driver.h"

#include <string>
#include <string_view>
#include <vector>

namespace kit::driver {

// KIT_WAIT_SCALE (1 to 10) where the tests run on an emulated CPU (the 32-bit layer's machine sets
// it), else 1; read once. Every test program sets the driver's wait scale to it before main.
DWORD TestWaitScale();
// A bound of `ms` as this machine needs it: times the tests' wait scale.
DWORD Scaled(DWORD ms);

// Loads a COM server (a stand-in) and calls its registration entry, DllRegisterServer or
// DllUnregisterServer; the library is unloaded again.
HRESULT RegisterServer(const std::wstring& library);
HRESULT UnregisterServer(const std::wstring& library);

// The full path of a file in the folder of the running test program (the build's bin folder).
std::wstring BesideMe(std::wstring_view file);
// A Linux path as Wine's Z: drive shows it.
std::wstring FromUnixPath(std::wstring_view path);

// Text for test output: the items of a form, one per line.
std::wstring Describe(const std::vector<Item>& items);
std::string Narrow(std::wstring_view text);

}  // namespace kit::driver
