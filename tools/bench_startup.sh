#!/usr/bin/env bash
# Start-up benchmark under Wine: probe_base against a bare window built the same way, and the
# size of every stripped 32-bit program. Builds what it needs first.
#   tools/bench_startup.sh [runs]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
tools/install_deps.sh >/dev/null
for preset in win64 win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" >/dev/null
done
runs=${1:-15}
tools/wine_harness.sh --build build/win64 -- build/win64/bin/kit_startup_bench.exe "$runs"
# A control host with five controls against probe_base: its stand-in registered first.
tools/wine_harness.sh --build build/win64 -- regsvr32 /s build/win64/bin/MSCOMCTL.OCX
tools/wine_harness.sh --build build/win64 -- build/win64/bin/kit_startup_bench.exe "$runs" probe_mscomctl.exe probe_base.exe
echo "sizes of the stripped 32-bit programs:"
while read -r name; do
  printf '  %-28s %7d bytes\n' "$name.exe" "$(stat -c %s "build/win32/bin/$name.exe")"
done < <(cut -d'|' -f1 build/win32/kit_programs.txt)
