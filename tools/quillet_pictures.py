#!/usr/bin/env python3
"""Draws Quillet's pictures into quillet/res/:

  strip.bmp            IDB_STRIP: 192x16, twelve 16x16 button faces, 24 bits per pixel
  strip_lit.bmp        IDB_STRIP_LIT: the same glyphs on lighter backgrounds (held down, mode on)
  manager_toolbar.bmp  IDR_MANAGER_TOOLBAR: 128x32, four 32x32 cells for the manager's toolbar
  quillet.ico          IDR_MAINFRAME: 16x16 and 32x32, 32 bits per pixel
  *_125.bmp, *_150.bmp, *_200.bmp   the three bitmaps for 125%, 150% and 200% display
                       scaling (faces of 20, 24, 32 pixels; toolbar cells of 40, 48, 64)

Run it again after changing a glyph; the outputs are committed with it, so the build
needs no Python. Only the standard library is used.
"""
import os

from pictures import Canvas, ico_image, write_bmp, write_ico

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "quillet", "res")


def lighter(colour, amount):
    return tuple(int(c + (255 - c) * amount) for c in colour)


def darker(colour, amount):
    return tuple(int(c * (1 - amount)) for c in colour)


# ---------------------------------------------------------------------------
# IDB_STRIP and IDB_STRIP_LIT: the strip's twelve button faces.
# '#' is the glyph colour, 'r' red, 'g' green plate, 'w' white, '.' background.

GREY_VIOLET = (150, 136, 178)
BLUE = (60, 104, 196)
GREEN = (52, 150, 72)
VIOLET = (138, 72, 184)
YELLOW = (236, 196, 40)

WHITE = (255, 255, 255)
INK = (40, 32, 48)
RED = (214, 32, 32)
PLATE = (30, 190, 60)

