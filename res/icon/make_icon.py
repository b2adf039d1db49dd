#!/usr/bin/env python3
"""Draws the program icon: a popup menu with a highlighted row and a red
removal badge. Writes res/VelmoroUninstaller.ico (16 to 256 px) and two PNG
previews beside this script. Python standard library only:

    python3 res/icon/make_icon.py

The small sizes have their own hand-placed layouts so that every edge falls
on a pixel boundary; from 32 px on the layout is scaled.
"""

from __future__ import annotations

import math
import struct
import zlib
from pathlib import Path

HERE = Path(__file__).resolve().parent
ICO = HERE.parent / "VelmoroUninstaller.ico"
SIZES = (16, 20, 24, 32, 40, 48, 64, 256)
PREVIEWS = (16, 48)

BORDER = (0x3C, 0x46, 0x54)
PANEL = (0xFF, 0xFF, 0xFF)
TEXT = (0x7C, 0x86, 0x94)
HIGHLIGHT = (0x2D, 0x6C, 0xDF)
WHITE = (0xFF, 0xFF, 0xFF)
BADGE = (0xD9, 0x30, 0x25)
BADGE_RING = (0x9E, 0x1E, 0x16)
SHADOW = (0, 0, 0)

# Hand-placed layouts, in whole pixels. panel: left, top, right, bottom
# (exclusive); rows: (top, left, right) of the 1 px grey lines; bar: top and
# height of the highlighted row, its white line inset; badge: left and top of
# the disc, its diameter and the cross as rows of '#'.
SMALL = {
    16: dict(panel=(0, 1, 13, 15), shadow=0, rows=((3, 2, 10), (9, 2, 7), (11, 2, 6)),
             bar=(5, 3), badge=(7, 7, 9), cross=("##.##", ".###.", "..#..", ".###.", "##.##")),
    20: dict(panel=(1, 1, 16, 19), shadow=1, rows=((4, 3, 13), (11, 3, 9), (14, 3, 8)),
             bar=(6, 4), badge=(9, 9, 11),
             cross=("##...##", "###.###", ".#####.", "..###..", ".#####.", "###.###",
                    "##...##")),
    24: dict(panel=(1, 1, 19, 22), shadow=1, rows=((4, 3, 16), (12, 3, 11), (15, 3, 10),
                                                     (18, 3, 9)),
             bar=(7, 4), badge=(11, 11, 13),
             cross=("##...##", "###.###", ".#####.", "..###..", ".#####.", "###.###",
                    "##...##")),
}


class Canvas:
    """Straight-alpha RGBA floats, painted with coverage functions."""

    def __init__(self, size: int):
        self.size = size
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(size * size)]

    def paint(self, coverage, color, alpha=1.0, box=None):
        x0, y0, x1, y1 = box or (0, 0, self.size, self.size)
        for y in range(max(0, y0), min(self.size, y1)):
            for x in range(max(0, x0), min(self.size, x1)):
                a = coverage(x, y) * alpha
                if a <= 0:
                    continue
                p = self.px[y * self.size + x]
                out = a + p[3] * (1 - a)
                for i in range(3):
                    p[i] = (color[i] / 255 * a + p[i] * p[3] * (1 - a)) / out
                p[3] = out

    def erase(self, coverage, box=None):
        x0, y0, x1, y1 = box or (0, 0, self.size, self.size)
        for y in range(max(0, y0), min(self.size, y1)):
            for x in range(max(0, x0), min(self.size, x1)):
                self.px[y * self.size + x][3] *= 1 - coverage(x, y)

    def rect(self, x0, y0, x1, y1, color, alpha=1.0):
        def cover(x, y):
            w = max(0.0, min(x + 1, x1) - max(x, x0))
            h = max(0.0, min(y + 1, y1) - max(y, y0))
            return w * h
        self.paint(cover, color, alpha, (math.floor(x0), math.floor(y0),
                                         math.ceil(x1), math.ceil(y1)))

    def rgba(self) -> bytes:
        return bytes(min(255, round(v * 255)) for p in self.px for v in p)


def supersampled(inside, reach):
    """Coverage by 8 x 8 samples, only where an edge may cross the pixel."""
    def cover(x, y):
        d = reach(x + 0.5, y + 0.5)
        if d <= -0.75:
            return 1.0
        if d >= 0.75:
            return 0.0
        n = 8
        return sum(inside(x + (i + 0.5) / n, y + (j + 0.5) / n)
                   for i in range(n) for j in range(n)) / (n * n)
    return cover


def disc(cx, cy, r):
    def reach(x, y):
        return math.hypot(x - cx, y - cy) - r
    return supersampled(lambda x, y: reach(x, y) <= 0, reach)


def segment(ax, ay, bx, by, width):
    def reach(x, y):
        dx, dy = bx - ax, by - ay
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - width / 2
    return supersampled(lambda x, y: reach(x, y) <= 0, reach)


