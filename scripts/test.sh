#!/bin/bash
# The one test command: installs what is missing, builds every build and runs every tier.
# Ends with ctest's summary over all of them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

jobs=$(nproc)
# native: every behaviour on the substitutes, plus the linters; windows: the product, its tests run
# under Wine; sanitize: the native tier under AddressSanitizer and UBSan; fuzz: a short libFuzzer
# run of each parser.
for preset in native windows sanitize fuzz; do
  echo "== build: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

# One virtual display and one Wine server for the whole Wine tier.
xvfb_pid=
if [ -z "${DISPLAY:-}" ]; then
  for n in $(seq 90 120); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || { disp=:$n; break; }
  done
  Xvfb "$disp" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=$disp
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
fi
cleanup() {
  WINEPREFIX="$PWD/build/windows/wineprefix" wineserver -k >/dev/null 2>&1 || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

# One summary for every tier: a test directory that holds all four builds.
printf 'subdirs("native" "windows" "sanitize" "fuzz")\n' > build/CTestTestfile.cmake
ctest --test-dir build --output-on-failure -j 2 --timeout 900
