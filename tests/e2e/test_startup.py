"""A start-up that has something to say: every message box of it, one at a
time and alone on the screen, then one menu with everything start-up built;
and the ends of the program that come from outside (a close request to any of
its windows, the end of the logon), in every stage."""

from __future__ import annotations

import shutil
import unittest
from dataclasses import dataclass
from typing import Callable

import constants as c
import harness as h
from e2e_case import E2ECase, setUpModule, tearDownModule  # noqa: F401

PROGRAM = ("Alpha Tool", r"C:\Apps\Alpha\un.exe", "/x")
ENTRY = "Alpha Tool<#>C:\\Apps\\Alpha\\un.exe /x"
NO_FOLDER = "Error creating directory:\n\r"
# A box without a caption of its own gets Wine's default one.
DEFAULT_CAPTION = "Error"
HOST_FORM = "class=TForm1"
APP_WINDOW = "class=VelmoroApplication"
MENU_OWNER = "class=VelmoroMenuOwner"


def common_appdata(data: str) -> str:
    """.reg text that sets the value "Common AppData" (data "-" deletes it)."""
    return f'[{c.SHELL_FOLDERS_KEY}]\n"Common AppData"={data}\n'


@dataclass
class StartupPath:
    name: str
    arrange: Callable[["StartupBoxTests"], None]
    boxes: list[tuple[str, str]]  # caption and text; a text ending in "..." is a beginning
    listed: bool  # the menu holds the program
    data_dir: str = c.DATA_DIR_WIN  # where the data files are afterwards
    recent: bytes = b""  # "Recent.dat" afterwards, in the usual data folder


PATHS = [
    StartupPath(
        "a level of the data folder cannot be made",
        lambda t: t.block_vendor_folder(),
        [(DEFAULT_CAPTION, NO_FOLDER + c.VENDOR_DIR_WIN),
         (DEFAULT_CAPTION, NO_FOLDER + c.DATA_DIR_WIN),
         (c.CAPTION, f'Cannot create file "{c.ALL_DAT_WIN}". ...')],
        listed=True, data_dir=""),
    StartupPath(
        "no Common AppData value",
        lambda t: t.prefix.reg_import_text(common_appdata("-"), "no-common-appdata"),
        [(DEFAULT_CAPTION, NO_FOLDER)],
        listed=True, data_dir=r"C:\Quinsett\Velmoro Uninstaller"),
    StartupPath(
        "Common AppData of a wrong type",
        lambda t: t.prefix.reg_import_text(common_appdata("dword:00000001"), "dword-appdata"),
        [(c.CAPTION, "Invalid data type for 'Common AppData'")],
        listed=False),
    # Whoever holds a data file hides no program: only the recent ones are missing.
    StartupPath(
        "a data file held open by another program",
        lambda t: t.hold(c.ALL_DAT_WIN, "none"),
        [(c.CAPTION, f'Cannot open file "{c.ALL_DAT_WIN}". ...')],
        listed=True),
    # A name no program has any more leaves "Recent.dat", which must then be replaced.
    StartupPath(
        "a data file that cannot be replaced",
        lambda t: (t.write_data(c.RECENT_DAT, b"Gone Tool\r\n"), t.hold(c.RECENT_DAT_WIN, "read")),
        [(c.CAPTION, f'Cannot create file "{c.RECENT_DAT_WIN}". ...')],
        listed=True, recent=b"Gone Tool\r\n"),
]


