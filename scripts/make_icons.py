#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Draws the overwrite dialog's two icons and writes them as .ico files.

Each icon is one 32 x 32 image in 16 colours (4 bits per pixel, the standard
16-colour palette) with an AND transparency mask: 744 bytes of image data.
The drawing is pure arithmetic, so running this again gives the same bytes.

    scripts/make_icons.py [output-folder]     (default: dialogs/icons)
"""

import os
import struct
import sys

# The standard 16-colour palette as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, GRAY, SILVER, RED, WHITE = 0, 8, 7, 9, 15
SIZE = 32
CLEAR = None  # a transparent pixel


def blank():
    return [[CLEAR] * SIZE for _ in range(SIZE)]


def sheet(img, left, top, width, height, fold=6):
    """A sheet of paper with a folded top-right corner and lines of text."""
    right, bottom = left + width - 1, top + height - 1
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            # Cut the corner off along the fold's diagonal.
            if x - (right - fold) > y - top:
                continue
            edge = x in (left, right) or y in (top, bottom)
            diagonal = x - (right - fold) == y - top
            img[y][x] = BLACK if edge or diagonal else WHITE
    # The folded-down flap.
    for y in range(top, top + fold + 1):
        for x in range(right - fold, right + 1):
            if x - (right - fold) <= y - top:
                inside = x < right and y > top and x - (right - fold) < y - top
                flap_edge = x == right - fold or y == top + fold
                if flap_edge or not inside:
                    img[y][x] = BLACK
                else:
                    img[y][x] = SILVER
    # A drop shadow along the right and bottom edges.
    for y in range(top + 2, bottom + 2):
        if right + 1 < SIZE and img[y][right + 1] is CLEAR:
            img[y][right + 1] = GRAY
    for x in range(left + 2, right + 2):
        if bottom + 1 < SIZE and x < SIZE and img[bottom + 1][x] is CLEAR:
            img[bottom + 1][x] = GRAY
    # Lines of text, shorter on the last line of each paragraph.
    for n, y in enumerate(range(top + fold + 3, bottom - 2, 3)):
        end = right - 3 if n % 3 != 2 else left + width // 2
        for x in range(left + 3, end + 1):
            img[y][x] = GRAY


def cross(img, left, top, width, height):
    """A red cross, two pixels thick, from corner to corner of a box; it
    marks only the paper, not the transparent ground."""

    def mark(x, y):
        if x < SIZE and img[y][x] is not CLEAR:
            img[y][x] = RED

    for i in range(max(width, height)):
        x = left + i * (width - 1) // (max(width, height) - 1)
        y = top + i * (height - 1) // (max(width, height) - 1)
        for dx in (0, 1):
            mark(x + dx, y)
            mark(left + width - 1 - (x - left) - dx, y)


def replace_icon():
    img = blank()
    sheet(img, 2, 1, 18, 22)  # the sheet behind, to be replaced
    cross(img, 3, 3, 16, 18)
    sheet(img, 11, 8, 18, 22)  # the incoming sheet in front
    return img


def document_icon():
    img = blank()
    sheet(img, 6, 2, 20, 27)
    return img


def ico_bytes(img):
    """An icon file holding img as one 4-bit image with its AND mask."""
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, 0, 0, 0, 0, 0)
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    colours = bytearray()
    mask = bytearray()
    for row in reversed(img):  # bottom-up, as bitmaps store rows
        for x in range(0, SIZE, 2):
            hi = row[x] if row[x] is not CLEAR else BLACK
            lo = row[x + 1] if row[x + 1] is not CLEAR else BLACK
            colours.append(hi << 4 | lo)
        bits = 0
        for x in range(SIZE):
            bits = bits << 1 | (1 if row[x] is CLEAR else 0)
        mask += bits.to_bytes(4, "big")
    image = header + palette + bytes(colours) + bytes(mask)
    assert len(image) == 744, len(image)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "dialogs", "icons")
    os.makedirs(out, exist_ok=True)
    for name, img in (("replace.ico", replace_icon()), ("document.ico", document_icon())):
        with open(os.path.join(out, name), "wb") as f:
            f.write(ico_bytes(img))


if __name__ == "__main__":
    main()
