""""All Programs": one item per removable program of the machine-wide uninstall
registry, both registry views merged, and each item starting its own uninstall
command through the shell.

The fixture holds 37 uninstall subkeys, 27 of them removable programs. Every
file that a removable program's command starts is a recorder copy (or a batch
file that hands its arguments to one), so the recorder log tells which file
was started with which parameters. The displayed order is taken from the
program's own "All.dat", which holds the program list in menu order; the test
asserts the properties the order must have instead of guessing the
collation of Wine's list control.
"""

from __future__ import annotations

import collections
import re
import unittest
from dataclasses import dataclass, field

import harness as h
from e2e_case import PrefixGroup, setUpModule, tearDownModule  # noqa: F401

KEY64 = h.UNINSTALL_KEY
KEY32 = r"HKEY_LOCAL_MACHINE\Software\Wow6432Node\Microsoft\Windows\CurrentVersion\Uninstall"
DATA_DIR_WIN = r"C:\ProgramData\Quinsett\Velmoro Uninstaller"
ALL_DAT_WIN = DATA_DIR_WIN + r"\All.dat"
SYSTEM_DIR_WIN = r"C:\windows\system32"
SEPARATOR = "<#>"

# From nothing highlighted: Down to "All Programs"; Right opens it with its
# first item highlighted.
TO_FIRST_PROGRAM = ["Down", "Right"]
POINTER = (60, 40)  # room below and to the right for a long submenu


# --------------------------------------------------------------------------
# .reg value literals


def sz(text: str) -> str:
    return f'"{h.reg_escape(text)}"'


def dword(number: int) -> str:
    return f"dword:{number:08x}"


def hex_data(data: bytes, kind: int | None = None) -> str:
    prefix = "hex:" if kind is None else f"hex({kind}):"
    return prefix + ",".join(f"{byte:02x}" for byte in data)


def expand_sz(text: str) -> str:
    return hex_data(text.encode("cp1252") + b"\0", 2)


# --------------------------------------------------------------------------
# The fixture: what the registry holds, and what each listed program starts


@dataclass
class Program:
    key: str
    subkey: str
    values: dict[str, str]


@dataclass
class Listed(Program):
    display_name: str = ""
    command: str = ""
    module: str = ""  # the recorder copy that answers
    arguments: str = ""  # the command line after the recorder's own name
    script: str | None = None  # a batch file started first, which calls module

    @property
    def entry(self) -> str:
        return self.display_name + SEPARATOR + self.command

    @property
    def caption(self) -> str:
        return self.display_name.split(SEPARATOR, 1)[0]


@dataclass
class Skipped(Program):
    trace: str = ""  # a text of the subkey that must not reach "All.dat"


def listed(key, subkey, display_name, command, module, arguments, name_value=None,
           script=None, **extra) -> Listed:
    values = {"DisplayName": name_value or sz(display_name), "UninstallString": sz(command)}
    values.update(extra)
    return Listed(key, subkey, values, display_name, command, module, arguments, script)


def skipped(key, subkey, trace, **values) -> Skipped:
    return Skipped(key, subkey, values, trace)


APP = h.APP_DIR_WIN
MSI_CODE = "{6F2A1C3E-1111-4222-8333-944445555666}"
BARE_MSI_CODE = "{0B1C2D3E-AAAA-4BBB-8CCC-DDDDEEEEFFFF}"
SHARED_SUBKEY = "{5B0C7A10-0000-4000-8000-00000000C0DE}"  # present in both views

