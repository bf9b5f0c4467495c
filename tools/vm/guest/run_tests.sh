#!/usr/bin/env bash
# Inside the test machine: runs the win32 build's 32-bit layer with ctest (arguments passed on).
# The build's bin folder is copied to the guest's own disk and mounted over the shared one: Wine
# maps the programs it starts, and through the 9p share a mapped 32-bit program reads zeros for
# its code (it faults on its first instruction). What the tests write beside themselves stays in
# the guest.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
bin="$root/build/win32/bin"
local_bin=/var/tmp/kit-win32-bin
rm -rf "$local_bin"
cp -a "$bin" "$local_bin"
mount --bind "$local_bin" "$bin"
trap 'umount "$bin"' EXIT
cd "$root"
ctest --preset win32 -L vm32 "$@"
