#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Draws the dialogs' pictures and writes them where the build takes them.

- The overwrite dialog's two icons, as .ico files: each one 32 x 32 image in
  16 colours (4 bits per pixel, the standard 16-colour palette) with an AND
  transparency mask, 744 bytes of image data.
- The component's emblem (two upright striped strips, blue on the left and
  cyan on the right, a black arrow from the left one to the right one, on
  grey) in the same 16 colours: at 32 x 32 as the About box's picture, written
  into the Picture.Data of its layout (a 630-byte bitmap file), and at
  24 x 24 as emblem24.bmp, the palette bitmap (392 bytes once the 14-byte
  file header is dropped, as a bitmap resource stores it).

The drawing is pure arithmetic, so running this again gives the same bytes.

    scripts/make_icons.py [icons-folder [about-box-layout]]
        (default: dialogs/icons and dialogs/about_box.lfm)
"""

import os
import re
import struct
import sys

# The standard 16-colour palette as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, TEAL, SILVER, GRAY, RED, BLUE, AQUA, WHITE = 0, 4, 6, 7, 8, 9, 12, 14, 15
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


# The emblem's geometry per size: the strips' rows and columns, the arrow's
# middle row, where its shaft starts, the tip of its head and the head's
# half height.
EMBLEM = {
    32: dict(top=3, bottom=27, left=(2, 8), right=(22, 28), mid=15, start=11, tip=20, head=4),
    24: dict(top=2, bottom=20, left=(1, 6), right=(16, 21), mid=11, start=8, tip=14, head=3),
}


def emblem(size):
    g = EMBLEM[size]
    img = [[SILVER] * size for _ in range(size)]

    def strip(x0, x1, light, dark):
        """An upright strip with a black frame, a stripe of the dark colour
        every third row, and a grey shadow to the right and below."""
        for y in range(g["top"], g["bottom"] + 1):
            for x in range(x0, x1 + 1):
                if x in (x0, x1) or y in (g["top"], g["bottom"]):
                    img[y][x] = BLACK
                else:
                    img[y][x] = dark if (y - g["top"]) % 3 == 0 else light
        for y in range(g["top"] + 1, g["bottom"] + 2):
            img[y][x1 + 1] = GRAY
        for x in range(x0 + 1, x1 + 2):
            img[g["bottom"] + 1][x] = GRAY

    strip(*g["left"], BLUE, NAVY)
    strip(*g["right"], AQUA, TEAL)
    # The arrow: a shaft two rows high, then a head that narrows to its tip.
    mid, head = g["mid"], g["head"]
    base = g["tip"] - head
    for x in range(g["start"], base + 1):
        img[mid][x] = img[mid + 1][x] = BLACK
    for i in range(head + 1):
        for y in range(mid - (head - i), mid + 2 + (head - i)):
            img[y][base + i] = BLACK
    return img


def bmp_bytes(img):
    """A bitmap file holding img at 4 bits per pixel with the standard
    palette, rows bottom-up, as the platform layer writes one."""
    size = len(img)
    stride = (size * 4 + 31) // 32 * 4
    pixels = bytearray()
    for row in reversed(img):
        line = bytearray(row[x] << 4 | row[x + 1] for x in range(0, size, 2))
        pixels += line + bytes(stride - len(line))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 4, 0, len(pixels), 0, 0, 0, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset)
    return header + info + palette + bytes(pixels)


def picture_data(bmp):
    """Picture.Data of a layout: the graphic's class name, then the bitmap
    file with its length, as hex lines the way the form writer wraps them."""
    data = b"\x07TBitmap" + struct.pack("<I", len(bmp)) + bmp
    return data.hex().upper()


def write_picture(layout, hex_data):
    """Replaces the Picture.Data block of the one image in a layout."""
    with open(layout, encoding="utf-8") as f:
        text = f.read()
    pattern = re.compile(r"^( *)Picture\.Data = \{[0-9A-F\s]*\}", re.MULTILINE)
    match = pattern.search(text)
    if match is None:
        sys.exit(f"{layout}: no Picture.Data to replace")
    indent = match.group(1) + "  "
    lines = [hex_data[i:i + 64] for i in range(0, len(hex_data), 64)]
    block = match.group(1) + "Picture.Data = {" + "".join("\n" + indent + l for l in lines) + "}"
    with open(layout, "w", encoding="utf-8") as f:
        f.write(text[:match.start()] + block + text[match.end():])


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "dialogs", "icons")
    layout = sys.argv[2] if len(sys.argv) > 2 else os.path.join(
        here, "..", "dialogs", "about_box.lfm")
    os.makedirs(out, exist_ok=True)
    for name, img in (("replace.ico", replace_icon()), ("document.ico", document_icon())):
        with open(os.path.join(out, name), "wb") as f:
            f.write(ico_bytes(img))
    small = bmp_bytes(emblem(24))
    assert len(small) == 14 + 392, len(small)
    with open(os.path.join(out, "emblem24.bmp"), "wb") as f:
        f.write(small)
    large = bmp_bytes(emblem(32))
    assert len(large) == 630, len(large)
    write_picture(layout, picture_data(large))


if __name__ == "__main__":
    main()
