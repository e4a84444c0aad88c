#!/usr/bin/env bash
# Output that cannot be written must not pass for a session that went well.
# usage: output_lost.sh WRNSIM
set -u
wrnsim=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$1"; exit 1; }

# The configuration menu opened and left many times: far more output than a pipe holds.
script=$work/script
{ for _ in $(seq 5000); do printf '1\n9\n'; done; printf '9\n'; } > "$script"

# A full device: the documented status and the system's reason on standard error.
"$wrnsim" < "$script" > /dev/full 2> "$work/err"
status=$?
[ $status -eq 3 ] || fail "/dev/full: exit status $status, not 3"
grep -q 'No space left on device' "$work/err" || fail "/dev/full: no reason: $(cat "$work/err")"

# A reader that leaves early: the pipe's signal ends the program without a word.
"$wrnsim" < "$script" 2> "$work/err" | head -c 1 > /dev/null
status=${PIPESTATUS[0]}
[ $status -eq 141 ] || fail "early reader: exit status $status, not 141"
[ -s "$work/err" ] && fail "early reader: $(cat "$work/err")"

# The same with the signal ignored: no message either, and the status of lost output.
(trap '' PIPE; "$wrnsim" < "$script" 2> "$work/err" | head -c 1 > /dev/null; exit "${PIPESTATUS[0]}")
status=$?
[ $status -eq 3 ] || fail "early reader, signal ignored: exit status $status, not 3"
[ -s "$work/err" ] && fail "early reader, signal ignored: $(cat "$work/err")"
exit 0
