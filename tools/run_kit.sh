#!/usr/bin/env bash
# Sets up and runs the kit's main job on this machine: installs what is missing, builds the
# 32-bit programs (the deliverable) and the 64-bit build, then under Wine on a headless display
# runs both component verifiers in build/kit-run (their logs land there) and probe_base, and
# writes a screenshot of each window to build/screenshots/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
tools/install_deps.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
shots="$root/build/screenshots"
run="$root/build/kit-run"
mkdir -p "$shots" "$run"
tools/screenshot.sh --folder "$run" "$shots/Dravon_DLLVer.png" Dravon_DLLVer.exe
tools/screenshot.sh --folder "$run" "$shots/HalvardDLLVer.png" HalvardDLLVer.exe
tools/screenshot.sh "$shots/probe_base.png" probe_base.exe
echo
echo "The 32-bit programs (the deliverable) are in build/win32/bin."
echo "Under Wine the verifiers wrote their logs to $run:"
for log in "$run/DLLver.log" "$run/Halvard_DLLver.log"; do
  echo "--- $log (first lines)"
  head -n 8 "$log" | tr -d '\r'
done
echo "Their windows and probe_base's: $shots/*.png"
