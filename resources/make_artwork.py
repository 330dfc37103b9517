#!/usr/bin/env python3
"""Draws the artwork of varrel.exe (bitmaps, target cursor, icon) and writes the resource files.

Run it from anywhere: `python3 resources/make_artwork.py [output folder]`. It writes the .bmp,
.cur and .ico files beside itself (or into the folder), byte for byte the same on every run; the
build uses the committed files. Each bitmap is drawn for 100, 125, 150 and 200 % display scale
(name.bmp, name_125.bmp, ...), and the cursor holds one image for each. `--check` compares the committed files with what it would write.
Only the Python standard library is used.
"""

import math
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# Colours (R, G, B). None in a picture is a transparent pixel (cursor and icon only).
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
DIALOG = (192, 192, 192)  # the classic dialog face, what the images sit on
SHADOW = (128, 128, 128)
TAB_FACE = (224, 224, 224)
NAVY = (0, 0, 128)
BLUE = (0, 0, 255)
RED = (255, 0, 0)

# A small proportional pixel font, 7 rows from the cap line to the baseline. '#' is ink.
GLYPHS = {
    "A": [".###.", "#...#", "#...#", "#####", "#...#", "#...#", "#...#"],
    "C": [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    "E": ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    "L": ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    "M": ["#.....#", "##...##", "#.#.#.#", "#..#..#", "#.....#", "#.....#", "#.....#"],
    "R": ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    "V": ["#...#", "#...#", "#...#", "#...#", "#...#", ".#.#.", "..#.."],
    "b": ["#....", "#....", "#.##.", "##..#", "#...#", "#...#", "####."],
    "d": ["....#", "....#", ".##.#", "#..##", "#...#", "#...#", ".####"],
    "e": [".....", ".....", ".###.", "#...#", "#####", "#....", ".###."],
    "i": ["#", ".", "#", "#", "#", "#", "#"],
    "l": ["#", "#", "#", "#", "#", "#", "#"],
    "n": [".....", ".....", "#.##.", "##..#", "#...#", "#...#", "#...#"],
    "o": [".....", ".....", ".###.", "#...#", "#...#", "#...#", ".###."],
    "s": [".....", ".....", ".####", "#....", ".###.", "....#", "####."],
    "t": [".#.", ".#.", "###", ".#.", ".#.", ".#.", "..#"],
    "u": [".....", ".....", "#...#", "#...#", "#...#", "#..##", ".##.#"],
}
GLYPH_HEIGHT = 7


class Picture:
    """A width x height grid of colours, row 0 at the top."""

    def __init__(self, width, height, fill):
        self.width = width
        self.height = height
        self.pixels = [[fill] * width for _ in range(height)]

    def set(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def get(self, x, y):
        return self.pixels[y][x]

    def fill_rect(self, left, top, right, bottom, colour):
        """Fills [left, right) x [top, bottom)."""
        for y in range(top, bottom):
            for x in range(left, right):
                self.set(x, y, colour)

    def hline(self, x0, x1, y, colour):
        for x in range(x0, x1 + 1):
            self.set(x, y, colour)

    def vline(self, x, y0, y1, colour):
        for y in range(y0, y1 + 1):
            self.set(x, y, colour)

    def line(self, x0, y0, x1, y1, colour, dash=None):
        """Bresenham line, both ends included; dash=(on, off) leaves gaps."""
        dx, dy = abs(x1 - x0), -abs(y1 - y0)
        sx, sy = (1 if x0 < x1 else -1), (1 if y0 < y1 else -1)
        err = dx + dy
        step = 0
        while True:
            if dash is None or step % (dash[0] + dash[1]) < dash[0]:
                self.set(x0, y0, colour)
            step += 1
            if x0 == x1 and y0 == y1:
                return
            e2 = 2 * err
            if e2 >= dy:
                err += dy
                x0 += sx
            if e2 <= dx:
                err += dx
                y0 += sy

    def circle(self, cx, cy, radius, colour):
        """A one-pixel, gap-free circle outline (midpoint algorithm) around pixel (cx, cy)."""
        x, y, err = radius, 0, 1 - radius
        while x >= y:
            for px, py in ((x, y), (y, x), (-y, x), (-x, y), (-x, -y), (-y, -x), (y, -x), (x, -y)):
                self.set(cx + px, cy + py, colour)
            y += 1
            if err < 0:
                err += 2 * y + 1
            else:
                x -= 1
                err += 2 * (y - x) + 1

    def disc(self, cx, cy, radius, colour):
        for y in range(self.height):
            for x in range(self.width):
                if math.hypot(x - cx, y - cy) <= radius:
                    self.set(x, y, colour)

    def stamp(self, x0, y0, rows, colours):
        """Copies a character picture: each character maps to a colour, absent ones are skipped."""
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch in colours:
                    self.set(x0 + dx, y0 + dy, colours[ch])


def px(length, f):
    """A length of the 100 % drawing at scale f, in whole pixels, at least one."""
    return max(1, int(math.floor(length * f + 0.5)))


def stroke_weight(f):
    """How many pixels bold text adds to each upright stroke at scale f: one up to 150 %, where
    two would make the small letters heavy."""
    return max(1, int(f))


def pen_size(cell):
    return max(1, int(math.floor(cell + 0.5)))


def snap(cells, cell):
    return int(math.floor(cells * cell + 0.5))


def text_width(text, bold=0, cell=1):
    """Pixel width of a text whose glyph cells are `cell` pixels and whose strokes are `bold`
    pixels wider."""
    columns = sum(len(GLYPHS[ch][0]) + 1 for ch in text)
    return snap(columns - 2, cell) + (len(text) - 1) * bold + pen_size(cell) + bold


def text_height(cell=1):
    return snap(GLYPH_HEIGHT - 1, cell) + pen_size(cell)


def draw_text(pic, x, y, text, colour, bold=0, cell=1):
    """Draws text with its cap line at y. Each glyph cell becomes a square pen block at its scaled
    place (a cell may be any number of pixels, 1.25 say), `bold` pixels wider than high; blocks
    of neighbouring cells are joined, so that strokes stay whole and even at any scale. At a
    whole-number cell size this is the glyph magnified."""
    pen = pen_size(cell)
    start = 0
    for n, ch in enumerate(text):
        rows = GLYPHS[ch]

        def ink(gx, gy):
            return 0 <= gy < len(rows) and 0 <= gx < len(rows[gy]) and rows[gy][gx] == "#"

        def at(gx, gy):
            return x + snap(start + gx, cell) + n * bold, y + snap(gy, cell)

        for gy, row in enumerate(rows):
            for gx in range(len(row)):
                if not ink(gx, gy):
                    continue
                left, top = at(gx, gy)
                right, bottom = left + pen + bold, top + pen
                pic.fill_rect(left, top, right, bottom, colour)
                if ink(gx + 1, gy):
                    pic.fill_rect(left, top, at(gx + 1, gy)[0] + pen + bold, bottom, colour)
                if ink(gx, gy + 1):
                    pic.fill_rect(left, top, right, at(gx, gy + 1)[1] + pen, colour)
                for dy in (-1, 1):
                    if ink(gx + 1, gy + dy) and not ink(gx + 1, gy) and not ink(gx, gy + dy):
                        # A diagonal: a line between the facing corners of the two blocks.
                        nx, ny = at(gx + 1, gy + dy)
                        if dy == 1:
                            pic.line(right - 1, bottom - 1, nx, ny, colour)
                        else:
                            pic.line(right - 1, top, nx, ny + pen - 1, colour)
        start += len(rows[0]) + 1


def draw_centred_text(pic, text, colour, bold=0, dy=0, cell=1):
    w = text_width(text, bold, cell)
    draw_text(pic, (pic.width - w) // 2, (pic.height - text_height(cell)) // 2 + dy, text, colour,
              bold, cell)


# ---- the pictures ----

def tab(word, f=1):
    """80 x 20 at 100 %: a light grey tab, open at the bottom, its top right corner cut off."""
    w, h, cut, t = px(80, f), px(20, f), px(9, f), px(1, f)
    pic = Picture(w, h, DIALOG)
    for y in range(h):
        right = w - 1 if y >= cut else w - 1 - (cut - y)
        pic.hline(0, right, y, TAB_FACE)
        pic.hline(0, t - 1, y, BLACK)
        pic.hline(right - t + 1, right, y, BLACK)
        if y >= t:
            pic.hline(t, 2 * t - 1, y, WHITE)
        if y >= cut:
            pic.hline(right - 2 * t + 1, right - t, y, SHADOW)
    pic.fill_rect(0, 0, w - cut, t, BLACK)
    pic.fill_rect(2 * t, t, w - cut - t, 2 * t, WHITE)
    draw_centred_text(pic, word, BLACK, bold=stroke_weight(f), dy=px(1, f), cell=f)
    return pic


def rounded_button(w, h, word, f=1):
    """A raised push button with rounded corners bearing a word: black outline, light bevel on
    the top and left, dark bevel on the bottom and right. w x h at 100 %."""
    w, h, t, corner = px(w, f), px(h, f), px(1, f), px(2, f)

    def inside(x, y):
        if not (0 <= x < w and 0 <= y < h):
            return False
        # The outline stands in from the sides on the rows nearest an end: the corners are cut.
        i = max(0, corner - min(y, h - 1 - y))
        return i <= x <= w - 1 - i

    def within(x, y, dx, dy):
        return [(x + dx * k, y + dy * k) for k in range(1, t + 1)]

    sides = ((-1, 0), (1, 0), (0, -1), (0, 1))
    outline = {(x, y) for y in range(h) for x in range(w)
               if inside(x, y) and not all(inside(nx, ny) for dx, dy in sides
                                           for nx, ny in within(x, y, dx, dy))}
    pic = Picture(w, h, DIALOG)
    for x, y in outline:
        pic.set(x, y, BLACK)

    def next_to_outline(x, y, directions):
        return any(p in outline for dx, dy in directions for p in within(x, y, dx, dy))

    for y in range(h):
        for x in range(w):
            if not inside(x, y) or (x, y) in outline:
                continue
            if next_to_outline(x, y, ((-1, 0), (0, -1))):
                # Along the top and left edges; the far ends of each fall to the dark side.
                if x < w - 1 - 2 * t and y < h - 1 - 2 * t:
                    pic.set(x, y, WHITE)
                    continue
            if next_to_outline(x, y, ((1, 0), (0, 1))):
                pic.set(x, y, SHADOW)
    draw_centred_text(pic, word, BLACK, cell=f)
    return pic


def logo(f=1):
    """36 x 110 at 100 %: a blue banner with the product name in white letters, top to bottom."""
    w, h, t = px(36, f), px(110, f), px(1, f)
    pic = Picture(w, h, NAVY)
    top, bottom = (0, 0, 128), (16, 132, 208)
    for y in range(h):
        share = y / (h - 1)
        colour = tuple(round(a + (b - a) * share) for a, b in zip(top, bottom))
        pic.hline(0, w - 1, y, colour)
    # A sunken frame, as around a picture on a dialog.
    pic.fill_rect(0, 0, w, t, SHADOW)
    pic.fill_rect(0, 0, t, h, SHADOW)
    pic.fill_rect(0, h - t, w, h, WHITE)
    pic.fill_rect(w - t, 0, w, h, WHITE)
    word, cell, gap = "VARREL", 2 * f, px(3, f)
    letter_h = text_height(cell)
    y = (h - (len(word) * letter_h + (len(word) - 1) * gap)) // 2
    for ch in word:
        bold = stroke_weight(f)
        x = (w - text_width(ch, bold, cell)) // 2
        draw_text(pic, x + t, y + t, ch, BLACK, bold, cell)
        draw_text(pic, x, y, ch, WHITE, bold, cell)
        y += letter_h + gap
    return pic


def line_image(w, h):
    return Picture(w, h, BLACK)


def ring(pic, c, r, t, colour):
    """A ring of radius r and thickness t around the t x t block at (c, c): one pixel wide, the
    gap-free midpoint circle; wider, the pixels whose centres lie within the band."""
    if t == 1:
        pic.circle(c, c, r, colour)
        return
    centre = c + t / 2
    for y in range(pic.height):
        for x in range(pic.width):
            if abs(math.hypot(x + 0.5 - centre, y + 0.5 - centre) - r - 0.5) <= t / 2:
                pic.set(x, y, colour)


def target_image(f=1):
    """12 x 12 at 100 %: a black cross-hair ring on the dialog grey, centred on pixel (5, 5)."""
    n, t, c, r, arm = px(12, f), px(1, f), px(5, f), px(4, f), px(5, f)
    pic = Picture(n, n, DIALOG)
    ring(pic, c, r, t, BLACK)
    pic.fill_rect(c - arm, c, c + arm + t, c + t, BLACK)
    pic.fill_rect(c, c - arm, c + t, c + arm + t, BLACK)
    return pic


def target_cursor(f=1):
    """32 x 32 at 100 %: a black ring 11 pixels across with a cross through it 13 pixels across,
    outlined in white so that it shows on dark ground too. The hot spot (16, 16) is the
    crossing."""
    size, t, c, r, arm = px(32, f), px(1, f), px(16, f), px(5, f), px(6, f)
    shape = Picture(size, size, None)
    ring(shape, c, r, t, BLACK)
    black = {(x, y) for y in range(size) for x in range(size) if shape.get(x, y) is not None}
    for d in range(-arm, arm + t):
        for k in range(t):
            black.add((c + d, c + k))
            black.add((c + k, c + d))
    centre = c + (t - 1) / 2
    pic = Picture(size, size, None)
    for x, y in black:
        for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)):
            # Inside the ring the halo would fill the gaps between the arms: keep it outside.
            if (nx, ny) not in black and math.hypot(nx - centre, ny - centre) > r:
                pic.set(nx, ny, WHITE)
    for x, y in black:
        pic.set(x, y, BLACK)
    return pic, c


