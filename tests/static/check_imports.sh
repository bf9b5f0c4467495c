#!/usr/bin/env bash
# Static check of every program of a build: an executable for the build's machine, of the GUI
# subsystem (the console's for a program whose row has the trait "console"), that imports only
# DLLs Windows always takes from its own folder, its known DLLs (and what they depend on),
# whatever lies beside the program. Any other system library (version.dll,
# comctl32.dll, ...) would be looked for in the program's folder first at start; a program binds
# such a library at run time from the system folder instead. The stand-ins and fixture libraries
# of the same build are held to the same list. A program also imports nothing from kernel32 that
# Windows XP lacks (the kit's oldest system): such an import stops it at start there.
#   tests/static/check_imports.sh BUILD_DIR...
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/build_folder.sh"
allowed='^(kernel32|user32|gdi32|advapi32|comdlg32|ole32|oleaut32|shell32|msvcrt|shlwapi)\.dll$'
# kernel32 functions newer than XP that the toolchain's runtime or our code could pull in.
newer_than_xp='^(GetTickCount64|InitializeConditionVariable|SleepConditionVariable(CS|SRW)|Wake(All)?ConditionVariable|InitializeSRWLock|(Acquire|Release)SRWLock(Exclusive|Shared)|TryAcquireSRWLock(Exclusive|Shared)|InitOnce(ExecuteOnce|BeginInitialize|Complete)|Fls(Alloc|Free|GetValue|SetValue)|GetFileInformationByHandleEx|SetFileInformationByHandle|GetFinalPathNameByHandle[AW]|CreateSymbolicLink[AW]|GetSystemTimePreciseAsFileTime|QueryFullProcessImageName[AW]|GetLocaleInfoEx|CompareStringEx|LCMapStringEx|GetCurrentProcessorNumber|CancelIoEx|Create(Event|Mutex|Semaphore)Ex[AW]|GetThreadId)$'
failures=0
checked=0
for build in "$@"; do
  open_build "$build" || { failures=$((failures + 1)); continue; }
  libraries=$(find "$build/bin" -maxdepth 1 -type f \( -iname '*.dll' -o -iname '*.ocx' \) | sort)
  while read -r exe; do
    checked=$((checked + 1))
    subsystem=00000002
    grep -qE "^$(basename "$exe" .exe)\|.*\|.*\|(.* )?console( .*)?$" "$list" && subsystem=00000003
    if [ ! -f "$exe" ]; then echo "FAIL $exe: missing"; failures=$((failures + 1)); continue; fi
    dump=$("$objdump" -p "$exe" 2>&1)
    if ! grep -q "file format $format" <<<"$dump"; then
      echo "FAIL $exe: not $format"; failures=$((failures + 1))
    fi
    if [[ "$exe" == *.exe ]] && ! grep -qE "Subsystem[[:space:]]+$subsystem" <<<"$dump"; then
      echo "FAIL $exe: not of subsystem $subsystem (2 GUI, 3 console)"; failures=$((failures + 1))
    fi
    while read -r dll; do
      if ! grep -qiE "$allowed" <<<"$dll"; then
        echo "FAIL $exe imports $dll, which Windows may take from the program's folder"; failures=$((failures + 1))
      fi
    done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
    if [[ "$exe" == *.exe ]]; then
      while read -r function; do
        echo "FAIL $exe imports $function from kernel32, which Windows XP lacks"; failures=$((failures + 1))
      done < <(awk '/DLL Name:/ { k = (tolower($3) == "kernel32.dll"); next } k && NF >= 3 { print $3 }' <<<"$dump" | grep -E "$newer_than_xp")
    fi
  done < <(sed 's/|.*//; s|^|'"$build"'/bin/|; s/$/.exe/' "$list"; [ -z "$libraries" ] || echo "$libraries")
done
echo "check_imports: $checked programs and libraries checked, $failures failures"
[ "$failures" -eq 0 ] && [ "$checked" -gt 0 ]
