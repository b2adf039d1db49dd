#!/usr/bin/env python3
"""Writes tinted.ico beside this script: one fully opaque colour at every size
the menu may draw a program icon at, so that a screenshot tells the program's
own icon from any other. Python standard library only:

    python3 tests/e2e/tools/make_tinted_icon.py
"""

from __future__ import annotations

import struct
import sys
from pathlib import Path

HERE = Path(__file__).resolve().parent
# The tests look for the colour they know from constants.py.
sys.path.insert(0, str(HERE.parent))
from constants import TINT_RGB  # noqa: E402

ICO = HERE / "tinted.ico"
SIZES = (16, 20, 24, 32, 40, 48)


def dib(size: int) -> bytes:
    """A 32-bit DIB, BGRA, with an AND mask of zeros (every pixel shown)."""
    red, green, blue = TINT_RGB
    pixels = bytes((blue, green, red, 0xFF)) * (size * size)
    mask = bytes((size + 31) // 32 * 4 * size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, len(pixels) + len(mask),
                         0, 0, 0, 0)
    return header + pixels + mask


def ico() -> bytes:
    entries, blobs = b"", b""
    offset = 6 + 16 * len(SIZES)
    for size in SIZES:
        blob = dib(size)
        entries += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(blob), offset)
        blobs += blob
        offset += len(blob)
    return struct.pack("<HHH", 0, 1, len(SIZES)) + entries + blobs


if __name__ == "__main__":
    ICO.write_bytes(ico())
