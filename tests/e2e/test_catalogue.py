"""The catalogue across runs: the data directory under C:\\ProgramData, "All.dat"
and "Recent.dat" as written by the program, "Recent Programs" listing what
appeared since the previous run, and the error boxes of a mistyped
"Common AppData" and of an "All.dat" that cannot be written.

Every program name here is letters and blanks and none begins another, so any
case-insensitive collation sorts them the same way: the expected order of
"All.dat" can be worked out without asking Wine.
"""

from __future__ import annotations

import unittest

import harness as h
from e2e_case import PrefixGroup, setUpModule, tearDownModule  # noqa: F401

KEY64 = h.UNINSTALL_KEY
KEY32 = r"HKEY_LOCAL_MACHINE\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall"
SHELL_FOLDERS_KEY = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders"
DATA_DIR_WIN = r"C:\ProgramData\Quinsett\Velmoro Uninstaller"
ALL_DAT_WIN = DATA_DIR_WIN + r"\All.dat"
RECENT_DAT_WIN = DATA_DIR_WIN + r"\Recent.dat"
CAPTION = "Velmoro Uninstaller"

TO_ALL_PROGRAMS = ["Down"]
TO_FIRST_RECENT = ["Down", "Down", "Right"]
POINTER = (60, 40)


class Program:
    def __init__(self, key: str, subkey: str, name: str):
        self.key, self.subkey, self.name = key, subkey, name
        folder = name.replace(" ", "")
        self.uninstaller = rf"C:\Apps\{folder}\uninst.exe"
        self.arguments = f"/remove-{folder.lower()}"
        self.command = f"{self.uninstaller} {self.arguments}"

    @property
    def entry(self) -> str:
        return f"{self.name}<#>{self.command}"


# Both views, in a registry order unlike the sorted one.
INSTALLED = [
    Program(KEY32, "S1", "delta Sync"),
    Program(KEY64, "S2", "Amber Editor"),
    Program(KEY32, "S3", "birch Viewer"),
    Program(KEY64, "S4", "Fern Notes"),
    Program(KEY64, "S5", "Cedar Player"),
]
# Added after the first run: they sort among the installed ones.
ADDED = [
    Program(KEY32, "T1", "Zinc Tools"),
    Program(KEY64, "T2", "Basil Draw"),
    Program(KEY32, "T3", "crimson Mail"),
]
# Added later still, eight at once.
EIGHT = [
    Program(KEY64, "U1", "Quebec Backup"),
    Program(KEY32, "U2", "Kilo Maps"),
    Program(KEY64, "U3", "Romeo Player"),
    Program(KEY32, "U4", "Mike Radio"),
    Program(KEY64, "U5", "Lima Chat"),
    Program(KEY32, "U6", "Oscar Vault"),
    Program(KEY64, "U7", "November Calendar"),
    Program(KEY32, "U8", "Papa Photo"),
]


def by_name(programs):
    return sorted(programs, key=lambda p: p.name.lower())


def list_text(lines) -> bytes:
    return b"".join(line.encode("cp1252") + b"\r\n" for line in lines)


def programs_reg(programs) -> str:
    lines = []
    for p in programs:
        lines += [f"[{p.key}\\{p.subkey}]", f'"DisplayName"="{h.reg_escape(p.name)}"',
                  f'"UninstallString"="{h.reg_escape(p.command)}"', ""]
    return "\n".join(lines) + "\n"


def removal_reg(programs) -> str:
    return "\n".join(f"[-{p.key}\\{p.subkey}]" for p in programs) + "\n\n"


def common_appdata_reg(literal: str) -> str:
    return f'[{SHELL_FOLDERS_KEY}]\n"Common AppData"={literal}\n\n'




