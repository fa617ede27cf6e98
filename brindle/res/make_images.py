#!/usr/bin/env python3
"""Draws the viewer's icon (brindle.ico) and its hand cursor (hand.cur).

The pictures are small enough to keep as code: the icon is a page with text lines,
some of them blue and underlined like the links the viewer paints; the cursor is a
monochrome pointing hand (32, 48 and 64 pixels) whose hot spot is the fingertip, at (6, 0)
of the 32- and 48-pixel ones.
Run it from anywhere; it writes next to itself. Only the standard library is used.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# '.' transparent, 'X' black, 'o' white. The fingertip's left pixel is column 5,
# so the hot spot (6, 0) is on the tip.
HAND = [
    ".....XX.........",
    "....XooX........",
    "....XooX........",
    "....XooX........",
    "....XooX........",
    "....XooXXX......",
    "....XooXooXXX...",
    "....XooXooXooXX.",
    ".XX.XooXooXooXoX",
    ".XooXooooooooXoX",
    ".XoooXoooooooooX",
    "..XooXoooooooooX",
    "...XoooooooooooX",
    "...XoooooooooooX",
    "....XooooooooooX",
    "....XoooooooooX.",
    ".....XooooooooX.",
    ".....XooooooooX.",
    "......XoooooooX.",
    "......XoooooooX.",
    "......XXXXXXXXX.",
]
HOTSPOT = (6, 0)


# The hand at the system's cursor sizes for 100%, 150% and 200% scaling, so the system
# never has to stretch one. Each is the drawing with every pixel repeated the largest whole
# number of times the scale allows (once at 48, twice at 64): a fraction would repeat some
# pixels more often than others and make the outline uneven.
CURSOR_SIZES = (32, 48, 64)


def cursor_image(size):
    assert HAND[HOTSPOT[1]][HOTSPOT[0]] == "X"
    k = size // 32
    rows = ["".join(ch * k for ch in r).ljust(size, ".") for r in HAND for _ in range(k)]
    rows += ["." * size] * (size - len(rows))
    stride = ((size + 31) // 32) * 4

    def bits(row, on):
        out = bytearray(stride)
        for x, c in enumerate(row):
            if on(c):
                out[x // 8] |= 0x80 >> (x % 8)
        return bytes(out)

    # Rows are stored bottom-up; XOR (colour) plane first, then the AND mask.
    xor = b"".join(bits(r, lambda c: c == "o") for r in reversed(rows))
    andm = b"".join(bits(r, lambda c: c == ".") for r in reversed(rows))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack("<II", 0x00000000, 0x00FFFFFF)
    return header + palette + xor + andm


def cursor_bytes():
    images = [cursor_image(n) for n in CURSOR_SIZES]
    out = struct.pack("<HHH", 0, 2, len(images))
    offset = 6 + 16 * len(images)
    for n, image in zip(CURSOR_SIZES, images):
        hot_x, hot_y = HOTSPOT[0] * (n // 32), HOTSPOT[1] * (n // 32)
        out += struct.pack("<BBBBHHII", n, n, 2, 0, hot_x, hot_y, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def draw_icon(size):
    """BGRA pixels, top row first, of the page picture at the given size."""
    s = size / 32.0
    px = [[(0, 0, 0, 0)] * size for _ in range(size)]

    def fill(x0, y0, x1, y1, rgba):
        for y in range(int(y0 * s), max(int(y1 * s), int(y0 * s) + 1)):
            for x in range(int(x0 * s), max(int(x1 * s), int(x0 * s) + 1)):
                if 0 <= x < size and 0 <= y < size:
                    px[y][x] = rgba

    grey = (96, 96, 96, 255)
    white = (255, 255, 255, 255)
    blue = (0, 0, 255, 255)
    black = (0, 0, 0, 255)
    # Page with a grey outline and a folded top-right corner.
    fill(4, 1, 28, 31, grey)
    fill(5, 2, 27, 30, white)
    for i in range(7):
        fill(21 + i, 1, 28, 1 + i + 1, (0, 0, 0, 0))
        fill(21, 1 + i, 21 + i + 1, 1 + i + 1, (208, 208, 208, 255))
    # Text: a black plain line, then links in blue with their underline.
    fill(8, 6, 13, 8, black)
    fill(14, 6, 19, 8, black)
    for y in (11, 17, 23):
        fill(8, y, 15, y + 2, blue)
        fill(16, y, 24, y + 2, blue)
        fill(8, y + 3, 24, y + 4, blue)
    return px


def icon_image(size):
    px = draw_icon(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    colour = b"".join(struct.pack("<BBBB", r[2], r[1], r[0], r[3]) for row in reversed(px) for r in row)
    stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(px):
        line = bytearray(stride)
        for x, p in enumerate(row):
            if p[3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + colour + bytes(mask)


def icon_bytes():
    sizes = (16, 32, 48)
    images = [icon_image(n) for n in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, img in zip(sizes, images):
        out += struct.pack("<BBBBHHII", n, n, 0, 0, 1, 32, len(img), offset)
        offset += len(img)
    return out + b"".join(images)


def main():
    with open(os.path.join(HERE, "hand.cur"), "wb") as f:
        f.write(cursor_bytes())
    with open(os.path.join(HERE, "brindle.ico"), "wb") as f:
        f.write(icon_bytes())


if __name__ == "__main__":
    main()
