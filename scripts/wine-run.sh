#!/bin/sh
# Runs a Windows program under Wine in the build's private, headless prefix.
# Used by ctest as the cross-compiling emulator.
set -e
: "${WINEPREFIX:=$(CDPATH= cd -- "$(dirname -- "$0")/.." && pwd)/build/win32/wineprefix}"
export WINEPREFIX
export WINEARCH=win32
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d${SETUPKIT_DLLOVERRIDES:+;$SETUPKIT_DLLOVERRIDES}"
unset DISPLAY WAYLAND_DISPLAY
exec wine "$@"
