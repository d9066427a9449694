#!/bin/bash
# clang-tidy (.clang-tidy) and cppcheck over the program's own code. clang-tidy reads the native
# build's compile commands, so it sees the portable code; the Win32 back ends need mingw's headers,
# whose intrinsics clang does not parse, so cppcheck alone covers them.
#   scripts/lint.sh [native-build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
native=${1:-build/native}
own="^$PWD/(app|services|platform|ui|repair|entries|privacy|customise|browsers)/"
status=0

# The layers, lowest first. A source may include from its own layer and the ones below it, never
# from one above: the features know nothing of the window, the services nothing of the features.
# The console's entry point sits beside the window's, on top.
layers=(platform ui services "repair entries privacy customise browsers" "app console")
echo "layers"
rank_of() {
  local folder=$1 i
  for i in "${!layers[@]}"; do
    for l in ${layers[$i]}; do [ "$l" = "$folder" ] && { echo "$i"; return; }; done
  done
  echo -1
}
while IFS= read -r file; do
  own_rank=$(rank_of "${file%%/*}")
  [ "$own_rank" -ge 0 ] || continue
  while IFS= read -r included; do
    inc_rank=$(rank_of "${included%%/*}")
    if [ "$inc_rank" -gt "$own_rank" ]; then
      echo "$file includes $included, a higher layer"
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find app console services platform ui repair entries privacy customise browsers \
           -name '*.h' -o -name '*.cpp' 2>/dev/null | sort)

echo "cppcheck"
cppcheck --enable=warning,performance,portability --inline-suppr --std=c++20 --language=c++ --quiet \
  --error-exitcode=1 -I . app services platform ui repair entries privacy customise browsers || status=1

echo "clang-tidy (portable code)"
run-clang-tidy -p "$native" -quiet -j "$(nproc)" "$own" >/tmp/nq-tidy.$$ 2>&1 || { status=1; }
grep -E 'warning:|error:' /tmp/nq-tidy.$$ | sort -u || true
rm -f /tmp/nq-tidy.$$

exit $status
