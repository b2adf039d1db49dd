"""The catalogue across runs: the data directory under C:\\ProgramData, "All.dat"
and "Recent.dat" as written by the program, "Recent Programs" listing what
appeared since the previous run, programs installed for the current user
remembered in the user's own folder, and the error boxes of a mistyped
"Common AppData" and of an "All.dat" that cannot be written.

Every program name here is letters and blanks and none begins another, so any
case-insensitive collation sorts them the same way: the expected files are
written out below in that order.
"""

from __future__ import annotations

import unittest

import constants as c
import harness as h
from e2e_case import Box, E2ECase, setUpModule, tearDownModule  # noqa: F401


class Program:
    """An installed program; its uninstaller is a recorder copy."""

    def __init__(self, subkey: str, name: str):
        folder = name.replace(" ", "")
        self.subkey, self.name = subkey, name  # subkey: a name, or a whole key path (h.view32)
        self.uninstaller = rf"C:\Apps\{folder}\uninst.exe"
        self.arguments = f"/remove-{folder.lower()}"
        self.command = f"{self.uninstaller} {self.arguments}"
        self.entry = name + c.SEPARATOR + self.command


# Both views, in a registry order unlike the sorted one.
INSTALLED = [Program(h.view32("S1"), "delta Sync"), Program("S2", "Amber Editor"),
             Program(h.view32("S3"), "birch Viewer"), Program("S4", "Fern Notes"),
             Program("S5", "Cedar Player")]
# Added after the first run: they sort among the installed ones.
ADDED = [Program(h.view32("T1"), "Zinc Tools"), Program("T2", "Basil Draw"),
         Program(h.view32("T3"), "crimson Mail")]
# Added later still, eight at once.
EIGHT = [Program("U1", "Quebec Backup"), Program(h.view32("U2"), "Kilo Maps"),
         Program("U3", "Romeo Player"), Program(h.view32("U4"), "Mike Radio"),
         Program("U5", "Lima Chat"), Program(h.view32("U6"), "Oscar Vault"),
         Program("U7", "November Calendar"), Program(h.view32("U8"), "Papa Photo")]
BY_NAME = {p.name: p for p in INSTALLED + ADDED + EIGHT}

ALL_INSTALLED = ["Amber Editor", "birch Viewer", "Cedar Player", "delta Sync", "Fern Notes"]
ALL_ADDED = ["Amber Editor", "Basil Draw", "birch Viewer", "Cedar Player", "crimson Mail",
             "delta Sync", "Fern Notes", "Zinc Tools"]
RECENT_ADDED = ["Zinc Tools", "crimson Mail", "Basil Draw"]  # reverse list order


def entries(names: list[str]) -> list[str]:
    return [BY_NAME[name].entry for name in names]


def common_appdata_reg(data: str) -> str:
    return f'[{c.SHELL_FOLDERS_KEY}]\n"Common AppData"={data}\n\n'


class CatalogueCase(E2ECase):
    @classmethod
    def install(cls, programs: list[Program], name: str) -> None:
        for p in programs:
            cls.prefix.install_recorder(p.uninstaller)
        cls.import_uninstall(name, {p.subkey: h.entry_values(p.name, p.command) for p in programs})


class DataDirectoryTests(CatalogueCase):
    @classmethod
    def prepare(cls):
        cls.install(INSTALLED, "installed")

    def test_first_run_creates_the_data_directory_and_writes_both_files(self):
        self.assertTrue(self.prefix.unix_path(c.PROGRAM_DATA_WIN).is_dir())
        self.assertFalse(self.prefix.unix_path(c.VENDOR_DIR_WIN).exists())
        for run in ("first", "second"):
            with self.case(run=run):
                self.run_and_escape(run)
                # No byte-order mark; nothing is new on the first run (no
                # "All.dat" before it) nor on the second (nothing installed).
                self.assert_data(entries(ALL_INSTALLED), b"")


