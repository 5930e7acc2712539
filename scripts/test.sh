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
ctest --preset win32
