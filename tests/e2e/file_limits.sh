#!/usr/bin/env bash
# Call files never cost a descriptor each: a session with more sources than the open-file
# limit gives the same output as without the limit; a file that cannot be read for another
# reason than being missing says why on standard error.
# usage: file_limits.sh WRNSIM EXAMPLES_DIR
set -u
wrnsim=$1
examples=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "$1"; exit 1; }
cp "$examples/NSFNET.con" "$examples/nsfnet_0_12.txt" "$work/"
cd "$work" || exit 1

# Every ordered pair of 8 of NSFNET's nodes: 56 sources, one call file each.
script="2
NSFNET
"
for origin in 0 1 2 3 4 5 6 7; do
  for destination in 0 1 2 3 4 5 6 7; do
    [ $origin -eq $destination ] && continue
    cp nsfnet_0_12.txt "c${origin}_${destination}.txt"
    script+="S
$origin
$destination
c${origin}_${destination}.txt

"
  done
done
script+=$'\x1b\n\nN\n9\n'
printf '%s' "$script" > session.script

"$wrnsim" < session.script > free.out 2> free.err || fail "without a limit: status $?"
grep -q 'err:' free.out && fail "without a limit: an error was reported"
# Soft and hard limit both at 24 descriptors, fewer than the sources.
(ulimit -n 24 && exec "$wrnsim" < session.script > limited.out 2> limited.err) ||
  fail "with 24 descriptors: status $?"
cmp -s free.out limited.out || fail "with 24 descriptors the output differs"
[ -s limited.err ] && fail "with 24 descriptors: $(cat limited.err)"

# A directory is not a missing file: the console's text, then the reason.
mkdir carpeta
printf '2\nNSFNET\n\nS\n0\n1\ncarpeta\n\nN\n9\n' > directory.script
"$wrnsim" < directory.script > directory.out 2> directory.err
grep -q 'Dato introducido erroneo. File error.' directory.out || fail "directory: no console text"
grep -q 'carpeta: Is a directory' directory.err || fail "directory: $(cat directory.err)"
# A missing file keeps to the console's text alone.
printf '2\nNSFNET\n\nS\n0\n1\nno_existe.txt\n\nN\n9\n' > missing.script
"$wrnsim" < missing.script > missing.out 2> missing.err
[ -s missing.err ] && fail "missing file: $(cat missing.err)"
exit 0