class GroupCase(PrefixGroup):
    """Tests of a class share one private prefix; its runs follow each other."""

    group = "catalogue"


    # Registry and files

    @classmethod
    def install(cls, programs, name: str) -> None:
        for p in programs:
            cls.prefix.install_recorder(p.uninstaller)
        cls.prefix.reg_import_text(programs_reg(programs), name, view64=True)

    @classmethod
    def uninstall(cls, programs, name: str) -> None:
        cls.prefix.reg_import_text(removal_reg(programs), name, view64=True)

    def data_dir(self):
        return self.prefix.unix_path(DATA_DIR_WIN)

    def read(self, windows_path: str) -> bytes:
        return self.prefix.unix_path(windows_path).read_bytes()

    # Runs

    @classmethod
    def start(cls, name: str) -> h.App:
        cls.x.move_pointer(*POINTER)
        return cls.prefix.start_app(name=name)

    @classmethod
    def run_and_escape(cls, name: str) -> None:
        """One run that pops the menu up and closes it without a choice."""
        app = cls.start(name)
        try:
            h.wait_menu(cls.x, app)
            cls.x.keys("Escape")
            code = app.wait(20)
        finally:
            app.kill()
        if code != 0:
            raise AssertionError(f"{name} ended with {code}: {app.stderr_text()[-2000:]}")

    def run_and_choose(self, keys, name: str) -> h.App:
        app = self.start(name)
        self.apps.append(app)
        h.wait_menu(self.x, app)
        self.x.keys(*keys, "Return")
        return app

    def assert_ends_with_zero(self, app: h.App) -> None:
        self.assertEqual(app.wait(20), 0, app.stderr_text()[-2000:])

    def assert_started(self, app: h.App, program: Program) -> None:
        self.assert_ends_with_zero(app)
        h.wait_until(lambda: self.prefix.launches(app.recorder_log), 20, 0.05,
                     "the uninstaller to write the recorder log")
        launches = self.prefix.wait_for_children(app)
        self.assertEqual(len(launches), 1, launches)
        self.assertEqual(launches[0].module.lower(), program.uninstaller.lower())
        self.assertEqual(launches[0].arguments, program.arguments, launches[0].command_line)

    def wait_message_box(self, caption: str = CAPTION) -> dict:
        def box():
            for window in self.prefix.windows():
                if window.get("caption") == caption and h.message_text(window) is not None:
                    return window
            return None

        return h.wait_until(box, 30, 0.2, f'a message box captioned "{caption}"')


class DataDirectoryTests(GroupCase):
    @classmethod
    def prepare(cls):
        cls.install(INSTALLED, "installed")

    def test_first_run_creates_the_data_directory_and_writes_both_files(self):
        self.assertTrue(self.prefix.unix_path(r"C:\ProgramData").is_dir())
        self.assertFalse(self.prefix.unix_path(r"C:\ProgramData\Quinsett").exists())
        expected_all = list_text(p.entry for p in by_name(INSTALLED))
        for run in ("first", "second"):
            with self.subTest(run=run):
                self.run_and_escape(run)
                self.assertTrue(self.data_dir().is_dir())
                self.assertEqual(sorted(f.name for f in self.data_dir().iterdir()),
                                 ["All.dat", "Recent.dat"])
                all_dat = self.read(ALL_DAT_WIN)
                self.assertFalse(all_dat.startswith(b"\xef\xbb\xbf"), all_dat[:8])
                self.assertEqual(all_dat, expected_all)
                # Nothing is new on the first run (no "All.dat" before it) nor
                # on the second (nothing installed in between).
                self.assertEqual(self.read(RECENT_DAT_WIN), b"")


class RecentProgramsTests(GroupCase):
    @classmethod
    def prepare(cls):
        cls.install(INSTALLED, "installed")
        cls.run_and_escape("first")
        cls.install(ADDED, "added")

    def test_added_programs_lead_recent_programs_and_uninstall_from_there(self):
        self.run_and_escape("after-adding")
        newest_first = list(reversed(by_name(ADDED)))
        recent = list_text(p.name for p in newest_first)
        all_dat = list_text(p.entry for p in by_name(INSTALLED + ADDED))
        self.assertEqual(self.read(RECENT_DAT_WIN), recent)
        self.assertEqual(self.read(ALL_DAT_WIN), all_dat)
        for index, program in enumerate(newest_first):
            with self.subTest(recent_item=index, name=program.name):
                app = self.run_and_choose(TO_FIRST_RECENT + ["Down"] * index, f"recent{index}")
                self.assert_started(app, program)
                # Nothing new since: the names stay, the files read the same.
                self.assertEqual(self.read(RECENT_DAT_WIN), recent)
                self.assertEqual(self.read(ALL_DAT_WIN), all_dat)


