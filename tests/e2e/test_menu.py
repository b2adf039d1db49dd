"""The program starts hidden, pops its command menu up at the pointer and runs
its fixed commands (empty uninstall registry)."""

from __future__ import annotations

import unittest

import harness as h
from e2e_case import PrefixGroup, setUpModule, tearDownModule  # noqa: F401

# Key paths through the menu, from nothing highlighted. The top level is
# "All Programs", "Recent Programs", separator, "Velmoro Uninstaller Pro",
# "Exit"; the separators are skipped by the arrow keys. Right opens the
# submenu with its first item highlighted: "Check for Updates", "Visit Web
# Site", "Send Email", separator, "About...".
TO_ALL_PROGRAMS = ["Down"]
TO_RECENT_PROGRAMS = ["Down", "Down"]
TO_PRO = ["Down", "Down", "Down"]
TO_EXIT = ["Down", "Down", "Down", "Down"]
TO_CHECK_FOR_UPDATES = TO_PRO + ["Right"]
TO_VISIT_WEB_SITE = TO_CHECK_FOR_UPDATES + ["Down"]
TO_SEND_EMAIL = TO_VISIT_WEB_SITE + ["Down"]
TO_ABOUT = TO_SEND_EMAIL + ["Down"]

WEB_URL = "http://www.quinsett.example/velmoro-uninstaller/?vid=1.0"
MAIL_LINK = "mailto:support@quinsett.example?subject=velmoro-uninstaller_1.0"
RECORDER_WIN = h.TOOLS_DIR_WIN + r"\recorder.exe"
UPDATER_WIN = h.APP_DIR_WIN + r"\Updater.exe"



class GroupCase(PrefixGroup):
    """Tests of a class share one private prefix."""

    group = "menu"

    def start(self, pointer=(400, 300)) -> h.App:
        self.x.move_pointer(*pointer)
        app = self.prefix.start_app(name=self.id().rsplit(".", 1)[-1])
        self.apps.append(app)
        return app

    def start_with_menu(self, pointer=(400, 300)) -> tuple[h.App, h.XWindow]:
        app = self.start(pointer)
        menu = h.wait_menu(self.x, app)[0]
        return app, menu

    def choose(self, keys: list[str], app: h.App | None = None) -> h.App:
        """Starts the program, walks the menu with keys and presses Enter."""
        if app is None:
            app, _ = self.start_with_menu()
        self.x.keys(*keys, "Return")
        return app

    def assert_ends_with_zero(self, app: h.App, timeout: float = 20) -> None:
        self.assertEqual(app.wait(timeout), 0, app.stderr_text()[-2000:])


class MenuTests(GroupCase):
    def test_menu_top_left_corner_is_at_the_pointer(self):
        for pointer in ((400, 300), (137, 611)):
            with self.subTest(pointer=pointer):
                app, menu = self.start_with_menu(pointer)
                self.assertEqual((menu.x, menu.y), pointer)
                self.assertEqual(self.x.pointer(), pointer)
                self.x.keys("Escape")
                self.assert_ends_with_zero(app)

    def test_only_the_menu_is_shown_while_it_is_open(self):
        app, menu = self.start_with_menu()
        captions = {w.get("caption") for w in self.prefix.windows()}
        self.assertNotIn("Velmoro Uninstall", captions)
        self.assertNotIn("Velmoro Uninstaller", captions)
        self.assertEqual(len(h.menu_windows(self.x)), 1)
        self.x.keys("Escape")
        self.assert_ends_with_zero(app)

    def test_escape_ends_the_program_with_status_zero(self):
        app, _ = self.start_with_menu()
        self.x.keys("Escape")
        self.assert_ends_with_zero(app, timeout=10)
        self.assertEqual(self.prefix.wait_for_children(app), [])

    def test_exit_ends_the_program_and_starts_nothing(self):
        app = self.choose(TO_EXIT)
        self.assert_ends_with_zero(app)
        self.assertEqual(self.prefix.wait_for_children(app), [])

    def test_up_from_the_top_wraps_to_exit(self):
        app = self.choose(["Up"])
        self.assert_ends_with_zero(app)
        self.assertEqual(self.prefix.wait_for_children(app), [])

    def test_right_opens_the_pro_submenu_and_left_closes_it(self):
        app, _ = self.start_with_menu()
        self.x.keys(*TO_PRO, "Right")
        submenus = h.wait_menu(self.x, app, count=2)
        self.assertEqual(len(submenus), 2)
        self.x.keys("Left")
        h.wait_until(lambda: len(h.menu_windows(self.x)) == 1, 10, what="the submenu to close")
        self.x.keys("Escape")
        self.assert_ends_with_zero(app)
        self.assertEqual(self.prefix.wait_for_children(app), [])

    def test_empty_program_entries_are_plain_items_that_end_the_program(self):
        for keys in (TO_ALL_PROGRAMS, TO_RECENT_PROGRAMS):
            with self.subTest(keys=keys):
                app, _ = self.start_with_menu()
                # Right on a plain item opens nothing.
                self.x.keys(*keys, "Right")
                self.assertEqual(len(h.menu_windows(self.x)), 1)
                self.x.keys("Return")
                self.assert_ends_with_zero(app)
                self.assertEqual(self.prefix.wait_for_children(app), [])

    def test_click_outside_the_menu_ends_the_program(self):
        app, menu = self.start_with_menu((400, 300))
        self.x.click(menu.x + menu.width + 200, menu.y + menu.height + 200)
        self.assert_ends_with_zero(app)
        self.assertEqual(self.prefix.wait_for_children(app), [])


