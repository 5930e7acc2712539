#!/bin/sh
# Installs what the build and tests need on a Debian machine, if missing.
set -eu
packages="cmake ninja-build g++ clang googletest libgtest-dev libbenchmark-dev zlib1g-dev
  g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686 libz-mingw-w64-dev
  wine wine32:i386 nsis python3 llvm lld"
# Where this machine can't run 32-bit x86 code, Wine runs in a test VM
# (scripts/wine-vm.sh) made with these.
vm_packages="qemu-system-x86 debootstrap e2fsprogs"

SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo

missing_of() {
  missing=""
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
  done
}

# install [APT-GET OPTION...]: the packages missing_of found.
install() {
  [ -z "$missing" ] && return 0
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -q
  # shellcheck disable=SC2086
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "$@" $missing
}

# shellcheck disable=SC2086
missing_of $packages
install
if ! wine --version >/dev/null 2>&1; then
  # shellcheck disable=SC2086
  missing_of $vm_packages
  install --no-install-recommends
fi
