""""All Programs": one item per removable program of the machine-wide uninstall
registry, both registry views merged, and each item starting its own uninstall
command through the shell.

The fixture holds 39 uninstall subkeys, 29 of them removable programs. Every
file that a removable program's command starts is a recorder copy (or a batch
file that hands its arguments to one), so the recorder log tells which file
was started with which parameters. The items are chosen in the order of the
program's own "All.dat", which holds the program list in menu order; the
order is checked for the programs with plain names only, which any
case-insensitive collation sorts alike, so as not to depend on how Wine's
list control places "-", "&", "%" and brackets.
"""

from __future__ import annotations

import random
import unittest
from dataclasses import dataclass, field

import constants as c
import harness as h
from e2e_case import E2ECase, setUpModule, tearDownModule  # noqa: F401

sz = h.reg_sz


def dword(number: int) -> str:
    return f"dword:{number:08x}"


def hex_data(data: bytes, kind: int | None = None) -> str:
    return ("hex:" if kind is None else f"hex({kind}):") + ",".join(f"{b:02x}" for b in data)


@dataclass
class Listed:
    """A removable program: its "All.dat" entry and what choosing it starts."""
    subkey: str  # a name in the 64-bit view, or a whole key path in the 32-bit one
    display_name: str
    command: str
    module: str  # the recorder copy that answers
    arguments: str  # the command line after the recorder's own name
    extra: dict[str, str] = field(default_factory=dict)  # more values, or another DisplayName
    script: str | None = None  # a batch file started first, which calls module

    @property
    def entry(self) -> str:
        return self.display_name + c.SEPARATOR + self.command


Q = h.view32
APP = c.APP_DIR_WIN
SYS = c.SYSTEM_DIR_WIN
MSI_CODE = "{6F2A1C3E-1111-4222-8333-944445555666}"
BARE_MSI_CODE = "{0B1C2D3E-AAAA-4BBB-8CCC-DDDDEEEEFFFF}"
SHARED_SUBKEY = "{5B0C7A10-0000-4000-8000-00000000C0DE}"  # present in both views
# What winget names the uninstall key of a portable package it installed: this program's.
WINGET_CODE = "Quinsett.VelmoroUninstaller_Microsoft.Winget.Source_8wekyb3d8bbwe"

