#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Whole-command benchmarks of the quindle command beside the tools a user
# would reach for instead, measured side by side.
#
#   bench/run_cli.sh many-files [-n FILES] [-r ROUNDS]  small files into a new directory
#   bench/run_cli.sh tree       [-n FILES] [-r ROUNDS]  a tree of 100 directories, -r (and -j 1) against cp -r
#   bench/run_cli.sh syscalls   [-n FILES]              system calls per file (strace -c -f)
#   bench/run_cli.sh validate   [-s MIB] [-r ROUNDS]    one large file copied with --validate
#   bench/run_cli.sh memory     [-s MIB]                peak memory, 10 MiB against MIB
#
# Defaults: 10,000 files of 1 to 8 KiB, 9 rounds; 1024 MiB and 7 rounds for
# validate; 4096 MiB for memory.
#
# Common options: -b BUILD_DIR (default: build), -d WORK_DIR (default: TMPDIR
# or /tmp), -R OTHER_QUINDLE (a second binary, say an older build, timed beside
# the first as "quindle-ref"). The quindle binary is built with cmake when it
# is missing; nothing else is built. Every round runs each tool once, in an
# order that rotates from round to round, after a sync so that no tool pays
# for the previous one's dirty pages. The tables give the median wall-clock
# time, the median CPU time (user + system) and the ratio of the reference
# tool's median to each tool's (above 1.00 means faster than the reference).
# On a busy machine the CPU ratio is the steadier of the two.
# Tools that are not installed (rsync, 7zz, strace, /usr/bin/time) are left out
# with a note. Everything made under WORK_DIR is removed at the end.
set -euo pipefail

repo="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="$repo/build"
work_dir="${TMPDIR:-/tmp}"
files=10000
rounds=""
size_mib=""
quindle_ref=""

usage() { sed -n '2,24p' "$0"; exit 2; }
(($# >= 1)) || usage
mode="$1"
shift
while getopts "b:d:n:r:s:R:h" opt; do
  case "$opt" in
    b) build_dir="$OPTARG" ;;
    d) work_dir="$OPTARG" ;;
    n) files="$OPTARG" ;;
    r) rounds="$OPTARG" ;;
    s) size_mib="$OPTARG" ;;
    R) quindle_ref="$OPTARG" ;;
    *) usage ;;
  esac
done

have() { command -v "$1" >/dev/null 2>&1; }
note() { echo "note: $*" >&2; }
die() { echo "run_cli: $*" >&2; exit 1; }

quindle="$build_dir/cli/quindle"
if [[ ! -x "$quindle" ]]; then
  note "building $quindle (Release)"
  cmake -S "$repo" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build_dir" --target quindle -j "$(nproc)" >/dev/null
fi
build_type="$(sed -n 's/^CMAKE_BUILD_TYPE:STRING=//p' "$build_dir/CMakeCache.txt" 2>/dev/null || true)"

scratch="$(mktemp -d "$work_dir/quindle-cli-bench-XXXXXX")"
# ext4 passes over the inodes freed in the last minutes when it allocates new
# ones, so the many small files one run removes at its end would slow every
# tool of the next run down. A run that made them leaves a stamp; the next one
# waits until the stamp is five minutes old.
stamp="$work_dir/.quindle-cli-bench-freed"
many_inodes=0
trap 'rm -rf "$scratch"; ((many_inodes)) && touch "$stamp"' EXIT
wait_for_freed_inodes() {
  many_inodes=1
  [[ -f "$stamp" ]] || return 0
  local age=$(($(date +%s) - $(stat -c %Y "$stamp")))
  if ((age < 300)); then
    note "waiting $((300 - age)) s: the last run freed its inodes too recently"
    sleep $((300 - age))
  fi
}

# CPU time (user + system) of all waited-for children so far, in microseconds,
# from the output of `times`, which must run in this shell (a subshell starts
# with no children of its own).
children_cpu() {
  awk 'NR == 2 { for (i = 1; i <= 2; i++) { split($i, t, "m"); sub(/s$/, "", t[2]);
    us += (t[1] * 60 + t[2]) * 1e6 } printf "%d\n", us }' "$scratch/times"
}

# Runs a command and leaves its wall-clock and CPU times in microseconds in
# `took` and `took_cpu`. Output goes to /dev/null; a failure ends the benchmark.
timed() {
  local start end cpu0
  times >"$scratch/times"
  cpu0="$(children_cpu)"
  start=${EPOCHREALTIME/[.,]/}
  "$@" >/dev/null || die "failed: $*"
  end=${EPOCHREALTIME/[.,]/}
  times >"$scratch/times"
  took=$((end - start))
  took_cpu=$(($(children_cpu) - cpu0))
}

