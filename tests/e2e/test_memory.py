"""Each user's memory on a machine that several users share: "Recent Programs"
holds what was installed since that user's last run, whatever other users'
runs found; two programs of one name keep their items run after run; a
machine file that cannot be replaced for one run shows no program twice
afterwards; a local application-data folder that is a link is followed; and
the peak memory with all four data files at their size limit.

Wine has one user per prefix. A second one is the same prefix with another
local application-data folder ("Local AppData" under the current user's "User
Shell Folders", which Wine reads) and other programs under the current user's
uninstall key, switched between runs.
"""

from __future__ import annotations

import os
import unittest

import constants as c
import harness as h
from e2e_case import E2ECase, setUpModule, tearDownModule  # noqa: F401

USER_SHELL_FOLDERS_KEY = (r"HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion"
                          r"\Explorer\User Shell Folders")
USER_DATA = r"Quinsett\Velmoro Uninstaller"


class Program:
    """An installed program, for the machine or for the current user; its
    uninstaller is a recorder copy, in a folder named after it unless given."""

    def __init__(self, name: str, own: bool = False, folder: str | None = None):
        folder = folder or name.replace(" ", "")
        key = c.USER_UNINSTALL_KEY if own else c.UNINSTALL_KEY
        self.name, self.own = name, own
        self.subkey = f"{key}\\{folder}"
        self.uninstaller = rf"C:\Apps\{folder}\uninst.exe"
        self.arguments = f"/remove-{folder.lower()}"
        self.entry = f"{name}{c.SEPARATOR}{self.uninstaller} {self.arguments}"

    def tagged(self, text: str) -> str:
        return ("U " if self.own else "M ") + text


def user_files(header: str, programs) -> bytes:
    """A user's "All.dat" or "Recent.dat" holding these programs' lines."""
    return h.crlf_lines([header] + [p.tagged(p.entry) for p in programs], "utf-8")


class MemoryCase(E2ECase):
    user: str | None = None

    @classmethod
    def install(cls, *programs: Program) -> None:
        for p in programs:
            cls.prefix.install_recorder(p.uninstaller)
        cls.import_uninstall("install", {p.subkey: h.entry_values(
            p.name, f"{p.uninstaller} {p.arguments}") for p in programs})

    @classmethod
    def local_app_data(cls, user: str) -> str:
        return rf"C:\users\{user}\AppData\Local"

    @classmethod
    def become(cls, user: str, own: list[Program], others: list[Program] = ()) -> None:
        """The next runs are the user's: their local application-data folder,
        and their own programs in place of another user's."""
        cls.prefix.unix_path(cls.local_app_data(user)).mkdir(parents=True, exist_ok=True)
        cls.prefix.reg_import_text(
            f'[{USER_SHELL_FOLDERS_KEY}]\n"Local AppData"={h.reg_sz(cls.local_app_data(user))}\n\n'
            + h.uninstall_reg({}, remove=[p.subkey for p in others]), f"become-{user}")
        if own:
            cls.install(*own)
        cls.user = user

    @classmethod
    def user_file(cls, name: str, user: str | None = None) -> bytes:
        folder = cls.local_app_data(user or cls.user) + "\\" + USER_DATA
        return cls.prefix.unix_path(folder + "\\" + name).read_bytes()

    def recent_items(self, *programs: Program) -> None:
        """In a run of the user's, the first "Recent Programs" item starts the
        first one's uninstaller, and the user's list holds these, in order."""
        app = self.choose(c.TO_FIRST_RECENT, f"{self.user}-first-recent")
        self.assert_started(app, (programs[0].uninstaller, programs[0].arguments))
        self.assertEqual(self.user_file(c.RECENT_DAT), user_files(c.USER_RECENT_HEADER, programs))


BASE = Program("Base Tool")
NEW = Program("New Tool")
ANN = [Program(f"Ann Tool {i}", own=True) for i in range(1, 7)]
BOB = [Program(f"Bob Tool {i}", own=True) for i in range(1, 7)]


class TwoUsersTests(MemoryCase):
    @classmethod
    def prepare(cls):
        cls.install(BASE)
        cls.become("ann", [])
        cls.run_and_escape("ann-first")
        cls.install(*ANN)
        cls.run_and_escape("ann-own")
        cls.become("bob", [], ANN)
        cls.run_and_escape("bob-first")
        cls.install(*BOB)

    def test_a_machine_program_one_user_found_heads_the_others_full_list(self):
        self.recent_items(*BOB[::-1])
        # Found first by Ann's run, which writes it to the machine's files.
        self.install(NEW)
        self.become("ann", ANN, BOB)
        self.recent_items(NEW, *ANN[:0:-1])
        self.assertIn(NEW.entry.encode(), self.read_data(c.ALL_DAT))
        # Bob's list is as full as Ann's, and he has not seen it yet.
        self.become("bob", BOB, ANN)
        self.recent_items(NEW, *BOB[:0:-1])
        # The user's snapshot holds every program the user saw, each tagged.
        self.assertEqual(self.user_file(c.ALL_DAT, "bob"),
                         user_files(c.USER_ALL_HEADER, [BASE, *BOB, NEW]))
        # The machine's files hold the machine's programs alone, as ever.
        self.assert_data([BASE.entry, NEW.entry], [NEW.name])
        # Each file replaced went: nothing is left aside, nor any temporary file.
        for folder in [self.data_path("")] + [
                self.prefix.unix_path(self.local_app_data(user) + "\\" + USER_DATA)
                for user in ("ann", "bob")]:
            self.assertEqual(sorted(p.name for p in folder.iterdir()),
                             sorted([c.ALL_DAT, c.RECENT_DAT]))


