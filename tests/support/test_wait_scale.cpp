// Win32-only. Before main, every test program gives the driver the tests' wait scale, so the
// bounds a test leaves to the driver (its defaults, a window's text) grow on the emulated CPU as
// the bounds the test scales itself do.
#include "tests/support/driver_support.h"

namespace {

const struct ApplyTestWaitScale {
  ApplyTestWaitScale() { kit::driver::SetWaitScale(kit::driver::TestWaitScale()); }
} applyTestWaitScale;

}  // namespace
