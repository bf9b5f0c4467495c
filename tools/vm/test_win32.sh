#!/usr/bin/env bash
# The 32-bit layer: the win32 build's selected tests (cmake/win32_layer.cmake) under 32-bit Wine
# inside the test machine. Builds or reuses the guest image, boots it once and runs ctest there;
# prints ctest's output and exits with its status. Build the win32 preset first.
#   tools/vm/test_win32.sh [CTEST ARGS...]      e.g. -R cmdlg_e2e
# Exit 125 with a "vm:" line when the image cannot be built or the guest does not start.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
cd "$root"
[ -f build/win32/CTestTestfile.cmake ] || { echo "vm: the win32 build is missing (cmake --build --preset win32)" >&2; exit 125; }
"$here/image.sh" || { echo "vm: the guest image could not be built" >&2; exit 125; }
# The whole layer within 40 minutes; one test within 15.
exec "$here/run.sh" --timeout 2400 -- "$here/guest/run_tests.sh" --timeout 900 "$@"
