"""Robustness end to end: two copies of the program started at the same moment
against one prefix, and large or odd input (many uninstall subkeys, huge and
NUL-only values, long subkey names, huge "All.dat" and "Recent.dat").

Nothing here is timed: every test asserts what the user sees (the menu, message
boxes, the exit status) and the bytes the program leaves in its data directory.
Start-up times for the same inputs, at full size, are printed by
bench_large.py. Big inputs are generated on the fly, never committed.

CI sizes, overridable through the environment:

* VELMORO_E2E_ROUNDS: rounds of two copies at once (default 20);
* VELMORO_E2E_MANY_SUBKEYS: subkeys of the "many subkeys" test (default 3000;
  the benchmark uses 30,000).
"""

from __future__ import annotations

import os
import random
import time
import unittest
from dataclasses import dataclass, field
from pathlib import Path

import harness as h
from e2e_case import PrefixGroup, setUpModule, tearDownModule  # noqa: F401

DATA_DIR_WIN = r"C:\ProgramData\Quinsett\Velmoro Uninstaller"
CAPTION = "Velmoro Uninstaller"
SEPARATOR = "<#>"
MAX_RECENT = 6
ERROR_TEXT_STARTS = ("Cannot open file", "Cannot create file")

ROUNDS = int(os.environ.get("VELMORO_E2E_ROUNDS", "20"))
MANY_SUBKEYS = int(os.environ.get("VELMORO_E2E_MANY_SUBKEYS", "3000"))

# Menu key paths from nothing highlighted (see test_menu.py).
TO_ALL_PROGRAMS = ["Down"]
TO_RECENT_PROGRAMS = ["Down", "Down"]



# --------------------------------------------------------------------------
# What the program should write, worked out independently of it.
#
# The program list is sorted like the platform list control sorts: letter case
# ignored, whole entries compared. The names used here keep that order free of
# collation details: they hold only letters, digits and blanks, and where two
# share a beginning they differ at a digit of a fixed-width number, so a plain
# case-insensitive comparison gives the same order.


def entry_text(name: str, command: str) -> str:
    return name + SEPARATOR + command


def display_name(entry: str) -> str:
    return entry.split(SEPARATOR, 1)[0]


def program_list(entries) -> list[str]:
    """The sorted program list for (subkey, display name, command) triples."""
    return sorted((entry_text(name, command) for _key, name, command in entries),
                  key=str.lower)


def list_bytes(lines) -> bytes:
    """The list text form: each line followed by CR LF."""
    return b"".join(line.encode("cp1252") + b"\r\n" for line in lines)


def parse_list(data: bytes) -> list[str]:
    """Lines of a list file (CR LF, lone CR or lone LF end a line; NUL ends the text)."""
    text = data.split(b"\0", 1)[0].decode("cp1252")
    lines, pos = [], 0
    while pos < len(text):
        end = min([i for i in (text.find("\r", pos), text.find("\n", pos)) if i >= 0],
                  default=len(text))
        lines.append(text[pos:end])
        pos = end
        if text.startswith("\r", pos):
            pos += 1
        if text.startswith("\n", pos):
            pos += 1
    return lines


def recent_after_run(programs: list[str], snapshot: list[str], recent: list[str]) -> list[str]:
    """The recent list one run writes, from the sorted program list and the lines
    of "All.dat" and "Recent.dat" it read: the entries missing from a non-empty
    snapshot go to the top in reverse list order, lines that are no display
    name of a program are dropped, at most 6 stay."""
    detected = []
    if snapshot:
        known = set(snapshot)
        detected = [display_name(e) for e in reversed(programs) if e not in known]
    names = {display_name(e) for e in programs}
    return [line for line in detected + recent if line in names][:MAX_RECENT]


# --------------------------------------------------------------------------
# Generated inputs (also used by bench_large.py)


def numbered_programs(count: int, seed: int = 7) -> list[tuple[str, str, str]]:
    """count uninstall entries named "Program 00000" and on, subkeys in a
    shuffled order, commands of the usual shapes."""
    rng = random.Random(seed)
    width = max(5, len(str(count - 1)))
    entries = []
    for index in range(count):
        name = f"Program {index:0{width}d}"
        folder = f"C:\\Program Files\\Vendor {index % 97}\\{name}"
        shape = index % 3
        if shape == 0:
            command = f'"{folder}\\uninstall.exe" /S'
        elif shape == 1:
            command = f"MsiExec.exe /X{{{rng.getrandbits(128):032X}}}"
        else:
            command = f"{folder}\\unins000.exe"
        entries.append((f"{{{rng.getrandbits(64):016X}}}_{index}", name, command))
    rng.shuffle(entries)
    return entries


