#!/usr/bin/env bash
# Sets up, builds and runs every test of the kit, then prints one summary line:
#   1. installs the missing Debian packages (tools/install_deps.sh)
#   2. builds the three presets: win32 (the deliverable), win64 (run under Wine), host (native)
#   3. native unit tests (host, with AddressSanitizer and UBSan)
#   4. Windows-side unit tests, end-to-end tests and static checks (win64 under wine64; the
#      static checks cover the win32 programs too)
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
start=$(date +%s)

tools/install_deps.sh || { echo "SUMMARY: FAIL (installing packages)"; exit 1; }

for preset in win32 win64 host; do
  echo "=== build $preset"
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
    echo "SUMMARY: FAIL (build $preset)"
    exit 1
  fi
done

status=0
summary=""
run_layer() {  # name, ctest preset
  local name=$1 preset=$2 log
  log=$(mktemp)
  echo "=== tests: $name"
  ctest --preset "$preset" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of' "$log" | tail -n 1)
  [ -n "$line" ] || line="no result (ctest exit $rc)"
  summary+="$name: $line; "
  [ "$rc" -eq 0 ] || status=1
  rm -f "$log"
}
run_layer native host
run_layer "windows (unit, end-to-end, static)" win64

elapsed=$(( $(date +%s) - start ))
if [ "$status" -eq 0 ]; then verdict=PASS; else verdict=FAIL; fi
echo "SUMMARY: $verdict - ${summary}${elapsed} s"
exit "$status"
