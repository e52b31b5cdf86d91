#!/usr/bin/env bash
# Times FileCRC and TFileStream::CopyFrom on one large cached file beside the
# tools a user would compare them with, in one hyperfine run each, and prints
# speed ratios of the medians (above 1 means faster than the reference).
#
#   bench/crc_compare.sh [crc_bench binary] [size in MiB]
#
# Defaults: build/bench/crc_bench and 1024 MiB. RUNS sets the runs per command
# (15). The work files go to a fresh folder under TMPDIR and are deleted at
# the end. Needs hyperfine; 7zz (package 7zip) is timed when present.
set -euo pipefail

bench=${1:-build/bench/crc_bench}
size_mib=${2:-1024}
runs=${RUNS:-15}

command -v hyperfine >/dev/null || { echo "crc_compare: hyperfine is not installed" >&2; exit 2; }
[ -x "$bench" ] || { echo "crc_compare: $bench is not built (target crc_bench)" >&2; exit 2; }
bench=$(realpath "$bench")

work=$(mktemp -d "${TMPDIR:-/tmp}/crc-compare-XXXXXX")
trap 'rm -rf "$work"' EXIT
data=$work/data
head -c "${size_mib}M" /dev/urandom >"$data"
cat "$data" >/dev/null  # into the page cache

# The timings only count if every contender computes the same checksum.
ours=$("$bench" --crc "$data")
table=$("$bench" --table "$data")
[ "$ours" = "$table" ] || { echo "crc_compare: FileCRC $ours, table loop $table" >&2; exit 1; }
crc_cmds=("cat $data" "$bench --crc $data" "$bench --table $data")
if command -v 7zz >/dev/null; then
  theirs=$(7zz h -scrcCRC32 "$data" | awk '/CRC32 +for data/ {print $NF}')
  [ "$ours" = "$theirs" ] || { echo "crc_compare: FileCRC $ours, 7zz $theirs" >&2; exit 1; }
  crc_cmds+=("7zz h -scrcCRC32 $data")
else
  echo "crc_compare: 7zz not installed, left out" >&2
fi

# Prints each command's median and mean CPU time (user + system), and the
# ratio of the reference's median to its own; the first row is the reference.
report() {
  awk -F, 'NR == 1 { next }
    { cmd = $1; sub(/ .*/, "", cmd); sub(/.*\//, "", cmd)
      arg = $1; sub(/^[^ ]* /, "", arg); sub(/ .*/, "", arg)
      if (arg ~ /^--/) cmd = cmd " " arg
      med = $4 * 1000; cpu = ($5 + $6) * 1000
      if (NR == 2) { ref = med; refcpu = cpu }
      printf "  %-24s median %8.1f ms  cpu %8.1f ms  speed x%.2f (cpu x%.2f)\n",
             cmd, med, cpu, ref / med, refcpu / cpu }' "$1"
}

common=(-N --style none --warmup 3 --runs "$runs")
echo "checksum of ${size_mib} MiB in the page cache ($ours), reference cat:"
hyperfine "${common[@]}" --export-csv "$work/crc.csv" "${crc_cmds[@]}" >/dev/null
report "$work/crc.csv"

# Deleting the copy before each run drops its dirty pages, so no run pays for
# the write-back of the one before.
echo "copy of ${size_mib} MiB in the page cache, reference cp:"
hyperfine "${common[@]}" --prepare "rm -f $work/copy" --export-csv "$work/copy.csv" \
  "cp $data $work/copy" "$bench --copy $data $work/copy" \
  "$bench --copy-buffered $data $work/copy" >/dev/null
cmp -s "$data" "$work/copy" || { echo "crc_compare: the copy differs" >&2; exit 1; }
report "$work/copy.csv"
uptime | sed 's/.*load/load/'
