#!/bin/bash
# Start-up time: the program's main window against a bare window of the same size and title,
# started alternately in one Wine session (median of N each, default 9); prints both and the ratio.
# The program is measured as it ships: without its symbols (scripts/package.sh strips them; the
# build keeps them for backtraces, and loading them costs Wine some 60 ms).
# Uses the build's throwaway prefix, never ~/.wine.
#
#   scripts/bench-startup.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib.sh
build=$PWD/build/windows
nq_wine_env "$build/wineprefix" || exit 2
cmake --preset windows >/dev/null
cmake --build --preset windows --target norvane bench_startup -j "$(nproc)" >/dev/null
nq_start_xvfb 80
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  nq_stop_xvfb
}
trap cleanup EXIT
mkdir -p "$WINEPREFIX"
shipped=$build/bench-startup
mkdir -p "$shipped"
x86_64-w64-mingw32-strip -o "$shipped/norvane.exe" "$build/norvane.exe"
wine "$build/bench_startup.exe" "$(winepath -w "$shipped/norvane.exe")" "${1:-9}"