# Subkeys are named so that the registry's enumeration order (by subkey name)
# puts the faulty ones early: the programs after them must still be listed.
PROGRAMS: list[Program] = [
    # 64-bit view
    listed(KEY64, "P01", "Alpha Quoted", r'"C:\Program Files\Alpha Quoted\uninst.exe" /S',
           # The closing quote is the skipped character; the blank stays.
           r"C:\Program Files\Alpha Quoted\uninst.exe", " /S"),
    skipped(KEY64, "P02", "Text NoRemove", DisplayName=sz("Text NoRemove"),
            UninstallString=sz(r"C:\Apps\Text NoRemove\uninst.exe"), NoRemove=sz("1")),
    skipped(KEY64, "P03", r"C:\Apps\Number Name\uninst.exe", DisplayName=dword(7),
            UninstallString=sz(r"C:\Apps\Number Name\uninst.exe")),
    skipped(KEY64, "P04", "Binary Command", DisplayName=sz("Binary Command"),
            UninstallString=hex_data(b"C:\\x.exe")),
    skipped(KEY64, "P05", "Hidden Tool", DisplayName=sz("Hidden Tool"),
            UninstallString=sz(r"C:\Apps\Hidden Tool\uninst.exe"), NoRemove=dword(1)),
    listed(KEY64, "P06", "Kept Tool", r"C:\Apps\Kept Tool\uninst.exe /remove",
           r"C:\Apps\Kept Tool\uninst.exe", "/remove", NoRemove=dword(0)),
    skipped(KEY64, "P07", "No Command", DisplayName=sz("No Command")),
    skipped(KEY64, "P08", r"C:\Apps\Nameless\uninst.exe",
            UninstallString=sz(r"C:\Apps\Nameless\uninst.exe")),
    # The caption is the part before "<#>"; the rest of the name leads the command.
    listed(KEY64, "P09", r"Splitter<#>C:\Apps\Splitter\uninst.exe /from-name", "/from-value",
           r"C:\Apps\Splitter\uninst.exe", "/from-name<#>/from-value"),
    listed(KEY64, "P10", "R&D Tools", r"C:\Apps\R&D Tools\uninst.exe /rnd",
           r"C:\Apps\R&D Tools\uninst.exe", "/rnd"),
    listed(KEY64, "P11", "RD Tools", r"C:\Apps\RD Tools\uninst.exe /rd",
           r"C:\Apps\RD Tools\uninst.exe", "/rd"),
    listed(KEY64, "P12", "-", r"C:\Apps\Dash\uninst.exe /dash",
           r"C:\Apps\Dash\uninst.exe", "/dash"),
    listed(KEY64, "P13", "Twin Tool", r"C:\Apps\Twin\One\uninst.exe /one",
           r"C:\Apps\Twin\One\uninst.exe", "/one"),
    listed(KEY64, "P14", "case study", r"C:\Apps\Case\Lower\uninst.exe /lower",
           r"C:\Apps\Case\Lower\uninst.exe", "/lower"),
    listed(KEY64, "P15", "Case Study", r"C:\Apps\Case\Title\uninst.exe /title",
           r"C:\Apps\Case\Title\uninst.exe", "/title"),
    # A name with an extension but no folder is started from the system folder,
    # where a recorder copy stands in (fixtures/native-system-tools.reg).
    listed(KEY64, "P16", "Installer Product", f"MsiExec.exe /X{MSI_CODE}",
           SYSTEM_DIR_WIN + r"\msiexec.exe", f"/X{MSI_CODE}"),
    listed(KEY64, "P17", "Library Component", r"RunDll32.exe C:\Apps\Lib\component.dll,Uninstall",
           SYSTEM_DIR_WIN + r"\rundll32.exe", r"C:\Apps\Lib\component.dll,Uninstall"),
    listed(KEY64, "P18", "Batch Remover", r"C:\Apps\Batch\remove.bat /quiet",
           r"C:\Apps\Batch\remove-bat.exe", "/quiet", script=r"C:\Apps\Batch\remove.bat"),
    # ".exe" inside a folder name is no extension: the whole path is the file.
    listed(KEY64, "P19", "Folder Named Exe", r"C:\Tools.exe\bin\remove.exe",
           r"C:\Tools.exe\bin\remove.exe", ""),
    listed(KEY64, "P20", "Leading Blanks", r'   "C:\Program Files\Leading Blanks\uninst.exe" /quiet',
           r"C:\Program Files\Leading Blanks\uninst.exe", " /quiet"),
    # REG_EXPAND_SZ: the name is shown as stored, unexpanded.
    listed(KEY64, "P21", r"%ProgramFiles%\Expand Tool", r"C:\Apps\Expand\uninst.exe /expand",
           r"C:\Apps\Expand\uninst.exe", "/expand", name_value=expand_sz(r"%ProgramFiles%\Expand Tool")),
    listed(KEY64, "P22", "Exec Folder", r"C:\App.Exec\remove.exe",
           r"C:\App.Exec\remove.exe", ""),
    listed(KEY64, SHARED_SUBKEY, "Runtime Pack (x64)",
           r'"C:\Program Files\Runtime Pack\uninst.exe" /x64',
           r"C:\Program Files\Runtime Pack\uninst.exe", " /x64"),
    listed(KEY64, "P24", "Upper Extension", r"C:\Apps\Upper\UNINST.EXE /Q",
           r"C:\Apps\Upper\UNINST.EXE", "/Q"),
    listed(KEY64, "P25", "Tab Separated", "C:\\Apps\\Tab\\uninst.exe\t/T",
           r"C:\Apps\Tab\uninst.exe", "/T"),
    # 32-bit view
    skipped(KEY32, "Q01", "Text NoRemove 32", DisplayName=sz("Text NoRemove 32"),
            UninstallString=sz(r"C:\Apps\Text NoRemove 32\uninst.exe"), NoRemove=sz("1")),
    # No extension: the first word is started, from the system folder, though
    # a copy of that name is planted beside the program, in the folder it is
    # started in.
    listed(KEY32, "Q02", "Bare Installer", f"msiexec /x{BARE_MSI_CODE}",
           SYSTEM_DIR_WIN + r"\msiexec.exe", f"/x{BARE_MSI_CODE}"),
    listed(KEY32, "Q03", "Bare Library", r"rundll32 C:\Apps\Lib\legacy.dll,Remove",
           SYSTEM_DIR_WIN + r"\rundll32.exe", r"C:\Apps\Lib\legacy.dll,Remove"),
    listed(KEY32, "Q04", "Command Remover", r'"C:\Apps\Cmd Files\remove.cmd" /silent',
           r"C:\Apps\Cmd Files\remove-cmd.exe", "/silent", script=r"C:\Apps\Cmd Files\remove.cmd"),
    listed(KEY32, "Q05", "Twin Tool", r"C:\Apps\Twin\Two\uninst.exe /two",
           r"C:\Apps\Twin\Two\uninst.exe", "/two"),
    listed(KEY32, "Q06", "CASE STUDY", r"C:\Apps\Case\Upper\uninst.exe /upper",
           r"C:\Apps\Case\Upper\uninst.exe", "/upper"),
    listed(KEY32, "Q07", "Plain Legacy", r"C:\Apps\Legacy\uninst.exe /S /log=C:\Temp\legacy.log",
           r"C:\Apps\Legacy\uninst.exe", r"/S /log=C:\Temp\legacy.log"),
    skipped(KEY32, "Q08", "Hidden Legacy", DisplayName=sz("Hidden Legacy"),
            UninstallString=sz(r"C:\Apps\Hidden Legacy\uninst.exe"), NoRemove=dword(1)),
    listed(KEY32, "Q09", "Kept Legacy", r'"C:\Program Files (x86)\Kept Legacy\uninst.exe"',
           r"C:\Program Files (x86)\Kept Legacy\uninst.exe", "", NoRemove=dword(0)),
    listed(KEY32, SHARED_SUBKEY, "Runtime Pack (x86)",
           r'"C:\Program Files (x86)\Runtime Pack\uninst.exe" /x86',
           r"C:\Program Files (x86)\Runtime Pack\uninst.exe", " /x86"),
    skipped(KEY32, "Q11", "Name Only 32", DisplayName=sz("Name Only 32")),
    skipped(KEY32, "Q12", "Wrong Type 32", DisplayName=sz("Wrong Type 32"),
            UninstallString=dword(1)),
]

