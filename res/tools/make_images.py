#!/usr/bin/env python3
"""Draws the program's pictures and writes them as resource files, with no imaging library:
res/tavrel.ico (16, 32, 48 px), res/start.ico and res/info.ico (16 px button pictures) and
res/smaa.bmp (the five 16 x 16 mark images, magenta where transparent).

Run from anywhere: python3 res/tools/make_images.py
"""
import math
import os
import struct

RES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
SUB = 4  # samples per pixel side for smooth edges


class Canvas:
    def __init__(self, size):
        self.size = size
        self.px = [[(0.0, 0.0, 0.0, 0.0) for _ in range(size)] for _ in range(size)]

    def _blend(self, x, y, color, cover):
        if cover <= 0:
            return
        r, g, b, a = color
        a *= cover
        dr, dg, db, da = self.px[y][x]
        out_a = a + da * (1 - a)
        if out_a <= 0:
            return
        mix = lambda s, d: (s * a + d * da * (1 - a)) / out_a
        self.px[y][x] = (mix(r, dr), mix(g, dg), mix(b, db), out_a)

    def fill(self, inside, color):
        """Fills the shape given by inside(x, y) in units of the icon (0..1), anti-aliased."""
        n = self.size
        for y in range(n):
            for x in range(n):
                hits = 0
                for sy in range(SUB):
                    for sx in range(SUB):
                        if inside((x + (sx + 0.5) / SUB) / n, (y + (sy + 0.5) / SUB) / n):
                            hits += 1
                self._blend(x, y, color, hits / (SUB * SUB))

    def pixels_bgra(self):
        rows = []
        for y in range(self.size):
            row = []
            for x in range(self.size):
                r, g, b, a = self.px[y][x]
                row.append((round(b * 255), round(g * 255), round(r * 255), round(a * 255)))
            rows.append(row)
        return rows


def rgb(h, a=1.0):
    return (int(h[0:2], 16) / 255, int(h[2:4], 16) / 255, int(h[4:6], 16) / 255, a)


def rect(x0, y0, x1, y1, radius=0.0):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        if radius <= 0:
            return True
        cx = min(max(x, x0 + radius), x1 - radius)
        cy = min(max(y, y0 + radius), y1 - radius)
        return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2
    return inside


def polygon(points):
    def inside(x, y):
        c = False
        j = len(points) - 1
        for i in range(len(points)):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                c = not c
            j = i
        return c
    return inside


def circle(cx, cy, r):
    return lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def ring(cx, cy, r0, r1):
    return lambda x, y: r0 * r0 <= (x - cx) ** 2 + (y - cy) ** 2 <= r1 * r1


def draw_app_icon(size):
    c = Canvas(size)
    edge = rgb("8a5a00")
    # The folder: back with its tab, then the front flap.
    c.fill(rect(0.04, 0.16, 0.44, 0.34, 0.04), edge)
    c.fill(rect(0.06, 0.18, 0.42, 0.34, 0.03), rgb("f0c040"))
    c.fill(rect(0.04, 0.26, 0.96, 0.88, 0.05), edge)
    c.fill(rect(0.06, 0.28, 0.94, 0.86, 0.04), rgb("f6cf55"))
    c.fill(rect(0.02, 0.40, 0.98, 0.92, 0.05), edge)
    c.fill(rect(0.04, 0.42, 0.96, 0.90, 0.04), rgb("ffdc6a"))
    # The green arrow of the copy.
    arrow = [(0.22, 0.58), (0.52, 0.58), (0.52, 0.46), (0.82, 0.66), (0.52, 0.86), (0.52, 0.74), (0.22, 0.74)]
    c.fill(polygon(arrow), rgb("1d6b1d"))
    inner = [(0.26, 0.61), (0.55, 0.61), (0.55, 0.52), (0.76, 0.66), (0.55, 0.80), (0.55, 0.71), (0.26, 0.71)]
    c.fill(polygon(inner), rgb("35b035"))
    return c


def draw_start():
    c = Canvas(16)
    c.fill(polygon([(0.18, 0.08), (0.92, 0.5), (0.18, 0.92)]), rgb("1d6b1d"))
    c.fill(polygon([(0.25, 0.2), (0.78, 0.5), (0.25, 0.8)]), rgb("3cc03c"))
    return c


def draw_info():
    c = Canvas(16)
    c.fill(circle(0.5, 0.5, 0.47), rgb("1f4f9f"))
    c.fill(circle(0.5, 0.5, 0.40), rgb("3a7bd5"))
    c.fill(circle(0.5, 0.27, 0.08), rgb("ffffff"))
    c.fill(rect(0.42, 0.42, 0.58, 0.78), rgb("ffffff"))
    return c


def ico_image(canvas):
    n = canvas.size
    rows = canvas.pixels_bgra()
    header = struct.pack("<IiiHHIIiiII", 40, n, n * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes(v for p in rows[y] for v in p) for y in range(n - 1, -1, -1))
    stride = ((n + 31) // 32) * 4
    mask = bytearray()
    for y in range(n - 1, -1, -1):
        line = bytearray(stride)
        for x in range(n):
            if rows[y][x][3] == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + xor + bytes(mask)


def write_ico(path, canvases):
    images = [ico_image(c) for c in canvases]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for c, data in zip(canvases, images):
        dim = c.size if c.size < 256 else 0
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    with open(path, "wb") as f:
        f.write(out + b"".join(images))


# The mark strip is pixel art: a mask colour cannot carry smooth edges.
MASK = (255, 0, 255)
BORDER = (64, 64, 64)
WHITE = (255, 255, 255)
GREY = (192, 192, 192)
BLACK = (0, 0, 0)
GREEN = (0, 128, 0)
CHECK = [(4, 7), (4, 8), (4, 9), (5, 8), (5, 9), (5, 10), (6, 9), (6, 10), (6, 11), (7, 8), (7, 9), (7, 10),
         (8, 7), (8, 8), (8, 9), (9, 6), (9, 7), (9, 8), (10, 5), (10, 6), (10, 7), (11, 4), (11, 5), (11, 6)]


def mark_images():
    def box(img, x0, y0, x1, y1, inside):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                img[y][x] = BORDER if edge else inside

    pictures = []
    for kind in range(5):
        img = [[MASK] * 16 for _ in range(16)]
        if kind == 3:
            box(img, 4, 4, 11, 11, WHITE)
        else:
            box(img, 1, 1, 14, 14, GREY if kind == 0 else WHITE)
        if kind == 0:
            for x, y in CHECK:
                img[y][x] = BLACK
        elif kind == 2:
            for x, y in CHECK:
                img[y][x] = GREEN
        elif kind == 4:
            for y in range(4, 12):
                for x in range(4, 12):
                    img[y][x] = GREEN
        pictures.append(img)
    return pictures


def write_strip(path, pictures):
    w, h = 16 * len(pictures), 16
    stride = (w * 3 + 3) // 4 * 4
    data = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for img in pictures:
            for x in range(16):
                r, g, b = img[y][x]
                line += bytes((b, g, r))
        data += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + data)


if __name__ == "__main__":
    write_ico(os.path.join(RES, "tavrel.ico"), [draw_app_icon(s) for s in (16, 32, 48)])
    write_ico(os.path.join(RES, "start.ico"), [draw_start()])
    write_ico(os.path.join(RES, "info.ico"), [draw_info()])
    write_strip(os.path.join(RES, "smaa.bmp"), mark_images())
