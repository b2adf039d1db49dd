#!/usr/bin/env python3
"""Start-up benchmark under Wine: time from start to the menu shown, and to
"All Programs" open.

For N programs in the machine-wide uninstall key (default 300, 3,000 and
30,000) it fills a private prefix from a generated .reg file and prints the
median over a few runs of the program: from its start until its popup menu's
X window is mapped; from the key that opens "All Programs" until that submenu
is mapped, and, where the list opens in groups, the same for its first group,
or else from the context-menu key until the first program's own menu is
mapped.
Beside them, in the same prefix and run, ``wine uninstaller --list`` (which
lists the same key) and ``wine reg query <key> /s``, and a bare menu program
(tools/bare_menu.cpp: one window and a popup menu, nothing read), which is
what any menu costs under Wine. Several builds of the program can be compared
in one run, each given as LABEL=PATH, each in a prefix of its own, taking turns
run by run. Not a test: it asserts nothing.

    python3 tests/e2e/bench_startup.py [--runs 5] [--sizes 300,3000,30000]
        [--exe before=old/VelmoroUninstaller.exe --exe after=build/win64/VelmoroUninstaller.exe]
"""

from __future__ import annotations

import argparse
import math
import os
import random
import shutil
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import constants as c  # noqa: E402
import harness as h  # noqa: E402

WORDS = ("Acme Bolt Cobalt Delta Ember Fjord Gamma Helix Iris Juno Krypton Lumen Magnet Nova "
         "Onyx Pixel Quartz Rivet Sable Tundra Umbra Vertex Willow Xenon Yarrow Zephyr").split()
KINDS = ("Studio Tools Player Editor Runtime Driver Suite Viewer Manager SDK Toolkit "
         "Converter").split()


def program_entries(count: int, seed: int = 1234):
    """Deterministic, unsorted, realistic-looking uninstall entries."""
    rng = random.Random(seed)
    entries = []
    for index in range(count):
        name = (f"{rng.choice(WORDS)} {rng.choice(KINDS)} {rng.randint(1, 20)}.{rng.randint(0, 9)}"
                f" ({index:05d})")
        folder = f"C:\\Program Files\\{name}"
        msi = f"MsiExec.exe /X{{{rng.getrandbits(128):032X}}}"
        command = (f'"{folder}\\uninstall.exe" /S', msi, f"{folder}\\unins000.exe")[index % 3]
        entries.append((f"{{{rng.getrandbits(64):016X}}}-{index}", name, command))
    rng.shuffle(entries)
    return entries


def time_command(prefix: h.Prefix, *args: str) -> float:
    started = time.monotonic()
    if (code := prefix.wine(*args, timeout=900).returncode) != 0:
        raise h.HarnessError(f"{' '.join(args)} ended with {code}")
    return time.monotonic() - started


def time_menus(x: h.XServer, prefix: h.Prefix, levels: int) -> tuple[float, ...]:
    """One run of the program: seconds to its menu, then to each of the first
    `levels` levels below "All Programs" open (the list, then its first group;
    nan where a build shows no groups), then, in a list without groups, to the
    first program's own menu (nan where a build has none)."""
    x.move_pointer(60, 40)
    app = prefix.start_app("bench")
    try:
        h.wait_menu(x, app, timeout=900)
        times = [time.monotonic() - app.started]
        x.keys(*c.TO_ALL_PROGRAMS)
        for level in range(levels):
            times.append(time_to_level(x, app, "Right", level + 2, 900 if level == 0 else 10))
            if math.isnan(times[-1]):
                break
        if levels == 1:
            times.append(time_to_level(x, app, "Menu", 3, 10))
        x.keys(*["Escape"] * len(times))
        if (code := app.wait(120)) != 0:
            raise h.HarnessError(f"the program ended with {code}")
        return tuple(times)
    finally:
        app.kill()


def time_to_level(x: h.XServer, app: h.App, key: str, menus: int, timeout: float) -> float:
    """Seconds from the key to `menus` menus shown; nan where they never are
    (Right on a program in a list without groups, a build without own menus)."""
    started = time.monotonic()
    x.keys(key)
    try:
        h.wait_menu(x, app, timeout=timeout, count=menus)
    except h.HarnessError:
        return math.nan
    return time.monotonic() - started


def time_to_menu(x: h.XServer, prefix: h.Prefix, prepare=None) -> float:
    """One run of the program to its menu; prepare, if given, runs first, untimed."""
    if prepare:
        prepare()
    return time_menus(x, prefix, 0)[0]


