#!/usr/bin/env bash
# Static check of every program of a build: a GUI-subsystem executable for the build's machine
# that imports only DLLs that come with Windows (nothing to install first).
#   tests/static/check_imports.sh BUILD_DIR...
set -uo pipefail
allowed='^(kernel32|user32|gdi32|advapi32|comdlg32|ole32|oleaut32|version|shell32|comctl32|msvcrt|shlwapi)\.dll$'
failures=0
checked=0
for build in "$@"; do
  list="$build/kit_programs.txt"
  if [ ! -s "$list" ]; then echo "FAIL $build: no program list ($list); build it first"; failures=$((failures + 1)); continue; fi
  case "$(basename "$build")" in
    *32*) objdump=i686-w64-mingw32-objdump; format='pei-i386' ;;
    *) objdump=x86_64-w64-mingw32-objdump; format='pei-x86-64' ;;
  esac
  while IFS='|' read -r name _; do
    exe="$build/bin/$name.exe"
    checked=$((checked + 1))
    if [ ! -f "$exe" ]; then echo "FAIL $exe: missing"; failures=$((failures + 1)); continue; fi
    dump=$("$objdump" -p "$exe" 2>&1)
    if ! grep -q "file format $format" <<<"$dump"; then
      echo "FAIL $exe: not $format"; failures=$((failures + 1))
    fi
    if ! grep -qE 'Subsystem[[:space:]]+00000002' <<<"$dump"; then
      echo "FAIL $exe: not a GUI-subsystem program"; failures=$((failures + 1))
    fi
    while read -r dll; do
      if ! grep -qiE "$allowed" <<<"$dll"; then
        echo "FAIL $exe imports $dll, which does not come with Windows"; failures=$((failures + 1))
      fi
    done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
  done < "$list"
done
echo "check_imports: $checked programs checked, $failures failures"
[ "$failures" -eq 0 ] && [ "$checked" -gt 0 ]
