#!/usr/bin/env bash
# Measures kit_survey's own overhead under Wine: its whole run (start to exit, as the engineer
# waits for it) against the sum of the programs' run times (each from its start to its end, as
# the report gives them), over all 29 programs with the stand-ins registered. The survey's own
# time is the difference: its start, the pictures' encoding, the report and scratch folders.
#   tools/bench_survey.sh [runs]     (build win64 first; prints one line per run and the medians)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${1:-3}
report="$root/build/win64/survey/bench"
times=$(mktemp)
trap 'rm -f "$times"' EXIT
results=()
for run in $(seq 1 "$runs"); do
  rm -rf "$report"
  KIT_SURVEY_TIME_FILE="$times" "$root/tools/survey_kit.sh" -- --no-window --report "Z:${report//\//\\}" \
    >/dev/null 2>&1 || true
  line=$(python3 - "$times" "$report/report.html" <<'PY'
import re, sys
start, end = map(float, open(sys.argv[1]).read().split())
programs = sum(float(s) for s in re.findall(r", ran ([0-9.]+) s\.", open(sys.argv[2], encoding="utf-8").read()))
total = end - start
own = total - programs
print(f"{total:.2f} {programs:.2f} {own:.2f} {own / programs:.3f}")
PY
)
  read -r total programs own ratio <<< "$line"
  echo "run $run: survey ${total} s, programs ${programs} s, survey's own ${own} s, overhead ratio ${ratio}"
  results+=("$line")
done
printf '%s\n' "${results[@]}" | python3 -c '
import statistics, sys
rows = [list(map(float, l.split())) for l in sys.stdin if l.strip()]
m = [statistics.median(c) for c in zip(*rows)]
print(f"median of {len(rows)}: survey {m[0]:.2f} s, programs {m[1]:.2f} s, survey own {m[2]:.2f} s, overhead ratio {m[3]:.3f}")'