def draw_menu(c: Canvas, panel, shadow, border, rows, bar, line):
    left, top, right, bottom = panel
    if shadow:
        c.rect(left + shadow, top + shadow, right + shadow, bottom + shadow, SHADOW, 0.22)
    c.rect(left, top, right, bottom, BORDER)
    c.rect(left + border, top + border, right - border, bottom - border, PANEL)
    for row_top, row_left, row_right in rows:
        c.rect(row_left, row_top, row_right, row_top + line, TEXT)
    bar_top, bar_height, inset, bar_line_right = bar
    c.rect(left + border, bar_top, right - border, bar_top + bar_height, HIGHLIGHT)
    mid = bar_top + (bar_height - line) // 2
    c.rect(left + border + inset, mid, bar_line_right, mid + line, WHITE)


def draw_small(size: int) -> Canvas:
    c = Canvas(size)
    d = SMALL[size]
    left, top, right, bottom = d["panel"]
    bar_top, bar_height = d["bar"]
    first_row = d["rows"][0]
    draw_menu(c, d["panel"], d["shadow"], 1, d["rows"],
              (bar_top, bar_height, first_row[1] - left - 1, first_row[2] - 1), 1)
    bx, by, diameter = d["badge"]
    r = diameter / 2
    cx, cy = bx + r, by + r
    box = (bx - 2, by - 2, bx + diameter + 2, by + diameter + 2)
    c.erase(disc(cx, cy, r + 1), box)
    c.paint(disc(cx, cy, r), BADGE, box=box)
    cross = d["cross"]
    ox = bx + (diameter - len(cross[0])) // 2
    oy = by + (diameter - len(cross)) // 2
    for j, line in enumerate(cross):
        for i, mark in enumerate(line):
            if mark == "#":
                c.rect(ox + i, oy + j, ox + i + 1, oy + j + 1, WHITE)
    return c


def draw_scaled(size: int) -> Canvas:
    """A layout on a 48 unit grid; rectangles rounded to whole pixels."""
    c = Canvas(size)
    u = size / 48

    def px(v):
        return round(v * u)

    line = max(2, px(2.5))
    border = max(1, px(1.5))
    panel = (px(2), px(2), px(38), px(44))
    left = panel[0]
    rows = [(px(8), left + border + px(4), px(32)), (px(24), left + border + px(4), px(22)),
            (px(30), left + border + px(4), px(20)), (px(36), left + border + px(4), px(18))]
    bar = (px(13), px(8), px(4), px(27))
    draw_menu(c, panel, max(1, px(1.5)), border, rows, bar, line)
    cx = cy = 35 * u
    r = 12.5 * u
    c.erase(disc(cx, cy, r + max(1.0, 2 * u)))
    c.paint(disc(cx, cy, r), BADGE_RING)
    c.paint(disc(cx, cy, r - max(1.0, 1.25 * u)), BADGE)
    arm, width = 5.5 * u, 3.6 * u
    c.paint(segment(cx - arm, cy - arm, cx + arm, cy + arm, width), WHITE)
    c.paint(segment(cx - arm, cy + arm, cx + arm, cy - arm, width), WHITE)
    return c


def draw(size: int) -> Canvas:
    return draw_small(size) if size in SMALL else draw_scaled(size)


def png(size: int, rgba: bytes) -> bytes:
    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))
    stride = size * 4
    raw = b"".join(b"\0" + rgba[y * stride:(y + 1) * stride] for y in range(size))
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def dib(size: int, rgba: bytes) -> bytes:
    """A 32-bit bottom-up DIB with the 1-bit AND mask older shells still read."""
    stride = size * 4
    rows = [rgba[y * stride:(y + 1) * stride] for y in reversed(range(size))]
    xor = b"".join(bytes(b for i in range(0, stride, 4) for b in (r[i + 2], r[i + 1], r[i],
                                                                   r[i + 3])) for r in rows)
    mask_stride = (size + 31) // 32 * 4
    mask = b""
    for r in rows:
        bits = bytearray(mask_stride)
        for x in range(size):
            if r[x * 4 + 3] == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(bits)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(xor) + len(mask),
                         0, 0, 0, 0)
    return header + xor + mask


def ico(images: dict[int, bytes]) -> bytes:
    entries, blobs = b"", b""
    offset = 6 + 16 * len(images)
    for size, rgba in images.items():
        blob = png(size, rgba) if size >= 256 else dib(size, rgba)
        entries += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob),
                               offset)
        blobs += blob
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(images)) + entries + blobs


def main() -> None:
    images = {size: draw(size).rgba() for size in SIZES}
    ICO.write_bytes(ico(images))
    for size in PREVIEWS:
        (HERE / f"VelmoroUninstaller-{size}.png").write_bytes(png(size, images[size]))


if __name__ == "__main__":
    main()