ARROW = [
    "K",
    "KK",
    "KWK",
    "KWWK",
    "KWWWK",
    "KWWWWK",
    "KWWWWWK",
    "KWWWWWWK",
    "KWWWWWWWK",
    "KWWWWWKKKK",
    "KWWKWWK",
    "KWK.KWWK",
    "KK..KWWK",
    "K....KWWK",
    ".....KWWK",
    "......KK",
]

ARROW_SMALL = [
    "K",
    "KK",
    "KWK",
    "KWWK",
    "KWWWK",
    "KWWWWK",
    "KWWKKK",
    "KWKWK",
    "KK.KWK",
    "....KK",
]


def thick_line(pic, p, q, colour, width):
    """A line of about `width` pixels: the Bresenham line stamped with a small square."""
    pen = Picture(pic.width, pic.height, None)
    pen.line(*p, *q, colour)
    lo, hi = -(width // 2), (width - 1) // 2
    for y in range(pic.height):
        for x in range(pic.width):
            if pen.get(x, y) is not None:
                pic.fill_rect(x + lo, y + lo, x + hi + 1, y + hi + 1, colour)


def icon_picture(size):
    """The program's icon: a closed path through three points, with the pointer on its way along
    it."""
    pic = Picture(size, size, None)
    if size == 32:
        a, b, c = (6, 6), (26, 10), (8, 26)
        for p, q in ((a, b), (b, c), (c, a)):
            thick_line(pic, p, q, BLUE, 2)
        for x, y in (a, b, c):
            pic.disc(x, y, 3.3, BLACK)
            pic.disc(x, y, 2.3, RED)
            pic.set(x - 1, y - 1, WHITE)
        pic.stamp(15, 14, ARROW, {"K": BLACK, "W": WHITE})
    else:
        a, b, c = (2, 2), (13, 4), (3, 13)
        for p, q in ((a, b), (b, c), (c, a)):
            pic.line(*p, *q, BLUE)
        for x, y in (a, b, c):
            pic.fill_rect(x - 1, y - 1, x + 2, y + 2, BLACK)
            pic.set(x, y, RED)
        pic.stamp(8, 6, ARROW_SMALL, {"K": BLACK, "W": WHITE})
    return pic


# ---- file formats ----

def row_bytes(bits_per_row):
    return (bits_per_row + 31) // 32 * 4


def bitmap_info_header(width, height, bpp, image_size):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bpp, 0, image_size, 2835, 2835, 0, 0)


