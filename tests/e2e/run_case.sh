#!/usr/bin/env bash
# Runs wrnsim with a script on standard input and compares its whole standard output with
# the expected bytes. An expected file holds the output with C escapes (\n, \t, \xF3);
# its own line breaks are only for reading and are dropped.
# Usage: run_case.sh BINARY CASE_PATH_WITHOUT_EXTENSION DATA_DIR
set -u
binary=$1
case_path=$2
data_dir=$3
expected_status=0
[ -f "$case_path.status" ] && expected_status=$(tr -d '[:space:]' < "$case_path.status")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
printf '%b' "$(tr -d '\n' < "$case_path.expected")" > "$work/expected"

cd "$data_dir" || exit 2
timeout 20 "$binary" < "$case_path.script" > "$work/actual"
status=$?
if [ "$status" -eq 124 ]; then
  echo "timed out"
  exit 1
fi
if [ "$status" -ne "$expected_status" ]; then
  echo "exit status $status, expected $expected_status"
  exit 1
fi
if ! cmp -s "$work/expected" "$work/actual"; then
  echo "output differs (expected, then actual, as escaped text):"
  diff <(od -An -c "$work/expected") <(od -An -c "$work/actual") | head -40
  exit 1
fi
