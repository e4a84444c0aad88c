#!/bin/sh
# Runs one fuzz target for a while with a kept corpus; keeps crashing inputs as regressions.
# Usage: tests/fuzz/run_fuzz.sh TARGET SECONDS  (the target is built in build-asan, or in
# FUZZ_BUILD_DIR when set; FUZZ_FLAGS adds libFuzzer flags). Targets: topology_reader_fuzz,
# call_reader_fuzz, session_fuzz.
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
corpus=$here/corpus-$target
regressions=$here/regressions/$target
# Seeds are shared by the targets of one input kind: seeds/<first word of the target>.
seeds=$here/seeds/${target%%_*}
[ -d "$here/seeds/$target" ] && seeds=$here/seeds/$target
artifacts=$(mktemp -d)
trap 'rm -rf "$artifacts"' EXIT

if [ ! -x "$binary" ]; then
  echo "$binary not built: run make test-asan first" >&2
  exit 2
fi
mkdir -p "$corpus" "$regressions"
status=0
# shellcheck disable=SC2086
"$binary" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 ${FUZZ_FLAGS:-} \
  -artifact_prefix="$artifacts/" "$corpus" "$seeds" "$regressions" || status=$?
for found in "$artifacts"/crash-* "$artifacts"/leak-* "$artifacts"/timeout-* "$artifacts"/oom-*; do
  [ -e "$found" ] || continue
  cp "$found" "$regressions/"
  echo "kept $(basename "$found") in $regressions" >&2
done
exit "$status"
