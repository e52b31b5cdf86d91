#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Renders the screenshots in docs/images under Qt's offscreen platform: the
# overwrite dialog, a message box, the About box, the Qt example and the
# designer with its inspector and the About box, at 96 dots per inch
# (NAME.png) and at 192 (NAME@2x.png). Dates are shown in the
# C.UTF-8 locale so that the pictures are the same on every machine.
#
#   scripts/render_screens.sh [build-folder]       (default: build)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cmake -S "$root" -B "$build" >/dev/null
cmake --build "$build" -j2 --target render_screens render_designer >/dev/null
renderer=$build/examples/qt_copy/render_screens
designer=$build/designer/render_designer
package=$build/package/quindle_design.so
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT

# A desktop-sized screen at each density, so that message boxes wrap their
# text as they would on a real one.
screen() {
  printf '{"screens": [{"name": "screen", "x": 0, "y": 0, "width": %d, "height": %d, "logicalDpi": %d, "logicalBaseDpi": 96}]}\n' "$@"
}
screen 1920 1080 96 >"$runtime/96dpi.json"
screen 3840 2160 192 >"$runtime/192dpi.json"

export XDG_RUNTIME_DIR=$runtime LC_ALL=C.UTF-8
QT_QPA_PLATFORM=offscreen:configfile=$runtime/96dpi.json "$renderer" "$root/docs/images"
QT_QPA_PLATFORM=offscreen:configfile=$runtime/192dpi.json "$renderer" "$root/docs/images" @2x
QT_QPA_PLATFORM=offscreen:configfile=$runtime/96dpi.json "$designer" "$package" "$root/docs/images/designer.png"
QT_QPA_PLATFORM=offscreen:configfile=$runtime/192dpi.json "$designer" "$package" "$root/docs/images/designer@2x.png"
