"""The version written once, in project(VERSION) of CMakeLists.txt, is the one
the built program carries: in its version resource and in the About text, the
web address and the mail link (narrow or UTF-16 strings alike)."""

from __future__ import annotations

import re
import struct
import unittest

import constants as c
import harness as h


def words(high: int, low: int) -> tuple[int, int, int, int]:
    return high >> 16, high & 0xFFFF, low >> 16, low & 0xFFFF


class VersionTests(unittest.TestCase):
    def test_the_program_carries_the_project_version(self):
        cmake = (h.HERE.parents[1] / "CMakeLists.txt").read_text()
        major, minor, patch = map(int, re.search(
            r"project\(\w+ VERSION (\d+)\.(\d+)\.(\d+)", cmake).groups())
        short = f"{major}.{minor}"
        exe = h.find_output(c.EXE_NAME).read_bytes()
        # VS_VERSIONINFO starts with its length; VS_FIXEDFILEINFO follows its signature.
        start = exe.index("VS_VERSION_INFO".encode("utf-16le")) - 6
        info = exe[start:start + struct.unpack_from("<H", exe, start)[0]]
        fixed = struct.unpack_from("<4I", info, info.index(struct.pack("<I", 0xFEEF04BD)) + 8)
        self.assertEqual(words(*fixed[:2]), (major, minor, patch, 0))
        self.assertEqual(words(*fixed[2:]), (major, minor, 0, 0))
        strings = info.decode("utf-16le", "replace")
        self.assertRegex(strings, f"FileVersion\0+{major}\\.{minor}\\.{patch}\\.0\0")
        self.assertRegex(strings, f"ProductVersion\0+{major}\\.{minor}\0")
        for text in (f"Velmoro Uninstaller v{short}\r\n", f"?vid={short}\0",
                     f"?subject=velmoro-uninstaller_{short}\0"):
            self.assertTrue(text.encode() in exe or text.encode("utf-16le") in exe, repr(text))


if __name__ == "__main__":
    unittest.main()
