"""A private Xvfb for the end-to-end tests (``XServer``), the program's windows
on it (``menu_windows``, ``wait_menu``, ``MapWatch``) and the colours of a
rectangle of its screenshots (``region_colours``)."""

from __future__ import annotations

import collections
import os
import re
import subprocess
import time
from dataclasses import dataclass
from pathlib import Path
from typing import TYPE_CHECKING

import constants as c
from waits import HarnessError, wait_until

if TYPE_CHECKING:
    from harness import App

QUIET = {"stdin": subprocess.DEVNULL, "stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL}


class XServer:
    """A private Xvfb on a display it picks itself (``-displayfd``)."""

    def __init__(self, width: int = 1280, height: int = 1024):
        self.size = f"{width}x{height}x24"
        self.proc: subprocess.Popen | None = None
        self.display = ""

    def start(self) -> "XServer":
        read_fd, write_fd = os.pipe()
        self.proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_fd), "-noreset", "-nolisten",
                                      "tcp", "-screen", "0", self.size],
                                     pass_fds=(write_fd,), **QUIET)
        os.close(write_fd)
        with os.fdopen(read_fd, "rb") as pipe:
            number = pipe.readline().strip()  # empty when Xvfb ended
        if not number.isdigit():
            self.stop()
            raise HarnessError("Xvfb did not report a display")
        self.display = ":" + number.decode()
        # The server answers once it has written the number; check anyway.
        wait_until(lambda: self.run(["xdpyinfo"], check=False).returncode == 0, 10, 0.05,
                   "Xvfb to answer")
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

    def run(self, args, check=True) -> subprocess.CompletedProcess:
        result = subprocess.run(args, env=dict(os.environ, DISPLAY=self.display), text=True,
                                stdin=subprocess.DEVNULL, capture_output=True, timeout=30)
        if check and result.returncode != 0:
            raise HarnessError(f"{args[0]} failed ({result.returncode}): {result.stderr.strip()}")
        return result

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
        self.run(["xdotool", "key", "--delay", str(delay_ms), *keys])

    def click(self, x: int, y: int) -> None:
        self.move_pointer(x, y)
        self.run(["xdotool", "click", "1"])

    def screenshot(self, path: Path) -> Path:
        path.parent.mkdir(parents=True, exist_ok=True)
        self.run(["import", "-window", "root", str(path)])
        return path

    def top_windows(self) -> list["XWindow"]:
        out = self.run(["xwininfo", "-root", "-children"]).stdout
        return [XWindow(m[1], m["name"], tuple(re.findall(r'"([^"]*)"', m["cls"])),
                        int(m["w"]), int(m["h"]), int(m["x"]), int(m["y"]))
                for m in map(_XWININFO_LINE.match, out.splitlines()) if m]

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
    classes: tuple[str, ...]  # WM_CLASS: resource name and class
    width: int
    height: int
    x: int
    y: int


_XWININFO_LINE = re.compile(
    r'^\s*(0x[0-9a-f]+) (?:"(?P<name>.*)"|\(has no name\)): \((?P<cls>.*)\)\s+'
    r'(?P<w>\d+)x(?P<h>\d+)\+-?\d+\+-?\d+\s+\+(?P<x>-?\d+)\+(?P<y>-?\d+)\s*$')


