#!/usr/bin/env bash
# Static check of the sources: no table is a std::array whose element count is written by hand
# beside a list of values. A list one entry short compiles silently (the missing entries are
# zero) and no compiler warns of it; a site's interface table built that way read a null entry
# for every interface it did not name. Tables are plain arrays or std::to_array, counted by the
# compiler. An explicit count with an empty initializer (`{}`) is a buffer, not a table.
#   tests/static/check_counted_tables.sh SOURCE_ROOT
set -uo pipefail
root=${1:?source root}
found=$(grep -rnE --include='*.cpp' --include='*.h' --include='*.c' \
  'std::array<[^;]*,[[:space:]]*[0-9A-Za-z_:]+>[[:space:]]+[A-Za-z_][A-Za-z0-9_]*[[:space:]]*(=[[:space:]]*)?\{[[:space:]]*[^}[:space:]]' \
  "$root/common" "$root/driver" "$root/probes" "$root/standins" "$root/survey" "$root/verifier" "$root/tests")
if [ -n "$found" ]; then
  echo "FAIL tables with a hand-written count (use a plain array or std::to_array):"
  echo "$found"
  exit 1
fi
echo "PASS no table with a hand-written count"
