"""The base of every end-to-end test group: one Xvfb per test module (a test
module imports ``setUpModule`` and ``tearDownModule`` from here), one private
copy of the base prefix per test class, and the steps tests are made of; they
are class methods so that ``prepare`` can use them too."""

from __future__ import annotations

import contextlib
import time
import unittest
from dataclasses import dataclass, field
from pathlib import Path

import constants as c
import harness as h

x_server: h.XServer | None = None


def setUpModule():
    global x_server
    x_server = h.XServer().start()


def tearDownModule():
    if x_server:
        x_server.stop()


POINTER = (60, 40)  # room below and to the right for a long submenu
TIMEOUT = 120  # generous: the machine may be busy with other tests


@dataclass(frozen=True)
class Box:
    """A message box as the inspector reads it."""
    caption: str
    text: str | None  # its Static control with id 65535; None: there is none
    buttons: tuple[str, ...]
    hwnd: int = field(default=0, compare=False)

    @classmethod
    def of(cls, window: dict) -> "Box":
        children = [(child["class"].lower(), child) for child in window["children"]]
        text = next((ch["text"] for kind, ch in children if kind == "static" and ch["id"] == 65535),
                    None)
        buttons = tuple(ch["text"] for kind, ch in children if kind == "button")
        return cls(window["caption"], text, buttons, window["hwnd"])


