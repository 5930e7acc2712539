#!/bin/sh
# Installs what is missing, builds the kit and shows it at work.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset win32
cmake --build --preset win32
echo "Built: build/win32/bin/srvsetup.dll, clisetup.dll, helpkey.exe"