def bmp_file(pic):
    """A 24-bit, bottom-up BMP."""
    stride = row_bytes(pic.width * 24)
    data = bytearray()
    for y in range(pic.height - 1, -1, -1):
        row = bytearray()
        for x in range(pic.width):
            r, g, b = pic.get(x, y)
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        data += row
    header = bitmap_info_header(pic.width, pic.height, 24, len(data))
    offset = 14 + len(header)
    return struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset) + header + bytes(data)


def pack_indices(indices, bpp):
    out = bytearray()
    per_byte = 8 // bpp
    for i in range(0, len(indices), per_byte):
        byte = 0
        for j, value in enumerate(indices[i:i + per_byte]):
            byte |= value << (8 - bpp * (j + 1))
        out.append(byte)
    return out


def dib_with_mask(pic, bpp, palette):
    """BITMAPINFOHEADER + palette + colour bits + AND mask, as icon and cursor images hold them.
    Transparent pixels get colour index 0 and a set mask bit."""
    index = {colour: i for i, colour in enumerate(palette)}
    colour_stride = row_bytes(pic.width * bpp)
    mask_stride = row_bytes(pic.width)
    colour_bits = bytearray()
    mask_bits = bytearray()
    for y in range(pic.height - 1, -1, -1):
        row = [pic.get(x, y) for x in range(pic.width)]
        packed = pack_indices([0 if c is None else index[c] for c in row], bpp)
        colour_bits += packed + bytes(colour_stride - len(packed))
        packed = pack_indices([1 if c is None else 0 for c in row], 1)
        mask_bits += packed + bytes(mask_stride - len(packed))
    header = bitmap_info_header(pic.width, pic.height * 2, bpp, len(colour_bits) + len(mask_bits))
    pal = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + pal + bytes(colour_bits) + bytes(mask_bits)