# (glyph rows, background, glyph colour), in cell order 0..11 =
# IDC_RUN_REGEDIT, IDC_ADD, IDC_DELETE, IDC_EDIT, IDC_MANAGER, IDC_ADD_FROM_CLIPBOARD,
# IDC_OPEN_FROM_CLIPBOARD, IDC_AUTO_OPEN, IDC_CLEAR_CLIPBOARD, IDC_MANUAL_OPEN, IDC_ABOUT, IDC_CLOSE.
CELLS = [
    # 0: letter R - start the registry editor
    ([
        "................",
        "................",
        "...#######......",
        "...########.....",
        "...##....###....",
        "...##.....##....",
        "...##....###....",
        "...########.....",
        "...#######......",
        "...##...##......",
        "...##....##.....",
        "...##....###....",
        "...##.....###...",
        "...##......##...",
        "................",
        "................",
    ], GREY_VIOLET, WHITE),
    # 1: plus - add
    ([
        "................",
        "................",
        "................",
        "......####......",
        "......####......",
        "......####......",
        "...##########...",
        "...##########...",
        "...##########...",
        "......####......",
        "......####......",
        "......####......",
        "................",
        "................",
        "................",
        "................",
    ], BLUE, WHITE),
    # 2: minus - delete
    ([
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "...##########...",
        "...##########...",
        "...##########...",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
        "................",
    ], BLUE, WHITE),
    # 3: letter O - edit
    ([
        "................",
        "................",
        ".....######.....",
        "....########....",
        "...###....###...",
        "...##......##...",
        "...##......##...",
        "...##......##...",
        "...##......##...",
        "...##......##...",
        "...##......##...",
        "...###....###...",
        "....########....",
        ".....######.....",
        "................",
        "................",
    ], BLUE, WHITE),
    # 4: letter M - manager
    ([
        "................",
        "................",
        "..##........##..",
        "..###......###..",
        "..####....####..",
        "..##.##..##.##..",
        "..##..####..##..",
        "..##...##...##..",
        "..##........##..",
        "..##........##..",
        "..##........##..",
        "..##........##..",
        "..##........##..",
        "..##........##..",
        "................",
        "................",
    ], BLUE, WHITE),
    # 5: plus on a green plate - add from the clipboard
    ([
        "................",
        "..gggggggggggg..",
        "..gggggggggggg..",
        "..ggggg##ggggg..",
        "..ggggg##ggggg..",
        "..ggggg##ggggg..",
        "..gg########gg..",
        "..gg########gg..",
        "..ggggg##ggggg..",
        "..ggggg##ggggg..",
        "..ggggg##ggggg..",
        "..gggggggggggg..",
        "..gggggggggggg..",
        "................",
        "................",
        "................",
    ], GREEN, WHITE),
    # 6: right-pointing triangle - open from the clipboard
    ([
        "................",
        "................",
        "....##..........",
        "....####........",
        "....######......",
        "....########....",
        "....#########...",
        "....##########..",
        "....##########..",
        "....#########...",
        "....########....",
        "....######......",
        "....####........",
        "....##..........",
        "................",
        "................",
    ], GREEN, WHITE),
    # 7: small screen - auto-open
    ([
        "................",
        "................",
        ".############...",
        ".#..........#...",
        ".#.wwwwwwww.#...",
        ".#.wwwwwwww.#...",
        ".#.wwwwwwww.#...",
        ".#.wwwwwwww.#...",
        ".#.wwwwwwww.#...",
        ".#..........#...",
        ".############...",
        "......##........",
        "......##........",
        "...########.....",
        "................",
        "................",
    ], GREEN, INK),
    # 8: slanted stroke - empty the clipboard
    ([
        "................",
        "................",
        "...........###..",
        "..........###...",
        ".........###....",
        "........###.....",
        ".......###......",
        "......###.......",
        ".....###........",
        "....###.........",
        "...###..........",
        "..###...........",
        ".###............",
        "................",
        "................",
        "................",
    ], GREEN, WHITE),
    # 9: letter T - typed path
    ([
        "................",
        "................",
        "..############..",
        "..############..",
        ".......##.......",
        ".......##.......",
        ".......##.......",
        ".......##.......",
        ".......##.......",
        ".......##.......",
        ".......##.......",
        ".......##.......",
        ".......##.......",
        ".......##.......",
        "................",
        "................",
    ], VIOLET, WHITE),
    # 10: question mark - about
    ([
        "................",
        "................",
        ".....######.....",
        "....###..###....",
        "....##....##....",
        "..........##....",
        ".........###....",
        "........###.....",
        ".......###......",
        ".......##.......",
        ".......##.......",
        "................",
        ".......##.......",
        ".......##.......",
        "................",
        "................",
    ], YELLOW, INK),
    # 11: red cross - close
    ([
        "................",
        "................",
        "...##......##...",
        "...###....###...",
        "....###..###....",
        ".....######.....",
        "......####......",
        "......####......",
        ".....######.....",
        "....###..###....",
        "...###....###...",
        "...##......##...",
        "................",
        "................",
        "................",
        "................",
    ], YELLOW, RED),
]


def scaled_rows(rows, size):
    """The glyph for a `size`-pixel face: the 16-pixel drawing with every pixel repeated the
    largest whole number of times that fits (once at 20 and 24 pixels, twice at 32), centred.
    A fraction would repeat some pixels more often than others and make strokes uneven."""
    k = size // 16
    pad = (size - 16 * k) // 2
    blank = "." * size
    grown = ["." * pad + "".join(ch * k for ch in row) + "." * (size - pad - 16 * k) for row in rows for _ in range(k)]
    return [blank] * pad + grown + [blank] * (size - pad - len(grown))


