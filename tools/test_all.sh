#!/usr/bin/env bash
# Sets up, builds and runs every test of the kit, then prints one summary line:
#   1. installs the missing Debian packages (tools/install_deps.sh)
#   2. builds the four presets: win32 (the deliverable), win64 (run under Wine), host (native,
#      sanitised), linux (kit_fleet alone, native release)
#   3. native unit tests (host, with AddressSanitizer and UBSan)
#   4. Windows-side unit tests, end-to-end tests and static checks (win64 under wine64; the
#      static checks cover the win32 programs too)
#   5. the 32-bit layer: the win32 build's tests under 32-bit Wine in a small virtual machine
#      (tools/vm/test_win32.sh; its image is built on the first run); a guest that cannot start
#      fails the run
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
start=$(date +%s)

tools/install_deps.sh || { echo "SUMMARY: FAIL (installing packages)"; exit 1; }

for preset in win32 win64 host linux; do
  echo "=== build $preset"
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
    echo "SUMMARY: FAIL (build $preset)"
    exit 1
  fi
done

status=0
summary=""
failed=""  # what the failing tests said, repeated at the end where a log's tail shows it
run_layer() {  # name, command...
  local name=$1 log
  shift
  log=$(mktemp)
  echo "=== tests: $name"
  local layer_start=$SECONDS
  "$@" 2>&1 | tee "$log"
  local rc=${PIPESTATUS[0]}
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests? failed out of' "$log" | tail -n 1)
  # No ctest result: the reason the layer could not run (the virtual machine says "vm: ...").
  [ -n "$line" ] || line="no result ($(grep -E '^vm: ' "$log" | tail -n 1 || true) exit $rc)"
  line+=" in $(( SECONDS - layer_start )) s"
  summary+="$name: $line; "
  [ "$rc" -eq 0 ] || status=1
  local said
  said=$(grep -E '^(FAIL |\[  FAILED  \] [^ ]+\.|.*\*\*\*(Failed|Timeout|Exception))' "$log" | head -n 40)
  [ -z "$said" ] || failed+=$(sed "s|^|$name: |" <<<"$said")$'\n'
  rm -f "$log"
}
run_layer native ctest --preset host
run_layer "windows (unit, end-to-end, static)" ctest --preset win64
run_layer "32-bit (in the virtual machine)" tools/vm/test_win32.sh

elapsed=$(( $(date +%s) - start ))
if [ "$status" -eq 0 ]; then verdict=PASS; else verdict=FAIL; fi
[ -z "$failed" ] || printf '=== what failed\n%s' "$failed"
echo "SUMMARY: $verdict - ${summary}${elapsed} s"
exit "$status"
