"""Programs named in any script, on a Western machine (code page 1252): each is
listed under its real name and started exactly, though the data files can hold
only its 8-bit form, and two names of one 8-bit form each keep a recent item of
their own, run after run; the current user's own programs are listed too, and remembered in
the user's folder, never in the machine's; an expandable command is started
expanded."""

from __future__ import annotations

import unittest

import constants as c
import harness as h
from e2e_case import E2ECase, setUpModule, tearDownModule  # noqa: F401

# (key, display name, command, started program, its arguments); the names begin with the
# letter of their place in the menu.
PROGRAMS = [
    ("微软拼音输入法", "A 微软拼音", r"C:\Apps\微软\卸载.exe /S", r"C:\Apps\微软\卸载.exe", "/S"),
    ("Cyrillic", "B Программа für Café", r'"C:\Программы\Удалить.exe" /q',
     r"C:\Программы\Удалить.exe", " /q"),
    ("Emoji", "C Tool 😀", r"C:\Apps\😀 Tool\un.exe", r"C:\Apps\😀 Tool\un.exe", ""),
    (c.USER_UNINSTALL_KEY + r"\Mine", "D My Own Tool", r"C:\Users\Public\Mine\un.exe /u",
     r"C:\Users\Public\Mine\un.exe", "/u"),
    ("Expand", "E Expand Tool", r"%SystemDrive%\Apps\Expand\un.exe /e",
     r"C:\Apps\Expand\un.exe", "/e"),
]
# What the files hold of the machine's programs: the system's 8-bit form of each.
ALL_DAT = (b"A ????<#>C:\\Apps\\??\\??.exe /S\r\n"
           b"B ????????? f\xfcr Caf\xe9<#>\"C:\\?????????\\???????.exe\" /q\r\n"
           b"C Tool ??<#>C:\\Apps\\?? Tool\\un.exe\r\n"
           b"E Expand Tool<#>%SystemDrive%\\Apps\\Expand\\un.exe /e\r\n")
RECENT_DAT = b"E Expand Tool\r\nC Tool ??\r\nB ????????? f\xfcr Caf\xe9\r\nA ????\r\n"


def expand_sz(text: str) -> str:
    """A REG_EXPAND_SZ value's .reg data text (version 5: UTF-16)."""
    return "hex(2):" + ",".join(f"{b:02x}" for b in (text + "\0").encode("utf-16-le"))


class UnicodeTests(E2ECase):
    @classmethod
    def prepare(cls):
        subkeys = {}
        for key, name, command, program, _arguments in PROGRAMS:
            cls.prefix.install_recorder(program)
            values = h.entry_values(name, command)
            if "%" in command:
                values["UninstallString"] = expand_sz(command)
            subkeys[key] = values
        cls.import_uninstall("programs", subkeys)
        # One empty line: every program is new.
        cls.write_data(c.ALL_DAT, b"\r\n")
        cls.write_data(c.RECENT_DAT, b"")

    def test_programs_are_listed_and_started_by_their_real_names(self):
        for place, (_key, name, _command, program, arguments) in enumerate(PROGRAMS):
            with self.case(name):
                app = self.choose(c.TO_FIRST_PROGRAM + ["Down"] * place)
                self.assert_started(app, (program, arguments))
                self.assert_data(ALL_DAT, RECENT_DAT)

    def test_a_recent_item_shows_and_starts_its_program(self):
        # The newest is the machine's program that sorts last.
        app = self.choose(c.TO_FIRST_RECENT + ["Down"] * 2)
        self.assert_started(app, PROGRAMS[1][3:])
        self.assert_data(ALL_DAT, RECENT_DAT)


# Two names that the data files can hold only as one text, "?? Tool".
TWINS = [("Zhong", "中文 Tool", r"C:\Apps\Zhong\un.exe", "/z"),
         ("Wei", "微软 Tool", r"C:\Apps\Wei\un.exe", "/w")]


class OneFormTests(E2ECase):
    @classmethod
    def prepare(cls):
        for key, name, program, arguments in TWINS:
            cls.prefix.install_recorder(program)
        cls.import_uninstall("twins", {key: h.entry_values(name, f"{program} {arguments}")
                                       for key, name, program, arguments in TWINS})
        cls.write_data(c.ALL_DAT, b"\r\n")  # both are new at the first run
        cls.write_data(c.RECENT_DAT, b"")

    def test_each_recent_item_starts_its_own_program_in_every_run(self):
        # The first run finds both; the later ones have the files to tell them apart.
        rounds = []
        for round_ in (1, 2, 3):
            started = []
            for place in (0, 1):
                with self.case(round=round_, place=place):
                    app = self.choose(c.TO_FIRST_RECENT + ["Down"] * place,
                                      f"round{round_}-recent{place}")
                    self.assert_ends_with_zero(app)
                    launches = self.prefix.wait_for_children(app, 1)
                    started += [(launch.module, launch.arguments) for launch in launches]
            rounds.append(started)
        self.assertCountEqual(rounds[0], [(program, arguments)
                                          for _key, _name, program, arguments in TWINS])
        self.assertEqual(rounds[1:], [rounds[0]] * 2)
        self.assertEqual(self.read_data(c.RECENT_DAT), b"?? Tool\r\n?? Tool\r\n")
        # The user's list holds their real names, in UTF-8.
        lines = {program: f"M {name}{c.SEPARATOR}{program} {arguments}"
                 for _key, name, program, arguments in TWINS}
        self.assertEqual(self.user_data_path(c.RECENT_DAT).read_bytes(), h.crlf_lines(
            [c.USER_RECENT_HEADER] + [lines[program] for program, _arguments in rounds[0]],
            "utf-8"))


if __name__ == "__main__":
    unittest.main()