def draw_strip(lit, size=16):
    strip = Canvas(size * len(CELLS), size, (0, 0, 0))
    last = size - 1
    for index, (rows, background, ink) in enumerate(CELLS):
        assert len(rows) == 16 and all(len(r) == 16 for r in rows), index
        rows = scaled_rows(rows, size)
        face = lighter(background, 0.4) if lit else background
        plate = lighter(PLATE, 0.45) if lit else PLATE
        left = size * index
        strip.rect(left, 0, left + size, size, face)
        # A one-pixel bevel so that neighbouring cells of one colour group stay apart.
        edge_light = lighter(face, 0.5)
        edge_dark = darker(face, 0.35)
        for i in range(size):
            strip.set(left + i, 0, edge_light)
            strip.set(left, i, edge_light)
            strip.set(left + i, last, edge_dark)
            strip.set(left + last, i, edge_dark)
        # A shadow one pixel down and right keeps light glyphs readable on the lit faces.
        shadow = darker(face, 0.45)
        for y, row in enumerate(rows):
            for x, ch in enumerate(row):
                if ch == "#" and ink == WHITE and 0 < x + 1 < last and 0 < y + 1 < last:
                    below = rows[y + 1][x + 1]
                    if below not in "#w":
                        strip.set(left + x + 1, y + 1, shadow)
        strip.stamp(left, 0, rows, {"#": ink, "r": RED, "g": plate, "w": WHITE})
    return strip


# ---------------------------------------------------------------------------
# IDR_MANAGER_TOOLBAR: the manager's toolbar. A cyan cube of blocks with a sign at its upper right,
# on teal, which the toolbar treats as transparent.

TEAL = (0, 128, 128)
CYAN_TOP = (160, 255, 255)
CYAN_FRONT = (0, 230, 230)
CYAN_SIDE = (0, 170, 180)
BLOCK_LINE = (0, 96, 110)
MAGENTA = (230, 0, 230)
SIGN_YELLOW = (255, 230, 0)


