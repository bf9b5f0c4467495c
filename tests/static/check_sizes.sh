#!/usr/bin/env bash
# Static check of the size of every program of the 32-bit build, stripped as shipped: at most
# 72 KB each (the probes carry a full form container for old controls: extenders that act,
# events, mnemonics), kit_survey at most 288 KB (it carries the report's page, its PNG encoder, the
# diagnosis and the watching of every window a program's job shows), kit_fleet as much (zlib's
# inflate, the merge and the fleet's page; it reaches the disk through the system, not through
# std::filesystem, which alone is larger than that). The kit travels by mail and
# on sticks to machines on slow links. Prints every size, and what is over.
#   tests/static/check_sizes.sh WIN32_BUILD_DIR
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/build_folder.sh"
build=$1
open_build "$build" || exit 1
failures=0
checked=0
total=0
while IFS='|' read -r name _ _ _; do
  exe="$build/bin/$name.exe"
  case "$name" in
    kit_survey | kit_fleet) budget=$((288 * 1024)) ;;
    *) budget=$((72 * 1024)) ;;
  esac
  checked=$((checked + 1))
  if [ ! -f "$exe" ]; then echo "FAIL $exe: missing"; failures=$((failures + 1)); continue; fi
  size=$(stat -c %s "$exe")
  total=$((total + size))
  printf '%-28s %7d bytes (budget %d)\n' "$name.exe" "$size" "$budget"
  if [ "$size" -gt "$budget" ]; then echo "FAIL $exe: $size bytes, over its budget of $budget"; failures=$((failures + 1)); fi
done <"$list"
echo "check_sizes: $checked programs, $total bytes in all, $failures over budget"
[ "$failures" -eq 0 ] && [ "$checked" -gt 0 ]
