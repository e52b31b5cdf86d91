#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Under Wine: the quindle command's stream copy and FileCRC on one large file
# next to Wine's own `copy` and `xcopy` (which copy with CopyFileW), and
# zlib's crc32 against a table-driven one of our own. Wine figures are a
# sanity check, not a goal.
#
#   bench/wine_compare.sh [build folder] [size in MiB]
#
# Defaults: build-win64 and 256 MiB. RUNS timed rounds (5) after one untimed.
# Each time is the median of the rounds, wall clock, program start included
# (printed first: quindle --version); the Wine server is kept running
# meanwhile. Use a file large enough for the work to outweigh the start.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath "${1:-build-win64}")
size_mib=${2:-256}
runs=${RUNS:-5}
loader=wine64
[ -f "$build/CMakeCache.txt" ] && grep -q 'i686' "$build/CMakeCache.txt" && loader=wine
run() { scripts/wine-run "$loader" "$@"; }

work=$(mktemp -d "${TMPDIR:-/tmp}/wine-compare-XXXXXX")
mkdir "$work/out"
# A Wine server that stays for the whole comparison, so that no program pays
# for starting one.
run "$build/cli/quindle.exe" --version >/dev/null
WINEPREFIX=${QUINDLE_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/quindle/wine} /usr/lib/wine/wineserver -p || true
trap 'rm -rf "$work"; WINEPREFIX=${QUINDLE_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/quindle/wine} /usr/lib/wine/wineserver -k || true' EXIT
head -c $((size_mib << 20)) /dev/urandom >"$work/src.bin"
win() { echo "Z:${1//\//\\}"; }

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
time_of() {  # seconds of "$@", wall clock
  local s e
  s=$(date +%s.%N)
  "$@" >/dev/null 2>&1 || true
  e=$(date +%s.%N)
  awk -v s="$s" -v e="$e" 'BEGIN { printf "%.4f\n", e - s }'
}
measure() {  # measure NAME COMMAND...: median of RUNS, less the start
  local name=$1
  shift
  "$@" >/dev/null 2>&1 || true
  local t
  t=$(for _ in $(seq "$runs"); do rm -f "$work/tgt.bin" "$work/out/src.bin"; time_of "$@"; done | median)
  printf '%-30s %6.3f s\n' "$name" "$t"
}

start=$(for _ in $(seq "$runs"); do time_of run "$build/cli/quindle.exe" --version; done | median)
printf '%-30s %6.3f s\n' 'program start (--version)' "$start"
measure "quindle stream copy" run "$build/cli/quindle.exe" -q "$(win "$work/src.bin")" "$(win "$work/tgt.bin")"
measure "wine cmd copy" run cmd /c copy /y "$(win "$work/src.bin")" "$(win "$work/tgt.bin")"
measure "wine xcopy" run xcopy /y /q "$(win "$work/src.bin")" "$(win "$work/out")\\"
measure "FileCRC" run "$build/bench/crc_driver.exe" file "$(win "$work/src.bin")"
echo "checksum in memory, ${size_mib} MiB:"
run "$build/bench/crc_driver.exe" memory "$size_mib"
