#!/bin/sh
# wine-host.sh COMMAND [ARG...]
# Runs a command that starts 32-bit Windows programs under Wine: here, when
# this machine runs 32-bit x86 code, else inside the test VM (wine-vm.sh).
# SETUPKIT_WINE_VM=1 takes the VM in any case.
set -eu
here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
if [ "${SETUPKIT_WINE_VM:-0}" != 1 ] && wine --version >/dev/null 2>&1; then
  exec "$@"
fi
exec "$here/wine-vm.sh" run "$@"
