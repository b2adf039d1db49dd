"""End-to-end harness: VelmoroUninstaller.exe under Wine on a private Xvfb.

Pieces, each usable on its own:

* ``XServer``: an Xvfb on a free display (``-displayfd``), started with
  ``-noreset`` so the pointer stays where a test put it.
* ``base_prefix()``: a Wine prefix made once from scratch (cached under
  build/e2e/base-prefix, rebuilt by ``make_base_prefix``), with the add-on
  installers and the crash dialog switched off and the recorder registered as
  the handler of http and mailto.
* ``Prefix``: a private copy of the base prefix (``cp -a``) for one test
  group, with the program, the helper tools and the recorder copies placed in
  it, registry fixtures imported from .reg files, and helpers to run the
  program, wait for its popup menu, press keys, read the recorder log and
  read message boxes through the inspector.

Everything Wine prints goes to files, never to pipes: a pipe stays open as
long as wineserver lives, and a reader would wait for it.
"""

from __future__ import annotations

import json
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time
from dataclasses import dataclass
from pathlib import Path

HERE = Path(__file__).resolve().parent
SOURCE_DIR = HERE.parents[1]
FIXTURES = HERE / "fixtures"

WIN64_DIR = Path(os.environ.get("VELMORO_WIN64_DIR", SOURCE_DIR / "build" / "win64"))
E2E_DIR = Path(os.environ.get("VELMORO_E2E_DIR", SOURCE_DIR / "build" / "e2e"))
BASE_PREFIX = E2E_DIR / "base-prefix"
PREFIXES_DIR = E2E_DIR / "prefixes"

EXE_NAME = "VelmoroUninstaller.exe"
TOOL_NAMES = ("recorder.exe", "inspector.exe", "launcher.exe")

# Where the program lives inside every test prefix (a folder with a blank in
# its name, as on a real machine).
APP_DIR_WIN = r"C:\Program Files\Velmoro Uninstaller"
APP_EXE_WIN = APP_DIR_WIN + "\\" + EXE_NAME
# Where the helper tools live; fixtures/handlers.reg names this folder.
TOOLS_DIR_WIN = r"C:\velmoro-e2e"
LOGS_DIR_WIN = TOOLS_DIR_WIN + r"\logs"

SCREEN = (1280, 1024)
UNINSTALL_KEY = r"HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall"

WINE_ENV = {
    "WINEDEBUG": "-all",
    "WINEDLLOVERRIDES": "mscoree,mshtml=",
    "WINEARCH": "win64",
    "LC_ALL": "C.UTF-8",
}


class HarnessError(RuntimeError):
    pass


def log(message: str) -> None:
    print(f"[e2e] {message}", file=sys.stderr, flush=True)


