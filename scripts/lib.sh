# Shared by test.sh, run.sh and cmake/wine-run.sh: a virtual display when there is none, and the
# environment Wine runs in. Source it; it changes nothing until a function is called.

# Starts Xvfb on the first free display from $1 (default 90) when DISPLAY is unset, exports DISPLAY
# and sets NQ_XVFB_PID (empty when a display was there already). Returns once the server answers.
# The screen has room for the main window at 200 %.
nq_start_xvfb() {
  NQ_XVFB_PID=
  [ -z "${DISPLAY:-}" ] || return 0
  local n disp=
  for n in $(seq "${1:-90}" 130); do
    [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ] || { disp=:$n; break; }
  done
  [ -n "$disp" ] || { echo "no free X display number" >&2; return 1; }
  Xvfb "$disp" -screen 0 1920x1200x24 -nolisten tcp >/dev/null 2>&1 &
  NQ_XVFB_PID=$!
  export DISPLAY=$disp
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}

nq_stop_xvfb() {
  [ -z "${NQ_XVFB_PID:-}" ] || kill "$NQ_XVFB_PID" 2>/dev/null || true
  NQ_XVFB_PID=
}

# Points Wine at prefix $1, refusing the user's own ~/.wine: 64-bit, quiet, no Mono or Gecko
# download prompts, no desktop menu entries.
nq_wine_env() {
  local prefix=$1
  case "$(realpath -m "$prefix")" in
    "$(realpath -m "$HOME/.wine")") echo "refusing the user's own Wine prefix $prefix" >&2; return 2 ;;
  esac
  export WINEPREFIX=$prefix
  export WINEARCH=win64
  export WINEDEBUG=${WINEDEBUG:--all}
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}
