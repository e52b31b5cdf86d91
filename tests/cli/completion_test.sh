#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# What the bash and zsh completion of quindle offer, asked of the shells
# themselves (complete.sh) in a folder with a few files.
#
#   completion_test.sh BASH_COMPLETION [ZSH_COMPLETION]
set -euo pipefail

[[ $# -ge 1 ]] || { echo "usage: completion_test.sh BASH_COMPLETION [ZSH_COMPLETION]" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
bash_completion=$(absolute "$1")
zsh_completion=${2:+$(absolute "$2")}

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder"
touch a.qfm b.LFM notes.txt ./--odd.txt
mkdir sub

# shell | command line, completed at its end | the candidates, sorted
cases=(
  "bash|quindle --method |block lz move stream"
  "bash|quindle -m l|lz"
  "bash|quindle --method=|block lz move stream"
  "bash|quindle --method=s|stream"
  "bash|quindle -a |any archive directories hidden normal readonly system"
  "bash|quindle --attributes normal,h|normal,hidden"
  "bash|quindle -a normal,hidden,|normal,hidden,archive normal,hidden,directories normal,hidden,readonly normal,hidden,system"
  "bash|quindle -a any,|"
  "bash|quindle --form |a.qfm b.LFM sub"
  "bash|quindle --form n|notes.txt"
  "bash|quindle --save-form n|notes.txt"
  "bash|quindle -V --v|--validate --version"
  "bash|quindle a|a.qfm"
  "bash|quindle -- --o|--odd.txt"
  "zsh|quindle --method |block lz move stream"
  "zsh|quindle -m l|lz"
  "zsh|quindle --method=|block lz move stream"
  "zsh|quindle -a |any archive directories hidden normal readonly system"
  "zsh|quindle -a normal,hidden,|archive directories readonly system"
  "zsh|quindle --form |a.qfm b.LFM sub"
  "zsh|quindle --form n|notes.txt"
  "zsh|quindle -V --v|--version"
  "zsh|quindle -- --o|--odd.txt"
)

failures=0
checked=0
for shell in bash zsh; do
  file=$bash_completion
  if [[ $shell == zsh ]]; then
    [[ -n $zsh_completion ]] || continue
    file=$zsh_completion
  fi
  lines=()
  expected=()
  for case in "${cases[@]}"; do
    IFS='|' read -r case_shell line candidates <<< "$case"
    [[ $case_shell == "$shell" ]] || continue
    lines+=("$line")
    expected+=("$candidates")
  done
  mapfile -t got < <("$here/complete.sh" "$shell" "$file" "${lines[@]}")
  for i in "${!lines[@]}"; do
    checked=$((checked + 1))
    if [[ ${got[i]-<nothing>} != "${expected[i]}" ]]; then
      echo "FAIL: $shell: '${lines[i]}<Tab>' offers '${got[i]-<nothing>}', expected '${expected[i]}'" >&2
      failures=$((failures + 1))
    fi
  done
done

((failures == 0)) || exit 1
echo "== $checked completions as expected"