def icon_directory(kind, entries):
    """kind 1: icon, 2: cursor. entries: (width, height, colours, field1, field2, image bytes)."""
    out = bytearray(struct.pack("<HHH", 0, kind, len(entries)))
    offset = 6 + 16 * len(entries)
    for w, h, colours, f1, f2, image in entries:
        out += struct.pack("<BBBBHHII", w % 256, h % 256, colours, 0, f1, f2, len(image), offset)
        offset += len(image)
    for entry in entries:
        out += entry[5]
    return bytes(out)


# The 16 colours of the standard VGA palette, in their usual order.
VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def palette_256(pic):
    """The VGA colours first, then any other colour the picture uses, padded to 256 entries."""
    palette = list(VGA16)
    for row in pic.pixels:
        for c in row:
            if c is not None and c not in palette:
                palette.append(c)
    if len(palette) > 256:
        raise ValueError("more than 256 colours in the icon")
    return palette + [(0, 0, 0)] * (256 - len(palette))


def ico_file(big, small):
    for row in small.pixels:
        for c in row:
            if c is not None and c not in VGA16:
                raise ValueError("16-colour icon uses a colour outside the VGA palette: %r" % (c,))
    big_image = dib_with_mask(big, 8, palette_256(big))
    small_image = dib_with_mask(small, 4, VGA16)
    return icon_directory(1, [(32, 32, 0, 1, 8, big_image), (16, 16, 16, 1, 4, small_image)])