class RecentProgramsTests(CatalogueCase):
    @classmethod
    def prepare(cls):
        cls.install(INSTALLED, "installed")
        cls.run_and_escape("first")
        cls.install(ADDED, "added")

    def test_added_programs_lead_recent_programs_and_uninstall_from_there(self):
        self.run_and_escape("after-adding")
        self.assert_data(entries(ALL_ADDED), RECENT_ADDED)
        for index, name in enumerate(RECENT_ADDED):
            with self.case(recent_item=index, name=name):
                app = self.choose(c.TO_FIRST_RECENT + ["Down"] * index, f"recent{index}")
                program = BY_NAME[name]
                self.assert_started(app, (program.uninstaller, program.arguments))
                # Nothing new since: the names stay, the files read the same.
                self.assert_data(entries(ALL_ADDED), RECENT_ADDED)


class RecentLimitTests(CatalogueCase):
    @classmethod
    def prepare(cls):
        cls.install(INSTALLED, "installed")
        cls.run_and_escape("first")
        cls.install(ADDED, "added")
        cls.run_and_escape("after-adding")

    def test_uninstalled_names_leave_and_the_six_newest_stay(self):
        self.assert_data(entries(ALL_ADDED), RECENT_ADDED)
        self.import_uninstall("uninstalled", remove=[BY_NAME["crimson Mail"].subkey])
        self.run_and_escape("after-uninstalling")
        self.assert_data(recent_dat=["Zinc Tools", "Basil Draw"])

        self.install(EIGHT, "eight")
        self.run_and_escape("after-eight")
        # The eight sort Kilo, Lima, Mike, ..., Romeo: the last six of them,
        # newest first, push the older two out.
        six = ["Romeo Player", "Quebec Backup", "Papa Photo", "Oscar Vault", "November Calendar",
               "Mike Radio"]
        self.assert_data(entries(["Amber Editor", "Basil Draw", "birch Viewer", "Cedar Player",
                                  "delta Sync", "Fern Notes", "Kilo Maps", "Lima Chat",
                                  "Mike Radio", "November Calendar", "Oscar Vault",
                                  "Papa Photo", "Quebec Backup", "Romeo Player",
                                  "Zinc Tools"]), six)
        # The sixth item is the last one: one more Down wraps to the first.
        for downs, name in ((5, six[5]), (6, six[0])):
            with self.case(downs=downs, name=name):
                app = self.choose(c.TO_FIRST_RECENT + ["Down"] * downs, f"down{downs}")
                program = BY_NAME[name]
                self.assert_started(app, (program.uninstaller, program.arguments))


class MemoryCase(CatalogueCase):
    @classmethod
    def prepare(cls):
        cls.install(INSTALLED, "installed")
        cls.run_and_escape("first")

    def files_written(self) -> list[int]:
        """The modification times of the machine's and the user's data files."""
        return [path.stat().st_mtime_ns
                for path in (self.data_path(c.ALL_DAT), self.data_path(c.RECENT_DAT),
                             self.user_data_path(c.ALL_DAT), self.user_data_path(c.RECENT_DAT))]


class UnchangedRunTests(MemoryCase):
    def test_a_run_that_finds_nothing_new_writes_no_file(self):
        before = self.files_written()
        self.run_and_escape("unchanged")
        self.assertEqual(self.files_written(), before)
        self.assert_data(entries(ALL_INSTALLED), b"")


class UserProgramTests(MemoryCase):
    def test_a_program_of_the_users_own_heads_recent_programs_run_after_run(self):
        ivy = Program(f"{c.USER_UNINSTALL_KEY}\\IvyNotes", "Ivy Notes")
        self.install([ivy], "user-program")
        for run in ("new", "one-run-later"):
            with self.case(run=run):
                self.assert_started(self.choose(c.TO_FIRST_RECENT, run),
                                    (ivy.uninstaller, ivy.arguments))
                # The machine's files hold the machine's programs alone.
                self.assert_data(entries(ALL_INSTALLED), b"")
                # The user's hold every program that user saw, each tagged as the
                # machine's or the user's own.
                self.assertEqual(self.user_data_path(c.ALL_DAT).read_bytes(), h.crlf_lines(
                    [c.USER_ALL_HEADER]
                    + [("U " if p is ivy else "M ") + p.entry
                       for p in sorted(INSTALLED + [ivy], key=lambda p: p.name.lower())],
                    "utf-8"))
                self.assertEqual(self.user_data_path(c.RECENT_DAT).read_bytes(),
                                 h.crlf_lines([c.USER_RECENT_HEADER, "U " + ivy.entry], "utf-8"))


