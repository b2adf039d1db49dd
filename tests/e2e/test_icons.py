"""Each program item's icon, read only once the item is drawn: the uninstall
subkey's "DisplayIcon", else the uninstaller's own icon (the installer's for a
Windows Installer command), else the generic one; a share named there is never
touched. The screenshot of the open "All Programs" tells the icons apart by
the one colour of tinted.exe's icon."""

from __future__ import annotations

import shutil
import time
import unittest

import constants as c
import harness as h
from e2e_case import E2ECase, setUpModule, tearDownModule  # noqa: F401

RECORDER = r"C:\Apps\Plain\uninst.exe"
TINTED_UNINSTALLER = r"C:\Apps\Tinted\uninst.exe"
LINKED_UNINSTALLER = r"C:\Apps\Linked\uninst.exe"
# In menu order; whether the item's icon is tinted.exe's.
PROGRAMS = [
    ("A", "A Tinted Icon", f"{RECORDER} /a", c.TINTED_WIN + ",0", True),
    ("B", "B Tinted Uninstaller", f"{TINTED_UNINSTALLER} /b", None, True),
    ("C", "C Missing Icon", f"{RECORDER} /c", r"C:\Missing\nothing.exe", False),
    ("D", "D Shared Icon", f"{RECORDER} /d", r"\\server.invalid\share\tool.exe,0", False),
    ("E", "E Installer", "MsiExec.exe /X{0A1B2C3D-0000-0000-0000-000000000001}", None, False),
    # The tinted icon's folder reached through a symbolic link: its file is not read.
    ("F", "F Linked Icon", f"{RECORDER} /f", LINKED_UNINSTALLER + ",0", False),
]


class IconTests(E2ECase):
    @classmethod
    def prepare(cls):
        cls.prefix.install_recorder(RECORDER)
        tinted = cls.prefix.unix_path(TINTED_UNINSTALLER)
        tinted.parent.mkdir(parents=True)
        shutil.copy2(h.find_output("tinted.exe"), tinted)
        cls.prefix.unix_path(LINKED_UNINSTALLER).parent.symlink_to(tinted.parent)
        subkeys = {}
        for key, name, command, icon, _tinted in PROGRAMS:
            subkeys[key] = h.entry_values(name, command)
            if icon:
                subkeys[key]["DisplayIcon"] = h.reg_sz(icon)
        cls.import_uninstall("icons", subkeys)

    def test_each_item_shows_the_icon_of_its_first_source(self):
        app = self.start("icons")
        top = self.wait_menu(app)[0]
        opened = time.monotonic()
        self.x.keys(*c.TO_ALL_PROGRAMS, "Right")
        menus = self.wait_menu(app, count=2)
        # Nothing waited for the share: the list opens as any other.
        self.assertLess(time.monotonic() - opened, 15)
        submenu = next(w for w in menus if w.id != top.id)
        time.sleep(1)  # the items are drawn once the window is mapped
        shot = self.x.screenshot(self.prefix.logs / "icons.png")
        row = submenu.height // len(PROGRAMS)
        for place, (_key, name, _command, _icon, tinted) in enumerate(PROGRAMS):
            with self.subTest(name):
                # The icon stands at the row's left, before the name.
                colours = h.region_colours(shot, submenu.x + 1, submenu.y + place * row + 1, 24,
                                           row - 2)
                self.assertEqual(colours[c.TINT_RGB] > 50, tinted, colours.most_common(4))
                # Not tinted is not empty: the generic or the installer's icon is there.
                self.assertGreater(len(colours), 2, colours)
        self.x.keys("Escape", "Escape")
        self.assert_ends_with_zero(app)


if __name__ == "__main__":
    unittest.main()
