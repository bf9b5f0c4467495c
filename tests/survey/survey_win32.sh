#!/usr/bin/env bash
# The shipped build surveys itself: kit_survey (i686) over the i686 kit under 32-bit Wine, in the
# test machine, with the stand-ins registered and three of them faulty: one control crashes its host
# at start, the utility library hangs in its call, one control refuses to be created without a
# licence key. Every other program works; the exit code counts the crash and the hang only.
#   tests/survey/survey_win32.sh ROOT BUILD
set -uo pipefail
root=$1 build=$2
# The kit runs from the machine's own disk (32-bit programs mapped through the shared folder read
# zeros), in a prefix of its own copied from the machine's ready one.
home=${TMPDIR:-/var/tmp}/kit-survey-win32
rm -rf "$home"
mkdir -p "$home"
if [ -n "${KIT_WINEPREFIX:-}" ] && [ -d "$KIT_WINEPREFIX" ]; then cp -a "$KIT_WINEPREFIX" "$home/wineprefix"; fi
unset KIT_WINEPREFIX
# The survey's steps get four times their default bounds (--timeout 120 for 30), for the emulated
# CPU: kit_survey does not read the tests' KIT_WAIT_SCALE.
"$root/tools/survey_kit.sh" --build "$build" --home "$home" --wine32 --mode hang \
  --control-fail "GraphLib.Graph:crash;VELGridViewer32.GridViewer:licensed" -- \
  --no-window --timeout 120 --report "Z:${home//\//\\}\\report"
code=$?
# The report's lines end in CR LF, as Windows writes them, and it may start with a UTF-8 byte-order mark.
csv="$home/report/report.lf.csv"
sed '1s/^\xEF\xBB\xBF//' "$home/report/report.csv" 2>/dev/null | tr -d '\r' >"$csv"
failures=0
check() {  # condition text, description
  if eval "$1"; then echo "ok   $2"; else echo "FAIL $2"; failures=$((failures + 1)); fi
}
check '[ "$code" -eq 2 ]' "the crash and the hang are counted, the licence refusal is not (exit code $code)"
# Each row ends with its cause column: empty for these, the components being registered and whole.
check 'grep -qx "probe_graph32,GRAPH32.OCX,broken,\"crashed (0xC0000005, access violation) at start\"," "$csv"' \
  "the crashing host: $(grep '^probe_graph32,' "$csv" 2>/dev/null)"
check 'grep -qx "probe_VELvbutils,VELVBUtils.dll,hung,\"hung after \"\"test\"\", 60 s\"," "$csv"' \
  "the hanging library: $(grep '^probe_VELvbutils,' "$csv" 2>/dev/null)"
check 'grep -q "^probe_VELGridView32,VELGridViewer32.ocx,needs licence key," "$csv"' \
  "the licence refusal: $(grep '^probe_VELGridView32,' "$csv" 2>/dev/null | cut -c1-120)"
works=$(grep -c ',works,' "$csv" 2>/dev/null)
check '[ "$works" -eq 26 ]' "every other program works ($works of 26): $(grep -v ',works,' "$csv" 2>/dev/null | cut -d, -f1-3 | tr '\n' ' ')"
echo "survey_win32: $failures failures"
[ "$failures" -eq 0 ]