def draw_cube(canvas, left, cell=32):
    # Front face 15x15 at (3, 13), top and right faces slanted by 5 pixels, in a 32-pixel
    # cell; other cells get the same lines at their own size, each one pixel wide.
    at = lambda n: (n * cell + 16) // 32
    fx, fy, size, depth = left + at(3), at(13), at(15), at(5)
    canvas.rect(fx, fy, fx + size, fy + size, CYAN_FRONT)
    for d in range(1, depth + 1):
        for i in range(size):
            canvas.set(fx + i + d, fy - d, CYAN_TOP)   # top face
            canvas.set(fx + size - 1 + d, fy + i - d, CYAN_SIDE)  # right face
    # Block lines: the cube reads as 3x3 blocks.
    for k in range(4):
        edge = min(k * size // 3, size - 1)
        for i in range(size):
            canvas.set(fx + edge, fy + i, BLOCK_LINE)
            canvas.set(fx + i, fy + edge, BLOCK_LINE)
        for d in range(1, depth + 1):
            canvas.set(fx + edge + d, fy - d, BLOCK_LINE)
            canvas.set(fx + size - 1 + d, fy + edge - d, BLOCK_LINE)
    for d in range(depth + 1):
        canvas.set(fx + d, fy - d, BLOCK_LINE)
        canvas.set(fx + size - 1 + d, fy - d, BLOCK_LINE)
        canvas.set(fx + size - 1 + d, fy + size - 1 - d, BLOCK_LINE)
    for i in range(size):
        canvas.set(fx + i + depth, fy - depth, BLOCK_LINE)
        canvas.set(fx + size - 1 + depth, fy + i - depth, BLOCK_LINE)


SIGNS = [
    ([  # plus
        "....###....",
        "....###....",
        "....###....",
        "###########",
        "###########",
        "###########",
        "....###....",
        "....###....",
        "....###....",
    ], MAGENTA),
    ([  # minus
        "...........",
        "...........",
        "...........",
        "###########",
        "###########",
        "###########",
        "...........",
        "...........",
        "...........",
    ], MAGENTA),
    ([  # ring
        "...#####...",
        "..#######..",
        ".###...###.",
        "###.....###",
        "###.....###",
        "###.....###",
        ".###...###.",
        "..#######..",
        "...#####...",
    ], MAGENTA),
    ([  # downward arrow
        "...#####...",
        "...#####...",
        "...#####...",
        "...#####...",
        "###########",
        ".#########.",
        "..#######..",
        "...#####...",
        "....###....",
        ".....#.....",
    ], SIGN_YELLOW),
]


def draw_manager_toolbar(size=32):
    if size % 32 == 0:
        # Multiples of 32 repeat each pixel of the 32-pixel cells a whole number of times.
        canvas = Canvas(128, 32, TEAL)
        for index, (rows, colour) in enumerate(SIGNS):
            draw_cube(canvas, 32 * index)
            canvas.stamp(32 * index + 20, 1, rows, {"#": colour})
        scaled = Canvas(4 * size, size, TEAL)
        for y in range(size):
            for x in range(4 * size):
                scaled.set(x, y, canvas.get(x * 32 // size, y * 32 // size))
        return scaled
    # Between them the cube is drawn at the cell's size and the sign, drawn by hand at 32,
    # stays at its own size rather than being stretched by a fraction.
    canvas = Canvas(4 * size, size, TEAL)
    for index, (rows, colour) in enumerate(SIGNS):
        left = size * index
        draw_cube(canvas, left, size)
        canvas.stamp(left + size - 12, (size - 32) // 4 + 1, rows, {"#": colour})
    return canvas


# ---------------------------------------------------------------------------
# IDR_MAINFRAME: a pink-violet badge with a white Q, the strip's own colours.

ICON_ROWS = [
    "................",
    "..bbbbbbbbbbbb..",
    ".bbbbbbbbbbbbbb.",
    ".bbbbbwwwwbbbbb.",
    ".bbbbwwbbwwbbbb.",
    ".bbbwwbbbbwwbbb.",
    ".bbbwwbbbbwwbbb.",
    ".bbbwwbbbbwwbbb.",
    ".bbbwwbbbbwwbbb.",
    ".bbbwwbbwbwwbbb.",
    ".bbbbwwbbwwwbbb.",
    ".bbbbbwwwwwbbbb.",
    ".bbbbbbbbbwwbbb.",
    ".bbbbbbbbbbwwbb.",
    "..bbbbbbbbbbbb..",
    "................",
]
ICON_CLEAR = (1, 2, 3)  # a colour nothing else uses: the transparent pixels
ICON_BADGE = (178, 60, 178)


def draw_icon(scale):
    canvas = Canvas(16 * scale, 16 * scale, ICON_CLEAR)
    palette = {"b": ICON_BADGE, "w": WHITE}
    for y, row in enumerate(ICON_ROWS):
        for x, ch in enumerate(row):
            if ch in palette:
                canvas.rect(x * scale, y * scale, (x + 1) * scale, (y + 1) * scale, palette[ch])
    return canvas


def main():
    write_bmp(os.path.join(HERE, "strip.bmp"), draw_strip(lit=False))
    write_bmp(os.path.join(HERE, "strip_lit.bmp"), draw_strip(lit=True))
    write_bmp(os.path.join(HERE, "manager_toolbar.bmp"), draw_manager_toolbar())
    # The same pictures for 125%, 150% and 200% display scaling.
    for scale in (125, 150, 200):
        write_bmp(os.path.join(HERE, "strip_%d.bmp" % scale), draw_strip(False, 16 * scale // 100))
        write_bmp(os.path.join(HERE, "strip_lit_%d.bmp" % scale), draw_strip(True, 16 * scale // 100))
        write_bmp(os.path.join(HERE, "manager_toolbar_%d.bmp" % scale), draw_manager_toolbar(32 * scale // 100))
    write_ico(os.path.join(HERE, "quillet.ico"),
              [((16, 16), ico_image(draw_icon(1), ICON_CLEAR)),
               ((32, 32), ico_image(draw_icon(2), ICON_CLEAR))])


if __name__ == "__main__":
    main()