def median_of(runs: int, measure) -> float:
    """The median of runs measurements after one warm-up, not counted: it
    starts Wine's desktop process and loads the registry hive into memory."""
    measure()
    return statistics.median(measure() for _ in range(runs))


def print_table(title: str, header: list[str], rows: list[list]) -> None:
    widths = [max(len(str(cell)) for cell in column) for column in zip(header, *rows)]
    print(f"\n{title}")
    for n, row in enumerate([header, *rows]):
        print("  ".join(f"{cell:<{w}}" if i == 0 else f"{cell:>{w}}"
                        for i, (cell, w) in enumerate(zip(row, widths))))
        if n == 0:
            print("-" * (sum(widths) + 2 * len(widths) - 2))


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=5, help="measured runs per figure")
    parser.add_argument("--sizes", default="300,3000,30000", help="comma-separated program counts")
    parser.add_argument("--exe", action="append", default=[], metavar="LABEL=PATH",
                        help="a build of the program to measure (default: this build)")
    args = parser.parse_args()
    exes = [tuple(given.split("=", 1)) for given in args.exe] or [
        ("this build", str(h.find_output(c.EXE_NAME)))]
    exes.append(("bare menu", str(h.find_output("bare_menu.exe"))))
    rows = []
    with h.XServer() as x:
        for size in [int(s.replace("_", "")) for s in args.sizes.split(",") if s]:
            # A prefix per build: a build that writes the data files in a form of its own would
            # otherwise make the next build's run rewrite them, and each run would pay for the
            # other's. The bare menu reads nothing and shares the first.
            prefixes = {label: h.Prefix(f"bench-{size}-{n}", x.display)
                        for n, (label, _path) in enumerate(exes[:-1])}
            prefixes[exes[-1][0]] = next(iter(prefixes.values()))
            try:
                for prefix in {id(p): p for p in prefixes.values()}.values():
                    prefix.create()
                    started = time.monotonic()
                    prefix.reg_import_text(h.uninstall_entries_reg(program_entries(size)),
                                           f"n{size}")
                    h.log(f"N={size}: registry filled in {time.monotonic() - started:.1f} s")
                first = prefixes[exes[0][0]]
                lister = median_of(args.runs, lambda: time_command(first, "uninstaller", "--list"))
                query = median_of(args.runs, lambda: time_command(
                    first, "reg", "query", c.UNINSTALL_KEY, "/s"))
                # The builds take turns, run by run, so that whatever else the machine does
                # weighs on each alike.
                grouped = size > 3000  # "All Programs" lists groups above 3,000
                runs: dict[str, list] = {label: [] for label, _path in exes}
                for run in range(args.runs + 1):  # the first is a warm-up, not counted
                    for label, path in exes:
                        prefix = prefixes[label]
                        shutil.copy2(path, prefix.unix_path(c.APP_EXE_WIN))
                        # Each run starts on a settled disk: what the copy and the run before
                        # left to write weighs on neither. A run's own flushes still count.
                        os.sync()
                        times = time_menus(x, prefix, 2 if grouped else 1)
                        if run:
                            runs[label].append(times)
                for label, _path in exes:
                    menu, opened, last = (statistics.median(column)
                                          for column in zip(*runs[label]))
                    last = "-" if math.isnan(last) else f"{last:.3f}"
                    group, own = (last, "-") if grouped else ("-", last)
                    h.log(f"N={size} {label}: menu {menu:.3f} s, All Programs {opened:.3f} s, "
                          f"first group {group} s, own menu {own} s")
                    rows.append([f"{size:,}", label, f"{menu:.3f}", f"{opened:.3f}", group, own,
                                 f"{lister:.3f}", f"{query:.3f}", f"{menu / lister:.2f}"])
                bare = float(rows[-1][2])
                for row in rows[-len(exes):]:
                    row.append(f"{float(row[2]) / bare:.2f}")
            finally:
                for prefix in {id(p): p for p in prefixes.values()}.values():
                    prefix.destroy()
    print_table(f"Under Wine, median of {args.runs} runs (seconds)",
                ["programs", "build", "menu shown", "All Programs open", "first group open",
                 "own menu open", "uninstaller --list", "reg query /s", "menu/uninstaller",
                 "menu/bare"], rows)
    return 0


if __name__ == "__main__":
    sys.exit(main())
