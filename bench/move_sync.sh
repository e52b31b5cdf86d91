#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# What the sync before a move deletes its source costs: a move across file
# systems (tmpfs source, disk target, so that the target's data must reach
# the disk) against the same copy by the block method, which does not sync,
# followed by rm of the sources. 1,000 small files, then one large file.
#
#   bench/move_sync.sh [BUILD_DIR] [DISK_DIR] [LARGE_MIB]
set -euo pipefail
BUILD=${1:-build}
DISK=${2:-$(mktemp -d "${TMPDIR:-/tmp}/quindle-sync-XXXXXX")}
LARGE_MIB=${3:-1024}
QUINDLE="$BUILD/cli/quindle"
SHM=$(mktemp -d /dev/shm/quindle-sync-XXXXXX)
trap 'rm -rf "$SHM" "$DISK"' EXIT
[ "$(stat -c %d "$SHM")" != "$(stat -c %d "$DISK")" ] || { echo "same file system" >&2; exit 2; }

seconds() { date +%s.%N; }

make_small() {
  rm -rf "$SHM/src" && mkdir -p "$SHM/src"
  for i in $(seq 1 1000); do head -c 4096 /dev/urandom >"$SHM/src/f$i"; done
}
make_large() {
  rm -rf "$SHM/src" && mkdir -p "$SHM/src"
  head -c $((LARGE_MIB << 20)) /dev/urandom >"$SHM/src/large"
}

# $1: label, $2: make function
measure() {
  local label=$1 make=$2 t0 t1 copy move
  $make; rm -rf "$DISK/out" && mkdir "$DISK/out"; sync
  t0=$(seconds)
  "$QUINDLE" -q -m block "$SHM/src/*" "$DISK/out/" && rm -rf "$SHM/src"
  sync; t1=$(seconds); copy=$(echo "$t1 - $t0" | bc)
  $make; rm -rf "$DISK/out" && mkdir "$DISK/out"; sync
  t0=$(seconds)
  "$QUINDLE" -q -m move "$SHM/src/*" "$DISK/out/"
  sync; t1=$(seconds); move=$(echo "$t1 - $t0" | bc)
  printf '%-22s block+rm %8.3f s   move (synced) %8.3f s\n' "$label" "$copy" "$move"
}

measure "1,000 files of 4 KiB" make_small
measure "one file of $LARGE_MIB MiB" make_large
