#!/bin/sh
# Installs what is missing, builds both presets and runs every test.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh

cmake --preset native
cmake --build --preset native
ctest --preset native

cmake --preset win32
cmake --build --preset win32
# The checks of headers, import libraries and docs run here; every test that
# starts a Windows program runs where Wine can (natively, or in the test VM).
ctest --preset win32 --label-exclude wine
SETUPKIT_VM_LOCAL="build/win32/wineprefix build/win32/demo/prefix" \
  scripts/wine-host.sh ctest --preset win32 --label-regex wine
