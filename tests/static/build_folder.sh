# Sourced by the static checks of a build's programs.
# open_build BUILD: sets `list` (the build's program list), `objdump` and `format` (the build's
# machine: a folder named *32* holds the i686 build). Prints a FAIL line and is false when the
# build has no program list yet.
open_build() {
  list="$1/kit_programs.txt"
  if [ ! -s "$list" ]; then echo "FAIL $1: no program list ($list); build it first"; return 1; fi
  case "$(basename "$1")" in
    *32*) objdump=i686-w64-mingw32-objdump; format='pei-i386' ;;
    *) objdump=x86_64-w64-mingw32-objdump; format='pei-x86-64' ;;
  esac
}