class StartupBoxTests(E2ECase):
    @classmethod
    def prepare(cls):
        cls.install_program("Alpha", *PROGRAM)

    def fresh(self) -> None:
        """The machine as an earlier run left it: the usual common application-data
        folder, with the data files in it."""
        if (vendor := self.prefix.unix_path(c.VENDOR_DIR_WIN)).is_file():
            vendor.unlink()
        self.prefix.reg_import_text(common_appdata(h.reg_sz(c.PROGRAM_DATA_WIN)), "appdata")
        self.write_data(c.ALL_DAT, h.crlf_lines([ENTRY]))
        self.write_data(c.RECENT_DAT, b"")

    def block_vendor_folder(self) -> None:
        """A file where the vendor folder goes: neither it nor the data folder can be made."""
        shutil.rmtree(self.prefix.unix_path(c.VENDOR_DIR_WIN))
        self.prefix.unix_path(c.VENDOR_DIR_WIN).write_bytes(b"")

    def hold(self, path: str, sharing: str) -> None:
        """Another program holds the file open, sharing it with nobody or with readers."""
        holder = self.prefix.start(c.TOOLS_DIR_WIN + r"\holder.exe", path, sharing, name="holder")
        self.apps.append(holder)
        out = self.prefix.logs / "holder.out"
        h.wait_until(lambda: out.exists() and b"holding" in out.read_bytes(), 60, 0.1,
                     "the holder to have the file")

    def test_each_path_shows_its_boxes_one_at_a_time_then_one_full_menu(self):
        for path in PATHS:
            with self.case(path.name):
                self.fresh()
                path.arrange(self)
                # Wine's current folder is C:\, where a relative data folder lands.
                app = self.start(cwd=self.prefix.path / "drive_c")
                boxes = self.boxes_until_menu(app)
                self.assertEqual(len(boxes), len(path.boxes), boxes)
                for box, (caption, text) in zip(boxes, path.boxes):
                    self.assertEqual(box.caption, caption)
                    self.assertEqual(box.buttons, ("OK",))
                    if text.endswith("..."):
                        self.assertTrue(box.text.startswith(text[:-3]), box.text)
                    else:
                        self.assertEqual(box.text, text)
                self.assertEqual(len(self.wait_menu(app)), 1)
                self.choose(c.TO_FIRST_PROGRAM if path.listed else c.TO_ALL_PROGRAMS, app=app)
                self.assert_started(app, *([PROGRAM[1:]] if path.listed else []))
                self.kill_apps()  # the holder lets go
                if path.data_dir == c.DATA_DIR_WIN:
                    # Nothing was replaced, or both files hold this run's lists.
                    self.assert_data([ENTRY], path.recent)
                elif path.data_dir:
                    folder = self.prefix.unix_path(path.data_dir)
                    self.assertEqual((folder / c.ALL_DAT).read_bytes(), h.crlf_lines([ENTRY]))
                    self.assertEqual((folder / c.RECENT_DAT).read_bytes(), b"")
                    shutil.rmtree(folder.parent)
                else:
                    self.assertFalse(self.data_path().exists())

    def test_the_end_of_the_logon_ends_the_program_at_once(self):
        with self.case("waiting minimised for a restore"):
            app = self.start(show_state=7)
            h.wait_until(lambda: any(w["caption"] == c.CAPTION and w["iconic"]
                                     for w in self.prefix.windows()), 60, 0.2,
                         "the taskbar button")
            self.assertEqual(self.prefix.inspector("endsession", APP_WINDOW), 0)
            self.assert_ends_with_zero(app, timeout=10)
        with self.case("while a start-up box is up"):
            self.prefix.reg_import_text(common_appdata("dword:00000001"), "dword-appdata")
            self.addCleanup(self.fresh)
            app = self.start()
            self.wait_box(app)
            self.assertEqual(self.prefix.inspector("endsession", APP_WINDOW), 0)
            self.assert_ends_with_zero(app, timeout=10)
            self.assertEqual(h.menu_windows(self.x), [])

    def test_a_close_request_to_the_menu_owner_ends_the_program_after_its_menu(self):
        self.prefix.reg_import_text(common_appdata("dword:00000001"), "dword-appdata")
        self.addCleanup(self.fresh)
        app = self.start()
        box = self.wait_box(app)
        self.assertEqual(self.prefix.inspector("close", MENU_OWNER), 0)
        self.press(box)
        self.wait_menu(app)
        self.x.keys("Escape")
        self.assert_ends_with_zero(app)

    def test_a_close_request_while_the_menu_is_up_ends_the_program_at_once(self):
        # The menu is ended first: its own loop would take the quit message and drop it.
        for window in (HOST_FORM, APP_WINDOW, MENU_OWNER):
            with self.case(window):
                app = self.start_to_menu()[0]
                self.x.keys(*c.TO_FIRST_PROGRAM)
                self.wait_menu(app, count=2)
                self.assertEqual(self.prefix.inspector("close", window), 0)
                self.assert_ends_with_zero(app, timeout=2)
                self.assert_started(app)

    def test_a_start_nobody_can_see_ends_at_once_and_makes_nothing(self):
        # Any window station but WinSta0 is not visible, as a service's is not.
        shutil.rmtree(self.prefix.unix_path(c.VENDOR_DIR_WIN))
        self.addCleanup(self.fresh)
        app = self.prefix.start(c.LAUNCHER_WIN, "1@Service-0x0-3e7$\\Default", c.APP_EXE_WIN)
        self.apps.append(app)
        self.assert_ends_with_zero(app, timeout=30)
        self.assertEqual(h.menu_windows(self.x), [])
        self.assertFalse(self.prefix.unix_path(c.VENDOR_DIR_WIN).exists())


if __name__ == "__main__":
    unittest.main()
