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
  # A build folder made by another generator cannot be configured again: start it afresh.
  cache=build/$preset/CMakeCache.txt
  if [ -f "$cache" ] && ! grep -q '^CMAKE_GENERATOR:INTERNAL=Ninja$' "$cache"; then rm -rf "build/$preset"; fi
  start=$SECONDS
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  echo "== built $preset in $((SECONDS - start)) s"
done

# One virtual display and one Wine server for the whole Wine tier.
. scripts/lib.sh
nq_start_xvfb 90
cleanup() {
  WINEPREFIX="$PWD/build/windows/wineprefix" wineserver -k >/dev/null 2>&1 || true
  nq_stop_xvfb
}
trap cleanup EXIT

# One summary for every tier: a test directory that holds all four builds.
printf 'subdirs("native" "windows" "sanitize" "fuzz")\n' > build/CTestTestfile.cmake
# ctest starts the longest tests first when it knows their times: keep them where the next clone
# finds them.
costs=${XDG_CACHE_HOME:-$HOME/.cache}/norvane-tests/CTestCostData.txt
mkdir -p build/Testing/Temporary "$(dirname "$costs")"
[ -f build/Testing/Temporary/CTestCostData.txt ] || [ ! -f "$costs" ] || cp "$costs" build/Testing/Temporary/
status=0
ctest --test-dir build --output-on-failure -j 2 --timeout 900 || status=$?
cp build/Testing/Temporary/CTestCostData.txt "$costs" 2>/dev/null || true
exit $status
