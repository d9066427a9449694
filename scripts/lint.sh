#!/bin/bash
# clang-tidy (.clang-tidy) and cppcheck over the program's own code. clang-tidy reads the native
# build's compile commands, so it sees the portable code; the Win32 back ends need mingw's headers,
# whose intrinsics clang does not parse, so cppcheck alone covers them.
#   scripts/lint.sh [native-build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
native=${1:-build/native}
own="^$PWD/(app|services|platform|ui|repair|entries|privacy|customise)/"
status=0

echo "cppcheck"
cppcheck --enable=warning,performance,portability --inline-suppr --std=c++20 --language=c++ --quiet \
  --error-exitcode=1 -I . app services platform ui repair entries privacy customise || status=1

echo "clang-tidy (portable code)"
run-clang-tidy -p "$native" -quiet -j "$(nproc)" "$own" >/tmp/nq-tidy.$$ 2>&1 || { status=1; }
grep -E 'warning:|error:' /tmp/nq-tidy.$$ | sort -u || true
rm -f /tmp/nq-tidy.$$

exit $status
