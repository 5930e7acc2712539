#!/bin/sh
# Builds both presets and runs the digest benchmarks: natively with Google
# Benchmark, and as shipped (the i686 DLL under Wine) with the sizes of the
# three binaries. Kept out of the test run: timings depend on the machine
# and on whatever else it is doing. Extra arguments go to the native
# benchmark (e.g. --benchmark_filter=Strconv).
set -eu
cd "$(dirname "$0")/.."

cmake --preset native >/dev/null
cmake --build --preset native --target digest_bench
cmake --preset win32 >/dev/null
cmake --build --preset win32 --target win_digest_bench

echo
echo "machine: $(lscpu 2>/dev/null | sed -n 's/^Model name: *//p')"
echo
build/native/bench/digest_bench "$@"
echo

# Under the test VM (scripts/wine-host.sh) the i686 timings are emulated:
# compare them with each other, not with the native ones.
scripts/wine-host.sh sh -c 'export WINEPREFIX="$PWD/build/win32/wineprefix" && scripts/wine-prefix.sh up && trap "scripts/wine-prefix.sh down" EXIT &&
  cd build/win32/bin && ../../../scripts/wine-run.sh win_digest_bench.exe'
