"""Robustness end to end: two copies of the program started at the same moment
against one prefix, and large or odd input (many uninstall subkeys, huge and
NUL-only values, long subkey names, huge "All.dat" and "Recent.dat").

Nothing here is timed: every test asserts what the user sees (the menu, message
boxes, the exit status) and the bytes the program leaves in its data directory.
Start-up times for the same inputs, at full size, are printed by
bench_large.py. Big inputs are generated on the fly, never committed.

CI sizes, overridable through the environment:

* VELMORO_E2E_ROUNDS: rounds of two copies at once (default 20);
* VELMORO_E2E_MANY_SUBKEYS: subkeys of the "many subkeys" test (default 3001,
  one more than "All Programs" lists on one level;
  the benchmark uses 30,000).
"""

from __future__ import annotations

import contextlib
import os
import random
import time
import unittest
from pathlib import Path

import constants as c
import harness as h
from e2e_case import TIMEOUT, E2ECase, setUpModule, tearDownModule  # noqa: F401

ROUNDS = int(os.environ.get("VELMORO_E2E_ROUNDS", "20"))
MANY_SUBKEYS = int(os.environ.get("VELMORO_E2E_MANY_SUBKEYS", "3001"))
POINTER = (300, 200)

# --------------------------------------------------------------------------
# Generated inputs (also used by bench_large.py)


def numbered_programs(count: int, seed: int = 7) -> list[tuple[str, str, str]]:
    """count uninstall entries (subkey, name, command) named "Program 00000"
    and on, commands of the usual shapes. They come in the order the program
    sorts them: the names differ only in a number of fixed width, so no
    collation orders them otherwise. The subkeys begin with random digits, so
    the registry enumerates them in another order."""
    rng = random.Random(seed)
    width = max(5, len(str(count - 1)))
    entries = []
    for index in range(count):
        name = f"Program {index:0{width}d}"
        folder = f"C:\\Program Files\\Vendor {index % 97}\\{name}"
        msi = f"MsiExec.exe /X{{{rng.getrandbits(128):032X}}}"
        command = (f'"{folder}\\uninstall.exe" /S', msi, f"{folder}\\unins000.exe")[index % 3]
        entries.append((f"{{{rng.getrandbits(64):016X}}}_{index}", name, command))
    return entries


def all_lines(entries) -> list[str]:
    """The "All.dat" lines of (subkey, name, command) entries given in sorted order."""
    return [name + c.SEPARATOR + command for _subkey, name, command in entries]


LONG_NAME_LENGTH = 100_000


