"""What a user who shares the machine can plant in the data folder costs an
administrator's run nothing: a data file far too large is not read (and no
memory is spent on it), and a link in the data paths is not followed at all.
(A bare uninstall command beside a planted copy: test_programs.py.)"""

from __future__ import annotations

import os
import shutil
import unittest

import constants as c
import harness as h
from e2e_case import E2ECase, setUpModule, tearDownModule  # noqa: F401

PROGRAM = ("Alpha Tool", r"C:\Apps\Alpha\un.exe", "/x")
ENTRY = "Alpha Tool<#>C:\\Apps\\Alpha\\un.exe /x"


class PlantedDataTests(E2ECase):
    @classmethod
    def prepare(cls):
        cls.install_program("Alpha", *PROGRAM)
        cls.elsewhere = cls.prefix.unix_path(r"C:\Elsewhere")
        cls.elsewhere.mkdir()

    def run_to_menu(self) -> tuple[h.App, list]:
        app = self.start()
        return app, self.boxes_until_menu(app)

    def test_a_data_file_too_large_is_not_read_and_replaced(self):
        self.write_data(c.ALL_DAT, h.crlf_lines([ENTRY]))
        self.write_data(c.RECENT_DAT, b"")
        app, boxes = self.run_to_menu()
        self.assertEqual(boxes, [])
        normal = app.peak_memory()
        self.x.keys("Escape")
        self.assert_ends_with_zero(app)

        # 3 GiB, sparse: nothing of it is on the disk.
        with open(self.data_path(c.RECENT_DAT), "wb") as recent:
            os.truncate(recent.fileno(), 3 << 30)
        app, boxes = self.run_to_menu()
        self.assertEqual([(b.caption, b.text) for b in boxes], [(
            c.CAPTION, f'"{c.RECENT_DAT_WIN}" is larger than 64 MB and was not read; it is replaced.')])
        self.assertLess(app.peak_memory(), normal + (16 << 20))
        self.choose(c.TO_FIRST_PROGRAM, app=app)
        self.assert_started(app, PROGRAM[1:])
        self.assert_data([ENTRY], b"")

    def test_data_files_of_only_line_feeds_cost_their_bytes(self):
        if (vendor := self.prefix.unix_path(c.VENDOR_DIR_WIN)).is_symlink():
            vendor.unlink()
        shutil.rmtree(vendor, ignore_errors=True)
        # 60 MiB each, under the size limit: millions of empty lines.
        for name in (c.ALL_DAT, c.RECENT_DAT):
            self.write_data(name, b"\n" * (60 << 20))
        app, boxes = self.run_to_menu()
        self.assertEqual(boxes, [])
        self.assertLess(app.peak_memory(), 256 << 20)
        # Every program is new to the machine's memory against a snapshot of empty lines; the
        # user's own memory had seen it.
        self.choose(c.TO_FIRST_PROGRAM, app=app)
        self.assert_started(app, PROGRAM[1:])
        self.assert_data([ENTRY], ["Alpha Tool"])

    def test_a_link_in_the_data_paths_is_not_followed(self):
        # Wine reports a symbolic link to a folder as a reparse point, and a file's hard links.
        cases = [
            (c.VENDOR_DIR_WIN, "is a link to another place.",
             lambda path: path.symlink_to(self.elsewhere)),
            (c.ALL_DAT_WIN, "has more than one name.",
             lambda path: os.link(self.elsewhere / c.ALL_DAT, path)),
        ]
        (self.elsewhere / c.ALL_DAT).write_bytes(b"\r\n")
        for link, why, make in cases:
            with self.case(link):
                if (vendor := self.prefix.unix_path(c.VENDOR_DIR_WIN)).is_symlink():
                    vendor.unlink()
                shutil.rmtree(vendor, ignore_errors=True)
                if link == c.ALL_DAT_WIN:
                    self.write_data(c.RECENT_DAT, b"")
                make(self.prefix.unix_path(link))
                app, boxes = self.run_to_menu()
                self.assertEqual([b.text for b in boxes],
                                 [f'The data folder is not used: "{link}" {why}'])
                self.choose(c.TO_FIRST_PROGRAM, app=app)
                self.assert_started(app, PROGRAM[1:])
                # Nothing was written, replaced or removed, there or here.
                self.assertEqual(sorted(p.name for p in self.elsewhere.iterdir()), [c.ALL_DAT])
                self.assertEqual((self.elsewhere / c.ALL_DAT).read_bytes(), b"\r\n")
                if link == c.ALL_DAT_WIN:
                    self.assertEqual(self.read_data(c.RECENT_DAT), b"")


if __name__ == "__main__":
    unittest.main()
