#!/bin/sh
# Installs what the build and tests need on a Debian machine, if missing.
set -eu
packages="cmake ninja-build g++ clang googletest libgtest-dev libbenchmark-dev zlib1g-dev
  g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686 libz-mingw-w64-dev
  wine wine32:i386 nsis python3 llvm lld"

missing=""
for p in $packages; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

SUDO=""
[ "$(id -u)" = 0 ] || SUDO=sudo
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -q
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q $missing
