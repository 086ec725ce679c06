#!/usr/bin/env python3
"""Draws every picture the screens load from img/ (and the goodbye picture
of /usr/velto/img) from the shape descriptions below.

Pure standard library: shapes are rasterised with 4 x 4 supersampling and
written as PNG (zlib), GIF (our own LZW coder) or, through cjpeg from
libjpeg-turbo-progs, JPEG. Run from anywhere:

    python3 assets/artwork/draw_artwork.py

Edit a picture by changing its function; the outputs are committed so that
building needs neither Python nor cjpeg.
"""

import math
import os
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
IMG = os.path.join(HERE, "..", "img")
BOARD_IMG = os.path.join(HERE, "..", "usr_velto_img")
SS = 4  # samples per pixel along each axis

# Palette of the system's look.
BLUE = (0x16, 0x42, 0x73)
RED = (0xE0, 0x20, 0x20)
DARK_RED = (0x80, 0x00, 0x00)
WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
GREY = (0x90, 0x90, 0x90)
LIGHT = (0xD8, 0xDE, 0xE6)
GREEN = (0x20, 0xB0, 0x40)
YELLOW = (0xF0, 0xC0, 0x20)
ORANGE = (0xFF, 0x80, 0x00)


class Canvas:
    def __init__(self, w, h, bg=None):
        self.w, self.h = w, h
        self.px = [[(0, 0, 0, 0) if bg is None else bg + (255,) for _ in range(w)]
                   for _ in range(h)]

    def _cover(self, inside, box, colour, alpha=255):
        x0, y0, x1, y1 = box
        x0, y0 = max(0, int(math.floor(x0))), max(0, int(math.floor(y0)))
        x1, y1 = min(self.w, int(math.ceil(x1))), min(self.h, int(math.ceil(y1)))
        step = 1.0 / SS
        for y in range(y0, y1):
            row = self.px[y]
            for x in range(x0, x1):
                hits = 0
                for sy in range(SS):
                    py = y + (sy + 0.5) * step
                    for sx in range(SS):
                        if inside(x + (sx + 0.5) * step, py):
                            hits += 1
                if hits:
                    self._blend(row, x, colour, alpha * hits / (SS * SS))

    @staticmethod
    def _blend(row, x, colour, a):
        r, g, b, da = row[x]
        a /= 255.0
        out_a = a + da / 255.0 * (1 - a)
        if out_a <= 0:
            return
        mix = lambda s, d: (s * a + d * (da / 255.0) * (1 - a)) / out_a
        row[x] = (int(round(mix(colour[0], r))), int(round(mix(colour[1], g))),
                  int(round(mix(colour[2], b))), int(round(out_a * 255)))

    def rect(self, x0, y0, x1, y1, colour, alpha=255):
        self._cover(lambda x, y: x0 <= x < x1 and y0 <= y < y1, (x0, y0, x1, y1), colour, alpha)

    def round_rect(self, x0, y0, x1, y1, r, colour, alpha=255):
        def inside(x, y):
            if not (x0 <= x < x1 and y0 <= y < y1):
                return False
            cx = min(max(x, x0 + r), x1 - r)
            cy = min(max(y, y0 + r), y1 - r)
            return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
        self._cover(inside, (x0, y0, x1, y1), colour, alpha)

    def ellipse(self, cx, cy, rx, ry, colour, alpha=255):
        self._cover(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0,
                    (cx - rx, cy - ry, cx + rx, cy + ry), colour, alpha)

    def ring(self, cx, cy, r, width, colour):
        self._cover(lambda x, y: (r - width) ** 2 <= (x - cx) ** 2 + (y - cy) ** 2 <= r * r,
                    (cx - r, cy - r, cx + r, cy + r), colour)

    def polygon(self, pts, colour, alpha=255):
        xs = [p[0] for p in pts]
        ys = [p[1] for p in pts]

        def inside(x, y):
            c = False
            j = len(pts) - 1
            for i in range(len(pts)):
                (xi, yi), (xj, yj) = pts[i], pts[j]
                if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    c = not c
                j = i
            return c
        self._cover(inside, (min(xs), min(ys), max(xs), max(ys)), colour, alpha)

    def line(self, x0, y0, x1, y1, width, colour):
        dx, dy = x1 - x0, y1 - y0
        n = math.hypot(dx, dy) or 1.0
        ox, oy = -dy / n * width / 2, dx / n * width / 2
        self.polygon([(x0 + ox, y0 + oy), (x1 + ox, y1 + oy), (x1 - ox, y1 - oy),
                      (x0 - ox, y0 - oy)], colour)

    def text(self, s, x, y, scale, colour):
        """Block letters from the 5 x 7 font below, scale pixels per dot."""
        for ch in s:
            rows = FONT.get(ch.upper())
            if rows:
                for ry, bits in enumerate(rows):
                    for rx in range(5):
                        if bits & (0x10 >> rx):
                            self.rect(x + rx * scale, y + ry * scale, x + (rx + 1) * scale,
                                      y + (ry + 1) * scale, colour)
            x += 6 * scale

    @staticmethod
    def text_width(s, scale):
        return len(s) * 6 * scale - scale


