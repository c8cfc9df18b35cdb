#!/usr/bin/env bash
# Builds all three presets and runs every test: native unit tests on Linux,
# Windows tests under wine64 inside a private Xvfb display. The 32-bit
# Windows build is compiled and linked only: 32-bit code cannot run here.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
for preset in native win64 win32; do
  echo "== build $preset"
  # Every test program must build and run here: none may be left out as unfinished.
  cmake --preset "$preset" -Wno-dev -DSWFP_SKIP_INCOMPLETE_TESTS=OFF >/dev/null
  cmake --build --preset "$preset"
done

export SWFP_WINEPREFIX="$PWD/build/wineprefix" WINEPREFIX="$PWD/build/wineprefix"
. scripts/xvfb.sh
swfp_start_xvfb
scripts/wine-run.sh cmd /c exit 0 >/dev/null                 # creates (or repairs) the prefix
/usr/lib/wine/wineserver64 -p 60 >/dev/null 2>&1 || true    # one server for all test programs

status=0
echo "== test native"; ctest --preset native -j2 || status=1
echo "== test win64";  ctest --preset win64 || status=1
exit $status
