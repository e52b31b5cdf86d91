#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Times the stream and block copy methods against cp and dd, side by side.
#
#   bench/transfer.sh [-b BUILD_DIR] [-d WORK_DIR] [-s SIZE_MIB] [-r ROUNDS]
#
# One source of SIZE_MIB (default 1024) random bytes is made in WORK_DIR
# (default: the system's temporary folder) and read once so that it sits in the
# page cache. Every round then copies it to a new file with each tool, in an
# order that rotates from round to round so that drift hits all tools alike;
# the target is removed outside the timing and every copy is compared with the
# source. The report gives each tool's median and the ratio of cp's median to
# it (1.00 means as fast as cp). hyperfine times the runs when it is installed,
# and then CPU time (user + system, steadier on a loaded machine) is reported
# as well; otherwise (or with TIMER=date) date(1) takes the wall time alone.
set -euo pipefail

build_dir="$(cd "$(dirname "$0")/.." && pwd)/build"
work_dir="${TMPDIR:-/tmp}"
size_mib=1024
rounds=7
while getopts "b:d:s:r:h" opt; do
  case "$opt" in
    b) build_dir="$OPTARG" ;;
    d) work_dir="$OPTARG" ;;
    s) size_mib="$OPTARG" ;;
    r) rounds="$OPTARG" ;;
    *) sed -n '2,12p' "$0"; exit 2 ;;
  esac
done

driver="$build_dir/bench/transfer_driver"
[[ -x "$driver" ]] || { echo "no $driver: build the target transfer_driver first" >&2; exit 1; }

scratch="$(mktemp -d "$work_dir/quindle-bench-XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
src="$scratch/source.bin"
tgt="$scratch/target.bin"

head -c "$((size_mib * 1024 * 1024))" /dev/urandom >"$src"
cat "$src" >/dev/null

tools=(cp dd_49152 stream block)
command_for() {
  case "$1" in
    cp) echo "cp $src $tgt" ;;
    dd_49152) echo "dd if=$src of=$tgt bs=49152 status=none" ;;
    stream) echo "$driver stream $src $tgt" ;;
    block) echo "$driver block $src $tgt" ;;
  esac
}

use_hyperfine=0
[[ "${TIMER:-}" != date ]] && command -v hyperfine >/dev/null 2>&1 && use_hyperfine=1

# Seconds taken by one run of the tool's command: "wall cpu", or "wall" alone
# without hyperfine.
time_once() {
  local cmd
  cmd="$(command_for "$1")"
  rm -f "$tgt"
  if ((use_hyperfine)); then
    local json="$scratch/run.json"
    # shellcheck disable=SC2086
    hyperfine -N --runs 1 --style none --export-json "$json" "$cmd" >/dev/null
    field() { sed -n "s/.*\"$1\": *\([0-9.e+-]*\).*/\1/p" "$json" | head -n 1; }
    awk -v w="$(field median)" -v u="$(field user)" -v s="$(field system)" \
      'BEGIN { printf "%.6f %.6f\n", w, u + s }'
  else
    local start end
    start=$(date +%s%N)
    $cmd
    end=$(date +%s%N)
    awk -v ns="$((end - start))" 'BEGIN { printf "%.6f\n", ns / 1e9 }'
  fi
  cmp -s "$src" "$tgt" || { echo "$1 produced a wrong copy" >&2; exit 1; }
  rm -f "$tgt"
}

declare -A wall cpu
for ((round = 0; round < rounds; round++)); do
  for ((i = 0; i < ${#tools[@]}; i++)); do
    tool="${tools[$(((i + round) % ${#tools[@]}))]}"
    read -r w c <<<"$(time_once "$tool")"
    wall[$tool]+="$w "
    cpu[$tool]+="${c:-} "
  done
done

median() { tr ' ' '\n' | sed '/^$/d' | sort -g | awk '{ v[NR] = $1 } END {
  if (NR) print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "source: $size_mib MiB in the page cache; $rounds alternating rounds;" \
  "timer: $( ((use_hyperfine)) && echo hyperfine || echo date)"
cp_wall="$(median <<<"${wall[cp]}")"
cp_cpu="$(median <<<"${cpu[cp]}")"
printf '%-10s %10s %8s %10s %8s %8s\n' tool "wall (s)" "vs cp" "CPU (s)" "vs cp" "MiB/s"
for tool in "${tools[@]}"; do
  awk -v t="$tool" -v w="$(median <<<"${wall[$tool]}")" -v cw="$cp_wall" \
    -v c="$(median <<<"${cpu[$tool]}")" -v cc="$cp_cpu" -v s="$size_mib" 'BEGIN {
      if (c == "") printf "%-10s %10.4f %8.2f %10s %8s %8.0f\n", t, w, cw / w, "-", "-", s / w
      else printf "%-10s %10.4f %8.2f %10.4f %8.2f %8.0f\n", t, w, cw / w, c, cc / c, s / w }'
done
