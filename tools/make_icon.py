#!/usr/bin/env python3
"""Draws the program icon (a red alarm clock) and writes it as an ICO file,
or the same clock as the installer's side picture (a 24-bit BMP).

Nine images: 48, 32 and 16 pixels square, each at 4 bpp (the 16 standard
colours), 8 bpp (a fixed 256-colour palette) and 32 bpp (with alpha). The
output is byte-for-byte reproducible, so the committed platform/win32/res/ny.ico
can always be regenerated and compared.

Usage: tools/make_icon.py [output.ico]   (default: platform/win32/res/ny.ico)
       tools/make_icon.py --wizard output.bmp
The second is made at build time (tools/package.sh) for the installer's and
the uninstaller's welcome and finish pages: 164 x 314, the size they show.
"""

import math
import os
import struct
import sys

SIZES = (48, 32, 16)
DEPTHS = (4, 8, 32)
SUPERSAMPLE = 4

# --- the drawing -----------------------------------------------------------
# Shapes in a unit square (x right, y down), painted in order.

RED = (214, 38, 38)
DARK_RED = (118, 12, 12)
GOLD = (246, 186, 24)
DARK_GOLD = (150, 100, 0)
GREY = (64, 64, 64)
WHITE = (255, 255, 255)
BLACK = (16, 16, 16)

CENTRE = (0.5, 0.56)


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def capsule(x0, y0, x1, y1, width):
    """A stroke from (x0, y0) to (x1, y1) with round ends."""
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy
    half = width / 2

    def inside(x, y):
        t = ((x - x0) * dx + (y - y0) * dy) / length2
        t = min(1.0, max(0.0, t))
        px, py = x0 + t * dx - x, y0 + t * dy - y
        return px * px + py * py <= half * half

    return inside


def hand(angle_deg, length, width):
    """A clock hand; 0 degrees is twelve o'clock, clockwise."""
    a = math.radians(angle_deg)
    cx, cy = CENTRE
    return capsule(cx, cy, cx + length * math.sin(a), cy - length * math.cos(a), width)


def shapes(size):
    cx, cy = CENTRE
    out = [
        # legs
        (capsule(0.31, 0.82, 0.19, 0.95, 0.09), GREY),
        (capsule(0.69, 0.82, 0.81, 0.95, 0.09), GREY),
        # the bar over the bells and its knob
        (capsule(0.5, 0.17, 0.5, 0.07, 0.07), GREY),
        # bells, outlined
        (circle(0.22, 0.21, 0.16), DARK_GOLD),
        (circle(0.78, 0.21, 0.16), DARK_GOLD),
        (circle(0.22, 0.21, 0.125), GOLD),
        (circle(0.78, 0.21, 0.125), GOLD),
        # case, outlined, and the face
        (circle(cx, cy, 0.42), DARK_RED),
        (circle(cx, cy, 0.38), RED),
        (circle(cx, cy, 0.29), WHITE),
    ]
    # hour marks at 12, 3, 6 and 9; at 16 pixels they only blur the hands
    for k in range(4 if size > 16 else 0):
        a = math.radians(90 * k)
        sx, sy = math.sin(a), -math.cos(a)
        out.append((capsule(cx + 0.20 * sx, cy + 0.20 * sy, cx + 0.25 * sx, cy + 0.25 * sy, 0.05),
                    BLACK))
    # ten past ten
    out.append((hand(-60, 0.15, 0.07), BLACK))
    out.append((hand(60, 0.22, 0.05), BLACK))
    out.append((circle(cx, cy, 0.045), DARK_RED))
    return out


def render(size, n=SUPERSAMPLE):
    """Returns size*size (r, g, b, a) tuples, row 0 at the top."""
    drawing = shapes(size)
    pixels = []
    for py in range(size):
        for px in range(size):
            r = g = b = 0.0
            covered = 0
            for sy in range(n):
                for sx in range(n):
                    x = (px + (sx + 0.5) / n) / size
                    y = (py + (sy + 0.5) / n) / size
                    colour = None
                    for inside, c in drawing:
                        if inside(x, y):
                            colour = c
                    if colour is not None:
                        r += colour[0]
                        g += colour[1]
                        b += colour[2]
                        covered += 1
            if covered == 0:
                pixels.append((0, 0, 0, 0))
            else:
                pixels.append((round(r / covered), round(g / covered), round(b / covered),
                               round(255 * covered / (n * n))))
    return pixels