class E2ECase(unittest.TestCase):
    """Tests of a class share one private prefix; programs a test or
    ``prepare`` started are killed after it."""

    prefix: h.Prefix
    x: h.XServer
    apps: list[h.App]

    @classmethod
    def setUpClass(cls):
        cls.x, cls.apps = x_server, []
        cls.prefix = h.Prefix(f"{cls.__module__}-{cls.__name__}", x_server.display).create()
        try:
            cls.prepare()
        except BaseException:
            # tearDownClass does not run after a failed setUpClass.
            cls.tearDownClass()
            raise
        finally:
            cls.kill_apps()

    @classmethod
    def prepare(cls):
        """Fixtures and runs that the tests of the class start from."""

    @classmethod
    def tearDownClass(cls):
        cls.kill_apps()
        cls.prefix.destroy()

    def tearDown(self):
        self.kill_apps()

    @classmethod
    def kill_apps(cls):
        while cls.apps:
            cls.apps.pop().kill()

    @contextlib.contextmanager
    def case(self, *message, **params):
        """A subtest whose programs are killed when it ends: one that failed
        leaves no menu behind for the next."""
        with self.subTest(*message, **params):
            try:
                yield
            finally:
                self.kill_apps()

    # Runs

    @classmethod
    def start(cls, name: str | None = None, pointer=POINTER, show_state: int | None = None,
              cwd: Path | None = None) -> h.App:
        """Starts the program with the pointer where the menu's top-left corner
        is to go; with a show state, through the launcher; in the Unix folder
        cwd, when given."""
        cls.x.move_pointer(*pointer)
        cls.apps.append(app := cls.prefix.start_app(name, show_state, cwd))
        return app

    @classmethod
    def wait_menu(cls, app: h.App, count: int = 1) -> list[h.XWindow]:
        return h.wait_menu(cls.x, app, TIMEOUT, count)

    @classmethod
    def start_to_menu(cls, name: str | None = None, **start) -> tuple[h.App, h.XWindow]:
        return (app := cls.start(name, **start)), cls.wait_menu(app)[0]

    @classmethod
    def choose(cls, keys: list[str], name: str | None = None, app: h.App | None = None) -> h.App:
        """Walks the menu by keys from nothing highlighted and presses Return;
        without app, starts the program and waits for its menu first."""
        app = app or cls.start_to_menu(name)[0]
        cls.x.keys(*keys, "Return")
        return app

    @classmethod
    def assert_ends_with_zero(cls, app: h.App, timeout: float = 60) -> None:
        if (code := app.wait(timeout)) != 0:
            raise cls.failureException(f"{app.name} ended with {code}: {app.stderr_text()[-2000:]}")

    @classmethod
    def run_and_escape(cls, name: str | None = None, submenu: list[str] | None = None) -> h.App:
        """One run that shows its menu alone, optionally opens the submenu at
        the key path submenu and closes it, then ends by Escape with status 0."""
        app = cls.start(name)
        if len(menus := cls.wait_menu(app)) != 1:
            raise cls.failureException(f"{app.name} showed {menus}, not one menu")
        if submenu:
            cls.x.keys(*submenu, "Right")
            cls.wait_menu(app, count=2)
            cls.x.keys("Escape")
            h.wait_until(lambda: len(h.menu_windows(cls.x)) <= 1, 30, 0.05, "the submenu to close")
        cls.x.keys("Escape")
        cls.assert_ends_with_zero(app)
        return app

    # Message boxes

    @classmethod
    def boxes(cls) -> list[Box]:
        """The message boxes up now, topmost first."""
        return [Box.of(w) for w in cls.prefix.windows() if w["class"] == "#32770"]

    @classmethod
    def wait_box(cls, app: h.App) -> Box:
        """The topmost message box, once one is up while app runs."""

        def up():
            if app.poll() is not None:
                raise cls.failureException(f"{app.name} ended with {app.poll()} showing no box")
            return cls.boxes()

        return h.wait_until(up, TIMEOUT, 0.2, "a message box")[0]

    @classmethod
    def press(cls, box: Box, button: str = "OK") -> None:
        if cls.prefix.inspector("press", box.caption, button) != 0:
            raise cls.failureException(f"no button {button!r} on {box}")
        h.wait_until(lambda: all(b.hwnd != box.hwnd for b in cls.boxes()), 30, 0.1,
                     f"{box} to close")

    @classmethod
    def boxes_until_menu(cls, app: h.App) -> list[Box]:
        """Reads and closes with OK, in order, every message box the program
        shows before its menu, checking that no menu is up while a box is.
        Gives the boxes; the menu is up when it returns."""
        seen: list[Box] = []
        deadline = time.monotonic() + TIMEOUT
        while time.monotonic() < deadline:
            if app.poll() is not None:
                raise cls.failureException(f"{app.name} ended with {app.poll()} after {seen}")
            menus = h.menu_windows(cls.x)
            if boxes := cls.boxes():
                if menus or h.menu_windows(cls.x):
                    raise cls.failureException(f"a menu is up while {boxes[0]} is, after {seen}")
                seen.append(boxes[0])
                cls.press(boxes[0])
            elif menus:
                return seen
        raise cls.failureException(f"no menu after {seen}")

    # Data files

    @classmethod
    def data_path(cls, name: str = "") -> Path:
        return cls.prefix.unix_path(c.DATA_DIR_WIN) / name

    @classmethod
    def user_data_path(cls, name: str = "") -> Path:
        """In the user's own data folder, which the first run makes."""
        folders = list(cls.prefix.path.glob(c.USER_DATA_GLOB))
        if len(folders) != 1:
            raise cls.failureException(f"the user's data folder: {folders}")
        return folders[0] / name

    @classmethod
    def read_data(cls, name: str) -> bytes:
        return cls.data_path(name).read_bytes()

    @classmethod
    def write_data(cls, name: str, data: bytes | None) -> None:
        """None removes the file."""
        if data is None:
            cls.data_path(name).unlink(missing_ok=True)
        else:
            cls.data_path().mkdir(parents=True, exist_ok=True)
            cls.data_path(name).write_bytes(data)

    def assert_data(self, all_dat=None, recent_dat=None, where: str = "") -> None:
        """The data folder holds "All.dat" and "Recent.dat" and nothing else (no
        temporary file left behind); where given, these lines (a list) or bytes."""
        self.assertEqual(sorted(p.name for p in self.data_path().iterdir()),
                         [c.ALL_DAT, c.RECENT_DAT], where)
        for name, expected in ((c.ALL_DAT, all_dat), (c.RECENT_DAT, recent_dat)):
            if expected is None:
                continue
            expected = expected if isinstance(expected, bytes) else h.crlf_lines(expected)
            if (actual := self.read_data(name)) != expected:  # may be large: show where they part
                at = next((i for i, (a, b) in enumerate(zip(actual, expected)) if a != b),
                          min(len(actual), len(expected)))
                near = slice(max(0, at - 40), at + 40)
                self.fail(f"{where} {name}: {len(actual)} bytes, expected {len(expected)}; from "
                          f"byte {at}: {actual[near]!r}, not {expected[near]!r}")

    # Registry and started programs

    @classmethod
    def import_uninstall(cls, name: str, subkeys: dict[str, dict[str, str]] | None = None,
                         remove=()) -> None:
        """Deletes the uninstall subkeys named in remove, then adds subkeys
        ({subkey: {value name: .reg data text}}); a subkey is named under the
        64-bit view's uninstall key, or by its whole key path (h.view32)."""
        cls.prefix.reg_import_text(h.uninstall_reg(subkeys or {}, remove), name)

    @classmethod
    def install_program(cls, subkey: str, name: str, program: str, arguments: str) -> str:
        """A removable program whose uninstaller is a recorder copy at program;
        gives its entry."""
        cls.prefix.install_recorder(program)
        command = f"{program} {arguments}"
        cls.import_uninstall(subkey, {subkey: h.entry_values(name, command)})
        return name + c.SEPARATOR + command

    def assert_started(self, app: h.App, *expected: tuple[str, str]) -> None:
        """app ends with status 0 having started exactly these (module,
        arguments), in order; nothing when none are given."""
        self.assert_ends_with_zero(app)
        self.assert_launches(self.prefix.wait_for_children(app, len(expected)), expected)

    def assert_launches(self, launches: list[h.Launch], expected) -> None:
        self.assertEqual([(launch.module.lower(), launch.arguments) for launch in launches],
                         [(module.lower(), arguments) for module, arguments in expected],
                         [launch.command_line for launch in launches])

    def assert_opened_by_desktop(self, keys: list[str], *expected: tuple[str, str]) -> None:
        """Chosen by keys, the program starts nothing itself and ends with
        status 0; the desktop shell's process opens exactly these (module,
        arguments) instead: Wine runs every program elevated."""
        log = self.prefix.session.recorder_log
        log.unlink(missing_ok=True)
        self.assert_started(self.choose(keys))
        self.assert_launches(self.prefix.wait_for_launches(log, len(expected)), expected)