LISTED = [p for p in PROGRAMS if isinstance(p, Listed)]
SKIPPED = [p for p in PROGRAMS if isinstance(p, Skipped)]


def fixture_reg() -> str:
    lines = ["REGEDIT4", ""]
    for program in PROGRAMS:
        lines.append(f"[{program.key}\\{program.subkey}]")
        lines.extend(f'"{name}"={literal}' for name, literal in program.values.items())
        lines.append("")
    return "\n".join(lines) + "\n"


def place_uninstallers(prefix: h.Prefix) -> None:
    """A recorder copy at every file a listed command starts; batch files that
    pass their arguments on to one."""
    # Planted beside the program: a bare name must never find these.
    for planted in ("msiexec.exe", "rundll32.exe"):
        prefix.install_recorder(APP + "\\" + planted)
    for program in LISTED:
        prefix.install_recorder(program.module)
        if program.script:
            script = prefix.unix_path(program.script)
            script.parent.mkdir(parents=True, exist_ok=True)
            script.write_bytes(f'@"{program.module}" %*\r\n'.encode("cp1252"))


def split_entry(entry: str) -> tuple[str, str]:
    name, _, command = entry.partition(SEPARATOR)
    return name, command


# --------------------------------------------------------------------------



class GroupCase(PrefixGroup):
    """Tests of a class share one private prefix."""

    group = "programs"


    @classmethod
    def run_to_menu(cls, name: str) -> h.App:
        cls.x.move_pointer(*POINTER)
        app = cls.prefix.start_app(name=name)
        try:
            h.wait_menu(cls.x, app)
        except BaseException:
            app.kill()
            raise
        return app

    def choose(self, keys: list[str], name: str) -> h.App:
        app = self.run_to_menu(name)
        self.apps.append(app)
        self.x.keys(*keys, "Return")
        return app

    def assert_ends_with_zero(self, app: h.App) -> None:
        self.assertEqual(app.wait(20), 0, app.stderr_text()[-2000:])

    def started(self, app: h.App, count: int = 1) -> list[h.Launch]:
        """The recorder log of app once count lines are in it (a batch file's
        recorder starts after the program has ended) and every started copy
        has ended."""
        h.wait_until(lambda: len(self.prefix.launches(app.recorder_log)) >= count, 20, 0.05,
                     f"{count} started program(s) to write the recorder log")
        return self.prefix.wait_for_children(app)


