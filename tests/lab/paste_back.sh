#!/usr/bin/env bash
# A command line recorded with a result, pasted back into a shell, makes the same result
# (apart from when it was made and how long it took), even with paths a shell would split.
set -euo pipefail
lab=$(realpath "$1")
network=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
folder="$scratch/my runs: it's \$HOME *"
mkdir "$folder"
cp "$network" "$folder/net work.con"
cd "$folder"

"$lab" run --topology "net work.con" --all-pairs --load 0.4 --lambdas 2 --calls 50 --json \
  -o "first record.json"
line=$(sed -n 's/^    "command_line": "\(.*\)",$/\1/p' "first record.json")
[ -n "$line" ] || { echo "no command line in the record"; exit 1; }
mv "first record.json" kept.json
sh -c "$line"
strip() { grep -v -e '"made":' -e '"run_seconds":' -e '"routing_seconds":' "$1"; }
if ! diff <(strip kept.json) <(strip "first record.json"); then
  echo "the pasted command made another record: $line"
  exit 1
fi

"$lab" sweep --topology "net work.con" --loads 0.3,0.6 --lambdas 2 --calls 50 --seeds 2 \
  --csv "curve 1.csv" --svg "curve 1.svg" --title "Ring's curve" 2>/dev/null
line=$(sed -n 's/^# command: //p' "curve 1.csv")
mv "curve 1.csv" kept.csv
sh -c "$line" 2>/dev/null
if ! diff <(grep -v '^# made:' kept.csv) <(grep -v '^# made:' "curve 1.csv"); then
  echo "the pasted sweep made another CSV: $line"
  exit 1
fi
echo "pasted back: $line"
