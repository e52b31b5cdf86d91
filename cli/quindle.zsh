#compdef quindle
# SPDX-License-Identifier: MIT
# zsh completion for quindle(1), installed as _quindle. Keep the option list
# the same as `quindle --help` (tests/cli/options_test.sh compares them).

# A comma-separated attribute list; "any" only stands alone.
(( $+functions[_quindle_attributes] )) ||
_quindle_attributes() {
  _values -s , attribute \
    '(any)normal[files without attributes (the default)]' \
    '(any)readonly[read-only files]' \
    '(any)hidden[hidden files]' \
    '(any)system[system files]' \
    '(any)archive[files marked for archiving]' \
    '(any)directories[directories, created empty under the target]' \
    '(normal readonly hidden system archive directories)any[every file and directory]'
}

_arguments -s -S \
  '(-m --method)'{-m+,--method=}'[transfer method]:method:((stream\:"whole-file copy (the default)" block\:"block by block" lz\:"expand LZ-compressed files" move\:"rename, or copy and delete"))' \
  '(-a --attributes)'{-a+,--attributes=}'[which files a source selects]:attributes:_quindle_attributes' \
  '(-V --validate)'{-V,--validate}'[compare the CRC-32 of every copy with its source]' \
  '(-n --no-overwrite)'{-n,--no-overwrite}'[leave existing target files alone]' \
  '(-d --create-dir)'{-d,--create-dir}'[create a missing target directory and its parents]' \
  '(-r --recursive)'{-r,--recursive}'[copy sub-directories and their contents too]' \
  '(-L --dereference)'{-L,--dereference}'[with -r, follow symbolic links to directories]' \
  '(-j --jobs)'{-j+,--jobs=}'[with -r, copy up to N directories at a time]:directories at a time:(1 2 4 8)' \
  '(-i --interactive)'{-i,--interactive}'[ask every question (in windows with --gui)]' \
  '--gui[show the run in a progress window]' \
  '--form=[read the settings from a form file first]:form file:_files -g "*.(qfm|lfm|dfm|QFM|LFM|DFM)(-.)"' \
  '--save-form=[write the settings to a form file]:form file:_files' \
  '--list[print the files the sources select, copy nothing]' \
  '--dry-run[print what the run would do, write nothing]' \
  '--trace[print every event as a JSON line]' \
  '(-q --quiet)'{-q,--quiet}'[print nothing but errors]' \
  '(-m --method -a --attributes -V --validate -n --no-overwrite -d --create-dir -i --interactive --form --save-form --list --trace -q --quiet --help --version *)--about[show the About box]' \
  '(- *)'{-h,--help}'[show the help]' \
  '(- *)--version[show the version]' \
  '*:file:_files'
