#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The options `quindle --help` lists are exactly those of the manual page and
# of the bash and zsh completion; each difference is reported as the option
# and where it is missing. The manual page must also render without warnings.
#
#   options_test.sh QUINDLE MANUAL_PAGE BASH_COMPLETION [ZSH_COMPLETION]
#
# MANUAL_PAGE is the built page; the zsh completion is checked when given.
set -euo pipefail

[[ $# -ge 3 ]] || { echo "usage: options_test.sh QUINDLE MANUAL_PAGE BASH_COMPLETION [ZSH_COMPLETION]" >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
absolute() { echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; }
quindle=$(absolute "$1")
page=$(absolute "$2")
bash_completion=$(absolute "$3")
zsh_completion=${4:+$(absolute "$4")}
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# The option words (-m, --method) of the lines of an option list that start
# with an option: "  -m, --method METHOD     transfer method".
option_words() {
  grep -E '^ {1,8}-' | sed -E 's/^ +//; s/  .*//' |
    grep -oE '(^|[ ,])--?[A-Za-z0-9][A-Za-z0-9-]*' | tr -d ' ,' | LC_ALL=C sort -u
}

# Candidates of "quindle -<Tab>", in an empty folder so that no file name
# comes with them.
completed_options() {
  local empty
  empty=$(mktemp -d)
  (cd "$empty" && "$here/complete.sh" "$1" "$2" 'quindle -') | tr ' ' '\n' | LC_ALL=C sort -u
  rm -rf "$empty"
}

help=$("$quindle" --help | sed -n '/^Options:/,/^$/p' | option_words)
[[ -n $help ]] || { echo "FAIL: no options found under 'Options:' in quindle --help" >&2; exit 1; }

warnings=$(LC_ALL=C MANWIDTH=200 man --warnings -l "$page" 2>&1 > /dev/null) || fail "man -l $page failed"
[[ -z $warnings ]] || fail "the manual page renders with warnings:"$'\n'"$warnings"
manual=$(LC_ALL=C MANWIDTH=200 man -l "$page" 2> /dev/null | sed -n '/^OPTIONS$/,/^[A-Z]/p' | option_words)

# compare NAME WHERE LIST: reports the options of --help missing from LIST,
# and those of LIST that --help does not have.
compare() {
  local name=$1 where=$2 list=$3 option
  if [[ -z $list ]]; then
    fail "$name ($where) offers no option at all"
    return
  fi
  for option in $(LC_ALL=C comm -23 <(echo "$help") <(echo "$list")); do
    fail "option $option is in 'quindle --help' but missing from $name ($where)"
  done
  for option in $(LC_ALL=C comm -13 <(echo "$help") <(echo "$list")); do
    fail "option $option is in $name ($where) but not in 'quindle --help'"
  done
}

compare "the manual page" "cli/quindle.1.scd, OPTIONS" "$manual"
compare "the bash completion" "cli/quindle.bash" "$(completed_options bash "$bash_completion")"
if [[ -n $zsh_completion ]]; then
  compare "the zsh completion" "cli/quindle.zsh" "$(completed_options zsh "$zsh_completion")"
fi

((failures == 0)) || exit 1
echo "== $(wc -w <<< "$help") options, the same in --help, the manual page and the completion"
