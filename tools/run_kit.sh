#!/usr/bin/env bash
# Sets up and runs the kit's main job on this machine: installs what is missing, builds the
# 32-bit programs (the deliverable) and the 64-bit build, runs the programs under Wine on a
# headless display and writes a screenshot of each window to build/screenshots/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
tools/install_deps.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
shots="$root/build/screenshots"
mkdir -p "$shots"
tools/screenshot.sh "$shots/probe_base.png" probe_base.exe
echo
echo "The 32-bit programs (the deliverable) are in build/win32/bin."
echo "probe_base ran under Wine; see its window: $shots/probe_base.png"
