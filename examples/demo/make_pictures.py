#!/usr/bin/env python3
"""Draws the demo stack's pictures: the background (an indexed PNG in the card palette),
the ladybird (an indexed PNG stored in the stack, and an 8-bit BMP file the stack refers
to) with its mask (a PNG, black = shown), and the button
icons (32 x 32 four-bit icon files). Run from anywhere; writes beside this script."""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
W, H = 512, 342

# The card palette: entries 1-based in the description are these + 1.
PALETTE = [(255, 255, 255), (0, 0, 0)]                                  # 0 white, 1 black
PALETTE += [(90 + i * 2, 150 + i, 235 - i) for i in range(64)]          # 2..65 sky
PALETTE += [(40 + i * 2, 120 + i * 3, 40 + i) for i in range(32)]       # 66..97 grass
PALETTE += [(255, 220, 0), (255, 140, 0), (220, 30, 30), (20, 40, 120),  # 98 yellow, 99 orange,
            (128, 128, 128), (212, 212, 212), (120, 72, 30), (250, 240, 215),  # 100 red, 101 navy,
            (60, 110, 200), (255, 250, 160)]                            # 102 grey, 103 light grey,
_rest = 256 - len(PALETTE)                                              # 104 brown, 105 cream,
PALETTE += [(i * 255 // (_rest - 1),) * 3 for i in range(_rest)]        # 106 blue, 107 pale yellow,
assert len(PALETTE) == 256                                              # then a grey ramp


def png(path, width, height, rows, palette=None):
    """rows: list of bytes; with a palette they are indices, else RGB triples."""
    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    colour = 3 if palette else 2
    out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, colour, 0, 0, 0))
    if palette:
        out += chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    out += chunk(b"IDAT", zlib.compress(b"".join(b"\0" + r for r in rows), 9))
    out += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(out)


def background():
    rows = []
    for y in range(H):
        row = bytearray(W)
        for x in range(W):
            hill = 250 + 18 * math.sin(x / 70.0) + 8 * math.sin(x / 23.0)
            if y >= hill:
                v = 66 + min(31, int((y - hill) / 3))
                if (x * 7 + y * 13) % 29 == 0:
                    v = 98  # buttercups
            else:
                v = 2 + min(63, y * 64 // 260)
            dx, dy = x - 440, y - 60
            d = math.hypot(dx, dy)
            if d < 28:
                v = 98
            elif d < 34 and int(math.degrees(math.atan2(dy, dx))) % 30 < 12:
                v = 99  # the sun's rays
            row[x] = v
        rows.append(bytes(row))
    # A cream title strip with a navy rule along its foot.
    for y in range(10, 48):
        strip = 101 if y >= 46 else 105
        rows[y] = bytes(strip if 16 <= x < 380 else rows[y][x] for x in range(W))
    png(os.path.join(HERE, "background.png"), W, H, rows, PALETTE)


def ladybird():
    size = 96
    pixels, mask = [], []
    for y in range(size):
        prow, mrow = bytearray(size), bytearray(size * 3)
        for x in range(size):
            dx, dy = x - 48, y - 54
            body = (dx / 40.0) ** 2 + (dy / 36.0) ** 2 <= 1
            head = math.hypot(x - 48, y - 16) <= 16
            v, shown = 0, body or head
            if head:
                v = 1
                if math.hypot(x - 42, y - 12) < 3 or math.hypot(x - 54, y - 12) < 3:
                    v = 0
            elif body:
                v = 2
                spots = [(30, 44), (66, 44), (34, 68), (62, 68), (48, 80)]
                if abs(dx) < 1.5 or any(math.hypot(x - a, y - b) < 7 for a, b in spots):
                    v = 1
            prow[x] = v
            c = 0 if shown else 255
            mrow[3 * x:3 * x + 3] = bytes((c, c, c))
        pixels.append(bytes(prow))
        mask.append(bytes(mrow))
    # 8-bit BMP, rows bottom-up, a three-colour palette.
    palette = [(255, 255, 255), (0, 0, 0), (220, 30, 30)]
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in palette) + bytes(4 * (256 - len(palette)))
    data = b"".join(pixels[y] for y in reversed(range(size)))
    offset = 14 + 40 + len(pal)
    header = b"BM" + struct.pack("<IHHI", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, size, size, 1, 8, 0, len(data), 2835, 2835, 256, 0)
    with open(os.path.join(HERE, "ladybird.bmp"), "wb") as f:
        f.write(header + info + pal + data)
    png(os.path.join(HERE, "ladybird-mask.png"), size, size, mask)
    png(os.path.join(HERE, "ladybird.png"), size, size, pixels, palette)


# Icons: the sixteen colours of the classic four-bit table.
VGA = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
       (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
       (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def icon(name, shape):
    """shape(x, y) -> colour index 0..15, or None where transparent."""
    n = 32
    grid = [[shape(x, y) for x in range(n)] for y in range(n)]
    xor = b""
    andm = b""
    for y in reversed(range(n)):
        row = bytearray(16)
        bits = 0
        for x in range(n):
            v = grid[y][x]
            if v is None:
                bits |= 1 << (31 - x)
                v = 0
            row[x // 2] |= v << (0 if x % 2 else 4)
        xor += bytes(row)
        andm += struct.pack(">I", bits)
    pal = b"".join(bytes((b, g, r, 0)) for r, g, b in VGA)
    info = struct.pack("<IiiHHIIiiII", 40, n, 2 * n, 1, 4, 0, len(xor) + len(andm), 0, 0, 16, 0)
    image = info + pal + xor + andm
    directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", n, n, 16, 0, 1, 4, len(image), 22)
    with open(os.path.join(HERE, "icons", name + ".ico"), "wb") as f:
        f.write(directory + image)


def arrow(right):
    def shape(x, y):
        if not right:
            x = 31 - x
        inside = (4 <= x < 18 and 11 <= y < 21) or (18 <= x < 29 and abs(y - 15.5) <= (29 - x))
        edge = inside and not ((5 <= x < 18 and 12 <= y < 20) or (18 <= x < 28 and abs(y - 15.5) < (27.5 - x)))
        return 0 if edge else (2 if inside else None)
    return shape


def house(x, y):
    roof = y < 14 and abs(x - 15.5) <= y + 1 and y >= 2
    wall = 14 <= y < 29 and 6 <= x < 26
    door = 20 <= y < 29 and 13 <= x < 19
    window = 16 <= y < 20 and (8 <= x < 11 or 21 <= x < 24)
    if door:
        return 1
    if window:
        return 14
    if roof:
        return 9
    if wall:
        return 11 if not (x in (6, 25) or y == 28) else 0
    return None


def star(x, y):
    cx, cy = 15.5, 16.5
    a = math.atan2(y - cy, x - cx) + math.pi / 2
    r = math.hypot(x - cx, y - cy)
    limit = 7 + 8 * (0.5 + 0.5 * math.cos(5 * a))
    if r <= limit:
        return 0 if r > limit - 1.2 else 11
    return None


def main():
    os.makedirs(os.path.join(HERE, "icons"), exist_ok=True)
    background()
    ladybird()
    icon("next", arrow(True))
    icon("back", arrow(False))
    icon("home", house)
    icon("star", star)


if __name__ == "__main__":
    main()