def wait_until(predicate, timeout: float, interval: float = 0.05, what: str = "condition"):
    """Polls predicate until it returns a truthy value; raises after timeout."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise HarnessError(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


# --------------------------------------------------------------------------
# Build outputs


def find_output(name: str) -> Path:
    """A file built by the win64 preset: the program or one of the tools."""
    env_dir = os.environ.get("VELMORO_TOOLS_DIR")
    candidates = []
    if env_dir:
        candidates.append(Path(env_dir) / name)
    candidates.append(WIN64_DIR / name)
    candidates.append(WIN64_DIR / "tests" / "e2e" / "tools" / name)
    for candidate in candidates:
        if candidate.is_file():
            return candidate
    if WIN64_DIR.is_dir():
        for found in sorted(WIN64_DIR.rglob(name)):
            if found.is_file() and "CMakeFiles" not in found.parts:
                return found
    raise HarnessError(f"{name} not found under {WIN64_DIR}: build the win64 preset first")


def app_exe() -> Path:
    return find_output(EXE_NAME)


# --------------------------------------------------------------------------
# X server


class XServer:
    """A private Xvfb on a display it picks itself."""

    def __init__(self, width: int = SCREEN[0], height: int = SCREEN[1]):
        self.width, self.height = width, height
        self.proc: subprocess.Popen | None = None
        self.display = ""
        self._log = None

    def start(self) -> "XServer":
        E2E_DIR.mkdir(parents=True, exist_ok=True)
        read_fd, write_fd = os.pipe()
        self._log = tempfile.NamedTemporaryFile(
            prefix="xvfb-", suffix=".log", dir=E2E_DIR, delete=False)
        self.proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-noreset", "-nolisten", "tcp",
             "-screen", "0", f"{self.width}x{self.height}x24"],
            pass_fds=(write_fd,), stdin=subprocess.DEVNULL,
            stdout=self._log, stderr=subprocess.STDOUT)
        os.close(write_fd)
        data = b""
        deadline = time.monotonic() + 20
        while not data.endswith(b"\n") and time.monotonic() < deadline:
            chunk = os.read(read_fd, 32)
            if not chunk:
                break
            data += chunk
        os.close(read_fd)
        if not data.strip().isdigit():
            self.stop()
            raise HarnessError("Xvfb did not report a display")
        self.display = ":" + data.decode().strip()
        # The server answers once it has written the number; check anyway.
        wait_until(lambda: self.run(["xdpyinfo"], check=False).returncode == 0,
                   10, 0.05, "Xvfb to answer")
        return self

    def stop(self) -> None:
        if self.proc and self.proc.poll() is None:
            self.proc.terminate()
            try:
                self.proc.wait(10)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.proc = None
        if self._log:
            self._log.close()
            try:
                os.unlink(self._log.name)
            except OSError:
                pass
            self._log = None

    def env(self) -> dict:
        env = dict(os.environ)
        env["DISPLAY"] = self.display
        return env

    def run(self, args, check=True) -> subprocess.CompletedProcess:
        result = subprocess.run(args, env=self.env(), stdin=subprocess.DEVNULL,
                                capture_output=True, text=True, timeout=30)
        if check and result.returncode != 0:
            raise HarnessError(f"{args[0]} failed ({result.returncode}): {result.stderr.strip()}")
        return result

    # Pointer and keyboard, through XTEST.

    def move_pointer(self, x: int, y: int) -> None:
        # Not "mousemove --sync": it waits for a motion that never comes when
        # the pointer is already there.
        self.run(["xdotool", "mousemove", str(x), str(y)])
        wait_until(lambda: self.pointer() == (x, y), 10, 0.02, f"the pointer at {x},{y}")

    def pointer(self) -> tuple[int, int]:
        out = self.run(["xdotool", "getmouselocation", "--shell"]).stdout
        values = dict(line.split("=", 1) for line in out.split() if "=" in line)
        return int(values["X"]), int(values["Y"])

    def keys(self, *keys: str, delay_ms: int = 60) -> None:
        """Presses keys one after the other (xdotool key names: Down, Return...)."""
        self.run(["xdotool", "key", "--delay", str(delay_ms), *keys])

    def click(self, x: int, y: int, button: int = 1) -> None:
        self.move_pointer(x, y)
        self.run(["xdotool", "click", str(button)])

    def screenshot(self, path: Path) -> Path:
        path.parent.mkdir(parents=True, exist_ok=True)
        self.run(["import", "-window", "root", str(path)])
        return path

    # Windows as X sees them.

    def top_windows(self) -> list["XWindow"]:
        out = self.run(["xwininfo", "-root", "-children"]).stdout
        return parse_xwininfo_children(out)

    def is_viewable(self, window_id: str) -> bool:
        result = self.run(["xwininfo", "-id", window_id], check=False)
        return result.returncode == 0 and "IsViewable" in result.stdout

    def __enter__(self):
        return self.start()

    def __exit__(self, *exc):
        self.stop()


@dataclass
class XWindow:
    id: str
    name: str | None  # None: the window has no name
    res_name: str
    res_class: str
    width: int
    height: int
    x: int
    y: int


_XWININFO_LINE = re.compile(
    r'^\s*(0x[0-9a-f]+) (?:"(?P<name>.*)"|\(has no name\)): \((?P<cls>.*)\)\s+'
    r'(?P<w>\d+)x(?P<h>\d+)\+(?P<rx>-?\d+)\+(?P<ry>-?\d+)\s+\+(?P<x>-?\d+)\+(?P<y>-?\d+)\s*$')


def parse_xwininfo_children(text: str) -> list[XWindow]:
    windows = []
    for line in text.splitlines():
        match = _XWININFO_LINE.match(line)
        if not match:
            continue
        classes = re.findall(r'"([^"]*)"', match.group("cls"))
        classes += ["", ""]
        windows.append(XWindow(
            id=match.group(1), name=match.group("name"),
            res_name=classes[0], res_class=classes[1],
            width=int(match.group("w")), height=int(match.group("h")),
            x=int(match.group("x")), y=int(match.group("y"))))
    return windows


# --------------------------------------------------------------------------
# Wine prefixes


def wine_env(prefix: Path, display: str | None) -> dict:
    env = dict(os.environ)
    env.update(WINE_ENV)
    env["WINEPREFIX"] = str(prefix)
    if display is None:
        env.pop("DISPLAY", None)
    else:
        env["DISPLAY"] = display
    return env


def to_windows_path(path: Path) -> str:
    """A Unix path as Wine's Z: drive shows it."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def _run_logged(args, env, log_dir: Path, stem: str, timeout: float) -> subprocess.CompletedProcess:
    log_dir.mkdir(parents=True, exist_ok=True)
    out_path, err_path = log_dir / f"{stem}.out", log_dir / f"{stem}.err"
    with open(out_path, "wb") as out, open(err_path, "wb") as err:
        proc = subprocess.run(args, env=env, stdin=subprocess.DEVNULL, stdout=out,
                              stderr=err, timeout=timeout)
    return subprocess.CompletedProcess(
        args, proc.returncode, out_path.read_bytes(), err_path.read_bytes())


