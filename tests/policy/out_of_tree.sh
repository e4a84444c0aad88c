#!/usr/bin/env bash
# Installs this build under a fresh prefix and builds the example policies against it from
# their own folder, as a user would: the package must be found there and nowhere else, keep
# to its version rule, and give plug-ins that load, export their entry point alone and
# register what they say.
# With wrnsim-lab built, the examples then run in it: random_path decides as built-in path
# policy 1, and the others run a whole network without a policy error.
#   out_of_tree.sh CMAKE BUILD_DIR EXAMPLES_DIR CHECKER VERSION CXX BUILD_TYPE CXX_FLAGS NETWORK
set -euo pipefail
cmake=$1 build=$2 examples=$3 checker=$4 version=$5 cxx=$6 build_type=$7 flags=$8 network=$9

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# Runs a command quietly; shows what it said when it fails.
quietly() {
  local log=$work/log
  if ! "$@" >"$log" 2>&1; then
    cat "$log" >&2
    return 1
  fi
}

quietly "$cmake" --install "$build" --prefix "$prefix" || fail "cmake --install"

headers=$(cd "$prefix" && find include -type f | sort | tr '\n' ' ')
[ "$headers" = "include/wrnsim/plugin.h include/wrnsim/policy.h " ] ||
  fail "installed headers: $headers"
for program in wrnsim wrnsim-lab; do
  if [ -e "$build/$program" ] && [ ! -x "$prefix/bin/$program" ]; then
    fail "$program built but not installed"
  fi
done
configs=("$prefix"/lib*/cmake/wrnsim/wrnsimConfig.cmake)
[ -f "${configs[0]}" ] || fail "no lib/cmake/wrnsim/wrnsimConfig.cmake"
[ -f "$(dirname "${configs[0]}")/wrnsimConfigVersion.cmake" ] || fail "no wrnsimConfigVersion.cmake"

# The project's own warnings (and sanitizers, in that build) apply to the examples too.
quietly "$cmake" -S "$examples" -B "$work/examples" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_CXX_COMPILER="$cxx" -DCMAKE_BUILD_TYPE="$build_type" -DCMAKE_CXX_FLAGS="$flags" ||
  fail "configuring the examples"
found=$(sed -n 's/^wrnsim_DIR:PATH=//p' "$work/examples/CMakeCache.txt")
case $found in
  "$prefix"/*) ;;
  *) fail "the examples found wrnsim at '$found', not under the prefix" ;;
esac
quietly "$cmake" --build "$work/examples" || fail "building the examples"

check() {
  local file=$work/examples/lib$1.so
  [ -f "$file" ] || fail "no lib$1.so"
  local exported
  exported=$(nm -D --defined-only "$file" | awk '{print $3}')
  grep -qx wrnsim_plugin <<<"$exported" || fail "lib$1.so does not export wrnsim_plugin"
  # Hidden by default: nothing of the plug-in's own beyond the entry point.
  local others
  others=$(nm -DC --defined-only "$file" | awk '{$1 = $2 = ""; print}' |
    grep -iE 'wrnsim|random_?path|first_?fit|least_?congested' | grep -vx ' *wrnsim_plugin' || true)
  [ -z "$others" ] || fail "lib$1.so exports more than its entry point:$others"
  "$checker" "$file" "$2" || fail "lib$1.so"
}
check random_path path:random_path
check first_fit wavelength:first_fit
check least_congested path:least_congested

# Any version from the one asked for on within the major one: the installed one and older
# 0.x are taken, a newer minor or the next major are refused.
IFS=. read -r major minor _ <<<"$version"
probe() {
  local dir=$work/probe-$1
  mkdir -p "$dir"
  printf 'cmake_minimum_required(VERSION 3.25)\nproject(probe NONE)\nfind_package(wrnsim %s REQUIRED)\n' \
    "$1" >"$dir/CMakeLists.txt"
  "$cmake" -S "$dir" -B "$dir/build" -DCMAKE_PREFIX_PATH="$prefix" >"$dir/log" 2>&1
}
refused() {
  ! probe "$1" && grep -q 'considered but not accepted' "$work/probe-$1/log"
}
probe "$major.$minor" || fail "version $major.$minor refused"
if [ "$minor" -gt 0 ]; then probe "$major.$((minor - 1))" || fail "version $major.$((minor - 1)) refused"; fi
refused "$major.$((minor + 1))" || fail "version $major.$((minor + 1)) not refused"
refused "$((major + 1)).0" || fail "version $((major + 1)).0 not refused"
lab=$prefix/bin/wrnsim-lab
if [ -x "$lab" ]; then
  run() {
    "$lab" run --topology "$network" --all-pairs --load 0.6 --calls 200 --lambdas 4 --json "$@"
  }
  # The record's counts, per pair and in total.
  counts() { sed -n -e '/^  "calls": {/,/^  },/p' -e '/^  "pairs": \[/,/^  \],/p' "$1"; }
  for seed in 1 2; do
    run --seed "$seed" --policy 1 >"$work/builtin.json" || fail "wrnsim-lab with policy 1"
    run --seed "$seed" --path-policy "$work/examples/librandom_path.so:random_path" \
      >"$work/plugin.json" || fail "wrnsim-lab with random_path"
    [ -n "$(counts "$work/builtin.json")" ] || fail "no counts in the record"
    [ "$(counts "$work/builtin.json")" = "$(counts "$work/plugin.json")" ] ||
      fail "random_path did not decide as policy 1 (seed $seed)"
  done
  run --path-policy "$work/examples/libleast_congested.so:least_congested" \
    --wavelength-policy "$work/examples/libfirst_fit.so:first_fit" >"$work/both.json" ||
    fail "wrnsim-lab with least_congested and first_fit"
  grep -q '"policy_error": 0,' "$work/both.json" || fail "the examples gave wrong answers"
  grep -q '"wavelength_policy": ".*libfirst_fit.so:first_fit"' "$work/both.json" ||
    fail "the record does not name first_fit"
fi
echo "installed, built and loaded the example policies"
