#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Puts the licence line at the top of every source file that lacks one.

Run from the top of the tree: scripts/add_spdx.py [--check]. With --check it
changes nothing and exits 1, listing the files, when any lacks the line.
"""
import subprocess
import sys

TAG = "SPDX-License-Identifier: MIT"
SLASHES = (".cpp", ".h")
HASHES = (".cmake", ".sh", ".py", ".bash", ".zsh", ".cmake.in", ".pc.in")
# Manual pages in scdoc: the line goes after the title, which must come first.
SEMICOLONS = (".scd",)


def comment_for(path):
    """The comment mark of a source file, or None for a file that is not one."""
    name = path.rsplit("/", 1)[-1]
    if name.endswith(SLASHES):
        return "//"
    if name.endswith(SEMICOLONS):
        return ";"
    if name.endswith(HASHES) or name in ("CMakeLists.txt", "Makefile"):
        return "#"
    if path.startswith(("scripts/", ".ci/")) and "." not in name:
        return "#"
    return None


def main():
    check = "--check" in sys.argv
    files = subprocess.run(["git", "ls-files"], capture_output=True, text=True,
                           check=True).stdout.split()
    missing = []
    for path in files:
        mark = comment_for(path)
        if mark is None:
            continue
        with open(path, encoding="utf-8", errors="surrogateescape") as f:
            text = f.read()
        if any(TAG in line for line in text.split("\n", 3)[:3]):
            continue
        missing.append(path)
        if check:
            continue
        line = f"{mark} {TAG}\n"
        if text.startswith(("#!", "#compdef")) or mark == ";":
            first, rest = text.split("\n", 1)
            text = first + "\n" + line + rest
        else:
            text = line + text
        with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
            f.write(text)
    if check and missing:
        print("missing the licence line:", *missing, sep="\n  ")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
