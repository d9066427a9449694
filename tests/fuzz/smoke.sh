#!/bin/bash
# A short fuzz run: the seed corpus first, then NQ_FUZZ_SECONDS (default 15) of new inputs in a
# scratch copy of the corpus, so the checked-in seeds stay as they are. Longer runs by hand:
#   build/fuzz/tests/fuzz/fuzz_x -max_total_time=3600 tests/fuzz/corpus/fuzz_x
set -euo pipefail
target=$1
seeds=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
[ -d "$seeds" ] && cp -r "$seeds"/. "$work"/ 2>/dev/null || true
# Not exec: the trap must still run to remove the scratch folder.
"$target" -max_total_time="${NQ_FUZZ_SECONDS:-15}" -rss_limit_mb=2048 -timeout=10 \
  -artifact_prefix="$work/" "$work"
