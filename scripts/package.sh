#!/bin/bash
# Builds the Windows program and packs what ships into one zip, ready to unpack and run:
# norvane.exe, the console companion norvanec.exe, the help file norvane.chm and the Bitmaps
# folder, side by side.
#   scripts/package.sh      -> build/windows/norvane-<version>.zip
# NQ_BUILD_DIR=<folder> builds and packs in another build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh

build=${NQ_BUILD_DIR:-build/windows}
if [ "$(realpath -m "$build")" = "$(realpath -m build/windows)" ]; then
  cmake --preset windows >/dev/null
else
  cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j "$(nproc)" --target norvane norvanec nq_help nq_bitmaps

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
exe=$build/norvane.exe
for f in "$exe" "$build/norvanec.exe" "$build/norvane.chm"; do
  [ -f "$f" ] || { echo "package.sh: $f was not built" >&2; exit 1; }
done
ls "$build"/Bitmaps/*.bmp >/dev/null 2>&1 || { echo "package.sh: no pictures in $build/Bitmaps" >&2; exit 1; }

# The program must run from the unpacked folder alone: no MinGW runtime DLL may be needed.
for program in "$exe" "$build/norvanec.exe"; do
  if x86_64-w64-mingw32-objdump -p "$program" | grep -iE 'DLL Name: *(libstdc|libgcc|libwinpthread)'; then
    echo "package.sh: $program needs MinGW runtime DLLs; link it statically" >&2
    exit 1
  fi
done

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
# The build keeps its symbols for backtraces; what ships goes without them.
x86_64-w64-mingw32-strip -o "$stage/norvane.exe" "$exe"
x86_64-w64-mingw32-strip -o "$stage/norvanec.exe" "$build/norvanec.exe"
cp "$build/norvane.chm" "$stage/"
mkdir "$stage/Bitmaps"
cp "$build"/Bitmaps/*.bmp "$stage/Bitmaps/"

zipfile=$(cd "$build" && pwd)/norvane-$version.zip
rm -f "$zipfile"
(cd "$stage" && zip -q -r -X "$zipfile" norvane.exe norvanec.exe norvane.chm Bitmaps)
echo "$zipfile"
