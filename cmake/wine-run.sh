#!/bin/bash
# Runs a Windows executable under Wine, in a throwaway prefix made for the build (never the user's
# own ~/.wine), on the current display or, when there is none, on a virtual one.
#   wine-run.sh --prefix DIR program.exe [args...]
set -u
prefix=
if [ "${1:-}" = --prefix ]; then prefix=$2; shift 2; fi
prefix=${NQ_WINEPREFIX:-$prefix}
if [ -z "$prefix" ]; then
  echo "wine-run.sh: no prefix given; refusing to use the default Wine prefix" >&2
  exit 2
fi
. "$(dirname "$0")/../scripts/lib.sh"
nq_wine_env "$prefix" || exit 2
# Wine keeps the recycle bin in the desktop's trash ($XDG_DATA_HOME/Trash, else the user's own
# ~/.local/share/Trash): tests that recycle files or empty the recycle bin must meet the prefix's.
export XDG_DATA_HOME=$prefix/xdg-data

# Without a display, one of its own for this run.
nq_start_xvfb 100
trap nq_stop_xvfb EXIT

mkdir -p "$(dirname "$prefix")"
(
  flock 9
  if [ ! -f "$prefix/system.reg" ]; then
    # The lock's descriptor is closed for Wine: its services outlive this script.
    wineboot -i </dev/null >/dev/null 2>&1 9>&-
    # A crashing test prints its backtrace instead of waiting on a dialog nobody can see.
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1 9>&-
    wineserver -w 9>&-
  fi
) 9>"$prefix.lock"

# Keep the server up between the test processes of one run: each start is then much cheaper.
# Started here with no descriptors of ours, so that ctest does not wait on a pipe it holds.
wineserver -p 60 </dev/null >/dev/null 2>&1
wineboot </dev/null >/dev/null 2>&1
mkdir -p "$XDG_DATA_HOME"
wine "$@"
status=$?
# A program that ends without a word (killed, or its Wine server gone) still says how it ended.
if [ "$status" -ne 0 ]; then
  echo "wine-run.sh: $(basename "$1") ended with status $status" >&2
fi
exit "$status"
