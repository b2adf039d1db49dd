#!/usr/bin/env python3
"""Start-up benchmark under Wine: time from start to the menu shown.

For N programs in the machine-wide uninstall key (default 300, 3,000 and
30,000) it fills a private prefix from a generated .reg file, then reports
the median over a few runs of

* the program: from its start until its popup menu's X window is mapped
  (then Escape ends it);
* ``wine uninstaller --list``, which lists the same key, to its end;
* ``wine reg query <key> /s`` to its end;

and prints a table with the ratios. Not a test: it asserts nothing.

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
import harness as h  # noqa: E402

WORDS = ("Acme", "Bolt", "Cobalt", "Delta", "Ember", "Fjord", "Gamma", "Helix", "Iris",
         "Juno", "Krypton", "Lumen", "Magnet", "Nova", "Onyx", "Pixel", "Quartz", "Rivet",
         "Sable", "Tundra", "Umbra", "Vertex", "Willow", "Xenon", "Yarrow", "Zephyr")
KINDS = ("Studio", "Tools", "Player", "Editor", "Runtime", "Driver", "Suite", "Viewer",
         "Manager", "SDK", "Toolkit", "Converter")


def program_entries(count: int, seed: int = 1234):
    """Deterministic, unsorted, realistic-looking uninstall entries."""
    rng = random.Random(seed)
    entries = []
    for index in range(count):
        name = f"{rng.choice(WORDS)} {rng.choice(KINDS)} {rng.randint(1, 20)}.{rng.randint(0, 9)}"
        name += f" ({index:05d})"
        folder = f"C:\\Program Files\\{name}"
        if index % 3 == 0:
            command = f'"{folder}\\uninstall.exe" /S'
        elif index % 3 == 1:
            command = f"MsiExec.exe /X{{{rng.getrandbits(128):032X}}}"
        else:
            command = f"{folder}\\unins000.exe"
        entries.append((f"{{{rng.getrandbits(64):016X}}}-{index}", name, command))
    rng.shuffle(entries)
    return entries


def time_command(prefix: h.Prefix, *args: str) -> float:
    started = time.monotonic()
    result = prefix.wine(*args, timeout=900)
    elapsed = time.monotonic() - started
    if result.returncode != 0:
        raise h.HarnessError(f"{' '.join(args)} ended with {result.returncode}")
    return elapsed


def time_to_menu(x: h.XServer, prefix: h.Prefix, pointer=(300, 200)) -> float:
    x.move_pointer(*pointer)
    app = prefix.start_app(name="bench")
    try:
        h.wait_menu(x, app, timeout=900)
        elapsed = time.monotonic() - app.started
        x.keys("Escape")
        code = app.wait(120)
        if code != 0:
            raise h.HarnessError(f"the program ended with {code}")
        return elapsed
    finally:
        app.kill()


def median_of(runs: int, measure) -> float:
    return statistics.median(measure() for _ in range(runs))


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=5, help="measured runs per figure")
    parser.add_argument("--sizes", default="300,3000,30000",
                        help="comma-separated program counts")
    args = parser.parse_args()
    sizes = [int(s.replace("_", "")) for s in args.sizes.split(",") if s]

    rows = []
    with h.XServer() as x:
        for size in sizes:
            prefix = h.Prefix(f"bench-{size}", x.display).create()
            try:
                started = time.monotonic()
                prefix.reg_import_text(h.uninstall_entries_reg(program_entries(size)),
                                       f"uninstall-{size}")
                h.log(f"N={size}: registry filled in {time.monotonic() - started:.1f} s")
                # One warm-up run of each, not counted: it starts Wine's
                # desktop process and loads the registry hive into memory.
                time_to_menu(x, prefix)
                time_command(prefix, "uninstaller", "--list")
                app = median_of(args.runs, lambda: time_to_menu(x, prefix))
                lister = median_of(args.runs,
                                   lambda: time_command(prefix, "uninstaller", "--list"))
                query = median_of(args.runs,
                                  lambda: time_command(prefix, "reg", "query", h.UNINSTALL_KEY, "/s"))
                rows.append((size, app, lister, query))
                h.log(f"N={size}: menu {app:.3f} s, uninstaller --list {lister:.3f} s, "
                      f"reg query {query:.3f} s")
            finally:
                prefix.destroy()

    print()
    print(f"Start to menu under Wine, median of {args.runs} runs (seconds)")
    header = (f"{'programs':>9}  {'menu shown':>10}  {'uninstaller --list':>18}  "
              f"{'reg query /s':>12}  {'menu/uninstaller':>16}  {'menu/reg query':>14}")
    print(header)
    print("-" * len(header))
    for size, app, lister, query in rows:
        print(f"{size:>9,}  {app:>10.3f}  {lister:>18.3f}  {query:>12.3f}  "
              f"{app / lister:>16.2f}  {app / query:>14.2f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