def long_display_name(length: int = LONG_NAME_LENGTH) -> str:
    """A display name of exactly length characters, beginning "Long Name"."""
    unit = "Long Name 0123456789 abcdefghij "
    return (unit * (length // len(unit) + 1))[:length]


def old_entry_line(index: int) -> bytes:
    """One line of a big "All.dat" that matches no program: 87 bytes with CR LF."""
    line = (f"Old Program {index:07d}{c.SEPARATOR}"
            f'"C:\\Program Files\\Old Vendor\\Old Program {index:07d}\\uninst.exe" /S\r\n')
    return line.encode("cp1252")


def big_all_dat(lines: int, keep: list[str]) -> bytes:
    """An "All.dat" of `lines` lines of old entries (87 bytes each: 600,000
    lines make 52.2 MB) with the entries of `keep` spread among them."""
    out = [old_entry_line(i) for i in range(lines)]
    for n, entry in enumerate(keep):
        out.insert((n + 1) * len(out) // (len(keep) + 1), entry.encode("cp1252") + b"\r\n")
    return b"".join(out)


def big_recent_dat(lines: int, matching: list[str]) -> bytes:
    """A "Recent.dat" of `lines` lines: names of no program, except the
    `matching` names placed, in order, among the last tenth of the file."""
    out = [b"Gone Program %07d\r\n" % i for i in range(lines - len(matching))]
    start = len(out) * 9 // 10
    for n, name in enumerate(matching):
        out.insert(start + n * 1000, name.encode("cp1252") + b"\r\n")
    return b"".join(out)


class RobustCase(E2ECase):
    """A first run alone makes the data directory and starts Wine's desktop
    process; the uninstall subkeys are replaced as a whole."""

    subkeys: list[str] = []

    @classmethod
    def prepare(cls):
        cls.run_and_escape("first-run")

    @classmethod
    def set_programs(cls, name: str, subkeys: dict[str, dict[str, str]]) -> None:
        """Replaces the uninstall subkeys this class made before by subkeys."""
        # Version 5 syntax: hex(1) data is stored as given, byte for byte.
        cls.prefix.reg_import_text("Windows Registry Editor Version 5.00\n\n"
                                   + h.uninstall_reg(subkeys, remove=cls.subkeys), name)
        cls.subkeys = list(subkeys)

    @classmethod
    def set_entries(cls, name: str, entries) -> None:
        cls.set_programs(name, {key: h.entry_values(n, command) for key, n, command in entries})


# --------------------------------------------------------------------------
# Two copies at once

# Two registry states taken in turn, round after round. The odd rounds' state
# holds "Delta Odd", the even rounds' "Echo Even"; "Bravo Base" is put into
# "Recent.dat" before the first round. One copy after the other, every round
# finds its one tool new, drops the other one (uninstalled) and keeps "Bravo
# Base". Copies working on the files at the same time could leave other
# bytes: the new tool twice, or no new tool.
BASE = [("Base1", "Alpha Base", r'"C:\Program Files\Alpha Base\uninstall.exe" /S'),
        ("Base2", "Bravo Base", "MsiExec.exe /X{00000002-0000-0000-0000-000000000000}"),
        ("Base3", "Charlie Base", r"C:\Charlie Base\unins000.exe")]
BASE_LINES = [r'Alpha Base<#>"C:\Program Files\Alpha Base\uninstall.exe" /S',
              "Bravo Base<#>MsiExec.exe /X{00000002-0000-0000-0000-000000000000}",
              r"Charlie Base<#>C:\Charlie Base\unins000.exe"]
STATES = [  # entries, "All.dat" and "Recent.dat" after a round
    (BASE + [("Odd", "Delta Odd", r"C:\Delta Odd\uninstall.exe /S")],
     BASE_LINES + [r"Delta Odd<#>C:\Delta Odd\uninstall.exe /S"], ["Delta Odd", "Bravo Base"]),
    (BASE + [("Even", "Echo Even", r"C:\Echo Even\uninstall.exe /S")],
     BASE_LINES + [r"Echo Even<#>C:\Echo Even\uninstall.exe /S"], ["Echo Even", "Bravo Base"]),
]
ERROR_TEXT_STARTS = ("Cannot open file", "Cannot create file")


def menu_owner(x: h.XServer, window: h.XWindow, apps: list[h.App]) -> h.App | None:
    """The run whose process shows window: Wine sets _NET_WM_PID to the Unix
    process, whose session is the one App started."""
    out = x.run(["xprop", "-id", window.id, "_NET_WM_PID"], check=False).stdout
    try:
        pid = int(out.rsplit("=", 1)[1])
        session = int(Path(f"/proc/{pid}/stat").read_text().rsplit(")", 1)[1].split()[3])
    except (IndexError, ValueError, OSError):
        return None  # gone meanwhile
    return next((app for app in apps if app.proc.pid in (pid, session)), None)


class TwoCopiesTests(RobustCase):
    @classmethod
    def prepare(cls):
        cls.set_entries("even", STATES[1][0])
        super().prepare()
        cls.write_data(c.RECENT_DAT, b"Bravo Base\r\n")

    def run_two_copies(self, where: str) -> bool:
        """Starts two copies back to back and handles what they show until both
        have ended: error boxes are read and closed with OK, menus closed by
        their "Exit" once both have shown. Checks that each copy showed its
        menu; tells whether both menus were open at once."""
        apps = [self.start(f"{where}-{copy}", POINTER) for copy in "ab"]
        shown, both_open = set(), False
        deadline = time.monotonic() + TIMEOUT
        while any(app.poll() is None for app in apps):
            if time.monotonic() > deadline:
                self.fail(f"{where}: still running after {TIMEOUT} s")
            if h.program_windows(self.x, named=True):
                for box in self.boxes():
                    h.log(f"{where}: {box}")
                    self.assertEqual((box.caption, box.buttons), (c.CAPTION, ("OK",)), str(box))
                    self.assertTrue((box.text or "").startswith(ERROR_TEXT_STARTS), str(box))
                    self.prefix.inspector("press", box.caption, "OK")
            elif menus := h.menu_windows(self.x):
                both_open |= len(menus) > 1
                shown |= {menu_owner(self.x, menu, apps) for menu in menus}
                running = all(app.poll() is None for app in apps)
                if len(menus) == 1 and not shown >= set(apps) and running:
                    # The other copy's menu is still to come: wait for two at once. A copy
                    # that found the foreground taken by the other's menu flashes its
                    # taskbar button instead, and the user's click on it brings its menu.
                    if any(w["caption"] == c.CAPTION and w["iconic"]
                           for w in self.prefix.windows()):
                        h.log(f"{where}: a copy flashes its taskbar button; clicking it")
                        self.prefix.inspector("restore", c.CAPTION)
                    continue
                # Without a window manager Wine gives keyboard input to neither
                # of two open menus, but it delivers a click. They lie on each
                # other: the click on "Exit" ends the top one's copy; again if
                # it was lost.
                self.x.click(menus[0].x + 20, menus[0].y + menus[0].height - 8)
                with contextlib.suppress(h.HarnessError):
                    h.wait_until(lambda: len(h.menu_windows(self.x)) < len(menus), 2, 0.03)
        for app in apps:
            self.assert_ends_with_zero(app, 10)
        self.assertEqual(shown - {None}, set(apps), f"{where}: not every copy showed its menu")
        return both_open

    def test_two_copies_started_together_show_their_menus_and_leave_whole_files(self):
        for round_no in range(1, ROUNDS + 1):
            where = f"round{round_no:02d}"
            entries, all_dat, recent_dat = STATES[(round_no - 1) % 2]
            self.set_entries(where, entries)
            # The first copy's menu stays open while the second shows its own.
            self.assertTrue(self.run_two_copies(where), f"{where}: no two menus open at once")
            # A copy whose move over "All.dat" failed (an error box) puts back
            # the "Recent.dat" it read, so the files are those of the copy that
            # went first either way.
            self.assert_data(all_dat, recent_dat, where)


# --------------------------------------------------------------------------
# Large and odd input


class ManySubkeysTests(RobustCase):
    def test_many_uninstall_subkeys_give_the_whole_sorted_list(self):
        entries = numbered_programs(MANY_SUBKEYS)
        self.set_entries(f"many-{MANY_SUBKEYS}", entries)
        # A snapshot without the last ten programs: those ten are new, the
        # last six of them stay, newest first.
        self.write_data(c.ALL_DAT, h.crlf_lines(all_lines(entries[:-10])))
        self.write_data(c.RECENT_DAT, b"")
        # "All Programs" opens in groups; the first group opens with its programs.
        app = self.start("many")
        self.wait_menu(app)
        self.x.keys(*c.TO_ALL_PROGRAMS, "Right")
        self.wait_menu(app, count=2)
        self.x.keys("Right")
        self.wait_menu(app, count=3)
        self.x.keys("Escape", "Escape", "Escape")
        self.assert_ends_with_zero(app)
        self.assert_data(all_lines(entries), [name for _key, name, _command in entries[:-7:-1]])


class OddRegistryTests(RobustCase):
    def test_display_name_of_100000_characters(self):
        name = long_display_name()
        self.set_entries("long-name", [("Long", name, r"C:\Long\unins000.exe"),
                                       ("Short", "Short Tool", r"C:\Short\uninstall.exe /S")])
        lines = [name + r"<#>C:\Long\unins000.exe", r"Short Tool<#>C:\Short\uninstall.exe /S"]
        # One empty line: every entry counts as new.
        self.write_data(c.ALL_DAT, b"\r\n")
        self.write_data(c.RECENT_DAT, None)
        # Then once more, with the long name as a recent item shown.
        for run, submenu in (("long-all", c.TO_ALL_PROGRAMS),
                             ("long-recent", c.TO_RECENT_PROGRAMS)):
            with self.case(run):
                self.run_and_escape(run, submenu=submenu)
                self.assert_data(lines, ["Short Tool", name])

    def test_values_of_only_nul_bytes(self):
        nul3 = "hex(1):00,00,00"
        sz = h.reg_sz
        self.set_programs("nul-values", {
            "NulName": {"DisplayName": nul3, "UninstallString": sz(r"C:\NulName\u.exe")},
            "NulCommand": {"DisplayName": sz("Nul Command"), "UninstallString": nul3},
            "NulBoth": {"DisplayName": nul3, "UninstallString": nul3},
            "NulExpand": {"DisplayName": "hex(2):00,00,00",
                          "UninstallString": sz(r"C:\NulExpand\u.exe")},
            "NoData": {"DisplayName": "hex(1):", "UninstallString": sz(r"C:\NoData\u.exe")},
            "NulNoRemove": {**h.entry_values("Nul NoRemove", r"C:\NR\u.exe"),
                            "NoRemove": "hex(4):00,00,00,00"},
            "Plain": h.entry_values("Plain Tool", r"C:\Plain\u.exe"),
        })
        lines = ["<#>", r"<#>C:\NoData\u.exe", r"<#>C:\NulExpand\u.exe", r"<#>C:\NulName\u.exe",
                 "Nul Command<#>", r"Nul NoRemove<#>C:\NR\u.exe", r"Plain Tool<#>C:\Plain\u.exe"]
        self.write_data(c.ALL_DAT, h.crlf_lines([r"Plain Tool<#>C:\Plain\u.exe"]))
        self.write_data(c.RECENT_DAT, h.crlf_lines(["Plain Tool", "", "Gone"]))
        # New, in reverse list order: the NoRemove one, "Nul Command", four
        # empty names; then the old "Plain Tool" would be 7th and is cut.
        for run, submenu in (("nul-all", c.TO_ALL_PROGRAMS), ("nul-recent", c.TO_RECENT_PROGRAMS)):
            with self.case(run):
                self.run_and_escape(run, submenu=submenu)
                self.assert_data(lines, ["Nul NoRemove", "Nul Command", "", "", "", ""])

    def test_subkey_names_of_255_characters(self):
        # 254 characters and a digit.
        entries = [((letter + "{0123456789ABCDEF}" * 15)[:254] + str(n), f"Key Tool {n}",
                    f"C:\\Key Tool {n}\\uninstall.exe") for n, letter in enumerate("ABC")]
        entries.append(("Short", "Key Tool 9", r"C:\Key Tool 9\uninstall.exe"))
        self.set_entries("long-subkeys", entries)
        self.write_data(c.ALL_DAT, b"Key Tool 9<#>C:\\Key Tool 9\\uninstall.exe\r\n")
        self.write_data(c.RECENT_DAT, None)
        self.run_and_escape("long-subkeys", submenu=c.TO_ALL_PROGRAMS)
        self.assert_data([rf"Key Tool {n}<#>C:\Key Tool {n}\uninstall.exe" for n in (0, 1, 2, 9)],
                         ["Key Tool 2", "Key Tool 1", "Key Tool 0"])


class LargeFilesTests(RobustCase):
    ENTRIES = numbered_programs(40)
    LINES = all_lines(ENTRIES)

    @classmethod
    def prepare(cls):
        super().prepare()
        cls.set_entries("forty", cls.ENTRIES)

    def test_all_dat_of_50_mb(self):
        # 600,000 old lines with the current entries among them, but for
        # program 30, missing, and program 5, whose command was different:
        # both are new, above the one recent name.
        keep = [line + " /old" if n == 5 else line for n, line in enumerate(self.LINES) if n != 30]
        self.write_data(c.ALL_DAT, big_all_dat(600_000, keep))  # 52.2 MB
        self.write_data(c.RECENT_DAT, b"Program 00000\r\n")
        self.run_and_escape("all-50mb")
        self.assert_data(self.LINES, ["Program 00030", "Program 00005", "Program 00000"])

    def test_all_dat_of_50_mb_in_one_line(self):
        # No line end at all: one line that matches nothing, so all are new.
        self.write_data(c.ALL_DAT, b"x" * 50_000_000)
        self.write_data(c.RECENT_DAT, None)
        self.run_and_escape("all-one-line")
        self.assert_data(self.LINES, ["Program 00039", "Program 00038", "Program 00037",
                                      "Program 00036", "Program 00035", "Program 00034"])

    def test_recent_dat_of_a_million_lines(self):
        # Names of no program, with eight current names among the last tenth
        # (two of them twice): the first six of those are kept, in file order.
        matching = ["Program 00003", "Program 00017", "Program 00003", "Program 00039",
                    "Program 00000", "Program 00022", "Program 00017", "Program 00008"]
        self.write_data(c.ALL_DAT, h.crlf_lines(self.LINES))
        self.write_data(c.RECENT_DAT, big_recent_dat(1_000_000, matching))
        self.run_and_escape("recent-1m", submenu=c.TO_RECENT_PROGRAMS)
        self.assert_data(self.LINES, matching[:6])


if __name__ == "__main__":
    unittest.main()