# Subkeys are named so that the registry's enumeration order (by subkey name)
# puts the faulty ones early: the programs after them must still be listed.
LISTED = [
    # The closing quote is the skipped character; the blank stays.
    Listed("P01", "Alpha Quoted", r'"C:\Program Files\Alpha Quoted\uninst.exe" /S',
           r"C:\Program Files\Alpha Quoted\uninst.exe", " /S"),
    Listed("P06", "Kept Tool", r"C:\Apps\Kept Tool\uninst.exe /remove",
           r"C:\Apps\Kept Tool\uninst.exe", "/remove", {"NoRemove": dword(0)}),
    # A name holding "<#>" is a name like any other: a command written into it
    # is never started.
    Listed("P09", r"Splitter<#>C:\Apps\Splitter\decoy.exe /from-name",
           r"C:\Apps\Splitter\uninst.exe /from-value", r"C:\Apps\Splitter\uninst.exe",
           "/from-value"),
    Listed("P10", "R&D Tools", r"C:\Apps\R&D Tools\uninst.exe /rnd",
           r"C:\Apps\R&D Tools\uninst.exe", "/rnd"),
    Listed("P11", "RD Tools", r"C:\Apps\RD Tools\uninst.exe /rd", r"C:\Apps\RD Tools\uninst.exe",
           "/rd"),
    Listed("P12", "-", r"C:\Apps\Dash\uninst.exe /dash", r"C:\Apps\Dash\uninst.exe", "/dash"),
    Listed("P13", "Twin Tool", r"C:\Apps\Twin\One\uninst.exe /one",
           r"C:\Apps\Twin\One\uninst.exe", "/one"),
    Listed("P14", "case study", r"C:\Apps\Case\Lower\uninst.exe /lower",
           r"C:\Apps\Case\Lower\uninst.exe", "/lower"),
    Listed("P15", "Case Study", r"C:\Apps\Case\Title\uninst.exe /title",
           r"C:\Apps\Case\Title\uninst.exe", "/title"),
    # A name with an extension but no folder is started from the system folder,
    # where a recorder copy stands in (fixtures/native-system-tools.reg).
    Listed("P16", "Installer Product", f"MsiExec.exe /X{MSI_CODE}", SYS + r"\msiexec.exe",
           f"/X{MSI_CODE}"),
    Listed("P17", "Library Component", r"RunDll32.exe C:\Apps\Lib\component.dll,Uninstall",
           SYS + r"\rundll32.exe", r"C:\Apps\Lib\component.dll,Uninstall"),
    Listed("P18", "Batch Remover", r"C:\Apps\Batch\remove.bat /quiet",
           r"C:\Apps\Batch\remove-bat.exe", "/quiet", script=r"C:\Apps\Batch\remove.bat"),
    # ".exe" inside a folder name is no extension: the whole path is the file.
    Listed("P19", "Folder Named Exe", r"C:\Tools.exe\bin\remove.exe",
           r"C:\Tools.exe\bin\remove.exe", ""),
    Listed("P20", "Leading Blanks", r'   "C:\Program Files\Leading Blanks\uninst.exe" /quiet',
           r"C:\Program Files\Leading Blanks\uninst.exe", " /quiet"),
    # REG_EXPAND_SZ: the name is shown as stored, unexpanded.
    Listed("P21", r"%ProgramFiles%\Expand Tool", r"C:\Apps\Expand\uninst.exe /expand",
           r"C:\Apps\Expand\uninst.exe", "/expand",
           {"DisplayName": hex_data(rb"%ProgramFiles%\Expand Tool" + b"\0", 2)}),
    Listed("P22", "Exec Folder", r"C:\App.Exec\remove.exe", r"C:\App.Exec\remove.exe", ""),
    Listed(SHARED_SUBKEY, "Runtime Pack (x64)", r'"C:\Program Files\Runtime Pack\uninst.exe" /x64',
           r"C:\Program Files\Runtime Pack\uninst.exe", " /x64"),
    Listed("P24", "Upper Extension", r"C:\Apps\Upper\UNINST.EXE /Q", r"C:\Apps\Upper\UNINST.EXE",
           "/Q"),
    Listed("P25", "Tab Separated", "C:\\Apps\\Tab\\uninst.exe\t/T", r"C:\Apps\Tab\uninst.exe",
           "/T"),
    # What the quotes hold is the program, though a folder's name holds ".exe ".
    Listed("P26", "Quoted Dot Exe", r'"C:\Apps\My.exe Tools\un.exe" /x',
           r"C:\Apps\My.exe Tools\un.exe", " /x"),
    # No extension: the first word is started from the system folder, though a
    # copy of that name is planted beside the program.
    Listed(Q("Q02"), "Bare Installer", f"msiexec /x{BARE_MSI_CODE}", SYS + r"\msiexec.exe",
           f"/x{BARE_MSI_CODE}"),
    Listed(Q("Q03"), "Bare Library", r"rundll32 C:\Apps\Lib\legacy.dll,Remove",
           SYS + r"\rundll32.exe", r"C:\Apps\Lib\legacy.dll,Remove"),
    Listed(Q("Q04"), "Command Remover", r'"C:\Apps\Cmd Files\remove.cmd" /silent',
           r"C:\Apps\Cmd Files\remove-cmd.exe", "/silent", script=r"C:\Apps\Cmd Files\remove.cmd"),
    Listed(Q("Q05"), "Twin Tool", r"C:\Apps\Twin\Two\uninst.exe /two",
           r"C:\Apps\Twin\Two\uninst.exe", "/two"),
    Listed(Q("Q06"), "CASE STUDY", r"C:\Apps\Case\Upper\uninst.exe /upper",
           r"C:\Apps\Case\Upper\uninst.exe", "/upper"),
    Listed(Q("Q07"), "Plain Legacy", r"C:\Apps\Legacy\uninst.exe /S /log=C:\Temp\legacy.log",
           r"C:\Apps\Legacy\uninst.exe", r"/S /log=C:\Temp\legacy.log"),
    Listed(Q("Q09"), "Kept Legacy", r'"C:\Program Files (x86)\Kept Legacy\uninst.exe"',
           r"C:\Program Files (x86)\Kept Legacy\uninst.exe", "", {"NoRemove": dword(0)}),
    Listed(Q(SHARED_SUBKEY), "Runtime Pack (x86)",
           r'"C:\Program Files (x86)\Runtime Pack\uninst.exe" /x86',
           r"C:\Program Files (x86)\Runtime Pack\uninst.exe", " /x86"),
    # The entry winget writes for a portable package installed for the machine: the bare name,
    # in neither system folder, is left to the shell, which finds winget on the user's PATH.
    Listed(WINGET_CODE, "Velmoro Uninstaller", f"winget uninstall --product-code {WINGET_CODE}",
           c.WINGET_WIN, f"uninstall --product-code {WINGET_CODE}",
           {"WinGetInstallerType": sz("portable")}),
]

