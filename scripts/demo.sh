#!/bin/sh
# Installs what is missing, builds the kit into dist/ and shows it at work:
# the example NSIS installer, built from dist/, runs silently in a private
# Wine prefix and the demo tells what it changed.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset win32
cmake --build --preset win32
cmake --build --preset win32 --target dist
echo
echo "The kit is in dist/: bin/ (srvsetup.dll, clisetup.dll, helpkey.exe), include/setupkit.h,"
echo "lib/ (import libraries), docs/exports.md, examples/nsis/product-setup.nsi."
echo
SETUPKIT_VM_LOCAL=build/win32/demo/prefix scripts/wine-host.sh scripts/run-demo.sh dist build/win32/bin build/win32/demo
