#!/bin/sh
# Runs one fuzz campaign from the committed corpus and merges what it found back into it.
# Usage: tests/fuzz/run_fuzz.sh TARGET SECONDS  (the target is built in build-asan, or in
# FUZZ_BUILD_DIR when set; FUZZ_FLAGS adds libFuzzer flags, e.g. -runs=N). Targets:
# topology_reader_fuzz, call_reader_fuzz, session_fuzz.
#
# The campaign reads tests/fuzz/corpus/TARGET (committed), the seeds and the regression
# inputs, and writes what it finds to tests/fuzz/corpus-TARGET (not committed). At the end
# the committed corpus is rebuilt with -merge=1 from itself and the campaign's corpus: only
# inputs that cover something the seeds and regression inputs do not are kept. Crashing,
# leaking, hanging and out-of-memory inputs are kept as regression inputs.
# FUZZ_MERGE=0 skips the merge; FUZZ_MERGE_FLAGS replaces the merge's own libFuzzer flags.
set -eu
if [ $# -ne 2 ]; then
  echo "usage: $0 TARGET SECONDS" >&2
  exit 2
fi
target=$1
seconds=$2
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
binary=${FUZZ_BUILD_DIR:-$root/build-asan}/$target
corpus=$here/corpus/$target
work=$here/corpus-$target
regressions=$here/regressions/$target
# Seeds are shared by the targets of one input kind: seeds/<first word of the target>.
seeds=$here/seeds/${target%%_*}
[ -d "$here/seeds/$target" ] && seeds=$here/seeds/$target
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

if [ ! -x "$binary" ]; then
  echo "$binary not built: run make test-asan first" >&2
  exit 2
fi
mkdir -p "$corpus" "$work" "$regressions" "$scratch/artifacts"
count() { find "$1" -type f ! -name .gitkeep | wc -l; }
status=0
# shellcheck disable=SC2086
"$binary" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 ${FUZZ_FLAGS:-} \
  -artifact_prefix="$scratch/artifacts/" "$work" "$corpus" "$seeds" "$regressions" || status=$?
for found in "$scratch"/artifacts/*; do
  [ -e "$found" ] || continue
  cp "$found" "$regressions/"
  echo "kept $(basename "$found") in $regressions" >&2
done
[ "${FUZZ_MERGE:-1}" = 0 ] && exit "$status"

# The seeds and regression inputs go in first, so that what they cover already is not kept
# twice; what the merge adds to them is the new committed corpus.
base=$scratch/merged
mkdir "$base"
find "$seeds" "$regressions" -type f ! -name .gitkeep -exec cp {} "$base/" \;
find "$base" -type f -exec basename {} \; >"$scratch/base.list"
before=$(count "$corpus")
# A whole session reaches so many hit counts that one input per count would commit many
# hundreds; its committed corpus keeps one per edge, and the campaign's corpus the rest.
merge_flags=
[ "$target" = session_fuzz ] && merge_flags=-use_counters=0
# shellcheck disable=SC2086
"$binary" -merge=1 ${FUZZ_MERGE_FLAGS-$merge_flags} -timeout=10 \
  -artifact_prefix="$scratch/artifacts/" "$base" "$corpus" "$work" >"$scratch/merge.log" 2>&1 || {
  cat "$scratch/merge.log" >&2
  echo "merge failed; $corpus left as it was" >&2
  exit 1
}
find "$corpus" -type f ! -name .gitkeep -delete
for found in "$base"/*; do
  grep -qxF "$(basename "$found")" "$scratch/base.list" || cp "$found" "$corpus/"
done
echo "$corpus: $before inputs before the merge, $(count "$corpus") after" >&2
exit "$status"
