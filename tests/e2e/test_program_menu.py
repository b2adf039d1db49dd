"""A program item's own menu: the context-menu key, Shift+F10 or a right
click with Shift held opens it beside the item; its items start what the
program's uninstall key names; a right click alone still chooses the item; an
item whose uninstaller is gone is marked.

Wine's menus share one state, so closing an item's own menu there closes the
whole menu; on Windows (TrackPopupMenuEx with TPM_RECURSE) Escape closes the
item's menu alone, as the unit tests check on the fake desktop.

Three programs, all recent (the first run after an "All.dat" of one empty
line finds every program new), so "Recent Programs" lists them in reverse
order: Charlie Gone (its uninstaller missing), Bravo Tool (a quiet command),
Alpha Suite (a Windows Installer entry with every detail)."""

from __future__ import annotations

import time
import unittest

import constants as c
import harness as h
from e2e_case import E2ECase, setUpModule, tearDownModule  # noqa: F401

CODE = "{8E1A7C3B-1111-4222-8333-944445555666}"
ALPHA_DIR = r"C:\Alpha Suite"
BRAVO = r"C:\Bravo\uninstall.exe"
MSIEXEC = c.SYSTEM_DIR_WIN + r"\msiexec.exe"
PROGRAMS = {
    CODE: {"DisplayName": h.reg_sz("Alpha Suite"), "UninstallString": h.reg_sz(f"MsiExec.exe /X{CODE}"),
           "WindowsInstaller": "dword:00000001", "DisplayVersion": h.reg_sz("4.2"),
           "Publisher": h.reg_sz("Quinsett & Co"), "InstallDate": h.reg_sz("20240307"),
           "EstimatedSize": "dword:00003000", "InstallLocation": h.reg_sz(ALPHA_DIR),
           "URLInfoAbout": h.reg_sz("https://alpha.example/")},
    "bravo": h.entry_values("Bravo Tool", BRAVO + " /x") | {
        "QuietUninstallString": h.reg_sz(BRAVO + " /quiet")},
    "gone": h.entry_values("Charlie Gone", r'"C:\Gone\unins000.exe" /x'),
}
# Key paths, from nothing highlighted, to each recent item and, in its own
# menu, to each of its items (Wine moves onto disabled items too).
TO_CHARLIE = c.TO_FIRST_RECENT
TO_BRAVO = c.TO_FIRST_RECENT + ["Down"]
TO_ALPHA = c.TO_FIRST_RECENT + ["Down", "Down"]
ALPHA_ITEMS = ["~4.2 | Quinsett && Co | 3/7/2024 | 12.0 MB", "*Uninstall", "Uninstall quietly",
               "Modify", "Repair", "Open Install Folder", "Publisher's Web Page", "Copy Name"]


def down_to(index: int) -> list[str]:
    """From nothing highlighted in an entry's own menu to its item at index."""
    return ["Down"] * (index + 1)


