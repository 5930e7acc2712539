#!/usr/bin/env python3
"""Draws the launcher's three help-book icons and writes them as .ico files.

Each file holds one 32x32 image with 16 colours (4 bits per pixel) in the
standard 16-colour palette, with a transparency mask. The output depends on
nothing but this script, so every build makes the same bytes.

usage: make_icons.py <output directory>
"""
import os
import struct
import sys

SIZE = 32

# The standard 16-colour palette as (red, green, blue).
PALETTE = [
    (0x00, 0x00, 0x00), (0x80, 0x00, 0x00), (0x00, 0x80, 0x00), (0x80, 0x80, 0x00),
    (0x00, 0x00, 0x80), (0x80, 0x00, 0x80), (0x00, 0x80, 0x80), (0xC0, 0xC0, 0xC0),
    (0x80, 0x80, 0x80), (0xFF, 0x00, 0x00), (0x00, 0xFF, 0x00), (0xFF, 0xFF, 0x00),
    (0x00, 0x00, 0xFF), (0xFF, 0x00, 0xFF), (0x00, 0xFF, 0xFF), (0xFF, 0xFF, 0xFF),
]
BLACK, NAVY, SILVER, GRAY, YELLOW, BLUE, WHITE, OLIVE = 0, 4, 7, 8, 11, 12, 15, 3
CLEAR = None

QUESTION = [
    ".####.",
    "##..##",
    "##..##",
    "....##",
    "...##.",
    "..##..",
    "..##..",
    "......",
    "..##..",
    "..##..",
]

KEY = [
    ".###..........",
    "#...#.........",
    "#...##########",
    "#...#.....#.#.",
    ".###......#.#.",
]


class Canvas:
    def __init__(self):
        self.pixels = [[CLEAR] * SIZE for _ in range(SIZE)]

    def fill(self, x0, y0, x1, y1, colour):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.pixels[y][x] = colour

    def frame(self, x0, y0, x1, y1, colour):
        for x in range(x0, x1 + 1):
            self.pixels[y0][x] = self.pixels[y1][x] = colour
        for y in range(y0, y1 + 1):
            self.pixels[y][x0] = self.pixels[y][x1] = colour

    def glyph(self, rows, x0, y0, colour, shadow=None):
        for dy, row in enumerate(rows):
            for dx, c in enumerate(row):
                if c == "#":
                    if shadow is not None:
                        self.pixels[y0 + dy + 1][x0 + dx + 1] = shadow
        for dy, row in enumerate(rows):
            for dx, c in enumerate(row):
                if c == "#":
                    self.pixels[y0 + dy][x0 + dx] = colour


def closed_book(emblem):
    c = Canvas()
    # Page block showing below and right of the cover.
    c.fill(8, 5, 26, 28, WHITE)
    for y in range(25, 28, 2):
        c.fill(9, y, 25, y, SILVER)
    c.frame(8, 5, 26, 28, BLACK)
    # Cover and spine.
    c.fill(5, 3, 24, 25, BLUE)
    c.fill(5, 3, 7, 25, NAVY)
    c.frame(5, 3, 24, 25, BLACK)
    c.fill(8, 4, 8, 24, GRAY)
    emblem(c)
    return c


def question_emblem(c):
    c.glyph(QUESTION, 13, 8, YELLOW, shadow=BLACK)


def key_emblem(c):
    c.glyph(KEY, 9, 12, YELLOW, shadow=OLIVE)


def open_book():
    c = Canvas()
    # Cover edges under the pages.
    c.fill(1, 9, 30, 26, NAVY)
    c.frame(1, 9, 30, 26, BLACK)
    # Two pages meeting at the spine.
    c.fill(2, 7, 15, 24, WHITE)
    c.fill(16, 7, 29, 24, WHITE)
    c.frame(2, 7, 15, 24, BLACK)
    c.frame(16, 7, 29, 24, BLACK)
    c.fill(15, 8, 16, 25, GRAY)
    # Lines of text on the left page, a question mark on the right.
    for y in range(10, 23, 2):
        c.fill(4, y, 13, y, SILVER if y % 4 else GRAY)
    c.glyph(QUESTION, 20, 10, BLUE)
    return c


def ico_bytes(canvas):
    """One-image .ico: directory, BITMAPINFOHEADER, palette, colour and mask bits."""
    rows = list(reversed(canvas.pixels))  # bitmaps are stored bottom-up
    colour = bytearray()
    mask = bytearray()
    for row in rows:
        for x in range(0, SIZE, 2):
            hi, lo = row[x], row[x + 1]
            colour.append(((hi or 0) << 4) | (lo or 0))
        bits = 0
        for x, p in enumerate(row):
            if p is CLEAR:
                bits |= 1 << (SIZE - 1 - x)
        mask += struct.pack(">I", bits)  # rows are already 32-bit aligned
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in PALETTE)
    image_size = len(colour) + len(mask)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, image_size, 0, 0, 0, 0)
    image = header + palette + bytes(colour) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


ICONS = {
    "helpbook.ico": lambda: closed_book(question_emblem),
    "openbook.ico": open_book,
    "keybook.ico": lambda: closed_book(key_emblem),
}


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    os.makedirs(argv[1], exist_ok=True)
    for name, draw in ICONS.items():
        with open(os.path.join(argv[1], name), "wb") as f:
            f.write(ico_bytes(draw()))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