LONG_NAME_LENGTH = 100_000


def long_display_name(length: int = LONG_NAME_LENGTH) -> str:
    """A display name of exactly length characters, beginning "Long Name"."""
    unit = "Long Name 0123456789 abcdefghij "
    return (unit * (length // len(unit) + 1))[:length]


def old_entry_line(index: int) -> bytes:
    """One line of a big "All.dat" that matches no program: 88 bytes with CR LF."""
    line = (f"Old Program {index:07d}{SEPARATOR}"
            f'"C:\\Program Files\\Old Vendor\\Old Program {index:07d}\\uninst.exe" /S\r\n')
    return line.encode("cp1252")


def big_all_dat(lines: int, keep: list[str]) -> bytes:
    """An "All.dat" of `lines` lines of old entries (88 bytes each: 600,000
    lines make 52.8 MB) with the entries of `keep` spread among them."""
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


def reg_text(sections: list[str], delete: list[str] = ()) -> str:
    """A registry file (version 5 syntax, hex(1) is read as 8-bit text) that first
    deletes the uninstall subkeys in `delete`, then adds `sections`."""
    parts = ["Windows Registry Editor Version 5.00", ""]
    parts += [f"[-{h.UNINSTALL_KEY}\\{key}]\n" for key in delete]
    parts += sections
    return "\n".join(parts) + "\n"


def program_section(subkey: str, values: dict[str, str]) -> str:
    """One uninstall subkey; each value is given as its .reg data text
    (a quoted string, hex(1):..., dword:...)."""
    lines = [f"[{h.UNINSTALL_KEY}\\{subkey}]"]
    lines += [f'"{name}"={data}' for name, data in values.items()]
    return "\n".join(lines) + "\n"


def reg_string(text: str) -> str:
    return '"' + h.reg_escape(text) + '"'


# --------------------------------------------------------------------------
# Menus and boxes of several copies at once


def session_of(pid: int) -> int | None:
    try:
        stat = Path(f"/proc/{pid}/stat").read_text()
    except OSError:
        return None
    return int(stat.rsplit(")", 1)[1].split()[3])


def menu_owner(x: h.XServer, window: h.XWindow, apps: list[h.App]) -> h.App | None:
    """The run whose process shows window: Wine sets _NET_WM_PID to the Unix
    process, whose session is the one App started."""
    out = x.run(["xprop", "-id", window.id, "_NET_WM_PID"], check=False).stdout
    try:
        pid = int(out.rsplit("=", 1)[1])
    except (IndexError, ValueError):
        return None
    session = session_of(pid)
    for app in apps:
        if app.proc.pid in (pid, session):
            return app
    return None


def escape_menu(x: h.XServer, window: h.XWindow) -> None:
    """Escape on one given menu. With two copies' menus open at once Wine gives
    keyboard input to neither until one of their windows has the X input focus
    (as a window manager would give it), so the focus goes there first."""
    x.run(["xdotool", "windowfocus", window.id, "key", "Escape"], check=False)


def click_exit(x: h.XServer, window: h.XWindow) -> None:
    """Clicks "Exit", the last item of a top-level menu."""
    x.click(window.x + 20, window.y + window.height - 8)


def named_program_windows(x: h.XServer) -> list[h.XWindow]:
    """Viewable top-level windows of the program that have a name: its message boxes."""
    return h.program_windows(x, named=True)


@dataclass
class PairResult:
    menus_by_app: dict[str, int] = field(default_factory=dict)  # passes that saw its menu
    boxes: list[tuple[str, str]] = field(default_factory=list)  # (caption, text)
    both_menus_open: bool = False
    escapes: int = 0
    exit_clicks: int = 0


class GroupCase(PrefixGroup):
    """Tests of a class share one private prefix; a first run alone makes the
    data directory and starts Wine's desktop process."""

    group = "robust"

    @classmethod
    def prepare(cls):
        cls.data_dir = cls.prefix.unix_path(DATA_DIR_WIN)
        cls.subkeys: list[str] = []
        app = cls.prefix.start_app(name="first-run")
        try:
            h.wait_menu(cls.x, app, timeout=60)
            cls.x.keys("Escape")
            if app.wait(30) != 0:
                raise h.HarnessError("the first run did not end with status 0")
        finally:
            app.kill()

    # Registry and files

    def set_programs(self, sections: list[str], subkeys: list[str], name: str) -> None:
        """Replaces the uninstall subkeys this class made before by new ones."""
        text = reg_text(sections, delete=self.subkeys)
        path = self.prefix.logs / f"{name}.reg"
        h.write_reg_file(path, text)
        self.prefix.reg_import(path)
        if path.stat().st_size > 1_000_000:
            path.unlink()
        type(self).subkeys = list(subkeys)

    def set_entries(self, entries, name: str) -> None:
        sections = [program_section(key, {"DisplayName": reg_string(display),
                                          "UninstallString": reg_string(command)})
                    for key, display, command in entries]
        self.set_programs(sections, [key for key, _n, _c in entries], name)

    def data_file(self, name: str) -> Path:
        return self.data_dir / name

    def write_data(self, name: str, data: bytes | None) -> None:
        path = self.data_file(name)
        if data is None:
            path.unlink(missing_ok=True)
        else:
            path.write_bytes(data)

    def read_data(self, name: str) -> bytes:
        return self.data_file(name).read_bytes()

    def assert_data_dir_clean(self, where: str = "") -> None:
        names = sorted(p.name for p in self.data_dir.iterdir())
        self.assertEqual([n for n in names if n.lower().endswith(".tmp")], [],
                         f"{where}: temporary files left in the data directory")
        self.assertEqual(names, ["All.dat", "Recent.dat"], where)

    def assert_bytes(self, name: str, expected: bytes, where: str = "") -> None:
        actual = self.read_data(name)
        if actual != expected:
            at = next((i for i, (a, b) in enumerate(zip(actual, expected)) if a != b),
                      min(len(actual), len(expected)))
            self.fail(f"{where}{name}: {len(actual)} bytes, expected {len(expected)}; first "
                      f"difference at byte {at}: {actual[max(0, at - 40):at + 40]!r} "
                      f"instead of {expected[max(0, at - 40):at + 40]!r}")

    # Runs

    def start(self, name: str, pointer=(300, 200)) -> h.App:
        self.x.move_pointer(*pointer)
        app = self.prefix.start_app(name=name)
        self.apps.append(app)
        return app

    def run_to_menu_and_escape(self, name: str, open_submenu: list[str] | None = None,
                               menu_timeout: float = 120) -> h.App:
        """Starts the program, waits for its menu (optionally opens a submenu
        and waits for it too), presses Escape until the program has ended, and
        checks it ended with status 0."""
        app = self.start(name)
        h.wait_menu(self.x, app, timeout=menu_timeout)
        self.assertEqual(len(h.menu_windows(self.x)), 1)
        if open_submenu:
            self.x.keys(*open_submenu, "Right")
            h.wait_menu(self.x, app, count=2, timeout=60)
            self.x.keys("Escape")
            h.wait_until(lambda: len(h.menu_windows(self.x)) <= 1, 30, 0.05,
                         "the submenu to close")
        self.x.keys("Escape")
        self.assertEqual(app.wait(60), 0, app.stderr_text()[-2000:])
        self.assertEqual(named_program_windows(self.x), [], "a box was left open")
        return app


# --------------------------------------------------------------------------
# Two copies at once


def round_programs(round_no: int) -> list[tuple[str, str, str]]:
    """The uninstall entries of a round: 30 base programs of which the first
    round_no are gone, two new ones per round so far, and one whose command
    changes every round."""
    entries = []
    for n in range(round_no, 30):
        entries.append((f"Base{n:03d}", f"Program {n:03d}",
                        f'"C:\\Program Files\\Program {n:03d}\\uninstall.exe" /S'))
    for r in range(1, round_no + 1):
        for n in (100 + 2 * r, 101 + 2 * r):
            entries.append((f"New{n:03d}", f"Program {n:03d}",
                            f"MsiExec.exe /X{{{n:08d}-0000-0000-0000-000000000000}}"))
    entries.append(("Changing", "Program 500", f"C:\\Changing\\unins{round_no:03d}.exe"))
    return entries


class TwoCopiesTests(GroupCase):
    def run_two_copies(self, round_no: int, timeout: float = 60) -> PairResult:
        """Starts two copies back to back and handles what they show until both
        have ended: boxes are read and closed with OK, menus closed with Escape."""
        apps = [self.start(f"round{round_no:02d}-{c}") for c in "ab"]
        result = PairResult({app.name: 0 for app in apps})
        deadline = time.monotonic() + timeout
        failed_tries = 0
        while any(app.poll() is None for app in apps):
            if time.monotonic() > deadline:
                self.fail(f"round {round_no}: still running after {timeout:.0f} s: "
                          f"{[a.name for a in apps if a.poll() is None]}; menus "
                          f"{h.menu_windows(self.x)}, boxes {named_program_windows(self.x)}, "
                          f"seen so far {result}")
            if named_program_windows(self.x):
                self.close_boxes(result, round_no)
                continue
            menus = h.menu_windows(self.x)
            if not menus:
                time.sleep(0.03)
                continue
            if len(menus) > 1:
                result.both_menus_open = True
            # With both menus open, an Escape may reach neither: the next try
            # goes to the other menu, and after two failed tries a click on the
            # top menu's "Exit" (which Wine does deliver) ends that copy.
            for menu in menus:
                owner = menu_owner(self.x, menu, apps)
                if owner is not None:
                    result.menus_by_app[owner.name] += 1
                else:
                    self.assertFalse(self.x.is_viewable(menu.id),
                                     f"round {round_no}: a menu of neither copy: {menu}")
            target = menus[(result.escapes + result.exit_clicks) % len(menus)]
            if failed_tries >= 2:
                click_exit(self.x, target)  # the menus lie on each other: the top one's
                result.exit_clicks += 1
            else:
                escape_menu(self.x, target)
                result.escapes += 1
            try:
                h.wait_until(lambda: len(h.menu_windows(self.x)) < len(menus), 2, 0.03,
                             "a menu to close")
                failed_tries = 0
            except h.HarnessError:
                failed_tries += 1
        for app in apps:
            self.assertEqual(app.wait(10), 0,
                             f"round {round_no}: {app.name} (seen: {result}): "
                             f"{app.stderr_text()[-2000:]}")
        return result

    def close_boxes(self, result: PairResult, round_no: int) -> None:
        boxes = [w for w in self.prefix.windows() if w.get("class") == "#32770"]
        if not boxes:
            time.sleep(0.1)  # gone meanwhile, or not a box: the deadline decides
        for window in boxes:
            caption = window.get("caption", "")
            text = h.message_text(window) or ""
            result.boxes.append((caption, text))
            h.log(f"round {round_no}: box {caption!r}: {text!r}")
            self.assertEqual(caption, CAPTION, f"round {round_no}: unexpected box {text!r}")
            self.assertTrue(text.startswith(ERROR_TEXT_STARTS),
                            f"round {round_no}: unexpected box text {text!r}")
            self.assertEqual(h.button_texts(window), ["OK"])
            self.prefix.inspector("press", caption, "OK")

    def test_two_copies_started_together_show_their_menus_and_leave_whole_files(self):
        summary = self.prefix.logs / "two-copies-summary.txt"
        report = []
        both_open = 0
        boxes = []
        for round_no in range(1, ROUNDS + 1):
            entries = round_programs(round_no)
            self.set_entries(entries, f"round{round_no:02d}")
            programs = program_list(entries)
            names = {display_name(e) for e in programs}
            expected_all = list_bytes(programs)
            old_all = self.read_data("All.dat")
            old_recent = self.read_data("Recent.dat")

            result = self.run_two_copies(round_no)
            both_open += result.both_menus_open
            boxes += result.boxes
            report.append(f"round {round_no:2d}: menus {result.menus_by_app}, "
                          f"both open at once: {result.both_menus_open}, Escapes "
                          f"{result.escapes}, Exit clicks {result.exit_clicks}, "
                          f"boxes: {result.boxes}")
            summary.write_text("\n".join(report) + "\n")

            where = f"round {round_no} ({round_no - 1} survived)"
            for app_name, shown in result.menus_by_app.items():
                self.assertGreaterEqual(shown, 1, f"{where}: {app_name} showed no menu")
            self.assert_data_dir_clean(where)
            self.assert_bytes("All.dat", expected_all, where + ": ")
            recent = self.read_data("Recent.dat")
            self.assertTrue(recent == b"" or recent.endswith(b"\r\n"), f"{where}: {recent!r}")
            lines = recent.decode("cp1252").split("\r\n")[:-1]
            self.assertLessEqual(len(lines), MAX_RECENT, f"{where}: {recent!r}")
            for line in lines:
                self.assertIn(line, names, f"{where}: {recent!r}")
            # Each copy read "All.dat" and then "Recent.dat", each either as the
            # round began or as the other copy left it; the file holds one
            # copy's complete output for one of those combinations.
            snapshots = [parse_list(old_all), programs]
            recents = [parse_list(old_recent)]
            possible: set[bytes] = set()
            for _ in range(3):
                for snapshot in snapshots:
                    for start in list(recents):
                        written = recent_after_run(programs, snapshot, start)
                        possible.add(list_bytes(written))
                        if written not in recents:
                            recents.append(written)
            if result.boxes:
                # A copy whose move over "All.dat" failed puts back the
                # "Recent.dat" it had read.
                possible.add(old_recent)
            self.assertIn(recent, possible, f"{where}: Recent.dat is no copy's output")
        h.log(f"two copies at once: {len(report)} rounds run, both menus open at once in "
              f"{both_open}, error boxes {len(boxes)}: {boxes}")
        summary.write_text("\n".join(report) + f"\nboth menus open at once in {both_open} "
                           f"rounds; error boxes: {boxes}\n")


# --------------------------------------------------------------------------
# Large and odd input


class ManySubkeysTests(GroupCase):
    def test_many_uninstall_subkeys_give_the_whole_sorted_list(self):
        entries = numbered_programs(MANY_SUBKEYS)
        self.set_entries(entries, f"many-{MANY_SUBKEYS}")
        programs = program_list(entries)
        # A snapshot without the last ten programs: those ten are new.
        self.write_data("All.dat", list_bytes(programs[:-10]))
        self.write_data("Recent.dat", b"")
        self.run_to_menu_and_escape("many", open_submenu=TO_ALL_PROGRAMS)
        self.assert_bytes("All.dat", list_bytes(programs))
        self.assert_bytes("Recent.dat",
                          list_bytes(display_name(e) for e in reversed(programs[-6:])))
        self.assert_data_dir_clean()


class OddRegistryTests(GroupCase):
    def test_display_name_of_100000_characters(self):
        name = long_display_name()
        entries = [("Long", name, r"C:\Long\unins000.exe"),
                   ("Short", "Short Tool", r"C:\Short\uninstall.exe /S")]
        self.set_entries(entries, "long-name")
        programs = program_list(entries)
        self.assertEqual(display_name(programs[0]), name)
        # One empty line: every entry counts as new.
        self.write_data("All.dat", b"\r\n")
        self.write_data("Recent.dat", None)
        self.run_to_menu_and_escape("long-all", open_submenu=TO_ALL_PROGRAMS)
        self.assert_bytes("All.dat", list_bytes(programs))
        self.assert_bytes("Recent.dat", list_bytes(["Short Tool", name]))
        # Once more, with the long name as a recent item shown.
        self.run_to_menu_and_escape("long-recent", open_submenu=TO_RECENT_PROGRAMS)
        self.assert_bytes("All.dat", list_bytes(programs))
        self.assert_bytes("Recent.dat", list_bytes(["Short Tool", name]))
        self.assert_data_dir_clean()

    def test_values_of_only_nul_bytes(self):
        nul3 = "hex(1):00,00,00"
        sections = [
            program_section("NulName", {"DisplayName": nul3,
                                        "UninstallString": reg_string(r"C:\NulName\u.exe")}),
            program_section("NulCommand", {"DisplayName": reg_string("Nul Command"),
                                           "UninstallString": nul3}),
            program_section("NulBoth", {"DisplayName": nul3, "UninstallString": nul3}),
            program_section("NulExpand", {"DisplayName": "hex(2):00,00,00",
                                          "UninstallString": reg_string(r"C:\NulExpand\u.exe")}),
            program_section("NoData", {"DisplayName": "hex(1):",
                                       "UninstallString": reg_string(r"C:\NoData\u.exe")}),
            program_section("NulNoRemove", {"DisplayName": reg_string("Nul NoRemove"),
                                            "UninstallString": reg_string(r"C:\NR\u.exe"),
                                            "NoRemove": "hex(4):00,00,00,00"}),
            program_section("Plain", {"DisplayName": reg_string("Plain Tool"),
                                      "UninstallString": reg_string(r"C:\Plain\u.exe")}),
        ]
        subkeys = ["NulName", "NulCommand", "NulBoth", "NulExpand", "NoData", "NulNoRemove",
                   "Plain"]
        self.set_programs(sections, subkeys, "nul-values")
        programs = ["<#>", r"<#>C:\NoData\u.exe", r"<#>C:\NulExpand\u.exe",
                    r"<#>C:\NulName\u.exe", "Nul Command<#>", r"Nul NoRemove<#>C:\NR\u.exe",
                    r"Plain Tool<#>C:\Plain\u.exe"]
        self.write_data("All.dat", list_bytes([r"Plain Tool<#>C:\Plain\u.exe"]))
        self.write_data("Recent.dat", list_bytes(["Plain Tool", "", "Gone"]))
        self.run_to_menu_and_escape("nul-all", open_submenu=TO_ALL_PROGRAMS)
        self.assert_bytes("All.dat", list_bytes(programs))
        # New, in reverse list order: the NoRemove one, "Nul Command", four
        # empty names; then the old "Plain Tool" would be 7th and is cut.
        self.assert_bytes("Recent.dat", list_bytes(["Nul NoRemove", "Nul Command",
                                                    "", "", "", ""]))
        self.run_to_menu_and_escape("nul-recent", open_submenu=TO_RECENT_PROGRAMS)
        self.assert_bytes("Recent.dat", list_bytes(["Nul NoRemove", "Nul Command",
                                                    "", "", "", ""]))
        self.assert_data_dir_clean()

    def test_subkey_names_of_255_characters(self):
        entries = []
        for n, letter in enumerate("ABC"):
            subkey = (letter + "{0123456789ABCDEF}" * 15)[:254] + str(n)
            self.assertEqual(len(subkey), 255)
            entries.append((subkey, f"Key Tool {n}", f"C:\\Key Tool {n}\\uninstall.exe"))
        entries.append(("Short", "Key Tool 9", r"C:\Key Tool 9\uninstall.exe"))
        self.set_entries(entries, "long-subkeys")
        programs = program_list(entries)
        self.write_data("All.dat", list_bytes(programs[-1:]))
        self.write_data("Recent.dat", None)
        self.run_to_menu_and_escape("long-subkeys", open_submenu=TO_ALL_PROGRAMS)
        self.assert_bytes("All.dat", list_bytes(programs))
        self.assert_bytes("Recent.dat", list_bytes(["Key Tool 2", "Key Tool 1", "Key Tool 0"]))
        self.assert_data_dir_clean()


class LargeFilesTests(GroupCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.entries = numbered_programs(40)
        cls.programs = program_list(cls.entries)
        cls.names = [display_name(e) for e in cls.programs]

    def setUp(self):
        super().setUp()
        if self.subkeys != [e[0] for e in self.entries]:
            self.set_entries(self.entries, "forty")

    def test_all_dat_of_50_mb(self):
        # 600,000 old lines, all current entries but two among them.
        missing = [self.programs[5], self.programs[30]]
        keep = [e for e in self.programs if e not in missing]
        data = big_all_dat(600_000, keep)
        self.assertGreater(len(data), 50_000_000)
        self.write_data("All.dat", data)
        del data
        self.write_data("Recent.dat", list_bytes([self.names[0]]))
        self.run_to_menu_and_escape("all-50mb")
        self.assert_bytes("All.dat", list_bytes(self.programs))
        self.assert_bytes("Recent.dat", list_bytes([self.names[30], self.names[5],
                                                    self.names[0]]))
        self.assert_data_dir_clean()

    def test_all_dat_of_50_mb_in_one_line(self):
        # No line end at all: one line that matches nothing, so all are new.
        self.write_data("All.dat", b"x" * 50_000_000)
        self.write_data("Recent.dat", None)
        self.run_to_menu_and_escape("all-one-line")
        self.assert_bytes("All.dat", list_bytes(self.programs))
        self.assert_bytes("Recent.dat", list_bytes(reversed(self.names[-6:])))
        self.assert_data_dir_clean()

    def test_recent_dat_of_a_million_lines(self):
        # Names of no program, with eight current names among the last tenth
        # (two of them twice): the first six of those are kept, in file order.
        matching = [self.names[i] for i in (3, 17, 3, 39, 0, 22, 17, 8)]
        data = big_recent_dat(1_000_000, matching)
        self.assertEqual(data.count(b"\r\n"), 1_000_000)
        self.write_data("All.dat", list_bytes(self.programs))
        self.write_data("Recent.dat", data)
        del data
        self.run_to_menu_and_escape("recent-1m", open_submenu=TO_RECENT_PROGRAMS)
        self.assert_bytes("All.dat", list_bytes(self.programs))
        self.assert_bytes("Recent.dat", list_bytes(matching[:6]))
        self.assert_data_dir_clean()


if __name__ == "__main__":
    unittest.main()
