"""The picture files both programs' drawings are written to: a canvas of RGB pixels, 24-bit BMP,
and the icon file format (32-bit images with alpha for icons, 1-bit images for cursors).
Used by quillet_pictures.py and brindle_pictures.py; only the standard library."""
import struct


class Canvas:
    def __init__(self, width, height, colour):
        self.width = width
        self.height = height
        self.px = [[colour] * width for _ in range(height)]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.px[y][x] = colour

    def get(self, x, y):
        return self.px[y][x]

    def rect(self, x0, y0, x1, y1, colour):
        """Fills the rectangle [x0, x1) x [y0, y1)."""
        for y in range(y0, y1):
            for x in range(x0, x1):
                self.set(x, y, colour)

    def stamp(self, left, top, rows, palette):
        """Copies an ASCII picture; characters missing from the palette stay clear."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch in palette:
                    self.set(left + dx, top + dy, palette[ch])


def write_bmp(path, canvas):
    """24-bit bottom-up BMP, rows padded to four bytes."""
    row_bytes = (canvas.width * 3 + 3) & ~3
    image = bytearray()
    for y in range(canvas.height - 1, -1, -1):
        row = bytearray()
        for x in range(canvas.width):
            r, g, b = canvas.get(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_bytes - len(row))
        image += row
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(image), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, canvas.width, canvas.height, 1, 24, 0,
                       len(image), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + image)


def _mask_rows(w, h, is_clear):
    """The 1-bit AND mask, bottom-up: set where the pixel is clear."""
    mask_row = ((w + 31) // 32) * 4
    mask = bytearray()
    for y in range(h - 1, -1, -1):
        bits = bytearray(mask_row)
        for x in range(w):
            if is_clear(x, y):
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return mask


def ico_image(canvas, clear):
    """One icon image: 32-bit XOR bitmap with alpha, plus the 1-bit AND mask."""
    w, h = canvas.width, canvas.height
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            c = canvas.get(x, y)
            if c == clear:
                xor += bytes((0, 0, 0, 0))
            else:
                r, g, b = c
                xor += bytes((b, g, r, 255))
    mask = _mask_rows(w, h, lambda x, y: canvas.get(x, y) == clear)
    info = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
    return info + xor + mask


def mono_image(rows, white, clear):
    """One 1-bit cursor image from ASCII rows (top first): `white` pixels white, `clear` ones
    transparent, any other character black."""
    w, h = len(rows[0]), len(rows)
    stride = ((w + 31) // 32) * 4
    xor = bytearray()
    for row in reversed(rows):
        bits = bytearray(stride)
        for x, ch in enumerate(row):
            if ch == white:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += bits
    mask = _mask_rows(w, h, lambda x, y: rows[y][x] == clear)
    header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    palette = struct.pack("<II", 0x00000000, 0x00FFFFFF)
    return header + palette + xor + mask


def write_ico(path, images, hotspots=None):
    """An icon file of ((width, height), image) pairs; with `hotspots` (one (x, y) per image)
    a cursor file of 1-bit images."""
    head = struct.pack("<HHH", 0, 2 if hotspots else 1, len(images))
    offset = 6 + 16 * len(images)
    entries = bytearray()
    blobs = bytearray()
    for i, ((w, h), blob) in enumerate(images):
        if hotspots:
            entries += struct.pack("<BBBBHHII", w % 256, h % 256, 2, 0, hotspots[i][0], hotspots[i][1],
                                   len(blob), offset)
        else:
            entries += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
        blobs += blob
    with open(path, "wb") as f:
        f.write(head + entries + blobs)
