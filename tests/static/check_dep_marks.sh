#!/usr/bin/env bash
# Static check of the data execution prevention mark of every program of a build. A program that
# loads code which is not the kit's (trait "outside-code" in its row) carries no NX_COMPAT mark:
# controls of older generations run code from data memory and crash in a 32-bit process marked
# compatible, where the applications they belong to run unmarked. The others keep the linker's
# mark. Every program keeps DYNAMIC_BASE. Prints each program's characteristics as found.
#   tests/static/check_dep_marks.sh BUILD_DIR...
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/build_folder.sh"
failures=0
checked=0
for build in "$@"; do
  open_build "$build" || { failures=$((failures + 1)); continue; }
  while IFS='|' read -r name _ _ traits; do
    exe="$build/bin/$name.exe"
    checked=$((checked + 1))
    if [ ! -f "$exe" ]; then echo "FAIL $exe: missing"; failures=$((failures + 1)); continue; fi
    # The value line, then one line per flag set, indented, up to the next field.
    found=$("$objdump" -p "$exe" | awk '/^DllCharacteristics/ { print $2; on = 1; next } on && /^[[:space:]]+[A-Z_]+$/ { print $1; next } { on = 0 }' | tr '\n' ' ')
    echo "$exe: DllCharacteristics ${found:-<none>}(traits: ${traits:-none})"
    if [[ " $found " != *" DYNAMIC_BASE "* ]]; then
      echo "FAIL $exe: no DYNAMIC_BASE"; failures=$((failures + 1))
    fi
    if [[ " $traits " == *" outside-code "* ]]; then
      if [[ " $found " == *" NX_COMPAT "* ]]; then echo "FAIL $exe loads outside code but is marked NX_COMPAT"; failures=$((failures + 1)); fi
    elif [[ " $found " != *" NX_COMPAT "* ]]; then
      echo "FAIL $exe loads nothing outside but lacks NX_COMPAT"; failures=$((failures + 1))
    fi
  done <"$list"
done
echo "check_dep_marks: $checked programs checked, $failures failures"
[ "$failures" -eq 0 ] && [ "$checked" -gt 0 ]
