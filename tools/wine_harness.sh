#!/usr/bin/env bash
# Runs a command under wine64 in the kit's private Wine prefix, on an Xvfb display that this
# script starts and stops itself. Only the processes it started are stopped, by their ids, and
# the prefix's own wineserver.
#
#   tools/wine_harness.sh [--build DIR] [--timeout SECONDS] -- PROGRAM.exe [ARGS...]
#   tools/wine_harness.sh [--build DIR] --shell -- COMMAND [ARGS...]   (a Linux command that uses
#                                                                       $KIT_WINE, $DISPLAY)
# The prefix lives in DIR/wineprefix (DIR defaults to build/win64) and is created once.
# --wine32 runs 32-bit programs with the 32-bit loader in a 32-bit prefix: only where 32-bit code
# can execute, i.e. inside the test machine of tools/vm (the win32 build's tests ask for it).
# KIT_WINEPREFIX, when set, names a prefix to use instead (the test machine has one ready).
# KIT_SCREEN, when set, is the display's size and depth instead of 1024x768x24 (e.g. 1280x1024x24).
# Otherwise it exits with the command's code; its own: 2 usage, 3 a tool missing, 5 wineboot
# failed, 120 no display answered (worth another try; apart from the small codes a program's
# result may use, such as kit_survey's count of broken components).
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(dirname "$here")
build="$root/build/win64"
timeout_s=600
mode=wine
KIT_WINE=/usr/lib/wine/wine64
while [ $# -gt 0 ]; do
  case "$1" in
    --build) build=$(cd "$2" && pwd); shift 2 ;;
    --timeout) timeout_s=$2; shift 2 ;;
    --shell) mode=shell; shift ;;
    --wine32) KIT_WINE=/usr/lib/wine/wine; export WINEARCH=win32; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "wine_harness: nothing to run" >&2; exit 2; }

for tool in "$KIT_WINE" Xvfb xdpyinfo; do
  command -v "$tool" >/dev/null 2>&1 || { echo "wine_harness: missing $tool (run tools/install_deps.sh)" >&2; exit 3; }
done
export KIT_WINE
export WINEPREFIX="${KIT_WINEPREFIX:-$build/wineprefix}"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"

xvfb_pid=""
cleanup() {
  # The prefix's wineserver and the display this script started; nothing else.
  WINEPREFIX="$WINEPREFIX" /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

# A display number nobody uses: the lock file tells.
display=""
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then display=":$n"; break; fi
done
[ -n "$display" ] || { echo "wine_harness: no free X display between :90 and :140" >&2; exit 120; }
Xvfb "$display" -screen 0 "${KIT_SCREEN:-1024x768x24}" -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY="$display"
for _ in $(seq 1 100); do
  xdpyinfo >/dev/null 2>&1 && break
  kill -0 "$xvfb_pid" 2>/dev/null || { echo "wine_harness: Xvfb on $display died at start" >&2; exit 120; }
  sleep 0.1
done
xdpyinfo >/dev/null 2>&1 || { echo "wine_harness: Xvfb on $display did not answer within 10 s" >&2; exit 120; }

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  echo "wine_harness: creating the Wine prefix $WINEPREFIX" >&2
  timeout 900 "$KIT_WINE" wineboot -i >/dev/null 2>&1 || { echo "wine_harness: wineboot failed" >&2; exit 5; }
  # Wine draws the frames itself and skips its 2 s wait for a window manager on every hide.
  timeout 60 "$KIT_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
  timeout 60 /usr/lib/wine/wineserver -w || true
fi
# Wine's own TrueType fonts (Marlett draws the caption buttons, Tahoma the texts); this Wine
# build does not find them in its data folder by itself.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ -d /usr/share/wine/fonts ] && [ ! -f "$fonts/marlett.ttf" ]; then
  mkdir -p "$fonts" && cp /usr/share/wine/fonts/*.ttf "$fonts/"
fi

status=0
if [ "$mode" = shell ]; then
  timeout --kill-after=10 "$timeout_s" "$@" || status=$?
else
  timeout --kill-after=10 "$timeout_s" "$KIT_WINE" "$@" || status=$?
fi
if [ "$status" -eq 124 ]; then echo "wine_harness: '$*' ran past ${timeout_s} s and was stopped" >&2; fi
exit "$status"
