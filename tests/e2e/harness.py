"""End-to-end harness, usable without unittest (scripts/run.sh, benchmarks):
a base Wine prefix made once from scratch (``make_base_prefix``), a private
copy of it per test group (``Prefix``) holding the program and the helper
tools, runs of programs in it (``App``) and registry fixtures. The X server
and its windows are in xserver.py, and reachable from here too.

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
import time
from dataclasses import dataclass
from pathlib import Path

import constants as c
from waits import HarnessError, log, wait_until  # noqa: F401
from xserver import (QUIET, MapWatch, XServer, XWindow, menu_windows,  # noqa: F401
                     program_windows, region_colours, wait_menu)

HERE = Path(__file__).resolve().parent
FIXTURES = HERE / "fixtures"
WIN64_DIR = Path(os.environ.get("VELMORO_WIN64_DIR", HERE.parents[1] / "build" / "win64"))
E2E_DIR = Path(os.environ.get("VELMORO_E2E_DIR", HERE.parents[1] / "build" / "e2e"))
BASE_PREFIX = E2E_DIR / "base-prefix"

WINE_ENV = {"WINEDEBUG": "-all", "WINEDLLOVERRIDES": "mscoree,mshtml=", "WINEARCH": "win64",
            "LC_ALL": "C.UTF-8"}


def find_output(name: str) -> Path:
    """The program or a tool, all built into the win64 preset's binary folder."""
    if not (path := WIN64_DIR / name).is_file():
        raise HarnessError(f"{name} not found in {WIN64_DIR}: build the win64 preset first")
    return path


def crlf_lines(lines, encoding: str = "cp1252") -> bytes:
    """The text of a list file: every line followed by CR LF, in the ANSI code
    page (the machine's files) or in UTF-8 (a user's)."""
    return b"".join(line.encode(encoding) + b"\r\n" for line in lines)