class RecentLimitTests(GroupCase):
    @classmethod
    def prepare(cls):
        cls.install(INSTALLED, "installed")
        cls.run_and_escape("first")
        cls.install(ADDED, "added")
        cls.run_and_escape("after-adding")

    def test_uninstalled_names_leave_and_the_six_newest_stay(self):
        self.assertEqual(self.read(RECENT_DAT_WIN),
                         list_text(p.name for p in reversed(by_name(ADDED))))
        gone = [p for p in ADDED if p.name == "crimson Mail"]
        self.uninstall(gone, "uninstalled")
        self.run_and_escape("after-uninstalling")
        self.assertEqual(self.read(RECENT_DAT_WIN), list_text(["Zinc Tools", "Basil Draw"]))

        self.install(EIGHT, "eight")
        self.run_and_escape("after-eight")
        six = list(reversed(by_name(EIGHT)))[:6]
        self.assertEqual([p.name for p in six][::5], ["Romeo Player", "Mike Radio"])
        self.assertEqual(self.read(RECENT_DAT_WIN), list_text(p.name for p in six))
        remaining = [p for p in INSTALLED + ADDED + EIGHT if p not in gone]
        self.assertEqual(self.read(ALL_DAT_WIN), list_text(p.entry for p in by_name(remaining)))
        # The sixth item is the last one: one more Down wraps to the first.
        for downs, program in ((5, six[5]), (6, six[0])):
            with self.subTest(downs=downs, name=program.name):
                app = self.run_and_choose(TO_FIRST_RECENT + ["Down"] * downs, f"down{downs}")
                self.assert_started(app, program)


class CommonAppDataTypeTests(GroupCase):
    @classmethod
    def prepare(cls):
        cls.install(INSTALLED, "installed")

    def test_dword_common_appdata_shows_the_error_and_still_a_menu(self):
        self.prefix.reg_import_text(common_appdata_reg("dword:00000001"), "dword", view64=True)
        try:
            app = self.start("dword")
            self.apps.append(app)
            box = self.wait_message_box()
            self.assertEqual(h.message_text(box), "Invalid data type for 'Common AppData'")
            self.assertEqual(h.button_texts(box), ["OK"])
            self.assertIsNone(app.poll())
            self.assertEqual(self.prefix.inspector("press", CAPTION, "OK"), 0)
            h.wait_menu(self.x, app)
            # The catalogue is empty: "All Programs" opens nothing, and Return
            # on it ends the program without starting anything.
            self.x.keys(*TO_ALL_PROGRAMS, "Right", "Return")
            self.assert_ends_with_zero(app)
            self.assertEqual(self.prefix.wait_for_children(app), [])
            self.assertFalse(self.prefix.unix_path(r"C:\ProgramData\Quinsett").exists())
        finally:
            self.prefix.reg_import_text(common_appdata_reg('"C:\\\\ProgramData"'), "restore",
                                        view64=True)
        # With the value restored, the next run finds its folder again.
        self.run_and_escape("restored")
        self.assertEqual(self.read(ALL_DAT_WIN), list_text(p.entry for p in by_name(INSTALLED)))


class AllDatFolderTests(GroupCase):
    RECENT = b"Amber Editor\r\nGone Program\r\n"

    @classmethod
    def prepare(cls):
        cls.install(INSTALLED, "installed")
        cls.prefix.unix_path(ALL_DAT_WIN).mkdir(parents=True)
        # A run that wrote it would drop the name of the missing program.
        cls.prefix.unix_path(RECENT_DAT_WIN).write_bytes(cls.RECENT)

    def test_folder_at_all_dat_shows_cannot_create_and_still_a_menu(self):
        app = self.start("blocked")
        self.apps.append(app)
        box = self.wait_message_box()
        text = h.message_text(box)
        start = f'Cannot create file "{ALL_DAT_WIN}". '
        self.assertTrue(text.startswith(start), repr(text))
        self.assertGreater(len(text), len(start), repr(text))
        self.assertEqual(h.button_texts(box), ["OK"])
        self.assertIsNone(app.poll())
        self.assertEqual(self.prefix.inspector("press", CAPTION, "OK"), 0)
        h.wait_menu(self.x, app)
        # The menu holds its items: the one recent name still installed is
        # the first "Recent Programs" item and uninstalls its program.
        self.x.keys(*TO_FIRST_RECENT, "Return")
        self.assert_started(app, next(p for p in INSTALLED if p.name == "Amber Editor"))
        self.assertEqual(self.read(RECENT_DAT_WIN), self.RECENT)
        all_dat = self.prefix.unix_path(ALL_DAT_WIN)
        self.assertTrue(all_dat.is_dir())
        self.assertEqual(list(all_dat.iterdir()), [])
        self.assertEqual(sorted(f.name for f in self.data_dir().iterdir()),
                         ["All.dat", "Recent.dat"])


if __name__ == "__main__":
    unittest.main()
