# SPDX-License-Identifier: MIT
# bash completion for quindle(1): options, method and attribute names, form
# files after --form, file names for the operands. Keep the option list the
# same as `quindle --help` (tests/cli/options_test.sh compares them).

_quindle_options='-m --method -a --attributes -V --validate -n --no-overwrite
  -d --create-dir -r --recursive -L --dereference -j --jobs -i --interactive
  --gui
  --form --save-form --list --dry-run --trace -q --quiet --about -h --help
  --version'

# File names starting with $cur.
_quindle_files() {
  compopt -o filenames 2>/dev/null
  local IFS=$'\n'
  COMPREPLY=($(compgen -f -- "$cur"))
}

# Form files (.qfm, and the .lfm and .dfm of the classic builders) and
# directories to reach them; every file when nothing looks like a form.
_quindle_form_files() {
  compopt -o filenames 2>/dev/null
  local IFS=$'\n' f found=0
  COMPREPLY=()
  for f in $(compgen -f -- "$cur"); do
    case ${f,,} in
      *.qfm | *.lfm | *.dfm) COMPREPLY+=("$f") found=1 ;;
      *) [[ -d $f ]] && COMPREPLY+=("$f") ;;
    esac
  done
  ((found)) || COMPREPLY=($(compgen -f -- "$cur"))
}

# A comma-separated attribute list: completes its last name, leaving out the
# names already given; "any" only stands alone.
_quindle_attributes() {
  local given='' word=$cur name
  if [[ $cur == *,* ]]; then
    given=${cur%,*},
    word=${cur##*,}
  fi
  local names='normal readonly hidden system archive directories'
  [[ -z $given ]] && names+=' any'
  COMPREPLY=()
  [[ ,$given == *,any,* ]] && return
  for name in $(compgen -W "$names" -- "$word"); do
    [[ ,$given == *",$name,"* ]] || COMPREPLY+=("$given$name")
  done
  compopt -o nospace 2>/dev/null
}

_quindle() {
  local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]}
  local option=$prev i
  # bash splits "--method=lz" into "--method" "=" "lz".
  if [[ $cur == = && $prev == --* ]]; then
    cur=''
  elif [[ $prev == = ]] && ((COMP_CWORD >= 2)); then
    option=${COMP_WORDS[COMP_CWORD - 2]}
  fi
  COMPREPLY=()

  case $option in
    -m | --method)
      COMPREPLY=($(compgen -W 'stream block lz move' -- "$cur"))
      return
      ;;
    -a | --attributes)
      _quindle_attributes
      return
      ;;
    --form)
      _quindle_form_files
      return
      ;;
    --save-form)
      _quindle_files
      return
      ;;
    -j | --jobs)
      COMPREPLY=($(compgen -W '1 2 4 8' -- "$cur"))
      return
      ;;
  esac

  # After "--" every word is an operand.
  for ((i = 1; i < COMP_CWORD; i++)); do
    if [[ ${COMP_WORDS[i]} == -- ]]; then
      _quindle_files
      return
    fi
  done
  if [[ $cur == -* ]]; then
    COMPREPLY=($(compgen -W "$_quindle_options" -- "$cur"))
    return
  fi
  _quindle_files
}

complete -F _quindle quindle