# Hidden, incomplete and mistyped subkeys: (subkey, a text of it that must not
# reach "All.dat", values).
SKIPPED = [
    ("P02", "Text NoRemove", {"DisplayName": sz("Text NoRemove"), "NoRemove": sz("1"),
                              "UninstallString": sz(r"C:\Apps\Text NoRemove\uninst.exe")}),
    ("P03", r"C:\Apps\Number Name\uninst.exe",
     {"DisplayName": dword(7), "UninstallString": sz(r"C:\Apps\Number Name\uninst.exe")}),
    ("P04", "Binary Command",
     {"DisplayName": sz("Binary Command"), "UninstallString": hex_data(b"C:\\x.exe")}),
    ("P05", "Hidden Tool", {"DisplayName": sz("Hidden Tool"), "NoRemove": dword(1),
                            "UninstallString": sz(r"C:\Apps\Hidden Tool\uninst.exe")}),
    ("P07", "No Command", {"DisplayName": sz("No Command")}),
    ("P08", r"C:\Apps\Nameless\uninst.exe",
     {"UninstallString": sz(r"C:\Apps\Nameless\uninst.exe")}),
    (Q("Q01"), "Text NoRemove 32", {"DisplayName": sz("Text NoRemove 32"), "NoRemove": sz("1"),
                                    "UninstallString": sz(r"C:\Apps\Text NoRemove 32\uninst.exe")}),
    (Q("Q08"), "Hidden Legacy", {"DisplayName": sz("Hidden Legacy"), "NoRemove": dword(1),
                                 "UninstallString": sz(r"C:\Apps\Hidden Legacy\uninst.exe")}),
    (Q("Q11"), "Name Only 32", {"DisplayName": sz("Name Only 32")}),
    (Q("Q12"), "Wrong Type 32", {"DisplayName": sz("Wrong Type 32"), "UninstallString": dword(1)}),
]

# The programs with plain names (letters and single blanks, none the beginning
# of another) in menu order. Equal names follow their commands: ...\Lower,
# ...\Title, ...\Upper for "case study", and ...\One before ...\Two.
PLAIN_ORDER = [
    "Alpha Quoted", "Bare Installer", "Bare Library", "Batch Remover", "case study",
    "Case Study", "CASE STUDY", "Command Remover", "Exec Folder", "Folder Named Exe",
    "Installer Product", "Kept Legacy", "Kept Tool", "Leading Blanks", "Library Component",
    "Plain Legacy", "RD Tools", "Tab Separated", "Twin Tool", "Twin Tool", "Upper Extension",
    "Velmoro Uninstaller"]
TWINS = [r"Twin Tool<#>C:\Apps\Twin\One\uninst.exe /one",
         r"Twin Tool<#>C:\Apps\Twin\Two\uninst.exe /two"]


def display_name(entry: str) -> str:
    return entry.split(c.SEPARATOR, 1)[0]