# --- palettes --------------------------------------------------------------

VGA16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def palette256():
    """A 6x6x6 colour cube followed by 40 greys between its steps."""
    steps = (0, 51, 102, 153, 204, 255)
    pal = [(r, g, b) for r in steps for g in steps for b in steps]
    k = 0
    while len(pal) < 256:
        v = 4 + k * 6
        k += 1
        if v % 51:
            pal.append((v, v, v))
    return pal


def nearest(palette, rgb, cache):
    hit = cache.get(rgb)
    if hit is None:
        hit = min(range(len(palette)),
                  key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], rgb)))
        cache[rgb] = hit
    return hit


# --- ICO encoding ----------------------------------------------------------

def stride(width, bpp):
    return (width * bpp + 31) // 32 * 4


def and_mask(pixels, size):
    """1 bit per pixel, set where the icon is transparent; bottom row first."""
    out = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride(size, 1))
        for x in range(size):
            if pixels[y * size + x][3] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def image(pixels, size, bpp):
    """BITMAPINFOHEADER, palette, colour bits and mask of one icon image."""
    body = bytearray()
    if bpp == 32:
        for y in reversed(range(size)):
            for x in range(size):
                r, g, b, a = pixels[y * size + x]
                body += bytes((b, g, r, a) if a else (0, 0, 0, 0))
        palette = []
    else:
        palette = VGA16 if bpp == 4 else palette256()
        cache = {}
        for y in reversed(range(size)):
            row = bytearray(stride(size, bpp))
            for x in range(size):
                r, g, b, a = pixels[y * size + x]
                index = nearest(palette, (r, g, b), cache) if a >= 128 else 0
                if bpp == 8:
                    row[x] = index
                else:
                    row[x // 2] |= index << (4 if x % 2 == 0 else 0)
            body += row
    mask = and_mask(pixels, size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bpp, 0, len(body) + len(mask),
                         0, 0, 0, 0)
    quads = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + quads + bytes(body) + mask


def build_ico():
    rendered = {size: render(size) for size in SIZES}
    images = [(size, bpp, image(rendered[size], size, bpp)) for bpp in DEPTHS for size in SIZES]
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, bpp, data in images:
        colours = 16 if bpp == 4 else 0
        out += struct.pack("<BBBBHHII", size, size, colours, 0, 1, bpp, len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    return bytes(out)


# --- the installer's side picture ---------------------------------------------

WIZARD_W, WIZARD_H = 164, 314
WIZARD_CLOCK = 120          # the clock's square, centred across, in the upper part
WIZARD_TOP = (255, 247, 236)
WIZARD_BOTTOM = (244, 205, 168)


def build_wizard_bmp():
    """The clock on a warm light ground, darker downwards: a 24-bit BMP."""
    clock = render(WIZARD_CLOCK, 3)
    left = (WIZARD_W - WIZARD_CLOCK) // 2
    top = 70
    rows = []
    for y in range(WIZARD_H):
        t = y / (WIZARD_H - 1)
        ground = tuple(round(a + (b - a) * t) for a, b in zip(WIZARD_TOP, WIZARD_BOTTOM))
        row = bytearray()
        for x in range(WIZARD_W):
            r, g, b = ground
            cx, cy = x - left, y - top
            if 0 <= cx < WIZARD_CLOCK and 0 <= cy < WIZARD_CLOCK:
                cr, cg, cb, ca = clock[cy * WIZARD_CLOCK + cx]
                k = ca / 255
                r, g, b = (round(c * k + o * (1 - k)) for c, o in ((cr, r), (cg, g), (cb, b)))
            row += bytes((b, g, r))
        row += bytes(stride(WIZARD_W, 24) - len(row))
        rows.append(bytes(row))
    bits = b"".join(reversed(rows))  # bottom row first
    info = struct.pack("<IiiHHIIiiII", 40, WIZARD_W, WIZARD_H, 1, 24, 0, len(bits), 2835, 2835,
                       0, 0)
    header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(bits), 0, 0, 14 + len(info))
    return header + info + bits


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    if len(sys.argv) == 3 and sys.argv[1] == "--wizard":
        target, data = sys.argv[2], build_wizard_bmp()
    else:
        target = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "platform",
                                                                    "win32", "res", "ny.ico")
        data = build_ico()
    with open(target, "wb") as f:
        f.write(data)
    print(f"{target}: {len(data)} bytes")


if __name__ == "__main__":
    main()