class FixedCommandTests(GroupCase):
    def assert_started_once(self, app: h.App, module: str, arguments: str) -> None:
        self.assert_ends_with_zero(app)
        launches = self.prefix.wait_for_children(app)
        self.assertEqual(len(launches), 1, launches)
        self.assertEqual(launches[0].module.lower(), module.lower())
        self.assertEqual(launches[0].arguments, arguments, launches[0].command_line)

    def test_check_for_updates_starts_the_updater_beside_the_program(self):
        app = self.choose(TO_CHECK_FOR_UPDATES)
        self.assert_started_once(app, UPDATER_WIN, "")

    def test_visit_web_site_opens_the_web_page(self):
        app = self.choose(TO_VISIT_WEB_SITE)
        self.assert_started_once(app, RECORDER_WIN, f'"{WEB_URL}"')

    def test_send_email_opens_the_mail_link(self):
        app = self.choose(TO_SEND_EMAIL)
        self.assert_started_once(app, RECORDER_WIN, f'"{MAIL_LINK}"')

    def test_about_shows_the_about_box_and_ends_after_ok(self):
        app = self.choose(TO_ABOUT)
        box = self.prefix.wait_window("About Velmoro Uninstaller")
        text = h.message_text(box)
        self.assertIsNotNone(text, box)
        self.assertTrue(text.startswith("Velmoro Uninstaller v1.0\r\n\r\n"), repr(text))
        self.assertEqual(text.count("\r\n\r\n"), 2, repr(text))
        self.assertFalse(text.endswith("\n"), repr(text))
        self.assertIn("Quinsett", text.rsplit("\r\n\r\n", 1)[-1])
        self.assertEqual(h.button_texts(box), ["OK"])
        # The box stays until it is closed: the program is still running.
        self.assertIsNone(app.poll())
        self.assertEqual(self.prefix.inspector("press", "About Velmoro Uninstaller", "OK"), 0)
        self.assert_ends_with_zero(app)
        self.assertEqual(h.menu_windows(self.x), [])
        self.assertEqual(self.prefix.wait_for_children(app), [])


class UpdaterMissingTests(GroupCase):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        updater = cls.prefix.unix_path(UPDATER_WIN)
        updater.unlink()

    def test_check_for_updates_without_updater_shows_nothing_and_ends(self):
        app = self.choose(TO_CHECK_FOR_UPDATES)
        self.assert_ends_with_zero(app)
        self.assertEqual(self.prefix.wait_for_children(app), [])
        shown = [w.get("caption") for w in self.prefix.windows()]
        self.assertNotIn("Velmoro Uninstaller", shown)


class StartStateTests(GroupCase):
    def test_minimised_start_shows_no_menu_until_restored(self):
        self.x.move_pointer(500, 420)
        app = self.prefix.start_app_with_show_state(7, name="minimised")
        self.apps.append(app)
        window = self.prefix.wait_window("Velmoro Uninstaller")
        self.assertTrue(window.get("iconic"), window)
        self.assertEqual(h.menu_windows(self.x), [])
        self.assertIsNone(app.poll())
        self.assertEqual(self.prefix.inspector("restore", "Velmoro Uninstaller"), 0)
        menu = h.wait_menu(self.x, app)[0]
        self.assertEqual((menu.x, menu.y), (500, 420))
        self.x.keys(*TO_EXIT, "Return")
        # launcher.exe ends with the program's exit status.
        self.assert_ends_with_zero(app)

    def test_maximised_start_shows_the_menu(self):
        self.x.move_pointer(321, 123)
        app = self.prefix.start_app_with_show_state(3, name="maximised")
        self.apps.append(app)
        menu = h.wait_menu(self.x, app)[0]
        self.assertEqual((menu.x, menu.y), (321, 123))
        self.x.keys("Escape")
        self.assert_ends_with_zero(app)

    def test_normal_start_state_shows_the_menu(self):
        self.x.move_pointer(222, 333)
        app = self.prefix.start_app_with_show_state(1, name="normal")
        self.apps.append(app)
        menu = h.wait_menu(self.x, app)[0]
        self.assertEqual((menu.x, menu.y), (222, 333))
        self.x.keys(*TO_EXIT, "Return")
        self.assert_ends_with_zero(app)


if __name__ == "__main__":
    unittest.main()
