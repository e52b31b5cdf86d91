#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times FileCRC and TFileStream::CopyFrom on one large cached file beside the
# tools a user would compare them with, and prints ratios of the medians
# (above 1 means faster than the reference in the first row).
#
#   bench/crc_compare.sh [crc_bench binary] [size in MiB]
#
# Defaults: build/bench/crc_bench and 1024 MiB. RUNS sets the timed rounds
# (15, after 2 untimed ones). The work files go to a fresh folder under TMPDIR
# (a path without blanks) and are deleted at the end. 7zz (package 7zip) is
# timed when present.
#
# The commands take turns within each round, starting one further along every
# round, so a change in the machine's load falls on all of them alike rather
# than on whichever ran last. CPU time (user + system) is reported beside the
# wall time: on a shared machine it is the steadier of the two, but FileCRC
# reads a large file with one thread per processor, so compare it by wall time.
set -euo pipefail

bench=${1:-build/bench/crc_bench}
size_mib=${2:-1024}
runs=${RUNS:-15}
warmup=2

[ -x "$bench" ] || { echo "crc_compare: $bench is not built (target crc_bench)" >&2; exit 2; }
bench=$(realpath "$bench")

work=$(mktemp -d "${TMPDIR:-/tmp}/crc-compare-XXXXXX")
trap 'rm -rf "$work"' EXIT
data=$work/data
head -c "${size_mib}M" /dev/urandom >"$data"
cat "$data" >/dev/null  # into the page cache

# measure OUT PREPARE COMMAND...: appends "index wall cpu" (seconds) per timed run.
measure() {
  local out=$1 prepare=$2 round i k t
  shift 2
  local cmds=("$@") n=$#
  : >"$out"
  for ((round = 0; round < warmup + runs; round++)); do
    for ((k = 0; k < n; k++)); do
      i=$(((round + k) % n))
      [ -z "$prepare" ] || $prepare
      t=$({ TIMEFORMAT='%R %U %S'; time ${cmds[$i]} >/dev/null 2>&1; } 2>&1)
      ((round < warmup)) || echo "$i $t" | awk '{print $1, $2, $3 + $4}' >>"$out"
    done
  done
}

median() { sort -n | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

# report OUT LABEL...: one line per command, ratios against the first.
report() {
  local out=$1 i wall cpu ref_wall ref_cpu
  shift
  for ((i = 0; i < $#; i++)); do
    wall=$(awk -v i="$i" '$1 == i {print $2}' "$out" | median)
    cpu=$(awk -v i="$i" '$1 == i {print $3}' "$out" | median)
    if ((i == 0)); then ref_wall=$wall ref_cpu=$cpu; fi
    local -a labels=("$@")
    awk -v l="${labels[$i]}" -v w="$wall" -v c="$cpu" -v rw="$ref_wall" -v rc="$ref_cpu" 'BEGIN {
      printf "  %-24s wall %8.0f ms  x%.2f    cpu %8.0f ms  x%.2f\n", l, w * 1000, rw / w, c * 1000, rc / c }'
  done
}

# The timings only count if every contender computes the same checksum.
ours=$("$bench" --crc "$data")
table=$("$bench" --table "$data")
[ "$ours" = "$table" ] || { echo "crc_compare: FileCRC $ours, table loop $table" >&2; exit 1; }
crc_cmds=("cat $data" "$bench --crc $data" "$bench --table $data")
crc_labels=(cat FileCRC "per-byte table loop")
if command -v 7zz >/dev/null; then
  theirs=$(7zz h -scrcCRC32 "$data" | awk '/CRC32 +for data/ {print $NF}')
  [ "$ours" = "$theirs" ] || { echo "crc_compare: FileCRC $ours, 7zz $theirs" >&2; exit 1; }
  crc_cmds+=("7zz h -scrcCRC32 $data")
  crc_labels+=("7zz h -scrcCRC32")
else
  echo "crc_compare: 7zz not installed, left out" >&2
fi

echo "checksum of ${size_mib} MiB in the page cache ($ours), medians of $runs rounds:"
measure "$work/crc.txt" "" "${crc_cmds[@]}"
report "$work/crc.txt" "${crc_labels[@]}"

# Deleting the copy before each run drops its dirty pages, so no run pays for
# the write-back of the one before.
echo "copy of ${size_mib} MiB in the page cache, medians of $runs rounds:"
measure "$work/copy.txt" "rm -f $work/copy" "cp $data $work/copy" \
  "$bench --copy $data $work/copy" "$bench --copy-buffered $data $work/copy"
cmp -s "$data" "$work/copy" || { echo "crc_compare: the copy differs" >&2; exit 1; }
report "$work/copy.txt" cp "TFileStream::CopyFrom" "read/write loop (1 MiB)"
uptime | sed 's/.*load/load/'