class ProgramListTests(GroupCase):
    all_dat: bytes
    entries: list[str]

    @classmethod
    def prepare(cls):
        place_uninstallers(cls.prefix)
        cls.prefix.reg_import(h.FIXTURES / "native-system-tools.reg")
        cls.prefix.reg_import_text(fixture_reg(), "programs", view64=True)
        # One run with no choice writes the program list to "All.dat".
        app = cls.run_to_menu("catalogue")
        try:
            cls.x.keys("Escape")
            code = app.wait(20)
        finally:
            app.kill()
        if code != 0:
            raise AssertionError(f"the first run ended with {code}: {app.stderr_text()[-2000:]}")
        cls.all_dat = cls.prefix.unix_path(ALL_DAT_WIN).read_bytes()
        cls.entries = cls.all_dat.decode("cp1252").split("\r\n")[:-1]

    def test_all_dat_holds_every_removable_program_of_both_views_once(self):
        self.assertTrue(self.all_dat.endswith(b"\r\n"), self.all_dat[-20:])
        self.assertEqual(self.all_dat.count(b"\n"), self.all_dat.count(b"\r\n"))
        self.assertEqual(self.all_dat.count(b"\r"), self.all_dat.count(b"\r\n"))
        self.assertEqual(collections.Counter(self.entries),
                         collections.Counter(p.entry for p in LISTED))
        for view in (KEY64, KEY32):
            with self.subTest(view=view):
                self.assertTrue(any(p.entry in self.entries for p in LISTED if p.key == view))

    def test_hidden_incomplete_and_mistyped_subkeys_are_left_out(self):
        text = self.all_dat.decode("cp1252")
        for program in SKIPPED:
            with self.subTest(subkey=program.subkey, trace=program.trace):
                self.assertNotIn(program.trace, text)

    def test_entries_are_in_name_order_ignoring_case(self):
        # Names of letters and single blanks, none the beginning of another,
        # order the same under any case-insensitive collation; equal names
        # (ignoring case) are then ordered by their commands, which here
        # differ first at a letter.
        plain = re.compile(r"^[A-Za-z]+( [A-Za-z]+)*$")
        names = [split_entry(e)[0] for e in self.entries if plain.match(split_entry(e)[0])]
        folded = {n.lower() for n in names}
        for a in folded:
            self.assertFalse(any(b != a and b.startswith(a) for b in folded), a)
        subset = [e for e in self.entries if plain.match(split_entry(e)[0])]
        self.assertGreaterEqual(len(subset), 15)
        key = lambda e: (split_entry(e)[0].lower(), split_entry(e)[1].lower())  # noqa: E731
        self.assertEqual(subset, sorted(subset, key=key))
        # Entries of equal names stand together.
        for name in ("twin tool", "case study"):
            with self.subTest(name=name):
                where = [i for i, e in enumerate(self.entries)
                         if split_entry(e)[0].lower() == name]
                self.assertEqual(where, list(range(where[0], where[0] + len(where))))

    def test_each_item_starts_its_own_uninstall_command(self):
        by_entry = {p.entry: p for p in LISTED}
        for index, entry in enumerate(self.entries):
            program = by_entry.get(entry)
            with self.subTest(item=index, caption=split_entry(entry)[0]):
                self.assertIsNotNone(program, entry)
                app = self.choose(TO_FIRST_PROGRAM + ["Down"] * index, f"item{index:02d}")
                self.assert_ends_with_zero(app)
                launches = self.started(app)
                self.assertEqual(len(launches), 1, launches)
                self.assertEqual(launches[0].module.lower(), program.module.lower(),
                                 launches[0].command_line)
                self.assertEqual(launches[0].arguments, program.arguments,
                                 launches[0].command_line)


if __name__ == "__main__":
    unittest.main()
