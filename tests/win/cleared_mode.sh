#!/bin/sh
# cleared_mode.sh <wine-run.sh> <security_test.exe>
# Clears a directory's access list through the DLL under Wine and checks the
# one effect Wine keeps: the directory's Unix mode becomes 000.
set -eu
run=$1
program=$2
dir=$(mktemp -d "${TMPDIR:-/tmp}/setupkit-cleared.XXXXXX")
trap 'chmod 700 "$dir"; rmdir "$dir"' EXIT
chmod 755 "$dir"
# Wine's Z: drive is the Unix root.
SETUPKIT_CLEARED_DIR="Z:$(printf '%s' "$dir" | tr / '\\')" \
  "$run" "$program" --gtest_filter=RealWine.ClearsTheDirectoryTheModeCheckNames
mode=$(stat -c %a "$dir")
if [ "$mode" != 0 ]; then
  echo "mode of the cleared directory is $mode, not 000" >&2
  exit 1
fi
