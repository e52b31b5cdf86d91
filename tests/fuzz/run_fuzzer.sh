#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs one libFuzzer target for a time and prints one line of figures.
#   run_fuzzer.sh <binary> <seconds> <work dir> [<seed dir>...]
# The work dir keeps the corpus the runs grow (corpus/), the full log and any
# input that failed (artifacts/). The exit status is the fuzzer's: non-zero
# when it found a crash, a leak, a failed check or a time-out.
set -uo pipefail
bin=$1 seconds=$2 work=$3
shift 3
name=$(basename "$bin")
mkdir -p "$work/corpus" "$work/artifacts"
dirs=("$work/corpus")
for d in "$@"; do [ -d "$d" ] && dirs+=("$d"); done
log="$work/$name.log"

"$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2560 -print_final_stats=1 \
  -artifact_prefix="$work/artifacts/" "${dirs[@]}" >"$log" 2>&1
status=$?

stat() { sed -n "s/^stat::$1: *//p" "$log" | tail -1; }
last=$(grep -E '^#[0-9]+' "$log" | tail -1)
cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
corp=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$last")
echo "$name: ${seconds} s, $(stat number_of_executed_units) runs, cov ${cov:-?}, ft ${ft:-?}," \
  "corpus ${corp:-?}, peak RSS $(stat peak_rss_mb) MB, status $status"
if [ $status -ne 0 ]; then
  grep -E -A30 '^==[0-9]+==|check failed|ERROR: libFuzzer' "$log" | head -60
  ls "$work/artifacts"
fi
exit $status