def to_windows_path(path: Path) -> str:
    """A Unix path as Wine's Z: drive shows it."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


# --------------------------------------------------------------------------
# Wine prefixes


def wine_env(prefix: Path, display: str | None) -> dict:
    env = dict(os.environ, **WINE_ENV, WINEPREFIX=str(prefix))
    env.pop("DISPLAY", None)
    return env | ({"DISPLAY": display} if display else {})


def run_logged(args, env, log_dir: Path, stem: str, timeout: float,
               what: str | None = None) -> subprocess.CompletedProcess:
    """Runs args, output to files read back; with what, a failure raises."""
    log_dir.mkdir(parents=True, exist_ok=True)
    out_path, err_path = log_dir / f"{stem}.out", log_dir / f"{stem}.err"
    with open(out_path, "wb") as out, open(err_path, "wb") as err:
        code = subprocess.run(args, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                              timeout=timeout).returncode
    if what and code != 0:
        raise HarnessError(f"{what} failed ({code}): {err_path.read_bytes()[-2000:]!r}")
    return subprocess.CompletedProcess(args, code, out_path.read_bytes(), err_path.read_bytes())


def make_base_prefix(path: Path = BASE_PREFIX) -> Path:
    """Makes the base prefix from scratch (about 15 s), with the add-on
    installers and the crash dialog switched off and the recorder handling
    http and mailto."""
    started = time.monotonic()
    if path.exists():
        kill_wineserver(path)
        shutil.rmtree(path)
    path.parent.mkdir(parents=True, exist_ok=True)
    env, logs = wine_env(path, None), E2E_DIR / "logs"  # no display: wineboot shows nothing
    run_logged(["wineboot", "--init"], env, logs, "wineboot", 300, "wineboot")
    for fixture in ("wine-settings.reg", "handlers.reg"):
        run_logged(["wine", "regedit", "/S", str(FIXTURES / fixture)], env, logs,
                   "regedit-" + fixture, 120, "importing " + fixture)
    # Let wineserver write the registry to disk and go away before copying.
    subprocess.run(["wineserver", "-w"], env=env, timeout=120, **QUIET)
    (path / ".velmoro-base-ready").write_text("ok\n")
    log(f"base prefix made in {time.monotonic() - started:.1f} s")
    return path


def kill_wineserver(prefix: Path) -> None:
    if (prefix / "system.reg").exists():
        subprocess.run(["wineserver", "-k"], env=wine_env(prefix, None), timeout=60, **QUIET)


def prefix_processes(prefix: Path, with_env: str | None = None) -> list[str]:
    """The first command-line word of every process that runs in prefix; with
    with_env ("NAME=value"), of those whose environment holds it."""
    markers = [b"WINEPREFIX=" + str(prefix).encode() + b"\0"]
    if with_env:
        markers.append(with_env.encode() + b"\0")
    found = []
    for entry in Path("/proc").iterdir():
        try:
            if entry.name.isdigit():
                environ = (entry / "environ").read_bytes() + b"\0"
                if all(marker in environ for marker in markers):
                    found.append((entry / "cmdline").read_bytes().split(b"\0")[0])
        except OSError:
            pass
    return [first.decode("utf-8", "replace") for first in found]


@dataclass
class Launch:
    """One line of the recorder log."""
    module: str
    command_line: str

    @property
    def arguments(self) -> str:
        """The command line after the program's own name (quoted or up to a
        blank) and one separating blank."""
        text = self.command_line.lstrip(" \t")
        if text.startswith('"'):
            rest = text[text.find('"', 1) + 1:] if '"' in text[1:] else ""
        else:
            rest = text[len(re.match(r"[^ \t]*", text)[0]):]
        return rest[1:] if rest[:1] in (" ", "\t") else rest


class App:
    """One run of a program inside a prefix, its output in files."""

    def __init__(self, prefix: "Prefix", args: list[str], name: str, recorder_log: Path,
                 cwd: Path | None = None):
        self.name = name
        self.recorder_log = recorder_log
        self.err_path = prefix.logs / f"{name}.err"
        env = prefix.env() | {"VELMORO_RECORDER_LOG": to_windows_path(recorder_log)}
        with open(prefix.logs / f"{name}.out", "wb") as out, open(self.err_path, "wb") as err:
            self.started = time.monotonic()
            self.proc = subprocess.Popen(["wine", *args], env=env, stdin=subprocess.DEVNULL,
                                         stdout=out, stderr=err, start_new_session=True, cwd=cwd)

    def peak_memory(self) -> int:
        """The process's peak resident memory so far, in bytes (Wine runs the
        program in the process it started as)."""
        status = Path(f"/proc/{self.proc.pid}/status").read_text()
        return int(re.search(r"VmHWM:\s+(\d+) kB", status)[1]) * 1024

    def poll(self):
        return self.proc.poll()

    def wait(self, timeout: float = 60) -> int:
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise HarnessError(f"{self.name} still running after {timeout:.0f} s") from None

    def kill(self):
        if self.proc.poll() is None:
            try:
                os.killpg(self.proc.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.proc.wait()

    def stderr_text(self) -> str:
        return self.err_path.read_text("utf-8", "replace") if self.err_path.exists() else ""


class Prefix:
    """A private copy of the base prefix for one group of tests."""

    def __init__(self, name: str, display: str):
        self.display = display
        self.path = E2E_DIR / "prefixes" / name
        self.logs = E2E_DIR / "logs" / name
        self._runs = 0
        self.recorder_names = {"recorder.exe"}  # file names of the recorder copies placed
        self.session: App | None = None

    def create(self) -> "Prefix":
        if not (BASE_PREFIX / ".velmoro-base-ready").is_file():
            make_base_prefix()
        if self.path.exists():
            kill_wineserver(self.path)
            shutil.rmtree(self.path)
        shutil.rmtree(self.logs, ignore_errors=True)
        self.logs.mkdir(parents=True)
        self.path.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["cp", "-a", str(BASE_PREFIX), str(self.path)], check=True)
        self.install_tools()
        self.install_app()
        # A persistent wineserver, so that every run starts alike.
        subprocess.run(["wineserver", "-p"], env=self.env(), check=True, **QUIET)
        # The desktop shell's process runs throughout, as in a logon session; what it starts
        # writes the session's recorder log.
        self.session = self.start(c.SESSION_WIN, name="session")
        session_log = "VELMORO_RECORDER_LOG=" + to_windows_path(self.session.recorder_log)
        wait_until(lambda: any(first.lower().endswith("explorer.exe")
                               for first in prefix_processes(self.path, session_log)),
                   60, 0.1, "the session's desktop shell process")
        return self

    def destroy(self) -> None:
        if self.session:
            self.session.kill()
        kill_wineserver(self.path)
        if not os.environ.get("VELMORO_E2E_KEEP"):
            shutil.rmtree(self.path, ignore_errors=True)

    def env(self) -> dict:
        return wine_env(self.path, self.display)

    def unix_path(self, windows_path: str) -> Path:
        if not re.match(r"^[cC]:\\", windows_path):
            raise ValueError(f"not a C: path: {windows_path}")
        return self.path / "drive_c" / windows_path[3:].replace("\\", "/")

    def install_tools(self) -> None:
        self.unix_path(c.LOGS_DIR_WIN).mkdir(parents=True, exist_ok=True)
        for name in c.TOOL_NAMES:
            shutil.copy2(find_output(name), self.unix_path(c.TOOLS_DIR_WIN) / name)

    def install_app(self) -> str:
        self.unix_path(c.APP_DIR_WIN).mkdir(parents=True, exist_ok=True)
        shutil.copy2(find_output(c.EXE_NAME), self.unix_path(c.APP_EXE_WIN))
        self.install_recorder(c.UPDATER_WIN)
        return c.APP_EXE_WIN

    def install_recorder(self, windows_path: str) -> Path:
        """Puts a copy of the recorder at windows_path (an uninstaller, the updater)."""
        target = self.unix_path(windows_path)
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(find_output("recorder.exe"), target)
        self.recorder_names.add(target.name.lower())
        return target

    def reg_import(self, reg_file: Path) -> None:
        """Imports a .reg file into the 64-bit view (there the 32-bit view is
        reached by its Wow6432Node path); plain ``wine regedit`` would be the
        32-bit one where wine32 is installed."""
        args = ["wine", "reg", "import", to_windows_path(reg_file), "/reg:64"]
        # reg has been seen to end with 1 and say nothing, rarely: one more try.
        if run_logged(args, self.env(), self.logs, "reg-" + reg_file.stem, 600).returncode != 0:
            log(f"importing {reg_file} failed; trying again")
            run_logged(args, self.env(), self.logs, "reg-" + reg_file.stem, 600, "importing")

    def reg_import_text(self, text: str, name: str = "fixture", utf16: bool = False) -> None:
        path = write_reg_file(self.logs / f"{name}.reg", text, utf16)
        self.reg_import(path)
        if path.stat().st_size > 1_000_000:  # generated: kept only while small
            path.unlink()

    def start(self, *args: str, name: str | None = None, cwd: Path | None = None) -> App:
        """Starts a program by its Windows path, with a fresh recorder log; in
        the Unix folder cwd, when given (Wine's current folder)."""
        self._runs += 1
        name = name or f"run{self._runs:02d}"
        (log_path := self.unix_path(c.LOGS_DIR_WIN) / f"{name}.log").unlink(missing_ok=True)
        return App(self, list(args), name, log_path, cwd)

    def start_app(self, name: str | None = None, show_state: int | None = None,
                  cwd: Path | None = None) -> App:
        """Starts the program; with a show state, through the launcher, which
        puts it into the program's start-up information."""
        launcher = [] if show_state is None else [c.LAUNCHER_WIN, str(show_state)]
        return self.start(*launcher, c.APP_EXE_WIN, name=name, cwd=cwd)

    def wine(self, *args: str, timeout: float = 120) -> subprocess.CompletedProcess:
        self._runs += 1
        return run_logged(["wine", *args], self.env(), self.logs, f"cmd{self._runs:02d}", timeout)

    @staticmethod
    def launches(log_path: Path) -> list[Launch]:
        text = log_path.read_bytes().decode("utf-8", "replace") if log_path.exists() else ""
        return [Launch(*line.partition("\t")[::2]) for line in text.split("\r\n") if line]

    def wait_for_children(self, app: App, count: int = 0, timeout: float = 60) -> list[Launch]:
        """After app has ended: waits until count programs have written its
        recorder log (a batch file's recorder starts after the program has
        ended) and every recorder copy has ended, then gives the log."""
        return self.wait_for_launches(app.recorder_log, count, timeout)

    def wait_for_launches(self, log_path: Path, count: int, timeout: float = 60) -> list[Launch]:
        wait_until(lambda: len(self.launches(log_path)) >= count, timeout, 0.05,
                   f"{count} started program(s) to write {log_path.name}")
        wait_until(lambda: not any(first.replace("/", "\\").rsplit("\\", 1)[-1].lower()
                                   in self.recorder_names for first in prefix_processes(self.path)),
                   timeout, 0.05, "started programs to end")
        return self.launches(log_path)

    def windows(self) -> list[dict]:
        """The visible top-level windows as the inspector lists them (hwnd,
        class, caption, iconic, children with class, id and text)."""
        out = run_logged(["wine", c.INSPECTOR_WIN, "list"], self.env(), self.logs, "inspector",
                         60, "inspector list").stdout.decode("utf-8", "replace")
        return [json.loads(line) for line in out.splitlines() if line.startswith("{")]

    def inspector(self, *args: str) -> int:
        return self.wine(c.INSPECTOR_WIN, *args, timeout=60).returncode


# --------------------------------------------------------------------------
# Registry files


def write_reg_file(path: Path, text: str, utf16: bool = False) -> Path:
    """Writes a .reg file (CR LF), REGEDIT4 in ANSI unless text names its
    version; text beyond code page 1252, or utf16, makes it version 5 in UTF-16,
    whose hex(1) data is the string's UTF-16 bytes."""
    if not text.startswith(("REGEDIT4", "Windows Registry Editor")):
        text = "REGEDIT4\n\n" + text
    text = text.replace("\r\n", "\n").replace("\n", "\r\n")
    path.parent.mkdir(parents=True, exist_ok=True)
    if not utf16:
        try:
            path.write_bytes(text.encode("cp1252"))
            return path
        except UnicodeEncodeError:
            pass
    text = text.replace("REGEDIT4", "Windows Registry Editor Version 5.00", 1)
    path.write_bytes(b"\xff\xfe" + text.encode("utf-16-le"))
    return path


def reg_sz(text: str) -> str:
    """A string value's .reg data text."""
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"') + '"'


def entry_values(display_name: str, command: str) -> dict[str, str]:
    return {"DisplayName": reg_sz(display_name), "UninstallString": reg_sz(command)}


def view32(subkey: str) -> str:
    return f"{c.UNINSTALL_KEY_32}\\{subkey}"


def uninstall_reg(subkeys: dict[str, dict[str, str]], remove=()) -> str:
    """.reg text that deletes the uninstall subkeys in remove, then adds subkeys
    ({subkey: {value name: .reg data text}}): names under the 64-bit view's
    key, or whole key paths (view32; subkey names hold no backslash)."""

    def path(subkey: str) -> str:
        return subkey if "\\" in subkey else f"{c.UNINSTALL_KEY}\\{subkey}"

    lines = [f"[-{path(subkey)}]\n" for subkey in remove]
    for subkey, values in subkeys.items():
        lines += [f"[{path(subkey)}]", *(f'"{name}"={data}' for name, data in values.items()), ""]
    return "\n".join(lines) + "\n"


def uninstall_entries_reg(entries) -> str:
    """One uninstall subkey per (subkey, display name, command)."""
    return uninstall_reg({subkey: entry_values(name, command) for subkey, name, command in entries})


if __name__ == "__main__":
    # ``python3 harness.py make-base``, the CTest fixture; it fails early, with
    # a clear message, when the win64 outputs are missing.
    if sys.argv[1:] != ["make-base"]:
        sys.exit("usage: harness.py make-base")
    for output in (c.EXE_NAME, *c.TOOL_NAMES):
        find_output(output)
    make_base_prefix()
