#!/usr/bin/env bash
# The version the build writes: the project's number with the commit of a checkout, and the
# number alone from an archive (also one unpacked inside another checkout).
set -euo pipefail
script=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

version_of() {
  cmake -DROOT="$1" -DVERSION=9.8.7 -DOUTPUT="$scratch/version.cpp" -P "$script"
  grep -o 'k[A-Za-z]* = "[^"]*"' "$scratch/version.cpp" | tr '\n' ' '
}

mkdir "$scratch/archive"
got=$(version_of "$scratch/archive")
[ "$got" = 'kVersion = "9.8.7" kCommit = "" ' ] || { echo "archive: $got"; exit 1; }

git init -q "$scratch/archive/checkout"
cd "$scratch/archive/checkout"
echo one > file
git add file
git -c user.name=t -c user.email=t@t commit -qm one
commit=$(git rev-parse --short=7 HEAD)
got=$(version_of "$scratch/archive/checkout")
[ "$got" = "kVersion = \"9.8.7\" kCommit = \"$commit\" " ] || { echo "checkout: $got"; exit 1; }
echo two > file
got=$(version_of "$scratch/archive/checkout")
[ "$got" = "kVersion = \"9.8.7\" kCommit = \"$commit-dirty\" " ] || { echo "dirty: $got"; exit 1; }

mkdir "$scratch/archive/checkout/unpacked"
got=$(version_of "$scratch/archive/checkout/unpacked")
[ "$got" = 'kVersion = "9.8.7" kCommit = "" ' ] || { echo "inside another checkout: $got"; exit 1; }
echo "version script: archive, checkout, dirty checkout and nested archive as expected"
