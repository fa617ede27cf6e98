#!/usr/bin/env python3
"""Draws the viewer's icon (brindle.ico) and its hand cursor (hand.cur) into brindle/res/.

The pictures are small enough to keep as code: the icon is a page with text lines,
some of them blue and underlined like the links the viewer paints; the cursor is a
monochrome pointing hand (32, 48 and 64 pixels) whose hot spot is the fingertip, at (6, 0)
of the 32- and 48-pixel ones.
Run it from anywhere; it writes into brindle/res/. Only the standard library is used.
"""
import os

from pictures import Canvas, ico_image, mono_image, write_ico

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "brindle", "res")

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


def cursor_rows(size):
    assert HAND[HOTSPOT[1]][HOTSPOT[0]] == "X"
    k = size // 32
    rows = ["".join(ch * k for ch in r).ljust(size, ".") for r in HAND for _ in range(k)]
    return rows + ["." * size] * (size - len(rows))


CLEAR = (1, 2, 3)  # a colour nothing else uses: the icon's transparent pixels


def draw_icon(size):
    """The page picture at the given size."""
    s = size / 32.0
    canvas = Canvas(size, size, CLEAR)

    def fill(x0, y0, x1, y1, colour):
        canvas.rect(int(x0 * s), int(y0 * s), max(int(x1 * s), int(x0 * s) + 1),
                    max(int(y1 * s), int(y0 * s) + 1), colour)

    grey = (96, 96, 96)
    white = (255, 255, 255)
    blue = (0, 0, 255)
    black = (0, 0, 0)
    # Page with a grey outline and a folded top-right corner.
    fill(4, 1, 28, 31, grey)
    fill(5, 2, 27, 30, white)
    for i in range(7):
        fill(21 + i, 1, 28, 1 + i + 1, CLEAR)
        fill(21, 1 + i, 21 + i + 1, 1 + i + 1, (208, 208, 208))
    # Text: a black plain line, then links in blue with their underline.
    fill(8, 6, 13, 8, black)
    fill(14, 6, 19, 8, black)
    for y in (11, 17, 23):
        fill(8, y, 15, y + 2, blue)
        fill(16, y, 24, y + 2, blue)
        fill(8, y + 3, 24, y + 4, blue)
    return canvas


def main():
    write_ico(os.path.join(HERE, "hand.cur"),
              [((n, n), mono_image(cursor_rows(n), "o", ".")) for n in CURSOR_SIZES],
              hotspots=[(HOTSPOT[0] * (n // 32), HOTSPOT[1] * (n // 32)) for n in CURSOR_SIZES])
    write_ico(os.path.join(HERE, "brindle.ico"), [((n, n), ico_image(draw_icon(n), CLEAR)) for n in (16, 32, 48)])


if __name__ == "__main__":
    main()