class MapWatch:
    """The top-level X windows that were mapped with a part of them on the
    screen, as the X server's own notices tell (``xev`` on the root window):
    a window that flashes up for a moment is seen too."""

    _NOTICE = re.compile(r"^(CreateNotify|ConfigureNotify|MapNotify|UnmapNotify) event")
    _WINDOW = re.compile(r"\bwindow (0x[0-9a-f]+)")
    _GEOMETRY = re.compile(r"\((-?\d+),(-?\d+)\), width (\d+), height (\d+)")

    def __init__(self, x: XServer, log_path: Path):
        self.x, self.log_path = x, log_path
        self.proc: subprocess.Popen | None = None

    def __enter__(self) -> "MapWatch":
        self.log_path.parent.mkdir(parents=True, exist_ok=True)
        with open(self.log_path, "wb") as out:
            self.proc = subprocess.Popen(["xev", "-root", "-event", "substructure"],
                                         env=dict(os.environ, DISPLAY=self.x.display),
                                         stdin=subprocess.DEVNULL, stdout=out,
                                         stderr=subprocess.DEVNULL)
        time.sleep(0.3)  # xev selects its events once it has connected
        return self

    def __exit__(self, *exc):
        self.proc.terminate()
        self.proc.wait(10)

    def on_screen(self) -> dict[str, tuple[int, int, int, int]]:
        """Each window mapped while it overlapped the screen, by id, with that
        geometry (x, y, width, height); Wine's 1x1 helper windows left out."""
        width, height = map(int, self.x.size.split("x")[:2])
        geometry, mapped, seen = {}, set(), {}
        notice = None
        for line in self.log_path.read_text("ascii", "replace").splitlines():
            if match := self._NOTICE.match(line):
                notice = match[1]
                continue
            windows = self._WINDOW.findall(line)
            if notice is None or not windows:
                continue
            window = windows[-1]  # the window the notice is about, after the event window
            if box := self._GEOMETRY.search(line):
                geometry[window] = tuple(map(int, box.groups()))
            if notice == "MapNotify":
                mapped.add(window)
            elif notice == "UnmapNotify":
                mapped.discard(window)
            notice = None
            if window in mapped and window in geometry:
                gx, gy, gw, gh = geometry[window]
                if gw > 1 and gh > 1 and gx < width and gy < height and gx + gw > 0 and gy + gh > 0:
                    seen.setdefault(window, geometry[window])
        return seen


def program_windows(x: XServer, named: bool, exe: str = c.EXE_NAME) -> list[XWindow]:
    """The viewable top-level X windows of the program (or of the tool exe)
    but Wine's 1x1 helpers: unnamed ones are its popup menus, named ones its
    boxes."""
    return [w for w in x.top_windows()
            if (w.name is not None) == named and w.width > 1 and w.height > 1
            and exe.lower() in map(str.lower, w.classes) and x.is_viewable(w.id)]


def menu_windows(x: XServer, exe: str = c.EXE_NAME) -> list[XWindow]:
    return program_windows(x, named=False, exe=exe)


def wait_menu(x: XServer, app: "App | None" = None, timeout: float = 60,
              count: int = 1) -> list[XWindow]:
    """All menu windows, once at least count are shown."""

    def shown():
        if app is not None and app.poll() is not None:
            raise HarnessError(f"{app.name} ended with {app.poll()} before its menu was shown")
        return len(windows := menu_windows(x)) >= count and windows

    return wait_until(shown, timeout, 0.03, "the popup menu")


# One pixel of ImageMagick's text output: "x,y: (values)  #RRGGBB[AA]  name(...)"; the hex column
# has the three channels whatever the picture's colour space.
_TXT_PIXEL = re.compile(r"^\d+,\d+: \([^)]*\)\s+#([0-9A-Fa-f]{6})", re.MULTILINE)


def region_colours(png: Path, x: int, y: int, width: int, height: int) -> collections.Counter:
    """How many pixels of each (r, g, b) colour a rectangle of a picture holds.
    Raises unless the rectangle lies wholly inside the picture: ImageMagick
    crops silently to what is there."""
    if x < 0 or y < 0 or width <= 0 or height <= 0:
        raise ValueError(f"no rectangle: {width}x{height}+{x}+{y}")
    result = subprocess.run(["convert", str(png), "-crop", f"{width}x{height}+{x}+{y}", "+repage",
                             "-depth", "8", "txt:-"], stdin=subprocess.DEVNULL, capture_output=True,
                            text=True, timeout=60)
    if result.returncode != 0:
        raise HarnessError(f"convert failed ({result.returncode}): {result.stderr.strip()}")
    colours = collections.Counter(tuple(int(hex_rgb[i:i + 2], 16) for i in (0, 2, 4))
                                  for hex_rgb in _TXT_PIXEL.findall(result.stdout))
    if colours.total() != width * height:
        raise HarnessError(f"{width}x{height}+{x}+{y} is not wholly inside {png}")
    return colours
