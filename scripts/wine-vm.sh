#!/bin/sh
# wine-vm.sh image | run COMMAND [ARG...]
#
# 32-bit Wine needs a machine that runs 32-bit x86 code. Some virtual
# machines can't (no compatibility mode: every 32-bit program, Wine's loader
# among them, fails with "Exec format error"). There the Wine tests run
# inside a small Debian VM under qemu's software emulation instead: the same
# Wine, the same binaries, about three to four times slower.
#
#   image  makes the VM once, under build/vm/: a minimal Debian with Wine
#          (32-bit), cmake, nsis and python3 (a few minutes, then reused).
#   run    boots the VM, runs COMMAND in the current directory, which lies
#          inside the repository, shares the repository at its own path,
#          powers off, and exits with COMMAND's exit code.
#          SETUPKIT_VM_LOCAL names folders of the repository (relative to
#          its root, separated by spaces) that live on the VM's own disk for
#          the run instead: Wine prefixes, which take minutes to make over
#          the share and seconds on the VM's disk. They start empty.
#
# Everything the command writes into the repository (build trees, Wine
# prefixes, logs) lands on the host; the VM's own disk is thrown away.
set -eu
repo=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)
vm=$repo/build/vm
# Bump when the image's contents change, so a stale image is made again.
image_version="3 bookworm wine wine32 cmake python3 nsis tzdata"

make_image() {
  [ "$(cat "$vm/ready" 2>/dev/null)" = "$image_version" ] && return 0
  echo "wine-vm: making the test VM under $vm (a few minutes, once)"
  rm -rf "$vm"
  mkdir -p "$vm"
  root=$vm/root
  debootstrap --variant=minbase --include=linux-image-amd64,kmod,tzdata bookworm "$root" >"$vm/debootstrap.log" 2>&1 ||
    { tail -20 "$vm/debootstrap.log"; exit 1; }
  mount -t proc proc "$root/proc"
  trap 'umount "$root/proc" 2>/dev/null || true' EXIT
  chroot "$root" /bin/sh -c 'dpkg --add-architecture i386 && apt-get update -q &&
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q wine wine32:i386 cmake python3 nsis &&
    apt-get clean' >"$vm/packages.log" 2>&1 || { tail -20 "$vm/packages.log"; exit 1; }
  umount "$root/proc"
  trap - EXIT
  cp "$root"/boot/vmlinuz-* "$vm/vmlinuz"
  cp "$root"/boot/initrd.img-* "$vm/initrd"
  # The image's init only reaches the repository; the rest of the start-up
  # is wine-vm-init.sh there, so it can change without a new image.
  cat >"$root/vm-init" <<'INIT'
#!/bin/sh
mount -t proc proc /proc
modprobe 9pnet_virtio
modprobe 9p
mkdir -p "$SETUPKIT_SHARE"
mount -t 9p -o trans=virtio,version=9p2000.L,msize=524288,cache=loose repo "$SETUPKIT_SHARE"
exec /bin/sh "$SETUPKIT_SHARE/scripts/wine-vm-init.sh"
INIT
  chmod 755 "$root/vm-init"
  mke2fs -q -t ext4 -d "$root" "$vm/disk.img" 8G
  rm -rf "$root"
  echo "$image_version" >"$vm/ready"
}

# A shell word that stands for exactly this text.
quote() { printf "'%s'" "$(printf '%s' "$1" | sed "s/'/'\\\\''/g")"; }

run() {
  make_image
  here=$(pwd)
  case "$here/" in
  "$repo"/*) ;;
  *) echo "wine-vm: run it from inside $repo" >&2; exit 2 ;;
  esac
  # One job file per run, so that runs may overlap.
  job=$vm/job.$$
  trap 'rm -f "$job" "$job.status"' EXIT
  {
    n=0
    for dir in ${SETUPKIT_VM_LOCAL:-}; do
      n=$((n + 1))
      echo "mkdir -p /var/tmp/local/$n $(quote "$repo/$dir") && mount --bind /var/tmp/local/$n $(quote "$repo/$dir") || exit 1"
    done
    # The leak test's rounds, cut to what emulation gets through in time.
    echo "export SETUPKIT_LEAK_ROUNDS=5"
    # Its Wine makes no window on a null-driver desktop (helpkey_test).
    echo "export SETUPKIT_NO_DESKTOP_WINDOWS=1"
    echo "cd $(quote "$here")"
    printf 'exec'
    for arg in "$@"; do printf ' %s' "$(quote "$arg")"; done
    echo
  } >"$job"
  # Kernel arguments the kernel doesn't know reach init as its environment.
  qemu-system-x86_64 -accel tcg,thread=multi -smp "$(nproc)" -m 4G \
    -display none -monitor none -serial stdio -no-reboot -snapshot \
    -kernel "$vm/vmlinuz" -initrd "$vm/initrd" \
    -append "root=/dev/vda rw console=ttyS0 quiet loglevel=3 panic=-1 init=/vm-init SETUPKIT_SHARE=$repo SETUPKIT_JOB=$job" \
    -drive "file=$vm/disk.img,if=virtio,format=raw" \
    -virtfs "local,path=$repo,mount_tag=repo,security_model=passthrough,id=repo" </dev/null | stdbuf -o0 tr -d '\r'
  [ -f "$job.status" ] || { echo "wine-vm: the VM stopped before the command ended" >&2; exit 1; }
  exit "$(cat "$job.status")"
}

case "${1:-}" in
image) make_image ;;
run) shift; [ $# -gt 0 ] || { echo "usage: $0 run COMMAND [ARG...]" >&2; exit 2; }; run "$@" ;;
*) echo "usage: $0 image | run COMMAND [ARG...]" >&2; exit 2 ;;
esac