def cur_file(cursors):
    """cursors: (picture, hot spot) pairs, one image each, the hot spot at (spot, spot)."""
    return icon_directory(2, [(pic.width, pic.height, 2, spot, spot,
                               dib_with_mask(pic, 1, [BLACK, WHITE])) for pic, spot in cursors])


# Every image of the window is drawn for these display scales, in per cent; the program takes the
# one drawn for the size it needs, or the nearest larger one scaled down.
SCALES = (100, 125, 150, 200)


def scaled_name(name, percent):
    stem, ext = os.path.splitext(name)
    return name if percent == 100 else "%s_%d%s" % (stem, percent, ext)


def outputs():
    """File name -> bytes, for every file this script owns."""
    files = {}
    for percent in SCALES:
        f = percent / 100
        pictures = {
            "logo.bmp": logo(f),
            "tab_motion.bmp": tab("Motion", f),
            "tab_about.bmp": tab("About", f),
            "tab_close.bmp": rounded_button(80, 20, "Close", f),
            "vline.bmp": line_image(px(1, f), px(48, f)),
            "hline.bmp": line_image(px(140, f), px(1, f)),
            "add.bmp": rounded_button(43, 20, "Add", f),
            "target.bmp": target_image(f),
        }
        for name, pic in pictures.items():
            files[scaled_name(name, percent)] = bmp_file(pic)
    files["target.cur"] = cur_file([target_cursor(percent / 100) for percent in SCALES])
    files["varrel.ico"] = ico_file(icon_picture(32), icon_picture(16))
    return files


def main():
    """Writes the files; with --check, only reports the committed files that differ from what
    this script draws (exit status 1), so that a change to one is not forgotten in the other."""
    if sys.argv[1:] == ["--check"]:
        stale = []
        for name, data in outputs().items():
            path = os.path.join(HERE, name)
            if not os.path.exists(path) or open(path, "rb").read() != data:
                stale.append(name)
        for name in stale:
            print("%s differs from what make_artwork.py draws" % name)
        sys.exit(1 if stale else 0)
    out_dir = sys.argv[1] if len(sys.argv) > 1 else HERE
    for name, data in outputs().items():
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
