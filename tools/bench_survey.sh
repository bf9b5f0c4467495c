#!/usr/bin/env bash
# Measures kit_survey's run against its floor under Wine, over all 29 programs with the stand-ins
# registered. The survey's time is its whole run, start to exit, as the engineer waits for it. The
# floor is the sum of the programs' own times, each from its start to its exit, driven directly by
# kit_survey_floor with no waits: the verifiers until their log is complete, "test" answered, the
# dialog probe's dialogs opened and cancelled, each step taken as soon as the program is ready. The
# floor drives each program once, as the survey does (the best of several drives would set a typical
# run against a lucky one). The ratio is what the survey's waits, pictures and report cost on top of
# the programs themselves. The machine's speed drifts by half from minute to minute here: each
# survey is set against the floor runs just before and just after it, the runs' median ratio is the
# result, and beside it the quickest survey against the quickest floor (hiccups only ever add time).
# Under Wine a window cannot print itself into another process: pictures are screen copies, and a
# window larger than the screen (Dravon_DLLVer's on the tests' 1024x768) is copied in parts, each a
# repaint, which for a verifier is a whole run of it. KIT_SCREEN=1280x1024x24 gives a screen that
# holds every window of the kit, as the engineer's does.
#   tools/bench_survey.sh [runs]     (build win64 first; prints one line per run, the medians and the quickest)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
runs=${1:-3}
build="$root/build/win64"
report="$build/survey/bench"
times=$(mktemp)
floor_out=$(mktemp)
trap 'rm -f "$times" "$floor_out"' EXIT
# A floor run, each program driven once as the survey drives it, comes before the first survey and
# after every survey; a survey is set against the mean of the two floors around it, so the machine's
# drift from minute to minute weighs on both sides alike.
floor_run() {
  "$root/tools/survey_kit.sh" --build "$build" --program "$build/bin/kit_survey_floor.exe" -- 2>/dev/null |
    tr -d '\r' >"$floor_out" || true
  floor=$(awk '/^floor:/ { print $2 }' "$floor_out")
  [ -n "$floor" ] || { echo "bench_survey: the floor run printed no sum" >&2; exit 1; }
}
results=()
floor_run
before=$floor
for run in $(seq 1 "$runs"); do
  rm -rf "$report"
  KIT_SURVEY_TIME_FILE="$times" "$root/tools/survey_kit.sh" --build "$build" -- --no-window \
    --report "Z:${report//\//\\}" >/dev/null 2>&1 || true
  survey=$(awk '{ printf "%.3f", $2 - $1 }' "$times")
  floor_run
  around=$(awk -v a="$before" -v b="$floor" 'BEGIN { printf "%.3f", (a + b) / 2 }')
  ratio=$(awk -v s="$survey" -v f="$around" 'BEGIN { printf "%.3f", s / f }')
  echo "run $run (screen ${KIT_SCREEN:-1024x768x24}): survey ${survey} s, floor ${around} s (${before} s before, ${floor} s after), ratio ${ratio}"
  results+=("$survey $around $ratio")
  before=$floor
done
# Where the last run's time went: each program's time in the survey (its report) beside its floor.
echo "last run, seconds per program (survey, floor):"
grep -o '<section id="[^"]*"><h2>[^<]*</h2>' "$report/report.html" | sed 's/<section id="\([^"]*\)".*/\1/' >"$times.names"
grep -o ', ran [0-9.]* s' "$report/report.html" | awk '{ print $3 }' | paste "$times.names" - |
  awk 'NR == FNR { floor[$1] = $2; next } { printf "  %-28s %6.2f %6.2f\n", $1, $2, floor[$1] }' "$floor_out" -
rm -f "$times.names"
printf '%s\n' "${results[@]}" | python3 -c '
import statistics, sys
rows = [list(map(float, l.split())) for l in sys.stdin if l.strip()]
m = [statistics.median(c) for c in zip(*rows)]
print(f"median of {len(rows)}: survey {m[0]:.2f} s, floor {m[1]:.2f} s, ratio {m[2]:.3f}")
q = [min(c) for c in zip(*rows)]
print(f"quickest of {len(rows)}: survey {q[0]:.2f} s, floor {q[1]:.2f} s, ratio {q[0] / q[1]:.3f}")'
