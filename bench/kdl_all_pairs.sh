#!/usr/bin/env bash
# All ordered pairs of the largest network of the Topology Zoo (Kdl: 754 nodes, 567,762
# pairs) with k-shortest routing and 10 calls a pair, in one run of wrnsim-lab: its summary,
# wall time and peak memory. A benchmark to quote, not a test: it takes minutes.
# usage: bench/kdl_all_pairs.sh [WRNSIM_LAB] [KDL_GML] [MORE RUN OPTIONS...]
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
lab=${1:-$root/build/wrnsim-lab}
kdl=${2:-$root/../shared/topologies/zoo/Kdl.gml}
shift $(($# < 2 ? $# : 2))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$lab" topology convert "$kdl" -o "$work/Kdl.con" --regenerators 2 > /dev/null
/usr/bin/time -f "wall %e s, peak memory %M KB" \
  "$lab" run --quiet --topology "$work/Kdl.con" --routing k-shortest --paths 4 --max-shared 2 \
  --lambdas 16 --fibres 1 --all-pairs --load 0.5 --calls 10 --seed 1 "$@"