class ProgramListTests(E2ECase):
    all_dat: bytes
    entries: list[str]

    @classmethod
    def prepare(cls):
        # A recorder copy at every file a listed command starts; batch files
        # that pass their arguments on to one; copies planted beside the
        # program, which a bare name must never find.
        for planted in ("msiexec.exe", "rundll32.exe"):
            cls.prefix.install_recorder(APP + "\\" + planted)
        for program in LISTED:
            cls.prefix.install_recorder(program.module)
            if program.script:
                script = cls.prefix.unix_path(program.script)
                script.write_bytes(f'@"{program.module}" %*\r\n'.encode("cp1252"))
        cls.prefix.reg_import(h.FIXTURES / "native-system-tools.reg")
        cls.prefix.reg_import(h.FIXTURES / "user-path.reg")
        cls.import_uninstall("programs", {
            p.subkey: h.entry_values(p.display_name, p.command) | p.extra for p in LISTED} |
                             {subkey: values for subkey, _trace, values in SKIPPED})
        # One run with no choice writes the program list to "All.dat".
        cls.run_and_escape("catalogue")
        cls.all_dat = cls.read_data(c.ALL_DAT)
        cls.entries = cls.all_dat.decode("cp1252").split("\r\n")[:-1]

    def test_all_dat_holds_every_removable_program_of_both_views_once(self):
        # Every line ends with CR LF, the last one too, and holds no lone CR or LF.
        self.assertEqual(h.crlf_lines(self.entries), self.all_dat)
        self.assertEqual(sorted(self.entries), sorted(p.entry for p in LISTED))

    def test_hidden_incomplete_and_mistyped_subkeys_are_left_out(self):
        text = self.all_dat.decode("cp1252")
        for subkey, trace, _values in SKIPPED:
            with self.case(subkey=subkey, trace=trace):
                self.assertNotIn(trace, text)

    def test_entries_are_in_name_order_ignoring_case(self):
        plain = [e for e in self.entries if display_name(e) in PLAIN_ORDER]
        self.assertEqual([display_name(e) for e in plain], PLAIN_ORDER)
        self.assertEqual([e for e in plain if e in TWINS], TWINS)
        # Entries of equal names stand together.
        for name in ("twin tool", "case study"):
            with self.case(name=name):
                where = [i for i, e in enumerate(self.entries) if display_name(e).lower() == name]
                self.assertEqual(where, list(range(where[0], where[0] + len(where))))

    def test_the_order_is_the_list_controls_on_a_large_mixed_sample(self):
        # sortcheck.exe sorts the lines once by a sorted list box, once as the program does.
        rng = random.Random(11)
        words = ["alpha", "Alpha", "ALPHA", "Béta", "bêta", "beta", "éclair", "Eclair", "Ärger",
                 "Aerger", "straße", "strasse", "Жук", "жук", "程序", "10 Apps", "2 Apps", "1-Click",
                 "1Click", "_under", "(paren)", "~tilde", "'quote", "R&D", "RandD", "a b", "ab",
                 "a-b", "", "Viewer", "Viewer Plus", "Photo Viewer", "😀 Smile"]
        commands = ["", r"C:\x.exe", "MsiExec.exe /X{1}", r"c:\X.EXE", r'"C:\p q\u.exe" /S']
        lines = []
        for _ in range(3000):
            name = rng.choice(words) + (f" {rng.randint(0, 12)}" if rng.random() < 0.5 else "")
            if rng.random() < 0.2:
                name = name.upper() if rng.random() < 0.5 else name.lower()
            lines.append(name + c.SEPARATOR + rng.choice(commands))
        sample = self.prefix.unix_path(c.LOGS_DIR_WIN) / "sample.txt"
        sample.write_bytes("\n".join(lines).encode("utf-8"))
        result = self.prefix.wine(c.TOOLS_DIR_WIN + r"\sortcheck.exe", c.LOGS_DIR_WIN + r"\sample.txt")
        self.assertEqual(result.returncode, 0, result.stdout.decode("utf-8", "replace"))

    def test_each_item_starts_its_own_uninstall_command(self):
        by_entry = {p.entry: p for p in LISTED}
        for index, entry in enumerate(self.entries):
            with self.case(item=index, caption=display_name(entry)):
                program = by_entry[entry]
                app = self.choose(c.TO_FIRST_PROGRAM + ["Down"] * index, f"item{index:02d}")
                self.assert_started(app, (program.module, program.arguments))


if __name__ == "__main__":
    unittest.main()
