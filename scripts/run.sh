#!/bin/bash
# Builds the Windows program and starts it under Wine, in a sandbox prefix of its own that the
# first run fills with a hijacked browser profile (registry, cookie files, Recent links), so every
# page has something to show. Never uses ~/.wine.
#
#   scripts/run.sh [--prefix DIR] [--seconds N] [--fresh]
#
#   --prefix DIR   the sandbox prefix (default: $NQ_RUN_PREFIX, else ~/.cache/norvane-sandbox)
#   --seconds N    end the program N seconds after the screenshot
#   --fresh        throw the sandbox away first and seed it anew
#
# NQ_BUILD_DIR names another build folder than the windows preset's build/windows.
#
# On your display the program runs until you close it (or for --seconds). Without a display it
# runs on a virtual one, takes the screenshot and ends after 5 seconds (or --seconds). Either way a
# screenshot of the screen is written to screenshots/run.png in the build folder and its path printed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

prefix=${NQ_RUN_PREFIX:-$HOME/.cache/norvane-sandbox}
seconds=
fresh=
while [ $# -gt 0 ]; do
  case "$1" in
    --prefix) prefix=$2; shift 2 ;;
    --seconds) seconds=$2; shift 2 ;;
    --fresh) fresh=1; shift ;;
    -h|--help) sed -n '2,15p' "$0"; exit 0 ;;
    *) echo "run.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
prefix=$(realpath -m "$prefix")
. scripts/lib.sh
nq_wine_env "$prefix" || exit 2

scripts/setup.sh
if [ -n "${NQ_BUILD_DIR:-}" ]; then
  build=$(realpath -m "$NQ_BUILD_DIR")
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$build" --target norvane -j "$(nproc)"
else
  build=$root/build/windows
  cmake --preset windows >/dev/null
  cmake --build --preset windows --target norvane -j "$(nproc)"
fi
exe=$build/norvane.exe

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  nq_stop_xvfb
}
if [ -z "${DISPLAY:-}" ]; then
  nq_start_xvfb 70
  seconds=${seconds:-5}
fi
trap cleanup EXIT

if [ -n "$fresh" ] && [ -d "$prefix" ]; then
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$prefix"
fi

if [ ! -f "$prefix/.norvane-seeded" ]; then
  echo "Making the sandbox $prefix (the first start of Wine takes a minute)..."
  mkdir -p "$prefix"
  wineboot -i </dev/null >/dev/null 2>&1
  wineserver -w

  user=$(ls "$prefix/drive_c/users" | grep -v -x -e Public -e Default | head -n 1)
  profile="$prefix/drive_c/users/$user"
  cookies="$profile/Cookies"
  recent="$profile/Recent"
  mkdir -p "$cookies" "$recent"
  # Cookie files as the browser writes them: name, value, site and path, flags, times, "*".
  cookie() { printf '%s\n%s\n%s\n1536\n3567587328\n30124227\n2850000000\n29995342\n*\n' "$2" "$3" "$4" > "$cookies/$1"; }
  cookie "$user@best-search-portal[1].txt" uid 4711 best-search-portal.example/
  cookie "$user@ads.tracker[2].txt" track a9f3c2 ads.tracker.example/
  cookie "$user@news.example[1].txt" prefs layout=wide news.example/
  cookie "$user@shop.example[1].txt" cart 3-items shop.example/cart/
  printf 'not a cookie\n' > "$cookies/index.dat"
  # Links the trace cleaner erases: the header of a shell link is enough for a name in the list.
  for name in "Holiday photos.lnk" "Bank statement.pdf.lnk" "Letter to Anna.doc.lnk"; do
    printf 'L\0\0\0\001\024\002\0\0\0\0\0\300\0\0\0\0\0\0F' > "$recent/$name"
  done

  win() { winepath -w "$1" 2>/dev/null; }
  folders=$(mktemp --suffix=.reg)
  esc() { printf '%s' "$1" | sed 's/\\/\\\\/g'; }
  cat > "$folders" <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]
"Cookies"="$(esc "$(win "$cookies")")"
"Recent"="$(esc "$(win "$recent")")"

[HKEY_CURRENT_USER\\Software\\Microsoft\\Internet Explorer\\TypedURLs]
"url1"="http://www.best-search-portal.example/start.php?id=4711"
"url2"="http://news.example/world"
"url3"="http://shop.example/cart/"
EOF
  wine regedit /s "$(win "$root/tests/fixtures/hijacked-profile.reg")" </dev/null >/dev/null 2>&1
  wine regedit /s "$(win "$folders")" </dev/null >/dev/null 2>&1
  rm -f "$folders"
  wineserver -w
  touch "$prefix/.norvane-seeded"
fi

# The Bitmaps folder and the help file lie beside the program in the build folder.
wine "$exe" </dev/null >/dev/null 2>&1 &
program=$!
for _ in $(seq 100); do
  xdotool search --name "Norvane And Quillet" >/dev/null 2>&1 && break
  sleep 0.2
done
sleep 1
mkdir -p "$build/screenshots"
import -window root "$build/screenshots/run.png"
echo "Screenshot: $build/screenshots/run.png"

if [ -n "$seconds" ]; then
  sleep "$seconds"
else
  echo "Running in $prefix on display $DISPLAY; close the window to end."
  wait "$program" || true
fi
