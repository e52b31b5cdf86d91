#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks an installed tree the way its users meet it: the public headers are
# complete and nothing else is installed, two programs of other projects
# build against it and copy a file through the component (one found with
# find_package, one with pkg-config), and the installed command runs and its
# manual page renders.
#
#   check_install.sh [--install-from BUILD] [--sysroot DIR] [--variants LIST]
#                    PREFIX WORKDIR
#
# PREFIX is the installed prefix; with --install-from, the build tree BUILD
# is installed there first, into a fresh folder. For the extracted Debian
# packages, whose files name /usr, PREFIX is DIR/usr and DIR the --sysroot.
# WORKDIR holds the consumers' builds. LIST says which libraries to link,
# comma-separated: "shared", "static" (default: those installed). CXX,
# CXXFLAGS and LDFLAGS are passed to both consumers.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
sysroot=''
variants=''
install_from=''
while [[ $# -gt 2 ]]; do
  case $1 in
    --install-from) install_from=$2; shift 2 ;;
    --sysroot) sysroot=$(cd "$2" && pwd); shift 2 ;;
    --variants) variants=$2; shift 2 ;;
    *) echo "check_install.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
[[ $# -eq 2 ]] || { echo "usage: check_install.sh [--install-from BUILD] [--sysroot DIR] [--variants LIST] PREFIX WORKDIR" >&2; exit 2; }
if [[ -n $install_from ]]; then
  rm -rf "$1"
  cmake --install "$install_from" --prefix "$1" > /dev/null
fi
prefix=$(cd "$1" && pwd)
mkdir -p "$2"
work=$(cd "$2" && pwd)
cxx=${CXX:-c++}
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

pc_file=$(find "$prefix/lib" -name quindle.pc -path '*/pkgconfig/*' | head -n 1)
[[ -n $pc_file ]] || { echo "FAIL: no quindle.pc under $prefix/lib" >&2; exit 1; }
libdir=$(dirname "$(dirname "$pc_file")")
if [[ -z $variants ]]; then
  [[ -e $libdir/libquindle_engine.so ]] && variants+=shared,
  [[ -e $libdir/libquindle_engine.a ]] && variants+=static,
fi
echo "== $prefix (libraries in $libdir; checking: ${variants%,})"

# 1. The public headers: everything the entry points include is installed, and
# nothing is installed that they do not include.
entry_points=(engine/quindle.h engine/form_file.h dialogs/overwrite_dialog.h dialogs/about_box.h rtl/ui/dialogs.h
  widgetsets/console/console_widgetset.h widgetsets/scripted/scripted_widgetset.h)
includes=$prefix/include
tu=$work/public_headers.cpp
printf '#include <quindle/%s>\n' "${entry_points[@]}" > "$tu"
if deps=$("$cxx" -std=c++20 -MM -I"$includes/quindle" -I"$includes" "$tu" 2> "$work/headers.err"); then
  reached=$(tr ' \\' '\n\n' <<< "$deps" | grep -o "quindle/.*\.h$" | sed 's|^quindle/||' | sort -u)
  installed=$(cd "$includes/quindle" && find . -name '*.h' | sed 's|^\./||' | sort)
  extra=$(comm -13 <(echo "$reached") <(echo "$installed"))
  [[ -z $extra ]] || fail "installed, but no public header includes them:" $extra
else
  fail "the public headers do not compile from the installed tree:"$'\n'"$(head -n 5 "$work/headers.err")"
fi

# Runs a consumer on a fresh source file and target.
run_consumer() {
  local name=$1 program=$2 dir=$work/run-${1//[^a-z_-]/}
  rm -rf "$dir" && mkdir -p "$dir"
  head -c 70000 /dev/urandom > "$dir/source.bin"
  if ! LD_LIBRARY_PATH=$libdir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH} \
      "$program" "$dir/source.bin" "$dir/target.bin"; then
    fail "$name: copy_check failed"
  elif ! cmp -s "$dir/source.bin" "$dir/target.bin"; then
    fail "$name: the target differs from the source"
  fi
}

# 2. find_package(Quindle), with the libraries of each variant.
for variant in ${variants//,/ }; do
  build=$work/find_package-$variant
  use_static=OFF
  [[ $variant == static ]] && use_static=ON
  if cmake -S "$here/find_package" -B "$build" -DCMAKE_PREFIX_PATH="$prefix" \
      -DQUINDLE_USE_STATIC_LIBS=$use_static -DCMAKE_CXX_COMPILER="$cxx" \
      -DCMAKE_CXX_FLAGS="${CXXFLAGS:-}" -DCMAKE_EXE_LINKER_FLAGS="${LDFLAGS:-}" \
      > "$build.log" 2>&1 && cmake --build "$build" >> "$build.log" 2>&1; then
    run_consumer "find_package ($variant)" "$build/copy_check"
  else
    fail "find_package ($variant): the consumer does not build:"$'\n'"$(tail -n 20 "$build.log")"
  fi
done

# 3. pkg-config --cflags --libs quindle. With only static libraries installed
# the private dependencies are needed as well (--static).
export PKG_CONFIG_PATH=$libdir/pkgconfig
[[ -n $sysroot ]] && export PKG_CONFIG_SYSROOT_DIR=$sysroot
static_flag=''
[[ -e $libdir/libquindle_engine.so ]] || static_flag=--static
program=$work/pkg_config/copy_check
mkdir -p "$work/pkg_config"
if flags=$(pkg-config $static_flag --cflags --libs quindle quindle-widgetset-scripted 2>&1) &&
    "$cxx" -std=c++20 ${CXXFLAGS:-} "$here/consumer/copy_check.cpp" -o "$program" \
      $flags ${LDFLAGS:-} > "$work/pkg_config.log" 2>&1; then
  run_consumer "pkg-config" "$program"
else
  fail "pkg-config: the consumer does not build ($flags):"$'\n'"$(tail -n 20 "$work/pkg_config.log" 2>/dev/null)"
fi

# 4. The command and its manual page.
if [[ -x $prefix/bin/quindle ]]; then
  version=$(LD_LIBRARY_PATH=$libdir "$prefix/bin/quindle" --version 2>&1) ||
    fail "quindle --version: $version"
  page=$(find "$prefix/share/man/man1" -name 'quindle.1*' | head -n 1)
  if [[ -z $page ]]; then
    fail "no manual page quindle(1)"
  elif ! man -l "$page" 2>&1 | grep -q -- '--method'; then
    fail "man -l $page does not render the options"
  fi
fi

if ((failures)); then
  echo "== $failures check(s) failed" >&2
  exit 1
fi
echo "== all checks passed"