median() { tr ' ' '\n' | sed '/^$/d' | sort -g | awk '{ v[NR] = $1 } END {
  print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

header() {
  echo "$*"
  echo "quindle: $quindle (${build_type:-unknown build type}); $(nproc) CPUs; load:$(uptime | sed 's/.*average://')"
}

# Runs every tool of the global array `tools` once per round, rotating the
# order, and collects the times in the global associative array `samples`.
# run_tool TOOL ROUND does one timed run and leaves its microseconds in `took`.
declare -A samples cpu_samples
run_rounds() {
  local round i tool
  for ((round = 0; round < rounds; round++)); do
    for ((i = 0; i < ${#tools[@]}; i++)); do
      tool="${tools[$(((i + round) % ${#tools[@]}))]}"
      sync
      run_tool "$tool" "$round"
      samples[$tool]+="$took "
      cpu_samples[$tool]+="$took_cpu "
    done
  done
}

# Prints one line per tool: medians, a figure per unit (UNITS per second of
# wall-clock time, or with "per" seconds per unit) and the speed relative to
# the reference tool.  report REFERENCE LABEL UNITS [per]
report() {
  local reference="$1" unit_label="$2" unit_div="$3" per="${4:-}" ref ref_cpu tool m c
  ref="$(median <<<"${samples[$reference]}")"
  ref_cpu="$(median <<<"${cpu_samples[$reference]}")"
  printf '%-14s %9s %10s %10s %9s %9s\n' tool "wall (s)" "$unit_label" "CPU (s)" "wall" "CPU"
  printf '%-14s %9s %10s %10s %19s\n' "" median "(wall)" median "speed vs $reference"
  for tool in "${tools[@]}"; do
    m="$(median <<<"${samples[$tool]}")"
    c="$(median <<<"${cpu_samples[$tool]}")"
    awk -v t="$tool" -v m="$m" -v c="$c" -v r="$ref" -v rc="$ref_cpu" -v d="$unit_div" -v p="$per" \
      'BEGIN { printf "%-14s %9.3f %10.3f %10.3f %9.2f %9.2f\n", t, m / 1e6,
               (p == "per" ? m / 1e6 / d : d / (m / 1e6)), c / 1e6, r / m, (c > 0 ? rc / c : 0) }'
  done
}

# --- many small files --------------------------------------------------------

# FILES files of 1 to 8 KiB with sizes and contents drawn from a fixed seed.
make_tree() {
  mkdir -p "$1"
  perl -e '
    my ($dir, $n) = @ARGV;
    srand(20240611);
    my $pool = join "", map { chr(int(rand(256))) } 1 .. 65536;
    for my $i (0 .. $n - 1) {
      my $size = 1024 + int(rand(7 * 1024 + 1));
      my $off = int(rand(65536 - $size));
      open(my $f, ">:raw", sprintf("%s/f%05d.bin", $dir, $i)) or die "$!";
      print $f substr($pool, $off, $size);
      close($f) or die "$!";
    }' "$1" "$2"
  cat "$1"/* >/dev/null
}

# Same names, same contents; with a second argument also the same
# modification times to the microsecond.
check_tree() {
  local src="$1" dst="$2" times="${3:-}"
  diff -rq "$src" "$dst" >/dev/null || die "$dst differs from $src"
  if [[ -n "$times" ]]; then
    cmp -s <(cd "$src" && find . -type f -printf '%p %T@\n' | sed 's/....$//' | sort) \
      <(cd "$dst" && find . -type f -printf '%p %T@\n' | sed 's/....$//' | sort) ||
      die "$dst does not carry the modification times of $src"
  fi
}

many_files() {
  rounds="${rounds:-9}"
  local src="$scratch/src"
  wait_for_freed_inodes
  make_tree "$src" "$files"
  local names=("$src"/*)
  tools=(cp quindle quindle-glob cp-p)
  [[ -n "$quindle_ref" ]] && tools+=(quindle-ref)
  if have rsync; then tools+=(rsync); else note "rsync not installed, left out"; fi
  run_tool() {
    local dst="$scratch/$1-$2"
    mkdir "$dst"
    case "$1" in
      cp) timed cp "${names[@]}" "$dst/" ;;
      cp-p) timed cp -p "${names[@]}" "$dst/" ;;
      quindle) timed "$quindle" -q "$src" "$dst/" ;;
      quindle-ref) timed "$quindle_ref" -q "$src" "$dst/" ;;
      quindle-glob) timed "$quindle" -q "${names[@]}" "$dst/" ;;
      rsync) timed rsync -a "$src/" "$dst/" ;;
    esac
    # The first round checks every copy; quindle, cp -p and rsync keep dates.
    if (($2 == 0)); then check_tree "$src" "$dst" "$([[ $1 == cp ]] || echo times)"; fi
  }
  header "$files files of 1 to 8 KiB ($(du -sm "$src" | cut -f1) MiB) in the page cache," \
    "copied into a new directory; $rounds rounds; targets kept until the end"
  run_rounds
  report cp "files/s" "$files"
}

# --- a tree of directories --------------------------------------------------

# FILES files of 1 to 8 KiB spread evenly over 100 directories: 10 at the top,
# each holding 9 more, all under ROOT; sizes and bytes from a fixed seed.
make_deep_tree() {
  perl -e '
    my ($root, $n) = @ARGV;
    srand(20240611);
    my $pool = join "", map { chr(int(rand(256))) } 1 .. 65536;
    my @dirs;
    for my $t (0 .. 9) {
      push @dirs, sprintf("%s/d%d", $root, $t);
      push @dirs, map { sprintf("%s/d%d/e%d", $root, $t, $_) } 0 .. 8;
    }
    for my $d (@dirs) { mkdir $d or die "$d: $!" }
    for my $i (0 .. $n - 1) {
      my $size = 1024 + int(rand(7 * 1024 + 1));
      my $off = int(rand(65536 - $size));
      my $d = $dirs[$i % @dirs];
      open(my $f, ">:raw", sprintf("%s/f%05d.bin", $d, $i)) or die "$!";
      print $f substr($pool, $off, $size);
      close($f) or die "$!";
    }' "$1" "$2"
  find "$1" -type f -exec cat {} + >/dev/null
}

deep_tree() {
  rounds="${rounds:-9}"
  local src="$scratch/src"
  wait_for_freed_inodes
  mkdir -p "$src"
  make_deep_tree "$src" "$files"
  tools=(cp-r quindle-r quindle-r-j1 cp-rp)
  [[ -n "$quindle_ref" ]] && tools+=(quindle-ref)
  if have rsync; then tools+=(rsync); else note "rsync not installed, left out"; fi
  run_tool() {
    local dst="$scratch/$1-$2"
    mkdir "$dst"
    case "$1" in
      cp-r) timed cp -r "$src/." "$dst/" ;;
      cp-rp) timed cp -rp "$src/." "$dst/" ;;
      quindle-r) timed "$quindle" -q -r "$src" "$dst/" ;;
      quindle-r-j1) timed "$quindle" -q -j 1 -r "$src" "$dst/" ;;
      quindle-ref) timed "$quindle_ref" -q -r "$src" "$dst/" ;;
      rsync) timed rsync -a "$src/" "$dst/" ;;
    esac
    if (($2 == 0)); then check_tree "$src" "$dst" "$([[ $1 == cp-r ]] || echo times)"; fi
  }
  header "$files files of 1 to 8 KiB ($(du -sm "$src" | cut -f1) MiB) in 100 directories," \
    "in the page cache, copied into a new directory; $rounds rounds; targets kept until the end"
  run_rounds
  report cp-r "files/s" "$files"
}

# --- system calls per file ---------------------------------------------------

syscalls() {
  have strace || { note "strace not installed"; exit 0; }
  local src="$scratch/src"
  wait_for_freed_inodes
  make_tree "$src" "$files"
  local names=("$src"/*)
  local tool
  for tool in quindle quindle-glob cp; do
    mkdir "$scratch/$tool"
    case "$tool" in
      quindle) strace -c -f -o "$scratch/$tool.txt" "$quindle" -q "$src" "$scratch/$tool/" ;;
      quindle-glob) strace -c -f -o "$scratch/$tool.txt" "$quindle" -q "${names[@]}" "$scratch/$tool/" ;;
      cp) strace -c -f -o "$scratch/$tool.txt" cp "${names[@]}" "$scratch/$tool/" ;;
    esac
  done
  echo "system calls per file, $files files of 1 to 8 KiB (strace -c -f; start-up calls included)"
  # strace -c: "% time, seconds, usecs/call, calls, [errors], syscall".
  awk -v n="$files" '
    FNR == 1 { tool++ }
    $1 ~ /^[0-9.]+$/ && $NF != "total" { calls[$NF, tool] = $4; names[$NF] = 1; sum[tool] += $4 }
    END {
      printf "%-18s %9s %13s %9s\n", "call", "quindle", "quindle-glob", "cp"
      for (c in names) {
        line = sprintf("%-18s", c)
        keep = 0
        for (t = 1; t <= 3; t++) {
          v = calls[c, t] / n
          if (v >= 0.01) keep = 1
          line = line sprintf(t == 2 ? " %13.2f" : " %9.2f", v)
        }
        if (keep) print line
      }
      printf "%-18s %9.2f %13.2f %9.2f\n", "total", sum[1] / n, sum[2] / n, sum[3] / n
    }' "$scratch/quindle.txt" "$scratch/quindle-glob.txt" "$scratch/cp.txt" >"$scratch/table"
  head -n 1 "$scratch/table"
  sed '1d;/^total /d' "$scratch/table" | sort -k2,2gr -k4,4gr
  grep '^total ' "$scratch/table"
}

# --- one large file with validation ------------------------------------------

# The peer of a validated copy: cp, then the checksums of both files.
sum_tool=()
peer_pair() { cp "$1" "$2" && "${sum_tool[@]}" "$1" "$2"; }

validate() {
  rounds="${rounds:-7}"
  size_mib="${size_mib:-1024}"
  local src="$scratch/source.bin"
  dd if=/dev/urandom of="$src" bs=1M count="$size_mib" status=none
  cat "$src" >/dev/null
  local peer=""
  if have 7zz; then
    peer="cp+7zz"
    sum_tool=(7zz h -scrcCRC32)
  elif have rhash; then
    peer="cp+rhash"
    sum_tool=(rhash --crc32)
    note "7zz not installed: the peer is cp followed by rhash --crc32 of both files"
  else
    peer="cp+cksum"
    sum_tool=(cksum)
    note "7zz and rhash not installed: the peer is cp followed by cksum (the POSIX CRC) of both files"
  fi
  tools=(quindle-V "$peer" cp quindle)
  [[ -n "$quindle_ref" ]] && tools+=(quindle-ref-V)
  run_tool() {
    local dst="$scratch/target-$1-$2.bin"
    case "$1" in
      quindle-V) timed "$quindle" -q --validate "$src" "$dst" ;;
      quindle-ref-V) timed "$quindle_ref" -q --validate "$src" "$dst" ;;
      quindle) timed "$quindle" -q "$src" "$dst" ;;
      cp) timed cp "$src" "$dst" ;;
      *) timed peer_pair "$src" "$dst" ;;
    esac
    if (($2 == 0)); then cmp -s "$src" "$dst" || die "$1 produced a wrong copy"; fi
    rm -f "$dst"
  }
  header "one file of $size_mib MiB from /dev/urandom in the page cache; $rounds rounds;" \
    "quindle-V = quindle --validate (checksum of the source, copy, checksum of the target)"
  run_rounds
  report "$peer" "s/GiB" "$(awk -v s="$size_mib" 'BEGIN { print s / 1024 }')" per
}

# --- peak memory --------------------------------------------------------------

# Peak resident set of one run of the command, in KiB.
max_rss() {
  if [[ -x /usr/bin/time ]]; then
    /usr/bin/time -f '%M' -o "$scratch/rss" "$@" >/dev/null || die "failed: $*"
    tail -n 1 "$scratch/rss"
  elif have python3; then
    python3 -c 'import resource, subprocess, sys
subprocess.run(sys.argv[1:], check=True, stdout=subprocess.DEVNULL)
print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)' "$@"
  else
    die "neither /usr/bin/time nor python3 is installed"
  fi
}

memory() {
  size_mib="${size_mib:-4096}"
  local small="$scratch/small.bin" large="$scratch/large.bin" how
  dd if=/dev/urandom of="$small" bs=1M count=10 status=none
  # Allocated blocks read as zeros and are copied like any data (ext4 has no
  # reflink, and copy_file_range does not skip them); the target's allocated
  # size below shows that every byte was written.
  if fallocate -l "${size_mib}M" "$large" 2>/dev/null; then
    how="fallocate"
  else
    dd if=/dev/zero of="$large" bs=1M count="$size_mib" status=none
    how="dd from /dev/zero"
  fi
  echo "peak resident set (max RSS, KiB): 10 MiB from /dev/urandom against $size_mib MiB ($how)"
  printf '%-26s %10s %10s %8s %14s\n' command "10 MiB" "$size_mib MiB" ratio "target MiB"
  local variant small_rss large_rss alloc
  for variant in "quindle" "quindle -m block" "quindle --validate" "cp"; do
    local run=("$quindle" -q)
    case "$variant" in
      *block) run+=(-m block) ;;
      *validate) run+=(--validate) ;;
      cp) run=(cp) ;;
    esac
    small_rss="$(max_rss "${run[@]}" "$small" "$scratch/t-small")"
    large_rss="$(max_rss "${run[@]}" "$large" "$scratch/t-large")"
    alloc="$(du -m "$scratch/t-large" | cut -f1)"
    [[ "$(stat -c %s "$scratch/t-large")" == "$(stat -c %s "$large")" ]] || die "$variant: short copy"
    rm -f "$scratch/t-small" "$scratch/t-large"
    awk -v v="$variant" -v a="$small_rss" -v b="$large_rss" -v m="$alloc" \
      'BEGIN { printf "%-26s %10d %10d %8.2f %14d\n", v, a, b, b / a, m }'
  done
}

case "$mode" in
  many-files) many_files ;;
  tree) deep_tree ;;
  syscalls) syscalls ;;
  validate) validate ;;
  memory) memory ;;
  *) usage ;;
esac
