#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs every fuzz target of a fuzz build for a time each, JOBS at once, and
# prints each target's figures.   run_all.sh <fuzz build dir> <seconds> [JOBS]
set -uo pipefail
build=$(cd "$1" && pwd) seconds=$2 jobs=${3:-1}
here=$(cd "$(dirname "$0")" && pwd)
targets=$(find "$build/tests/fuzz" -maxdepth 1 -type f -executable -name 'fuzz_*' ! -name fuzz_seeds |
  sort)
export build seconds here
printf '%s\n' $targets | xargs -P "$jobs" -I{} sh -c \
  'b={}; t=$(basename "$b"); t=${t#fuzz_}; "$here/run_fuzzer.sh" "$b" "$seconds" "$build/runs/$t" "$build/seeds/$t"'