# Two programs of one name, told apart by their commands alone.
TWINS = [Program("Twin Tool", folder="TwinA"), Program("Twin Tool", folder="TwinB")]


class SameNameTests(MemoryCase):
    @classmethod
    def prepare(cls):
        cls.install(BASE)
        cls.become("ann", [])
        cls.run_and_escape("before")
        cls.install(*TWINS)

    def test_two_programs_of_one_name_keep_their_recent_items_run_after_run(self):
        # The first run finds both, the one whose command sorts last on top; the
        # later runs have only the user's files to tell them apart.
        newest_first = TWINS[::-1]
        for round_ in (1, 2, 3):
            for place, program in enumerate(newest_first):
                with self.case(round=round_, place=place):
                    app = self.choose(c.TO_FIRST_RECENT + ["Down"] * place,
                                      f"round{round_}-item{place}")
                    self.assert_started(app, (program.uninstaller, program.arguments))
                    self.assertEqual(self.user_file(c.RECENT_DAT),
                                     user_files(c.USER_RECENT_HEADER, newest_first))
        self.assertEqual(self.user_file(c.ALL_DAT), user_files(c.USER_ALL_HEADER, [BASE, *TWINS]))
        # The machine's files hold the names alone, in the ANSI code page.
        self.assert_data([BASE.entry, *(p.entry for p in TWINS)], [p.name for p in TWINS])


class ReadOnlyMachineFilesTests(MemoryCase):
    @classmethod
    def prepare(cls):
        cls.install(BASE)
        cls.become("ann", [])
        cls.run_and_escape("first")

    def test_machine_files_not_replaced_for_one_run_show_no_program_twice(self):
        self.install(NEW)
        # Another program holds "All.dat" open, sharing it with readers only:
        # it can be read, not replaced.
        holder = self.prefix.start(c.TOOLS_DIR_WIN + r"\holder.exe", c.ALL_DAT_WIN, "read",
                                   name="holder")
        self.apps.append(holder)
        out = self.prefix.logs / "holder.out"
        h.wait_until(lambda: out.exists() and b"holding" in out.read_bytes(), 60, 0.1,
                     "the holder to have the file")
        app = self.start("held")
        boxes = self.boxes_until_menu(app)
        self.assertEqual([b.text.split(". ")[0] for b in boxes],
                         [f'Cannot create file "{c.ALL_DAT_WIN}"'])
        self.x.keys("Escape")
        self.assert_ends_with_zero(app)
        self.kill_apps()  # the holder lets go
        self.assert_data([BASE.entry], b"")
        for run in ("after", "later"):
            with self.case(run=run):
                self.recent_items(NEW)
                self.assert_data([BASE.entry, NEW.entry], [NEW.name])


class LinkedLocalAppDataTests(MemoryCase):
    @classmethod
    def prepare(cls):
        cls.install(BASE)
        # A profile moved to another folder: its old place is a symbolic link.
        moved = cls.prefix.unix_path(r"C:\moved\carol\Local")
        moved.mkdir(parents=True)
        local = cls.prefix.unix_path(cls.local_app_data("carol"))
        local.parent.mkdir(parents=True, exist_ok=True)
        local.symlink_to(moved)
        cls.moved = moved
        cls.become("carol", [])

    def test_a_linked_local_app_data_folder_is_followed(self):
        for run in ("first", "second"):
            with self.case(run=run):
                app = self.start(run)
                self.assertEqual(self.boxes_until_menu(app), [])
                self.x.keys("Escape")
                self.assert_ends_with_zero(app)
        own = Program("Carol Notes", own=True)
        self.install(own)
        self.recent_items(own)
        self.assertEqual((self.moved / USER_DATA.replace("\\", "/") / c.RECENT_DAT).read_bytes(),
                         user_files(c.USER_RECENT_HEADER, [own]))


class PeakMemoryTests(MemoryCase):
    @classmethod
    def prepare(cls):
        cls.install(BASE)
        cls.become("ann", [])
        cls.run_and_escape("first")

    def test_four_data_files_at_their_size_limit_cost_one_at_a_time(self):
        app = self.start("normal")
        self.assertEqual(self.boxes_until_menu(app), [])
        normal = app.peak_memory()
        self.x.keys("Escape")
        self.assert_ends_with_zero(app)
        # 64 MiB each, the most that is read: nothing but line feeds.
        user_folder = self.prefix.unix_path(self.local_app_data("ann") + "\\" + USER_DATA)
        for path in (self.data_path(c.ALL_DAT), self.data_path(c.RECENT_DAT),
                     user_folder / c.ALL_DAT, user_folder / c.RECENT_DAT):
            path.write_bytes(b"\n" * (64 << 20))
        app = self.start("limit")
        self.assertEqual(self.boxes_until_menu(app), [])
        peak = app.peak_memory() - normal
        h.log(f"peak memory, four files of 64 MiB: {app.peak_memory() / (1 << 20):.0f} MiB, "
              f"{peak / (1 << 20):.0f} MiB above a normal run")
        self.assertLess(peak, 144 << 20)
        self.x.keys("Escape")
        self.assert_ends_with_zero(app)
        # Every program is new against a snapshot of empty lines.
        self.assert_data([BASE.entry], [BASE.name])


if __name__ == "__main__":
    unittest.main()