def make_base_prefix(path: Path = BASE_PREFIX) -> Path:
    """Makes the shared base prefix from scratch (about 15 s)."""
    started = time.monotonic()
    if path.exists():
        kill_wineserver(path)
        shutil.rmtree(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    env = wine_env(path, None)  # no display: wineboot shows nothing
    logs = E2E_DIR / "logs"
    result = _run_logged(["wineboot", "--init"], env, logs, "wineboot", 300)
    if result.returncode != 0:
        raise HarnessError(f"wineboot failed ({result.returncode}): {result.stderr[-2000:]!r}")
    for fixture in ("wine-settings.reg", "handlers.reg"):
        result = _run_logged(["wine", "regedit", "/S", str(FIXTURES / fixture)], env, logs,
                             "regedit-" + fixture, 120)
        if result.returncode != 0:
            raise HarnessError(f"importing {fixture} failed: {result.stderr[-2000:]!r}")
    # Let wineserver write the registry to disk and go away before copying.
    subprocess.run(["wineserver", "-w"], env=env, stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120)
    (path / ".velmoro-base-ready").write_text("ok\n")
    log(f"base prefix made in {time.monotonic() - started:.1f} s")
    return path


def base_prefix() -> Path:
    if not (BASE_PREFIX / ".velmoro-base-ready").is_file():
        make_base_prefix()
    return BASE_PREFIX


def kill_wineserver(prefix: Path) -> None:
    if not (prefix / "system.reg").exists():
        return
    subprocess.run(["wineserver", "-k"], env=wine_env(prefix, None), stdin=subprocess.DEVNULL,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


def prefix_processes(prefix: Path) -> list[tuple[int, str]]:
    """(pid, first command-line word) of every process that runs in prefix."""
    marker = b"WINEPREFIX=" + str(prefix).encode() + b"\0"
    found = []
    for entry in Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            environ = (entry / "environ").read_bytes()
            cmdline = (entry / "cmdline").read_bytes()
        except OSError:
            continue
        if marker in environ + b"\0":
            first = cmdline.split(b"\0", 1)[0].decode("utf-8", "replace")
            found.append((int(entry.name), first))
    return found


@dataclass
class Launch:
    """One line of the recorder log: who was started, with which command line."""
    module: str
    command_line: str

    @property
    def arguments(self) -> str:
        """The command line after the program's own name, as given."""
        return split_program(self.command_line)[1]


def split_program(command_line: str) -> tuple[str, str]:
    """Splits a raw command line into its first word and the rest (one
    separating blank removed), following the usual quoting rule."""
    text = command_line.lstrip(" \t")
    if text.startswith('"'):
        end = text.find('"', 1)
        if end < 0:
            return text[1:], ""
        program, rest = text[1:end], text[end + 1:]
    else:
        match = re.match(r"[^ \t]*", text)
        program, rest = match.group(0), text[match.end():]
    if rest[:1] in (" ", "\t"):
        rest = rest[1:]
    return program, rest


class App:
    """One run of a program inside a prefix, its output in files."""

    def __init__(self, prefix: "Prefix", args: list[str], name: str, recorder_log: Path):
        self.prefix = prefix
        self.name = name
        self.recorder_log = recorder_log
        self.out_path = prefix.logs / f"{name}.out"
        self.err_path = prefix.logs / f"{name}.err"
        env = prefix.env()
        env["VELMORO_RECORDER_LOG"] = prefix.windows_path(recorder_log)
        self._out = open(self.out_path, "wb")
        self._err = open(self.err_path, "wb")
        self.started = time.monotonic()
        self.proc = subprocess.Popen(["wine", *args], env=env, stdin=subprocess.DEVNULL,
                                     stdout=self._out, stderr=self._err,
                                     start_new_session=True)

    def poll(self):
        return self.proc.poll()

    def wait(self, timeout: float = 20) -> int:
        """Waits for the process to end and gives its exit status."""
        try:
            code = self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"{self.name} still running after {timeout:.0f} s") from None
        self._close()
        return code

    def _close(self):
        for handle in (self._out, self._err):
            if not handle.closed:
                handle.close()

    def kill(self):
        if self.proc.poll() is None:
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.proc.wait()
        self._close()

    def stderr_text(self) -> str:
        try:
            return self.err_path.read_text("utf-8", "replace")
        except OSError:
            return ""


class Prefix:
    """A private copy of the base prefix for one group of tests."""

    def __init__(self, name: str, display: str):
        self.name = name
        self.display = display
        self.path = PREFIXES_DIR / name
        self.logs = E2E_DIR / "logs" / name
        self._runs = 0
        self._recorder_names = {"recorder.exe"}

    # Set-up and tear-down

    def create(self) -> "Prefix":
        base = base_prefix()
        if self.path.exists():
            kill_wineserver(self.path)
            shutil.rmtree(self.path)
        if self.logs.exists():
            shutil.rmtree(self.logs)
        self.logs.mkdir(parents=True)
        self.path.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["cp", "-a", str(base), str(self.path)], check=True)
        self.install_tools()
        self.install_app()
        # A persistent wineserver, so that every run starts alike.
        subprocess.run(["wineserver", "-p"], env=self.env(), stdin=subprocess.DEVNULL,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
        return self

    def destroy(self, keep: bool = False) -> None:
        kill_wineserver(self.path)
        if not keep and not os.environ.get("VELMORO_E2E_KEEP"):
            shutil.rmtree(self.path, ignore_errors=True)

    def env(self) -> dict:
        return wine_env(self.path, self.display)

    # Paths

    def unix_path(self, windows_path: str) -> Path:
        """The Unix path of a C:\\ path inside this prefix."""
        if not re.match(r"^[cC]:\\", windows_path):
            raise ValueError(f"not a C: path: {windows_path}")
        return self.path / "drive_c" / windows_path[3:].replace("\\", "/")

    def windows_path(self, unix_path: Path) -> str:
        unix_path = Path(unix_path).resolve()
        drive_c = (self.path / "drive_c").resolve()
        try:
            return "C:\\" + str(unix_path.relative_to(drive_c)).replace("/", "\\")
        except ValueError:
            return to_windows_path(unix_path)

    # Files placed in the prefix

    def install_tools(self) -> None:
        target = self.unix_path(TOOLS_DIR_WIN)
        (target / "logs").mkdir(parents=True, exist_ok=True)
        for name in TOOL_NAMES:
            shutil.copy2(find_output(name), target / name)

    def install_app(self, folder_win: str = APP_DIR_WIN, with_updater: bool = True) -> str:
        target = self.unix_path(folder_win)
        target.mkdir(parents=True, exist_ok=True)
        shutil.copy2(app_exe(), target / EXE_NAME)
        if with_updater:
            self.install_recorder(folder_win + "\\Updater.exe")
        return folder_win + "\\" + EXE_NAME

    def install_recorder(self, windows_path: str) -> Path:
        """Puts a copy of the recorder at windows_path (an uninstaller, the updater)."""
        target = self.unix_path(windows_path)
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(find_output("recorder.exe"), target)
        self._recorder_names.add(target.name)
        return target

    # Registry

    def reg_import(self, reg_file: Path, view64: bool = False) -> None:
        """Imports a .reg file. Plain ``wine regedit`` is the 32-bit regedit
        when wine32 is installed, so HKLM\\Software keys land in the 32-bit
        view (Wow6432Node); view64 imports into the 64-bit view instead
        (``reg import /reg:64``; the 32-bit view is still reached there by
        its Wow6432Node path)."""
        if view64:
            args = ["wine", "reg", "import", to_windows_path(reg_file), "/reg:64"]
        else:
            args = ["wine", "regedit", "/S", str(reg_file)]
        result = _run_logged(args, self.env(), self.logs,
                             "regedit-" + Path(reg_file).stem, 300)
        if result.returncode != 0:
            raise HarnessError(f"importing {reg_file} failed: {result.stderr[-2000:]!r}")

    def reg_import_text(self, text: str, name: str = "fixture", view64: bool = False) -> None:
        path = self.logs / f"{name}.reg"
        write_reg_file(path, text)
        self.reg_import(path, view64=view64)

    def reg_query(self, key: str) -> str:
        result = _run_logged(["wine", "reg", "query", key, "/s"], self.env(), self.logs,
                             "reg-query", 120)
        return result.stdout.decode("utf-8", "replace")

    # Running programs

    def new_log(self, name: str) -> Path:
        path = self.unix_path(LOGS_DIR_WIN) / f"{name}.log"
        path.parent.mkdir(parents=True, exist_ok=True)
        if path.exists():
            path.unlink()
        return path

    def start(self, *args: str, name: str | None = None) -> App:
        """Starts a Windows program (by its Windows path) in this prefix."""
        self._runs += 1
        name = name or f"run{self._runs:02d}"
        return App(self, list(args), name, self.new_log(name))

    def start_app(self, exe_win: str = APP_EXE_WIN, name: str | None = None) -> App:
        return self.start(exe_win, name=name)

    def start_app_with_show_state(self, show_state: int, exe_win: str = APP_EXE_WIN,
                                  name: str | None = None) -> App:
        return self.start(TOOLS_DIR_WIN + r"\launcher.exe", str(show_state), exe_win, name=name)

    def wine(self, *args: str, timeout: float = 120) -> subprocess.CompletedProcess:
        """Runs a Wine command to its end; its output read back from files."""
        self._runs += 1
        return _run_logged(["wine", *args], self.env(), self.logs,
                           f"cmd{self._runs:02d}", timeout)

    # What the recorder wrote

    @staticmethod
    def launches(log_path: Path) -> list[Launch]:
        if not log_path.exists():
            return []
        text = log_path.read_bytes().decode("cp1252", "replace")
        launches = []
        for line in text.split("\r\n"):
            if not line:
                continue
            module, _, command_line = line.partition("\t")
            launches.append(Launch(module, command_line))
        return launches

    def wait_for_children(self, app: App, timeout: float = 20) -> list[Launch]:
        """After app has ended: waits until every recorder copy it may have
        started has ended too, then gives the recorder log."""
        names = {n.lower() for n in self.recorder_names()}

        def quiet():
            for _pid, first in prefix_processes(self.path):
                base = first.replace("/", "\\").rsplit("\\", 1)[-1].lower()
                if base in names:
                    return False
            return True

        wait_until(quiet, timeout, 0.05, "started programs to end")
        return self.launches(app.recorder_log)

    def recorder_names(self) -> set[str]:
        """File names of the recorder copies placed in this prefix."""
        return set(self._recorder_names)

    # Windows as the inspector sees them

    def windows(self) -> list[dict]:
        result = self.wine(TOOLS_DIR_WIN + r"\inspector.exe", "list", timeout=60)
        if result.returncode != 0:
            raise HarnessError(f"inspector list failed ({result.returncode})")
        windows = []
        for line in result.stdout.decode("utf-8", "replace").splitlines():
            line = line.strip()
            if line.startswith("{"):
                windows.append(json.loads(line))
        return windows

    def window(self, caption: str) -> dict | None:
        for window in self.windows():
            if window.get("caption") == caption:
                return window
        return None

    def wait_window(self, caption: str, timeout: float = 20) -> dict:
        return wait_until(lambda: self.window(caption), timeout, 0.2,
                          f'a window captioned "{caption}"')

    def inspector(self, *args: str) -> int:
        return self.wine(TOOLS_DIR_WIN + r"\inspector.exe", *args, timeout=60).returncode


def message_text(window: dict) -> str | None:
    """The text of a message box: its Static control with id 65535."""
    for child in window_children(window):
        if child.get("id") == 65535 and str(child.get("class", "")).lower() == "static":
            return child.get("text")
    return None


def window_children(window: dict) -> list[dict]:
    return window.get("children") or window.get("controls") or []


def button_texts(window: dict) -> list[str]:
    return [c.get("text", "") for c in window_children(window)
            if str(c.get("class", "")).lower() == "button"]


# --------------------------------------------------------------------------
# The program's popup menu


def menu_windows(x: XServer, exe_name: str = EXE_NAME) -> list[XWindow]:
    """Mapped popup-menu windows of the program: unnamed top-level X windows
    of its process that are larger than Wine's 1x1 helpers."""
    wanted = exe_name.lower()
    found = []
    for window in x.top_windows():
        if window.name is not None or window.width <= 1 or window.height <= 1:
            continue
        if wanted not in (window.res_name.lower(), window.res_class.lower()):
            continue
        if x.is_viewable(window.id):
            found.append(window)
    return found


def wait_menu(x: XServer, app: App | None = None, timeout: float = 30,
              count: int = 1) -> list[XWindow]:
    """Waits until at least count menu windows are shown; gives them all."""

    def shown():
        if app is not None and app.poll() is not None:
            raise HarnessError(f"{app.name} ended with {app.poll()} before its menu was shown")
        windows = menu_windows(x)
        return windows if len(windows) >= count else None

    return wait_until(shown, timeout, 0.03, "the popup menu")


def wait_no_menu(x: XServer, timeout: float = 10) -> None:
    wait_until(lambda: not menu_windows(x), timeout, 0.05, "the popup menu to close")


# --------------------------------------------------------------------------
# Registry files


def write_reg_file(path: Path, text: str) -> Path:
    """Writes a REGEDIT4 file (ANSI, CR LF)."""
    path.parent.mkdir(parents=True, exist_ok=True)
    if not text.startswith("REGEDIT4") and not text.startswith("Windows Registry Editor"):
        text = "REGEDIT4\n\n" + text
    data = text.replace("\r\n", "\n").replace("\n", "\r\n")
    path.write_bytes(data.encode("cp1252"))
    return path


def reg_escape(value: str) -> str:
    return value.replace("\\", "\\\\").replace('"', '\\"')


def uninstall_entries_reg(entries, key: str = UNINSTALL_KEY) -> str:
    """A .reg text with one uninstall subkey per (subkey, name, command)."""
    lines = ["REGEDIT4", ""]
    for subkey, display_name, command in entries:
        lines.append(f"[{key}\\{subkey}]")
        lines.append(f'"DisplayName"="{reg_escape(display_name)}"')
        lines.append(f'"UninstallString"="{reg_escape(command)}"')
        lines.append("")
    return "\n".join(lines) + "\n"


# --------------------------------------------------------------------------
# Command line: ``python3 harness.py make-base`` (the CTest fixture).


def main(argv: list[str]) -> int:
    if argv[1:] == ["make-base"]:
        # Fail early, with a clear message, when the win64 outputs are missing.
        app_exe()
        for name in TOOL_NAMES:
            find_output(name)
        make_base_prefix()
        return 0
    print("usage: harness.py make-base", file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv))
