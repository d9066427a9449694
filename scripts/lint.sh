#!/bin/bash
# clang-tidy (.clang-tidy) and cppcheck over the program's own code. clang-tidy reads the native
# build's compile commands, so it sees the portable code; the Win32 back ends need mingw's headers,
# whose intrinsics clang does not parse, so cppcheck alone covers them.
#   scripts/lint.sh [native-build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
native=${1:-build/native}
own="^$PWD/(app|console|services|platform|ui|repair|entries|privacy|customise|browsers)/"
status=0

# The layers: a source may include from its own library and the ones it links, as CMakeLists.txt
# says (scripts/layers.py reads it), so what lint allows and what links are one thing. The
# features know nothing of the window, the services nothing of the features, the console nothing
# of app/. resources/resource.h is plain #defines, for any folder.
echo "layers"
declare -A allowed
while read -r folder rest; do allowed[$folder]=" $rest resources "; done < <(python3 scripts/layers.py CMakeLists.txt)
while IFS= read -r file; do
  folder=${file%%/*}
  [ -n "${allowed[$folder]:-}" ] || continue
  while IFS= read -r included; do
    inc_folder=${included%%/*}
    [ "$inc_folder" != "$included" ] || continue  # a header beside the source
    if [[ "${allowed[$folder]}" != *" $inc_folder "* ]]; then
      echo "$file includes $included, which its library does not link"
      status=1
    fi
  done < <(sed -n 's/^[[:space:]]*#[[:space:]]*include[[:space:]]*"\([^"]*\)".*/\1/p' "$file")
done < <(find "${!allowed[@]}" -name '*.h' -o -name '*.cpp' 2>/dev/null | sort)

# One table each: a list kind is named only in the list table (entries/Entries.cpp) and the
# navigation table (app/Navigation.cpp), and no code reaches a navigation item by its number, so a
# new list or page is a row in each and nothing else.
echo "tables"
if grep -rnE '\blk(Startup|ContextMenu|TypedAddress|ToolbarButton)\b' app console entries services repair privacy \
     customise browsers ui --include='*.cpp' --include='*.h' |
   grep -vE '^(entries/Entries\.(h|cpp)|app/Navigation\.cpp):'; then
  echo "a single list kind named outside the tables"
  status=1
fi
if grep -rnE '\.items\[[0-9]|(Select|NavItem|ClickItem)\([^,()]+, *[0-9]' app console --include='*.cpp' --include='*.h'; then
  echo "a navigation item reached by its number outside the table"
  status=1
fi

# Both linters keep what they learnt in the user's cache folder and look again only at what changed;
# the paths they are given are relative to the source root, so a fresh clone shares what they kept.
cache=${XDG_CACHE_HOME:-$HOME/.cache}/norvane-lint
mkdir -p "$cache/cppcheck"

echo "cppcheck"
# Its work folder holds one result per source, reused while the source's hash is the same; one run
# at a time uses it.
(
  flock 9
  cppcheck --enable=warning,performance,portability --inline-suppr --std=c++20 --language=c++ --quiet \
    --cppcheck-build-dir="$cache/cppcheck" -j "$(nproc)" \
    --error-exitcode=1 -I . app console services platform ui repair entries privacy customise browsers
) 9>"$cache/cppcheck.lock" || status=1

echo "clang-tidy (portable code)"
python3 scripts/tidy.py "$native" "$own" || status=1

exit $status
