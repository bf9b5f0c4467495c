#!/usr/bin/env bash
# Installs the Debian packages the kit needs to build and test, and only those that are missing.
# Idempotent: on a machine that has them all it prints one line and changes nothing.
set -euo pipefail

packages=(
  cmake ninja-build g++ make
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
  gcc-mingw-w64-i686-posix gcc-mingw-w64-x86-64-posix
  binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 mingw-w64-tools
  wine64 wine fonts-wine
  xvfb xdotool imagemagick x11-utils
  googletest libgtest-dev
  libstb-dev
  zlib1g-dev libz-mingw-w64-dev
  python3
  chromium
  qemu-system-x86 debootstrap cpio xz-utils e2fsprogs
  locales
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# A Spanish locale for the survey's test on a non-English system (message boxes say "Aceptar").
ensure_locale() {
  local wanted=es_ES.UTF-8
  if locale -a 2>/dev/null | grep -qi '^es_ES\.utf-\?8$'; then return 0; fi
  echo "install_deps: generating the $wanted locale"
  local sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  "${sudo_cmd[@]}" sed -i "s/^# *\($wanted UTF-8\)/\1/" /etc/locale.gen
  grep -q "^$wanted UTF-8" /etc/locale.gen || echo "$wanted UTF-8" | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo_cmd[@]}" locale-gen >/dev/null
}

if [ ${#missing[@]} -eq 0 ]; then
  ensure_locale
  echo "install_deps: all ${#packages[@]} packages present"
  exit 0
fi

echo "install_deps: installing ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
# wine32 must never come in: no 32-bit code runs on these machines (the test machine that runs
# it is built by tools/vm/image.sh).
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

for p in "${missing[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    echo "install_deps: package $p did not install" >&2
    exit 1
  fi
done
ensure_locale
echo "install_deps: done"
