#!/usr/bin/env bash
# Builds the guest image of the 32-bit test machine from Debian's packages: a Debian 12 amd64
# system whose stock kernel runs 32-bit code, with 32-bit and 64-bit Wine, Xvfb and ctest.
# Output in DIR (default build/vm): rootfs.img (raw ext4), vmlinux (the uncompressed kernel, booted
# directly), initrd.img (only the drivers for the disk and the shared folder), recipe.sha256.
# The image holds a ready 32-bit Wine prefix, made by booting it once.
# Idempotent: does nothing while the recipe (this file, guest/init, the Wine harness) is unchanged.
#   tools/vm/image.sh [--dir DIR] [--mirror URL]
# Needs root (debootstrap, chroot) and the network to Debian's archive.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
dir="$root/build/vm"
mirror=http://deb.debian.org/debian
while [ $# -gt 0 ]; do
  case "$1" in
    --dir) dir=$2; shift 2 ;;
    --mirror) mirror=$2; shift 2 ;;
    *) echo "usage: $0 [--dir DIR] [--mirror URL]" >&2; exit 2 ;;
  esac
done

# What the guest holds. amd64: the kernel, Wine's 64-bit half and the tools the test harness uses;
# i386: Wine's 32-bit loader and libraries.
amd64_packages=(linux-image-amd64 busybox-static kmod wine wine64 fonts-wine xvfb x11-utils cmake
                procps)
i386_packages=(wine32:i386)
# Modules the initrd loads to reach the disk and the shared folder (the stock kernel builds
# them as modules).
initrd_modules=(virtio_pci virtio_blk crc16 crc32c_generic mbcache jbd2 ext4 netfs fscache 9pnet 9pnet_virtio 9p)

recipe=$(cat "$0" "$here/guest/init" "$root/tools/wine_harness.sh" | sha256sum | cut -d' ' -f1)
up_to_date() {
  [ "$(cat "$dir/recipe.sha256" 2>/dev/null)" = "$recipe" ] \
    && [ -f "$dir/rootfs.img" ] && [ -f "$dir/vmlinux" ] && [ -f "$dir/initrd.img" ]
}
if up_to_date; then
  echo "vm image: up to date in $dir"
  exit 0
fi
[ "$(id -u)" -eq 0 ] || { echo "vm image: building the guest image needs root (debootstrap, chroot)" >&2; exit 3; }
for tool in debootstrap mkfs.ext4 python3 cpio; do
  command -v "$tool" >/dev/null || { echo "vm image: missing $tool (run tools/install_deps.sh)" >&2; exit 3; }
done

mkdir -p "$dir"
# One build at a time. The lock is inherited by what a build starts, so a build that was killed
# while its debootstrap or apt-get went on holds it until they end too.
exec 9>"$dir/build.lock"
if ! flock -n 9; then
  echo "vm image: another build holds $dir/build.lock; waiting for it"
  flock -w 1800 9 || { echo "vm image: $dir/build.lock still held after 30 minutes" >&2; exit 4; }
fi
if up_to_date; then
  echo "vm image: up to date in $dir (built meanwhile)"
  exit 0
fi
start=$(date +%s)
rm -f "$dir/recipe.sha256"
# The installed system stays in DIR/rootfs, so a change to the init script or a failure in a late
# step does not download everything again; rootfs.packages.sha256 says which packages it holds.
rootfs="$dir/rootfs"
packages_sum=$(echo "$mirror ${amd64_packages[*]} ${i386_packages[*]}" | sha256sum | cut -d' ' -f1)

