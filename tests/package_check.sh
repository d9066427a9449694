#!/bin/bash
# The release zip as a user unpacks it: both programs, the help file and the pictures, side by side,
# the programs without their symbols.
#   tests/package_check.sh BUILD_DIR
set -euo pipefail
cd "$(dirname "$0")/.."
zipfile=$(NQ_BUILD_DIR="$1" scripts/package.sh | tail -n 1)
listing=$(unzip -Z1 "$zipfile")
status=0
for entry in norvane.exe norvanec.exe norvane.chm Bitmaps/; do
  grep -qx "$entry" <<<"$listing" || { echo "missing from $zipfile: $entry"; status=1; }
done
grep -q '^Bitmaps/.*\.bmp$' <<<"$listing" || { echo "no pictures in $zipfile"; status=1; }
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
unzip -q "$zipfile" norvane.exe norvanec.exe -d "$stage"
for program in norvane.exe norvanec.exe; do
  if x86_64-w64-mingw32-objdump -h "$stage/$program" | grep -q '\.debug_'; then
    echo "$program ships with its symbols"
    status=1
  fi
done
[ $status -eq 0 ] && echo "$zipfile holds what ships"
exit $status
