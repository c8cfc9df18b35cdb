#!/usr/bin/env bash
# Builds the benchmarks of the win64 preset and runs each one under Wine inside a
# private Xvfb display; each prints its own timings and ratios. Not a test.
set -euo pipefail
cd "$(dirname "$0")"
build=${SWFP_BENCH_BUILD:-build/bench-win64}
cmake --preset win64 -B "$build" -Wno-dev >/dev/null
cmake --build "$build" --target benchmarks -j2
export SWFP_WINEPREFIX=${SWFP_WINEPREFIX:-$PWD/build/bench-wineprefix}
status=0
for exe in "$build"/bin/*_bench.exe; do
  [[ -e "$exe" ]] || continue
  echo "== $(basename "$exe" .exe)"
  xvfb-run -a scripts/wine-run.sh "$exe" || status=1
done
exit $status