FONT = {
    "A": [0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11], "B": [0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E],
    "C": [0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E], "D": [0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E],
    "E": [0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F], "G": [0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F],
    "N": [0x11, 0x19, 0x15, 0x13, 0x11, 0x11, 0x11], "O": [0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E],
    "R": [0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11], "S": [0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E],
    "T": [0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04], "V": [0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04],
    "Y": [0x11, 0x11, 0x0A, 0x04, 0x04, 0x04, 0x04], "?": [0x0E, 0x11, 0x01, 0x02, 0x04, 0x00, 0x04],
    "!": [0x04, 0x04, 0x04, 0x04, 0x04, 0x00, 0x04], "1": [0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E],
    "2": [0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F]
}


# ---- writers ---------------------------------------------------------------

def write_png(c, path):
    raw = bytearray()
    for row in c.px:
        raw.append(0)
        for r, g, b, a in row:
            raw += bytes((r, g, b, a))
    chunk = lambda t, d: (struct.pack(">I", len(d)) + t + d +
                          struct.pack(">I", zlib.crc32(t + d) & 0xFFFFFFFF))
    data = (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", c.w, c.h, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))
    with open(path, "wb") as f:
        f.write(data)


def _quantise(c, transparent):
    """Indexed pixels and palette; index 0 is transparent when asked."""
    def key(p, bits):
        s = 8 - bits
        return ((p[0] >> s) << s, (p[1] >> s) << s, (p[2] >> s) << s)
    for bits in (8, 6, 5, 4, 3):
        colours = {}
        for row in c.px:
            for p in row:
                if transparent and p[3] < 128:
                    continue
                colours.setdefault(key(p, bits), len(colours))
        if len(colours) <= (255 if transparent else 256):
            break
    palette = ([(0, 0, 0)] if transparent else []) + sorted(colours, key=colours.get)
    index = {col: i + (1 if transparent else 0) for i, col in enumerate(sorted(colours, key=colours.get))}
    pixels = []
    for row in c.px:
        for p in row:
            if transparent and p[3] < 128:
                pixels.append(0)
            else:
                pixels.append(index[key(p, bits)])
    return pixels, palette


def _lzw(pixels, min_size):
    clear, end = 1 << min_size, (1 << min_size) + 1
    out, buf, nbits = bytearray(), 0, 0
    size = min_size + 1

    def emit(code):
        nonlocal buf, nbits
        buf |= code << nbits
        nbits += size
        while nbits >= 8:
            out.append(buf & 0xFF)
            buf >>= 8
            nbits -= 8
    table = {(i,): i for i in range(clear)}
    nxt = end + 1
    emit(clear)
    w = ()
    for p in pixels:
        wp = w + (p,)
        if wp in table:
            w = wp
            continue
        emit(table[w])
        if nxt < 4096:
            table[wp] = nxt
            nxt += 1
            if nxt > (1 << size) and size < 12:
                size += 1
        else:
            emit(clear)
            table = {(i,): i for i in range(clear)}
            nxt, size = end + 1, min_size + 1
        w = (p,)
    if w:
        emit(table[w])
    emit(end)
    if nbits:
        out.append(buf & 0xFF)
    return bytes(out)


def write_gif(c, path):
    transparent = any(p[3] < 128 for row in c.px for p in row)
    pixels, palette = _quantise(c, transparent)
    bits = max(1, (len(palette) - 1).bit_length())
    palette += [(0, 0, 0)] * ((1 << bits) - len(palette))
    data = bytearray(b"GIF89a" + struct.pack("<HHBBB", c.w, c.h, 0x80 | (bits - 1), 0, 0))
    for col in palette:
        data += bytes(col)
    if transparent:
        data += b"\x21\xF9\x04\x01\x00\x00\x00\x00"
    data += b"\x2C" + struct.pack("<HHHHB", 0, 0, c.w, c.h, 0)
    min_size = max(2, bits)
    data.append(min_size)
    lzw = _lzw(pixels, min_size)
    for i in range(0, len(lzw), 255):
        block = lzw[i:i + 255]
        data.append(len(block))
        data += block
    data += b"\x00\x3B"
    with open(path, "wb") as f:
        f.write(data)


def write_jpeg(c, path):
    with tempfile.NamedTemporaryFile(suffix=".ppm", delete=False) as f:
        f.write(b"P6 %d %d 255\n" % (c.w, c.h))
        for row in c.px:
            for r, g, b, a in row:
                f.write(bytes((r * a // 255, g * a // 255, b * a // 255)))
        ppm = f.name
    try:
        with open(path, "wb") as out:
            subprocess.run(["cjpeg", "-quality", "92", ppm], stdout=out, check=True)
    finally:
        os.unlink(ppm)


# ---- pictures --------------------------------------------------------------

def rec():  # recording mark over the live picture
    c = Canvas(49, 22)
    c.round_rect(0, 0, 49, 22, 5, BLACK, 150)
    c.ellipse(8, 11, 5, 5, RED)
    c.text("REC", 14, 4, 2, WHITE)  # 34 wide: ends at 48 inside the 49
    return c


def funnel():  # busy image: an hourglass
    c = Canvas(15, 21)
    c.rect(1, 0, 14, 2, WHITE)
    c.rect(1, 19, 14, 21, WHITE)
    c.polygon([(2, 2), (13, 2), (8.3, 10.5), (13, 19), (2, 19), (6.7, 10.5)], WHITE)
    c.polygon([(3.5, 3), (11.5, 3), (7.5, 9)], YELLOW)
    c.polygon([(7.5, 13), (12, 18.5), (3, 18.5)], YELLOW)
    return c


def bright():  # light bulb
    c = Canvas(40, 40)
    c.ellipse(20, 16, 12, 12, YELLOW)
    c.rect(14, 26, 26, 29, YELLOW)
    c.rect(14, 30, 26, 33, GREY)
    c.rect(16, 34, 24, 37, GREY)
    return c


def focus():  # magnifier
    c = Canvas(40, 40)
    c.ring(16, 16, 12, 4, WHITE)
    c.ellipse(16, 16, 8, 8, LIGHT, 90)
    c.line(25, 25, 36, 36, 6, WHITE)
    return c


def plug():  # charger plug beside the battery gauge
    c = Canvas(42, 34)
    c.round_rect(2, 6, 38, 28, 3, WHITE)
    c.round_rect(5, 9, 35, 25, 2, BLACK)
    c.rect(38, 12, 41, 22, WHITE)
    c.polygon([(22, 8), (13, 18), (19, 18), (16, 27), (26, 15), (20, 15)], YELLOW)
    return c


def sd():  # SD card
    c = Canvas(28, 21)
    c.polygon([(5, 1), (27, 1), (27, 20), (1, 20), (1, 5)], WHITE)
    for i in range(4):
        c.rect(8 + i * 4, 3, 10 + i * 4, 8, BLUE)
    c.text("SD", 8, 11, 1, BLUE)
    return c


def rec_video():  # camcorder: video mode
    c = Canvas(32, 22)
    c.round_rect(1, 5, 22, 19, 3, WHITE)
    c.polygon([(23, 12), (31, 6), (31, 18)], WHITE)
    c.ellipse(7, 5, 3, 3, WHITE)
    c.ellipse(15, 5, 3, 3, WHITE)
    return c


def rec_img():  # still camera: picture mode
    c = Canvas(32, 22)
    c.round_rect(1, 5, 31, 21, 3, WHITE)
    c.rect(10, 2, 20, 6, WHITE)
    c.ellipse(16, 13, 6, 6, BLACK)
    c.ellipse(16, 13, 4, 4, WHITE)
    c.rect(24, 7, 28, 9, RED)
    return c


def media_button(kind, selected):
    c = Canvas(116, 172, BLUE if selected else LIGHT)
    fg = WHITE if selected else BLUE
    if selected:
        c.rect(0, 0, 116, 4, YELLOW)
        c.rect(0, 168, 116, 172, YELLOW)
        c.rect(0, 0, 4, 172, YELLOW)
        c.rect(112, 0, 116, 172, YELLOW)
    if kind == "video":
        c.round_rect(18, 60, 78, 108, 8, fg)
        c.polygon([(80, 84), (100, 66), (100, 102)], fg)
        c.ellipse(34, 56, 9, 9, fg)
        c.ellipse(60, 56, 9, 9, fg)
    else:
        c.round_rect(16, 58, 100, 116, 8, fg)
        c.rect(42, 48, 74, 60, fg)
        c.ellipse(58, 87, 20, 20, BLUE if selected else LIGHT)
        c.ellipse(58, 87, 14, 14, fg)
    return c


def playnav():  # play mark over a paused video
    c = Canvas(54, 54)
    c.ellipse(27, 27, 26, 26, BLACK, 140)
    c.ring(27, 27, 26, 3, WHITE)
    c.polygon([(20, 14), (41, 27), (20, 40)], WHITE)
    return c


def warn_back():  # background of the warning screens
    c = Canvas(320, 240, BLUE)
    c.rect(0, 0, 320, 8, DARK_RED)
    c.rect(0, 232, 320, 240, DARK_RED)
    c.polygon([(160, 30), (215, 125), (105, 125)], YELLOW)
    c.polygon([(160, 44), (203, 118), (117, 118)], BLUE)
    c.rect(156, 62, 164, 98, YELLOW)
    c.rect(156, 104, 164, 112, YELLOW)
    return c


def bye(w, h):  # goodbye picture at power-off
    c = Canvas(w, h, BLACK)
    s = w / 320.0
    c.ring(160 * s, 100 * s, 46 * s, 8 * s, WHITE)
    c.rect(150 * s, 40 * s, 170 * s, 60 * s, BLACK)
    c.rect(155 * s, 44 * s, 165 * s, 100 * s, WHITE)
    word = "BYE"
    scale = max(2, int(5 * s))
    c.text(word, (w - Canvas.text_width(word, scale)) / 2, 170 * s, scale, WHITE)
    return c


def yes():
    c = Canvas(64, 64)
    c.ellipse(32, 32, 30, 30, GREEN)
    c.line(16, 33, 28, 45, 7, WHITE)
    c.line(26, 45, 48, 20, 7, WHITE)
    return c


def no():
    c = Canvas(64, 64)
    c.ellipse(32, 32, 30, 30, RED)
    c.line(19, 19, 45, 45, 7, WHITE)
    c.line(45, 19, 19, 45, 7, WHITE)
    return c


def blacksqr():  # the unchosen side of the message box
    c = Canvas(64, 64)
    c.ring(32, 32, 30, 3, GREY)
    return c


def menu_icon(kind):
    c = Canvas(48, 48)
    c.round_rect(0, 0, 48, 48, 8, BLUE)
    if kind == "asetting":  # gear
        for a in range(0, 360, 45):
            r = math.radians(a)
            c.line(24 + 10 * math.cos(r), 24 + 10 * math.sin(r), 24 + 18 * math.cos(r),
                   24 + 18 * math.sin(r), 6, WHITE)
        c.ring(24, 24, 13, 6, WHITE)
    elif kind == "color":  # three colour drops
        c.ellipse(18, 20, 9, 9, RED, 230)
        c.ellipse(30, 20, 9, 9, GREEN, 230)
        c.ellipse(24, 30, 9, 9, (0x30, 0x70, 0xF0), 230)
    elif kind == "format":  # storage with an eraser stroke
        c.round_rect(9, 10, 39, 38, 3, WHITE)
        c.rect(14, 14, 34, 22, BLUE)
        c.line(12, 36, 36, 26, 4, ORANGE)
    elif kind == "help":
        c.ring(24, 24, 18, 3, WHITE)
        c.text("?", 19, 13, 2, WHITE)
    elif kind == "DateTime":  # clock
        c.ring(24, 24, 18, 3, WHITE)
        c.line(24, 24, 24, 12, 3, WHITE)
        c.line(24, 24, 33, 28, 3, WHITE)
    elif kind == "Language":  # globe
        c.ring(24, 24, 18, 3, WHITE)
        c._cover(lambda x, y: abs(((x - 24) / 8) ** 2 + ((y - 24) / 18) ** 2 - 1) < 0.25,
                 (0, 0, 48, 48), WHITE)
        c.rect(7, 22.5, 41, 25.5, WHITE)
    elif kind == "TVout":  # television
        c.round_rect(6, 12, 42, 38, 4, WHITE)
        c.rect(10, 16, 38, 34, BLUE)
        c.line(18, 4, 24, 12, 2, WHITE)
        c.line(30, 4, 24, 12, 2, WHITE)
    return c


def colour_choice(colourful, selected):
    c = Canvas(64, 48, BLUE if selected else LIGHT)
    frame = YELLOW if selected else GREY
    c.rect(0, 0, 64, 3, frame)
    c.rect(0, 45, 64, 48, frame)
    c.rect(0, 0, 3, 48, frame)
    c.rect(61, 0, 64, 48, frame)
    if colourful:
        bands = [RED, ORANGE, YELLOW, GREEN, (0x30, 0x70, 0xF0)]
    else:
        bands = [(v, v, v) for v in (240, 190, 140, 90, 40)]
    for i, col in enumerate(bands):
        c.rect(8 + i * 10, 10, 16 + i * 10, 38, col)
    return c


def date_icon():
    c = Canvas(64, 64, WHITE)
    c.round_rect(6, 10, 58, 58, 5, BLUE)
    c.rect(10, 22, 54, 54, WHITE)
    c.rect(16, 4, 21, 16, GREY)
    c.rect(43, 4, 48, 16, GREY)
    c.text("12", 20, 30, 3, RED)
    return c


def exit_program():
    c = Canvas(320, 240, BLACK)
    word = "GOODBYE"
    c.text(word, (320 - Canvas.text_width(word, 5)) / 2, 100, 5, WHITE)
    return c


PICTURES = [
    ("rec.gif", rec), ("funnel.gif", funnel), ("bright.gif", bright), ("focus.gif", focus),
    ("plug.gif", plug), ("sd.png", sd), ("rec_video.gif", rec_video), ("rec_img.gif", rec_img),
    ("videosel.gif", lambda: media_button("video", True)),
    ("videounsel.gif", lambda: media_button("video", False)),
    ("photosel.gif", lambda: media_button("photo", True)),
    ("photounsel.gif", lambda: media_button("photo", False)),
    ("playnav.gif", playnav), ("WarnBack.png", warn_back), ("yes.gif", yes), ("no.gif", no),
    ("blacksqr.gif", blacksqr),
    ("asetting.png", lambda: menu_icon("asetting")), ("color.png", lambda: menu_icon("color")),
    ("format.png", lambda: menu_icon("format")), ("help.png", lambda: menu_icon("help")),
    ("DateTime.png", lambda: menu_icon("DateTime")),
    ("Language.png", lambda: menu_icon("Language")), ("TVout.png", lambda: menu_icon("TVout")),
    ("ColorSel.png", lambda: colour_choice(True, True)),
    ("ColorUnsel.png", lambda: colour_choice(True, False)),
    ("WhiteSel.png", lambda: colour_choice(False, True)),
    ("WhiteUnsel.png", lambda: colour_choice(False, False)),
    ("DateIcon.jpg", date_icon), ("exitprogram.jpg", exit_program),
]


def save(c, path):
    ext = os.path.splitext(path)[1].lower()
    {".png": write_png, ".gif": write_gif, ".jpg": write_jpeg}[ext](c, path)


def main():
    os.makedirs(IMG, exist_ok=True)
    os.makedirs(BOARD_IMG, exist_ok=True)
    only = set(sys.argv[1:])
    for name, draw in PICTURES:
        if not only or name in only:
            save(draw(), os.path.join(IMG, name))
            print("img/" + name)
    if not only or "bye.png" in only:
        save(bye(320, 240), os.path.join(BOARD_IMG, "bye.png"))
        print("usr_velto_img/bye.png")


if __name__ == "__main__":
    main()