class ProgramMenuTests(E2ECase):
    @classmethod
    def prepare(cls):
        cls.prefix.install_recorder(BRAVO)
        cls.prefix.install_recorder(MSIEXEC)
        cls.prefix.reg_import(h.FIXTURES / "native-system-tools.reg")
        cls.prefix.unix_path(ALPHA_DIR).mkdir(parents=True)
        cls.import_uninstall("programs", PROGRAMS)
        cls.write_data(c.ALL_DAT, b"\r\n")
        cls.run_and_escape("all-recent")

    def open_own_menu(self, keys: list[str], request: list[str]) -> h.App:
        """Starts the program, walks to an item and asks for its own menu."""
        app, _menu = self.start_to_menu()
        self.x.keys(*keys)
        self.wait_menu(app, count=2)
        self.x.keys(*request)
        self.wait_menu(app, count=3)
        return app

    def test_each_key_opens_the_menu_whose_items_start_what_the_registry_names(self):
        cases = [
            ("quietly", TO_BRAVO, ["Menu"], 1, (BRAVO, "/quiet")),
            ("modify", TO_ALPHA, ["shift+F10"], 3, (MSIEXEC, f"/i {CODE}")),
            ("repair", TO_ALPHA, ["Menu"], 4, (MSIEXEC, f"/f {CODE}")),
            ("uninstall", TO_ALPHA, ["Menu"], 1, (MSIEXEC, f"/X{CODE}")),
        ]
        for name, keys, request, index, started in cases:
            with self.case(name):
                app = self.open_own_menu(keys, request)
                self.x.keys(*down_to(index), "Return")
                self.assert_started(app, started)

    def test_the_install_folder_is_opened_by_the_desktop_shell_as_a_folder(self):
        log = self.prefix.session.recorder_log
        log.unlink(missing_ok=True)
        app = self.open_own_menu(TO_ALPHA, ["Menu"])
        self.x.keys(*down_to(5), "Return")
        self.assert_started(app)
        self.assert_launches(self.prefix.wait_for_launches(log, 1),
                             [(c.RECORDER_WIN, f'"{ALPHA_DIR}\\"')])

    def test_the_menu_shows_what_the_registry_holds(self):
        # The same items in a menu of the probe's, which the test reads as the program's is read.
        # Once in a while Wine never maps the probe's first menu; a second probe is asked then.
        for attempt in (1, 2):
            probe = self.prefix.start(c.MENU_PROBE_WIN, "600", "500", *ALPHA_ITEMS,
                                      name=f"probe{attempt}")
            self.apps.append(probe)
            try:
                reference = h.wait_until(lambda: h.menu_windows(self.x, c.MENU_PROBE), 30, 0.05,
                                         "the probe's menu")[0]
                break
            except h.HarnessError:
                probe.kill()
                if attempt == 2:
                    raise
        expected = self.x.screenshot(self.prefix.logs / "probe-menu.png")
        probe.kill()
        app = self.open_own_menu(TO_ALPHA, ["Menu"])
        own = max(h.menu_windows(self.x), key=lambda w: w.x)
        shown = self.x.screenshot(self.prefix.logs / "own-menu.png")
        self.assertEqual((own.width, own.height), (reference.width, reference.height))
        self.assertEqual(h.region_colours(shown, own.x, own.y, own.width, own.height),
                         h.region_colours(expected, reference.x, reference.y, reference.width,
                                          reference.height))
        self.x.keys("Escape", "Escape", "Escape")
        self.assert_started(app)

    def test_a_right_click_chooses_the_item_and_with_shift_opens_its_menu(self):
        for name, click, started in (("shift", ["keydown", "shift", "click", "3", "keyup", "shift"],
                                      (BRAVO, "/quiet")),
                                     ("alone", ["click", "3"], (BRAVO, "/x"))):
            with self.case(name):
                app = self.start_to_menu()[0]
                self.x.keys(*c.TO_FIRST_RECENT)
                recent = max(self.wait_menu(app, count=2), key=lambda w: w.x)
                # Bravo Tool is the second of three rows.
                self.x.move_pointer(recent.x + recent.width // 2, recent.y + recent.height // 2)
                self.x.run(["xdotool", *click])
                if name == "shift":
                    self.wait_menu(app, count=3)
                    self.x.keys(*down_to(1), "Return")
                self.assert_started(app, started)

    def test_a_request_opens_nothing_once_the_item_is_left(self):
        # Left closes the submenu with no notice for "Recent Programs", highlighted again.
        app = self.start_to_menu()[0]
        self.x.keys(*TO_BRAVO)
        self.wait_menu(app, count=2)
        self.x.keys("Left")
        h.wait_until(lambda: len(h.menu_windows(self.x)) == 1, 30, 0.05,
                     "the submenu to close")
        self.x.keys("Menu")
        time.sleep(1.5)
        self.assertEqual(len(h.menu_windows(self.x)), 1)
        self.x.keys("Escape")
        self.assert_started(app)

    def test_a_right_press_taken_with_shift_takes_its_release_too(self):
        app = self.start_to_menu()[0]
        self.x.keys(*c.TO_FIRST_RECENT)
        recent = max(self.wait_menu(app, count=2), key=lambda w: w.x)
        self.x.move_pointer(recent.x + recent.width // 2, recent.y + recent.height // 2)
        # Shift is let go before the button: the release alone would choose Bravo Tool.
        self.x.run(["xdotool", "keydown", "shift", "mousedown", "3", "keyup", "shift", "mouseup",
                    "3"])
        self.wait_menu(app, count=3)
        self.x.keys("Escape")
        self.assert_started(app)

    def test_an_item_whose_uninstaller_is_gone_carries_the_warning_sign(self):
        app = self.start_to_menu()[0]
        self.x.keys(*TO_CHARLIE)
        recent = max(self.wait_menu(app, count=2), key=lambda w: w.x)
        shot = self.x.screenshot(self.prefix.logs / "recent.png")
        row = (recent.height - 6) // 3
        # Wine's warning sign is red; nothing else in the menu is.
        red = []
        for index in range(3):
            colours = h.region_colours(shot, recent.x + 3, recent.y + 3 + index * row + 2,
                                       recent.width - 6, row - 4)
            red.append(sum(n for (r, g, b), n in colours.items() if r > 180 and g < 120 and b < 80))
        self.assertGreater(red[0], 8, "Charlie Gone")
        self.assertEqual(red[1:], [0, 0], "Bravo Tool, Alpha Suite")
        self.x.keys("Escape", "Escape")
        self.assert_ends_with_zero(app)


if __name__ == "__main__":
    unittest.main()
