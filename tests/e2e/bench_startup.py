#!/usr/bin/env python3
"""Start-up benchmark under Wine: time from start to the menu shown.

For N programs in the machine-wide uninstall key (default 300, 3,000 and
30,000) it fills a private prefix from a generated .reg file and prints the
median over a few runs of the program (from its start until its popup menu's
X window is mapped; then Escape ends it), ``wine uninstaller --list`` (which
lists the same key) and ``wine reg query <key> /s``, with their ratios. Not a
test: it asserts nothing.

    python3 tests/e2e/bench_startup.py [--runs 5] [--sizes 300,3000,30000]
"""

from __future__ import annotations

import argparse
import random
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


def time_to_menu(x: h.XServer, prefix: h.Prefix, prepare=None) -> float:
    """One run of the program to its menu; prepare, if given, runs first, untimed."""
    if prepare:
        prepare()
    x.move_pointer(300, 200)
    app = prefix.start_app("bench")
    try:
        h.wait_menu(x, app, timeout=900)
        elapsed = time.monotonic() - app.started
        x.keys("Escape")
        if (code := app.wait(120)) != 0:
            raise h.HarnessError(f"the program ended with {code}")
        return elapsed
    finally:
        app.kill()


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
    args = parser.parse_args()
    rows = []
    with h.XServer() as x:
        for size in [int(s.replace("_", "")) for s in args.sizes.split(",") if s]:
            prefix = h.Prefix(f"bench-{size}", x.display).create()
            try:
                started = time.monotonic()
                prefix.reg_import_text(h.uninstall_entries_reg(program_entries(size)), f"n{size}")
                h.log(f"N={size}: registry filled in {time.monotonic() - started:.1f} s")
                app = median_of(args.runs, lambda: time_to_menu(x, prefix))
                lister = median_of(args.runs, lambda: time_command(prefix, "uninstaller", "--list"))
                query = median_of(args.runs, lambda: time_command(
                    prefix, "reg", "query", c.UNINSTALL_KEY, "/s"))
                h.log(f"N={size}: menu {app:.3f} s, uninstaller --list {lister:.3f} s, "
                      f"reg query {query:.3f} s")
                rows.append([f"{size:,}", f"{app:.3f}", f"{lister:.3f}", f"{query:.3f}",
                             f"{app / lister:.2f}", f"{app / query:.2f}"])
            finally:
                prefix.destroy()
    print_table(f"Start to menu under Wine, median of {args.runs} runs (seconds)",
                ["programs", "menu shown", "uninstaller --list", "reg query /s",
                 "menu/uninstaller", "menu/reg query"], rows)
    return 0


if __name__ == "__main__":
    sys.exit(main())
