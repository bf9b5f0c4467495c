#!/usr/bin/env bash
# The kit's main job on this machine, as the support engineer runs it: installs what is missing,
# builds the 32-bit programs (the deliverable) and the 64-bit build, registers the stand-ins in a
# Wine prefix of the survey's own, and runs kit_survey over all the programs under Wine on a
# headless display. Prints where the report is and its summary rows, and takes a screenshot of the
# report page (headless Chromium). Options after "--" go to kit_survey (e.g. --only probe_base).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
tools/install_deps.sh
for preset in win32 win64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done
[ "${1:-}" = "--" ] && shift
report="$root/build/kit-report"
rm -rf "$report"
status=0
tools/survey_kit.sh -- --no-window --report "Z:${report//\//\\}" "$@" || status=$?
[ -f "$report/report.csv" ] || { echo "run_kit: kit_survey wrote no report (exit code $status)" >&2; exit 1; }

shot="$root/build/screenshots/kit_report.png"
mkdir -p "$(dirname "$shot")"
profile=$(mktemp -d)
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run --disable-background-networking \
  --disable-component-update --disable-sync --user-data-dir="$profile" --hide-scrollbars \
  --window-size=1100,1400 --screenshot="$shot" "file://$report/report.html" >/dev/null 2>&1 || true
rm -rf "$profile"

echo
echo "The 32-bit programs (the deliverable) are in build/win32/bin."
echo "kit_survey ran the 64-bit build under Wine with the test stand-ins registered."
echo "Report: $report/report.html (CSV: $report/report.csv; the verifiers' logs beside them)"
echo "Summary rows:"
python3 -c '
import csv, sys
rows = list(csv.reader(open(sys.argv[1], encoding="utf-8-sig", newline="")))
widths = [max(len(r[i]) for r in rows if len(r) > i) for i in range(3)]  # a last "in progress" line has one field
for r in rows: print("  ".join(c.ljust(w) for c, w in zip(r, widths + [0])).rstrip())
' "$report/report.csv"
[ -f "$shot" ] && echo "Screenshot of the report page: $shot"
echo "Components found broken: $status"
