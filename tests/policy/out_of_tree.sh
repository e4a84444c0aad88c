#!/usr/bin/env bash
# Installs this build under a fresh prefix and builds the example policies against it from
# their own folder, as a user would: the package must be found there and nowhere else, keep
# to its version rule, and give plug-ins that load, export their entry point alone and
# register what they say.
#   out_of_tree.sh CMAKE BUILD_DIR EXAMPLES_DIR CHECKER VERSION CXX BUILD_TYPE CXX_FLAGS
set -euo pipefail
cmake=$1 build=$2 examples=$3 checker=$4 version=$5 cxx=$6 build_type=$7 flags=$8

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
echo "installed, built and loaded the example policies"
