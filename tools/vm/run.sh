#!/usr/bin/env bash
# Boots the 32-bit test machine (image from tools/vm/image.sh), runs one shell command inside it
# with the project folder shared at the same path, prints the command's output as it comes and
# exits with the command's exit status. The disk is a throw-away snapshot: nothing but the shared
# folder keeps what the command writes.
#   tools/vm/run.sh [--dir DIR] [--timeout SECONDS] [--memory MB] [--writable] -- COMMAND [ARGS...]
# --writable keeps what the command changes on the guest's disk (only the image build uses it).
# The command starts in the current folder when that lies inside the project, else in its root.
# Exit status: the command's; 124 when the whole run passed its time bound; 125 when the guest
# could not be started or ended without a status (the reason is printed).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
root=$(cd "$here/../.." && pwd)
dir="$root/build/vm"
timeout_s=1800
memory=3072
snapshot=on
while [ $# -gt 0 ]; do
  case "$1" in
    --dir) dir=$(cd "$2" && pwd); shift 2 ;;
    --timeout) timeout_s=$2; shift 2 ;;
    --memory) memory=$2; shift 2 ;;
    --writable) snapshot=off; shift ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[ $# -gt 0 ] || { echo "vm: nothing to run" >&2; exit 2; }
fail() { echo "vm: $*" >&2; exit 125; }
command -v qemu-system-x86_64 >/dev/null || fail "missing qemu-system-x86_64 (run tools/install_deps.sh)"
for f in rootfs.img vmlinux initrd.img; do
  [ -f "$dir/$f" ] || fail "no guest image in $dir (build it with tools/vm/image.sh)"
done
case "$dir" in "$root"/*) ;; *) fail "the image folder $dir must lie inside the project $root" ;; esac

runs="$dir/runs"
mkdir -p "$runs"
run=$(mktemp -d "$runs/run.XXXXXX")
trap 'rm -rf "$run"' EXIT

# boot ACCEL SECONDS COMMAND-FILE-TEXT: one guest run; the console goes to $run/console.
boot() {
  local accel=$1 limit=$2 cpu
  printf '%s\n' "$3" >"$run/command"
  rm -f "$run/status"
  if [ "$accel" = kvm ]; then
    cpu=host
  else
    # Without -smap QEMU's software CPU kills every 32-bit Wine process at an iret.
    cpu=max,-smap
  fi
  timeout --kill-after=10 "$limit" qemu-system-x86_64 \
    -nodefaults -no-user-config -display none -monitor none -no-reboot -nic none \
    -machine q35 -accel "$accel" -cpu "$cpu" -smp 2 -m "$memory" \
    -kernel "$dir/vmlinux" -initrd "$dir/initrd.img" \
    -append "console=ttyS0 quiet loglevel=3 panic=-1 kit.root=$root kit.run=$run" \
    -drive "file=$dir/rootfs.img,if=virtio,format=raw,snapshot=$snapshot" \
    -virtfs "local,path=$root,mount_tag=kit,security_model=none,id=kit" \
    -serial stdio </dev/null
}

# KVM where it can run the guest, else the software CPU; tried once per image folder. The
# paravirtual KVM of some hosts starts the guest and stops early with an internal error.
accel_file="$dir/accel"
if [ ! -s "$accel_file" ]; then
  accel=tcg
  if [ -r /dev/kvm ] && [ -w /dev/kvm ]; then
    echo "vm: trying KVM once" >&2
    if boot kvm 60 'echo kit-kvm-ok' >"$run/console" 2>&1 && grep -q kit-kvm-ok "$run/console" \
       && [ "$(cat "$run/status" 2>/dev/null)" = 0 ]; then
      accel=kvm
    fi
  fi
  echo "$accel" >"$accel_file"
  echo "vm: using $accel (remembered in $accel_file)" >&2
fi
accel=$(cat "$accel_file")

cwd=$PWD
case "$cwd/" in "$root"/*) ;; *) cwd=$root ;; esac
start=$(date +%s)
set +e
# On the emulated CPU every program runs several times slower: the tests' default waits scale.
scale=1
[ "$accel" = kvm ] || scale=4
boot "$accel" "$timeout_s" "cd $(printf '%q' "$cwd") && export KIT_WAIT_SCALE=$scale && $(printf '%q ' "$@")" 2>&1 | sed -u 's/\r$//'
qemu_rc=${PIPESTATUS[0]}
set -e
[ "$qemu_rc" -ne 124 ] || { echo "vm: the guest ran past ${timeout_s} s and was stopped" >&2; exit 124; }
status=$(cat "$run/status" 2>/dev/null || true)
[ -n "$status" ] || fail "the guest ended without running the command to its end (see the console output above; accel $accel)"
echo "vm: command exited with $status after $(( $(date +%s) - start )) s" >&2
exit "$status"
