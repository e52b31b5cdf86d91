#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A project that includes the component with add_subdirectory keeps its own
# build type for it: with CMAKE_BUILD_TYPE=Debug the component is compiled
# with the Debug flags and the program works; with none, none is forced on it.
#
#   check_add_subdirectory.sh SOURCE WORKDIR
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
[[ $# -eq 2 ]] || { echo "usage: check_add_subdirectory.sh SOURCE WORKDIR" >&2; exit 2; }
source_dir=$(cd "$1" && pwd)
mkdir -p "$2"
work=$(cd "$2" && pwd)
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

cached_build_type() {
  sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$1/CMakeCache.txt"
}

# Debug: the parent's choice, and the flags of a component source show it.
build=$work/debug
cmake -S "$here/add_subdirectory" -B "$build" -DQUINDLE_SOURCE_DIR="$source_dir" \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_EXPORT_COMPILE_COMMANDS=ON > "$work/debug.log" 2>&1 ||
  { tail -n 20 "$work/debug.log" >&2; exit 1; }
[[ $(cached_build_type "$build") == Debug ]] ||
  fail "Debug: CMAKE_BUILD_TYPE is '$(cached_build_type "$build")' after configuring"
optimised=' -O[1-3sz]? '
command=$(grep -F '"command"' "$build/compile_commands.json" | grep -F '/engine/quindle.cpp' || true)
if [[ -z $command ]]; then
  fail "Debug: engine/quindle.cpp is not compiled"
elif [[ $command != *" -g "* || $command =~ $optimised || $command == *-DNDEBUG* ]]; then
  fail "Debug: engine/quindle.cpp is not compiled with the Debug flags: $command"
fi
if cmake --build "$build" --target copy_check -j2 >> "$work/debug.log" 2>&1; then
  rm -rf "$work/run" && mkdir -p "$work/run"
  head -c 50000 /dev/urandom > "$work/run/source.bin"
  "$build/copy_check" "$work/run/source.bin" "$work/run/target.bin" || fail "Debug: copy_check failed"
  cmp -s "$work/run/source.bin" "$work/run/target.bin" || fail "Debug: the target differs from the source"
else
  fail "Debug: the consumer does not build:"$'\n'"$(tail -n 20 "$work/debug.log")"
fi

# No build type: the component must not choose one for the parent.
build=$work/none
rm -rf "$build"
cmake -S "$here/add_subdirectory" -B "$build" -DQUINDLE_SOURCE_DIR="$source_dir" \
  > "$work/none.log" 2>&1 || { tail -n 20 "$work/none.log" >&2; exit 1; }
[[ -z $(cached_build_type "$build") ]] ||
  fail "no build type: the component set CMAKE_BUILD_TYPE to '$(cached_build_type "$build")'"

((failures == 0)) || exit 1
echo "== add_subdirectory keeps the parent's build type"