# Mount points below DIR, deepest first, and of two stacked on one point the later first.
# debootstrap and packages' scripts mount proc and others inside the tree as well as this
# script does, and do not always unmount them.
mounts_below() {
  local point slashes n=0
  while read -r _ _ _ _ point _; do
    printf -v point '%b' "$point"  # mountinfo writes blanks and backslashes as octal escapes
    n=$((n + 1))
    case "$point" in
      "$1"/*) slashes=${point//[^\/]/}; printf '%s\t%s\t%s\n' "${#slashes}" "$n" "$point" ;;
    esac
  done </proc/self/mountinfo | sort -t $'\t' -k1,1nr -k2,2nr | cut -f3
}
# Unmounts whatever is mounted below DIR, by whomever; lazily what is busy. Fails (saying what)
# when something stays.
unmount_below() {
  local point left
  for _ in 1 2 3; do
    left=$(mounts_below "$1")
    [ -n "$left" ] || return 0
    while IFS= read -r point; do
      umount "$point" 2>/dev/null || umount -l "$point" 2>/dev/null || true
    done <<<"$left"
  done
  left=$(mounts_below "$1")
  [ -n "$left" ] || return 0
  echo "vm image: still mounted below $1:" $left >&2
  return 1
}

# An earlier build that was killed can have left the chroot's mounts and its work folder.
unmount_below "$rootfs" || exit 4
rm -rf "$dir"/build.??????
work=$(mktemp -d "$dir/build.XXXXXX")
cleanup() {
  unmount_below "$rootfs" || true
  rm -rf "$work"
}
trap cleanup EXIT

step() {  # seconds, description, command...: every step bounded in time
  local limit=$1 what=$2; shift 2
  echo "vm image: $what"
  if ! timeout --kill-after=10 "$limit" "$@" >"$work/step.log" 2>&1; then
    tail -n 30 "$work/step.log" >&2
    echo "vm image: '$what' failed or ran past $limit s" >&2
    exit 4
  fi
}

if [ "$(cat "$rootfs.packages.sha256" 2>/dev/null)" != "$packages_sum" ]; then
  rm -f "$rootfs.packages.sha256"
  # Nothing is mounted inside any more (above); removing stays on the tree's own file system
  # all the same.
  rm -rf --one-file-system "$rootfs"
  step 900 "debootstrap (Debian 12 amd64, minimal)" \
    debootstrap --variant=minbase --arch=amd64 bookworm "$rootfs" "$mirror"
  for m in proc sys dev; do
    mount --bind "/$m" "$rootfs/$m"
    # Private: what packages' scripts mount or unmount below it stays out of the machine's own.
    mount --make-private "$rootfs/$m"
  done
  echo "deb $mirror bookworm main" >"$rootfs/etc/apt/sources.list"
  # No service starts inside the chroot.
  printf '#!/bin/sh\nexit 101\n' >"$rootfs/usr/sbin/policy-rc.d"
  chmod +x "$rootfs/usr/sbin/policy-rc.d"
  in_chroot=(chroot "$rootfs" env DEBIAN_FRONTEND=noninteractive LC_ALL=C)
  step 60 "adding the i386 architecture" "${in_chroot[@]}" dpkg --add-architecture i386
  step 300 "apt-get update" "${in_chroot[@]}" apt-get update -qq
  step 1500 "installing ${amd64_packages[*]} ${i386_packages[*]}" \
    "${in_chroot[@]}" apt-get install -y -qq --no-install-recommends "${amd64_packages[@]}" "${i386_packages[@]}"
  "${in_chroot[@]}" apt-get clean
  unmount_below "$rootfs" || exit 4
  rm -rf "$rootfs/var/lib/apt/lists/"* "$rootfs/usr/share/doc" "$rootfs/usr/share/man"
  echo "$packages_sum" >"$rootfs.packages.sha256"
fi

kver=$(basename "$(ls -d "$rootfs"/lib/modules/* | head -n 1)")
echo "vm image: kernel $kver"

# The uncompressed kernel: QEMU boots its ELF image directly (PVH), which skips the slow
# decompression under the software CPU.
python3 "$here/extract_vmlinux.py" "$rootfs/boot/vmlinuz-$kver" "$work/vmlinux"

# The initrd: busybox, the modules above, and a script that mounts the disk and hands over.
initrd="$work/initrd"
mkdir -p "$initrd/bin" "$initrd/lib/modules" "$initrd/dev" "$initrd/proc" "$initrd/sys" "$initrd/root"
cp "$rootfs/bin/busybox" "$initrd/bin/busybox"
# Each module after the ones it needs, as modules.dep lists them.
moddir="$rootfs/lib/modules/$kver"
ordered=()
add_module() {  # path relative to moddir
  local rel=$1 dep
  case " ${ordered[*]} " in *" $rel "*) return ;; esac
  for dep in $(grep "^$rel:" "$moddir/modules.dep" | cut -d: -f2); do add_module "$dep"; done
  ordered+=("$rel")
}
for m in "${initrd_modules[@]}"; do
  rel=$(grep -E "/$m\.ko(\.xz)?:" "$moddir/modules.dep" | cut -d: -f1 || true)
  if [ -n "$rel" ]; then add_module "$rel"; fi  # otherwise built into the kernel
done
load_order=""
for rel in "${ordered[@]}"; do
  name=$(basename "$rel"); name=${name%.xz}
  cp "$moddir/$rel" "$initrd/lib/modules/"
  [ "${rel%.xz}" = "$rel" ] || xz -d "$initrd/lib/modules/$name.xz"
  load_order+=" $name"
done
cat >"$initrd/init" <<EOF
#!/bin/busybox sh
/bin/busybox mount -t proc proc /proc
/bin/busybox mount -t devtmpfs dev /dev
for m in$load_order; do /bin/busybox insmod /lib/modules/\$m; done
# The disk shows up a moment after its driver is loaded.
n=0; while [ ! -b /dev/vda ] && [ \$n -lt 100 ]; do /bin/busybox usleep 100000; n=\$((n + 1)); done
/bin/busybox mount -t ext4 /dev/vda /root || { echo "initrd: cannot mount /dev/vda"; /bin/busybox poweroff -f; }
/bin/busybox umount /proc
/bin/busybox mount --move /dev /root/dev
exec /bin/busybox switch_root /root /sbin/kit-init
EOF
chmod +x "$initrd/init"
(cd "$initrd" && find . | cpio -o -H newc --quiet | gzip -1) >"$work/initrd.img"

install -m 0755 "$here/guest/init" "$rootfs/sbin/kit-init"
mkdir -p "$rootfs/kit"
# mkfs copies the tree as it finds it, so nothing may be mounted inside; du stays on the tree's
# own file system in any case. Free room for the Wine prefix (about 600 MB) and the tests' files.
unmount_below "$rootfs" || exit 4
size_mb=$(( $(du -sxm "$rootfs" | cut -f1) + 2048 ))
step 600 "writing the ${size_mb} MB ext4 image" \
  mkfs.ext4 -q -F -L kitvm -d "$rootfs" "$work/rootfs.img" "${size_mb}M"

mv "$work/rootfs.img" "$work/vmlinux" "$work/initrd.img" "$dir/"
# The prefix: wineboot of a 32-bit prefix takes minutes under the software CPU, so it is made once
# here and every run starts from a copy of it (the run's disk is a snapshot).
echo "vm image: making the 32-bit Wine prefix inside the guest"
if ! "$here/run.sh" --dir "$dir" --writable --timeout 1200 -- \
     "$root/tools/wine_harness.sh" --wine32 --shell -- true >"$work/step.log" 2>&1; then
  tail -n 30 "$work/step.log" >&2
  echo "vm image: making the Wine prefix in the guest failed" >&2
  exit 4
fi
echo "$recipe" >"$dir/recipe.sha256"
echo "vm image: built in $(( $(date +%s) - start )) s in $dir"
