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
  python3
  chromium
  qemu-system-x86 debootstrap cpio xz-utils e2fsprogs
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
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
echo "install_deps: done"
