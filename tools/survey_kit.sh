#!/usr/bin/env bash
# Runs kit_survey under Wine over a kit folder made from a Windows build, in a Wine prefix of its
# own (so the stand-ins registered here never leak into the other tests' prefix).
#   tools/survey_kit.sh [--build DIR] [--home DIR] [--wine32] [--bare] [--mode M] [--control-fail F]
#                       [--treat-as CLSID=REAL]... [--program EXE] [--stand-for PROGRAM=EXE]...
#                       [--beside EXE]... [--put NAME=FILE]... -- [kit_survey options]
# The kit folder HOME/kit (HOME is DIR/survey unless --home says otherwise; the prefix lies there
# too) holds every program of the build, kit_survey, VELutil32.dll and a
# copy of the native-library stand-in as VEL_Intel_Win32.dll. Without --bare every stand-in COM
# server and control is registered first; with --bare all are unregistered (Wine's own ADO is
# registered again). --mode and --control-fail set KIT_STANDIN_MODE and KIT_CONTROL_FAIL for the
# survey's programs. --treat-as makes a class stand for another (a real control of the platform) through
# a TreatAs key for this run only. --wine32 runs the survey under 32-bit Wine (the win32 build, in
# the test machine). --program runs EXE (copied into the kit folder) instead of kit_survey, with the
# same setting (the benchmark's floor). --stand-for puts EXE in the kit folder as PROGRAM.exe for this
# run (the folder is laid anew each run); --put puts FILE there as NAME (a library the programs find
# beside them, in place of the stand-in of that name). --beside starts EXE in the prefix before the
# survey, outside its job, as another program of the desktop, and ends it after the survey if it is
# still running.
# Ends with kit_survey's exit code (the number of components found broken).
# KIT_SURVEY_TIME_FILE, when set, receives the start and end of kit_survey's run (for the benchmark).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/win64"
bare=0
home=""
loader=()
mode=""
control_fail=""
treat_as=()
instead=""
stand_for=()
beside=()
put=()
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    --bare) bare=1; shift ;;
    --home) home=$2; shift 2 ;;
    --wine32) loader=(--wine32); shift ;;
    --mode) mode=$2; shift 2 ;;
    --control-fail) control_fail=$2; shift 2 ;;
    --treat-as) treat_as+=("$2"); shift 2 ;;
    --program) instead=$2; shift 2 ;;
    --stand-for) stand_for+=("$2"); shift 2 ;;
    --put) put+=("$2"); shift 2 ;;
    --beside) beside+=("$(cd "$(dirname "$2")" && pwd)/$(basename "$2")"); shift 2 ;;
    --) shift; break ;;
    *) echo "survey_kit: unknown option $1" >&2; exit 2 ;;
  esac
done
bin="$build/bin"
[ -f "$bin/kit_survey.exe" ] || { echo "survey_kit: $bin/kit_survey.exe is not built" >&2; exit 3; }
[ -n "$home" ] || home="$build/survey"
mkdir -p "$home"
home=$(cd "$home" && pwd)
kit="$home/kit"
rm -rf "$kit"
mkdir -p "$kit"
while IFS='|' read -r program _; do
  [ -n "$program" ] && cp "$bin/$program.exe" "$kit/"
done < "$build/kit_programs.txt"
cp "$bin/VELutil32.dll" "$kit/"
[ $bare -eq 1 ] || cp "$bin/standin_vel_intel.dll" "$kit/VEL_Intel_Win32.dll"
for pair in "${stand_for[@]}"; do
  cp "${pair#*=}" "$kit/${pair%%=*}.exe"
done
for pair in "${put[@]}"; do
  cp "${pair#*=}" "$kit/${pair%%=*}"
done
run="$kit/kit_survey.exe"
if [ -n "$instead" ]; then
  cp "$instead" "$kit/"
  run="$kit/$(basename "$instead")"
fi

inner=$(cat <<'INNER'
set -uo pipefail
bin=$1; bare=$2; treat_as=($3); beside=($4); shift 4
servers=("$bin"/*.OCX "$bin"/*.ocx "$bin/standin_ado.dll" "$bin/standin_dao.dll" "$bin/standin_vbutils.dll")
ado='C:\Program Files\Common Files\System\ADO\msado15.dll'
# One more try for a server whose (un)registration failed: under load a regsvr32 can fail to start,
# and one server left registered in a bare run reads as a component that works.
action=(); [ "$bare" = 1 ] && action=(/u)
for server in "${servers[@]}"; do
  "$KIT_WINE" regsvr32 /s "${action[@]}" "$server" >/dev/null 2>&1 ||
    "$KIT_WINE" regsvr32 /s "${action[@]}" "$server" >/dev/null 2>&1 ||
    echo "survey_kit: regsvr32 ${action[*]} failed twice for $server" >&2
done
[ "$bare" = 1 ] && "$KIT_WINE" regsvr32 /s "$ado" >/dev/null 2>&1
for pair in "${treat_as[@]}"; do
  "$KIT_WINE" reg add "HKCR\\CLSID\\${pair%%=*}\\TreatAs" /ve /d "${pair#*=}" /f >/dev/null 2>&1 ||
    echo "survey_kit: cannot add TreatAs for $pair" >&2
done
others=()
for program in "${beside[@]}"; do
  "$KIT_WINE" "$program" & others+=($!)
done
start=$(date +%s.%N)
"$KIT_WINE" "$@"
status=$?
for other in "${others[@]}"; do
  kill "$other" 2>/dev/null
  wait "$other" 2>/dev/null
done
for pair in "${treat_as[@]}"; do
  "$KIT_WINE" reg delete "HKCR\\CLSID\\${pair%%=*}\\TreatAs" /f >/dev/null 2>&1
done
[ -n "${KIT_SURVEY_TIME_FILE:-}" ] && echo "$start $(date +%s.%N)" > "$KIT_SURVEY_TIME_FILE"
exit $status
INNER
)
export KIT_STANDIN_MODE="$mode" KIT_CONTROL_FAIL="$control_fail"
exec "$root/tools/wine_harness.sh" --build "$home" "${loader[@]}" --timeout 1200 --shell -- \
  bash -c "$inner" inner "$bin" "$bare" "${treat_as[*]:-}" "${beside[*]:-}" "$run" "$@"
