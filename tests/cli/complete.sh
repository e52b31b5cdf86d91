#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Asks a shell for the candidates its completion of quindle offers.
#
#   complete.sh bash COMPLETION_FILE LINE...
#   complete.sh zsh COMPLETION_FILE LINE...
#
# For each command LINE, completed at its end as if Tab were pressed there,
# prints one line: the candidates, sorted, separated by spaces. bash sources
# the file and calls the function it registered for quindle with the words
# bash would give it; zsh runs interactively in a pseudo-terminal with the
# file as its _quindle and the candidates are what reaches compadd.
set -euo pipefail

[[ $# -ge 2 ]] || { echo "usage: complete.sh bash|zsh COMPLETION_FILE LINE..." >&2; exit 2; }
shell=$1
file=$(cd "$(dirname "$2")" && pwd)/$(basename "$2")
shift 2

case $shell in
  bash)
    bash --norc --noprofile -c '
      source "$1" || exit 1
      shift
      spec=$(complete -p quindle) || exit 1
      function=${spec#*-F }
      function=${function%% *}
      for line; do
        # bash breaks words at "=" as well as at blanks.
        read -ra COMP_WORDS <<< "${line//=/ = }"
        [[ $line == *" " ]] && COMP_WORDS+=("")
        COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
        COMP_LINE=$line
        COMP_POINT=${#line}
        COMPREPLY=()
        "$function" quindle "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2> /dev/null
        printf "%s\n" "${COMPREPLY[@]}" | sed "/^$/d" | LC_ALL=C sort | paste -s -d " " -
      done' complete.sh "$file" "$@"
    ;;
  zsh)
    dir=$(mktemp -d)
    trap 'rm -rf "$dir"' EXIT
    cp "$file" "$dir/_quindle"
    timeout 120 zsh -f -s -- "$dir" "$@" << 'ZSH'
      zmodload zsh/zpty || exit 1
      dir=$1
      shift
      out=$dir/candidates
      : > $out
      zpty shell zsh -f -i
      # No listing, no menu: Tab only completes, and every candidate zsh
      # considers passes through compadd, which records what matched.
      zpty -w shell "PS1='<@> '; unsetopt auto_list auto_menu list_beep beep; fpath=($dir \$fpath)"
      zpty -w shell "autoload -Uz compinit; compinit -u -D; bindkey '^I' complete-word"
      zpty -w shell "compadd() { if (( \${@[(I)-[OAD]*]} )); then builtin compadd \"\$@\"; return; fi;" \
        "local -a m; builtin compadd -O m \"\$@\"; print -rl -- \$m >> $out; builtin compadd \"\$@\"; }"
      # zle drops what was typed before it started: each line waits for the
      # prompt that follows the command before it.
      for line in "$@"; do
        zpty -w shell "print -r -- @@line >> $out; print RE''ADY"
        zpty -r shell ignored '*READY*<@> *'
        zpty -w -n shell "$line"$'\t\C-u'
      done
      zpty -w shell "print -r -- @@line >> $out; print EN''D"
      zpty -r shell ignored '*END*'
      zpty -d shell
      # One line per command line: what was recorded after its marker.
      LC_ALL=C
      local -a words
      local started=0 l
      for l in "${(@f)$(< $out)}"; do
        if [[ $l == @@line ]]; then
          (( started )) && print -r -- "${(j: :)${(@ou)words}}"
          words=() started=1
        elif [[ -n $l ]]; then
          words+=("$l")
        fi
      done
ZSH
    ;;
  *)
    echo "complete.sh: unknown shell $shell" >&2
    exit 2
    ;;
esac