class LineBreakTests(MemoryCase):
    def test_a_name_with_a_line_break_is_new_once_then_known(self):
        zulu = Program("Z1", "Zulu Tool")
        self.prefix.install_recorder(zulu.uninstaller)
        name = "hex(1):" + ",".join(f"{b:02x}" for b in "Zulu\r\nTool\0".encode("utf-16-le"))
        self.prefix.reg_import_text(h.uninstall_reg(
            {zulu.subkey: {"DisplayName": name, "UninstallString": h.reg_sz(zulu.command)}}),
                                    "line-break", utf16=True)
        line = "Zulu  Tool" + c.SEPARATOR + zulu.command  # one line: blanks for CR and LF
        self.run_and_escape("new")
        self.assert_data(entries(ALL_INSTALLED) + [line], ["Zulu  Tool"])
        before = self.files_written()
        self.assert_started(self.choose(c.TO_FIRST_RECENT, "known"),
                            (zulu.uninstaller, zulu.arguments))
        self.assertEqual(self.files_written(), before)


class CommonAppDataTypeTests(CatalogueCase):
    @classmethod
    def prepare(cls):
        cls.install(INSTALLED, "installed")

    def test_dword_common_appdata_shows_the_error_and_still_a_menu(self):
        self.prefix.reg_import_text(common_appdata_reg("dword:00000001"), "dword")
        try:
            app = self.start("dword")
            self.assertEqual(self.boxes_until_menu(app), [
                Box(c.CAPTION, "Invalid data type for 'Common AppData'", ("OK",))])
            # The catalogue is empty: "All Programs" opens nothing, and Return
            # on it ends the program without starting anything.
            self.choose(c.TO_ALL_PROGRAMS + ["Right"], app=app)
            self.assert_started(app)
            self.assertFalse(self.prefix.unix_path(c.VENDOR_DIR_WIN).exists())
        finally:
            self.prefix.reg_import_text(common_appdata_reg(h.reg_sz(c.PROGRAM_DATA_WIN)), "restore")
        # With the value restored, the next run finds its folder again.
        self.run_and_escape("restored")
        self.assert_data(entries(ALL_INSTALLED))


class AllDatFolderTests(CatalogueCase):
    RECENT = b"Amber Editor\r\nGone Program\r\n"

    @classmethod
    def prepare(cls):
        cls.install(INSTALLED, "installed")
        cls.data_path(c.ALL_DAT).mkdir(parents=True)
        # A run that wrote it would drop the name of the missing program.
        cls.write_data(c.RECENT_DAT, cls.RECENT)

    def test_folder_at_all_dat_shows_cannot_create_and_still_a_menu(self):
        app = self.start("blocked")
        boxes = self.boxes_until_menu(app)
        self.assertEqual([(b.caption, b.buttons) for b in boxes], [(c.CAPTION, ("OK",))])
        # The platform's description of the error follows.
        start = f'Cannot create file "{c.ALL_DAT_WIN}". '
        self.assertTrue(boxes[0].text.startswith(start), repr(boxes[0].text))
        self.assertGreater(len(boxes[0].text), len(start), repr(boxes[0].text))
        # The menu holds its items: the one recent name still installed is
        # the first "Recent Programs" item and uninstalls its program.
        self.choose(c.TO_FIRST_RECENT, app=app)
        program = BY_NAME["Amber Editor"]
        self.assert_started(app, (program.uninstaller, program.arguments))
        self.assertEqual(self.read_data(c.RECENT_DAT), self.RECENT)
        self.assertEqual(list(self.data_path(c.ALL_DAT).iterdir()), [])
        self.assertEqual(sorted(p.name for p in self.data_path().iterdir()),
                         [c.ALL_DAT, c.RECENT_DAT])


if __name__ == "__main__":
    unittest.main()
