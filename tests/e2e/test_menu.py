"""The program starts hidden, pops its command menu up at the pointer and runs
its fixed commands (empty uninstall registry)."""

from __future__ import annotations

import unittest

import constants as c
import harness as h
from e2e_case import E2ECase, setUpModule, tearDownModule  # noqa: F401

# Show states given through the launcher (None: a plain start) and pointers:
# in each the menu pops up with its top-left corner at the pointer.
STARTS = [(None, (400, 300)), (None, (137, 611)), (1, (222, 333)), (3, (321, 123))]

# Ways to close the menu that end the program and start nothing: key paths
# whose last key is pressed once the others have left the menu alone, or None
# for a click outside it. While the registry is empty the program entries are
# plain items, which Right does not open.
ENDINGS = {
    "escape": ["Escape"],
    "exit": c.TO_EXIT + ["Return"],
    "up from the top wraps to exit": ["Up", "Return"],
    "empty all programs": c.TO_ALL_PROGRAMS + ["Right", "Return"],
    "empty recent programs": c.TO_RECENT_PROGRAMS + ["Right", "Return"],
    "click outside": None,
}

# Fixed commands that start a program: key path, module, its arguments, and
# whether the desktop shell's process opens it (a link, under Wine, where every
# program runs elevated) rather than the program itself.
COMMANDS = {
    "check for updates": (c.TO_CHECK_FOR_UPDATES, c.UPDATER_WIN, "", False),
    "visit web site": (c.TO_VISIT_WEB_SITE, c.RECORDER_WIN, f'"{c.WEB_URL}"', True),
    "send email": (c.TO_SEND_EMAIL, c.RECORDER_WIN, f'"{c.MAIL_LINK}"', True),
}


class MenuTests(E2ECase):
    def test_menu_top_left_corner_is_at_the_pointer_in_every_start_state(self):
        for show_state, pointer in STARTS:
            with self.case(show_state=show_state, pointer=pointer):
                with h.MapWatch(self.x, self.prefix.logs / f"xev-{show_state}.log") as watch:
                    app, menu = self.start_to_menu(pointer=pointer, show_state=show_state)
                self.assertEqual((menu.x, menu.y), pointer)
                self.assertEqual(self.x.pointer(), pointer)
                # Nothing but the menu was ever on the screen, not even for a moment
                # (a maximised start once showed the host form full screen).
                menus = {w.id for w in h.menu_windows(self.x)}
                self.assertEqual({w: g for w, g in watch.on_screen().items() if w not in menus},
                                 {})
                # launcher.exe ends with the program's exit status.
                self.choose(c.TO_EXIT, app=app)
                self.assert_ends_with_zero(app)

    def test_minimised_start_shows_no_menu_until_restored(self):
        app = self.start(pointer=(500, 420), show_state=7)
        window = h.wait_until(
            lambda: next((w for w in self.prefix.windows() if w.get("caption") == c.CAPTION), None),
            120, 0.2, "the minimised program")
        self.assertTrue(window.get("iconic"), window)
        self.assertEqual(h.menu_windows(self.x), [])
        self.assertIsNone(app.poll())
        self.assertEqual(self.prefix.inspector("restore", c.CAPTION), 0)
        menu = self.wait_menu(app)[0]
        self.assertEqual((menu.x, menu.y), (500, 420))
        self.x.keys("Escape")
        self.assert_ends_with_zero(app)

    def test_only_the_menu_is_shown_while_it_is_open(self):
        app, _ = self.start_to_menu()
        captions = {w.get("caption") for w in self.prefix.windows()}
        self.assertNotIn(c.FORM_CAPTION, captions)
        self.assertNotIn(c.CAPTION, captions)
        self.assertEqual(len(h.menu_windows(self.x)), 1)
        self.x.keys("Escape")
        self.assert_ends_with_zero(app)

    def test_right_opens_the_pro_submenu_and_left_closes_it(self):
        app, _ = self.start_to_menu()
        self.x.keys(*c.TO_PRO, "Right")
        self.assertEqual(len(self.wait_menu(app, count=2)), 2)
        self.x.keys("Left")
        h.wait_until(lambda: len(h.menu_windows(self.x)) == 1, 30, what="the submenu to close")
        self.x.keys("Escape")
        self.assert_started(app)

    def test_closing_the_menu_without_a_command_ends_the_program_and_starts_nothing(self):
        for ending, keys in ENDINGS.items():
            with self.case(ending):
                app, menu = self.start_to_menu(pointer=(400, 300))
                if keys is None:
                    self.x.click(menu.x + menu.width + 200, menu.y + menu.height + 200)
                else:
                    if keys[:-1]:
                        self.x.keys(*keys[:-1])
                    self.assertEqual(len(h.menu_windows(self.x)), 1)
                    self.x.keys(keys[-1])
                self.assert_started(app)


class FixedCommandTests(E2ECase):
    def test_commands_start_their_program_once(self):
        for command, (keys, module, arguments, by_desktop) in COMMANDS.items():
            with self.case(command):
                if by_desktop:
                    self.assert_opened_by_desktop(keys, (module, arguments))
                else:
                    self.assert_started(self.choose(keys), (module, arguments))

    def test_check_for_updates_without_updater_shows_only_the_shells_box_and_ends(self):
        updater = self.prefix.unix_path(c.UPDATER_WIN)
        updater.unlink()
        try:
            app = self.choose(c.TO_CHECK_FOR_UPDATES)
            # The shell reports the missing file in a box of its own, owned by the program's
            # window, which waits for it; nothing of the program's own is shown.
            box = self.wait_box(app)
            self.assertEqual((box.caption, box.buttons), ("Error", ("OK",)))
            self.assertIn("not found", box.text)
            self.press(box)
            self.assert_started(app)
            self.assertEqual(self.boxes(), [])
        finally:
            self.prefix.install_recorder(c.UPDATER_WIN)

    def test_about_shows_the_about_box_and_ends_after_ok(self):
        app = self.choose(c.TO_ABOUT)
        box = self.wait_box(app)
        self.assertEqual((box.caption, box.buttons), (c.ABOUT_CAPTION, ("OK",)))
        text = box.text
        self.assertIsNotNone(text, box)
        self.assertTrue(text.startswith("Velmoro Uninstaller v1.0\r\n\r\n"), repr(text))
        self.assertEqual(text.count("\r\n\r\n"), 2, repr(text))
        self.assertFalse(text.endswith("\n"), repr(text))
        self.assertIn("Quinsett", text.rsplit("\r\n\r\n", 1)[-1])
        # The box stays until it is closed: the program is still running.
        self.assertIsNone(app.poll())
        self.press(box)
        self.assert_started(app)
        self.assertEqual(h.menu_windows(self.x), [])


if __name__ == "__main__":
    unittest.main()
