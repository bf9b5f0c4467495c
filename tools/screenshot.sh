#!/usr/bin/env bash
# Writes a PNG of a program's window as it shows under Wine on a headless display: starts the
# program, waits (bounded) for its window titled TITLE, photographs it with its frame, ends it.
#   tools/screenshot.sh [--build DIR] [--title TITLE] [--folder DIR] OUT.png PROGRAM.exe [ARGS...]
# PROGRAM is looked for in DIR/bin (DIR defaults to build/win64); --folder sets the program's
# current folder.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build/win64"
title=Form1
folder=""
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    --title) title=$2; shift 2 ;;
    --folder) folder=$(cd "$2" && pwd); shift 2 ;;
    *) break ;;
  esac
done
[ $# -ge 2 ] || { echo "usage: $0 [--build DIR] [--title T] [--folder DIR] OUT.png PROGRAM.exe [ARGS...]" >&2; exit 2; }
out=$1; program=$2; shift 2
mkdir -p "$(dirname "$out")"
out=$(cd "$(dirname "$out")" && pwd)/$(basename "$out")
exe="$build/bin/$program"
[ -f "$exe" ] || { echo "screenshot: $exe is not built" >&2; exit 3; }

# What runs inside the harness, with $KIT_WINE and $DISPLAY set.
inner=$(cat <<'INNER'
set -euo pipefail
out=$1; exe=$2; title=$3; folder=$4; shift 4
[ -n "$folder" ] && cd "$folder"
"$KIT_WINE" "$exe" "$@" >/dev/null 2>&1 &
pid=$!
id=$(timeout 30 xdotool search --sync --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1 || true)
if [ -z "$id" ]; then
  echo "screenshot: no window titled '$title' appeared within 30 s" >&2
  import -window root "${out%.png}.failed.png" || true
  kill "$pid" 2>/dev/null || true
  exit 4
fi
sleep 1  # let the window finish painting
import -window "$id" -frame "$out"
kill "$pid" 2>/dev/null || true
INNER
)
"$root/tools/wine_harness.sh" --build "$build" --timeout 120 --shell -- bash -c "$inner" screenshot "$out" "$exe" "$title" "$folder" "$@"
echo "screenshot: $out"
