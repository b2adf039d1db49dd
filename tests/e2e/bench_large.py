#!/usr/bin/env python3
"""Start-up benchmark under Wine for large input: time from the program's
start until its popup menu's X window is mapped (then Escape ends it), the
median of a few runs, for

* many uninstall subkeys (default 3,000 and 30,000);
* a display name of 100,000 characters;
* an "All.dat" of 50 MB (600,000 lines), put back before every run;
* a "Recent.dat" of a million lines, put back before every run;

each beside a baseline of 40 programs and small files. Only the program is
timed: filling the registry and writing the files happen before the clock
starts. Not a test: it asserts nothing beyond the exit status.

    python3 tests/e2e/bench_large.py [--runs 5] [--subkeys 3000,30000]
"""

from __future__ import annotations

import argparse
import statistics
import sys
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import bench_startup  # noqa: E402
import harness as h  # noqa: E402
import test_robustness as t  # noqa: E402


def time_to_menu(x: h.XServer, prefix: h.Prefix, prepare=None) -> float:
    if prepare:
        prepare()
    return bench_startup.time_to_menu(x, prefix)


def median_run(x, prefix, runs: int, prepare=None) -> float:
    time_to_menu(x, prefix, prepare)  # warm-up, not counted
    return statistics.median(time_to_menu(x, prefix, prepare) for _ in range(runs))


def import_entries(prefix: h.Prefix, entries, name: str) -> float:
    started = time.monotonic()
    text = h.uninstall_entries_reg(entries)
    path = prefix.logs / f"{name}.reg"
    h.write_reg_file(path, text)
    prefix.reg_import(path)
    path.unlink()
    return time.monotonic() - started


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=5, help="measured runs per figure")
    parser.add_argument("--subkeys", default="3000,30000",
                        help="comma-separated uninstall subkey counts")
    args = parser.parse_args()
    sizes = [int(s.replace("_", "")) for s in args.subkeys.split(",") if s]

    rows: list[tuple[str, float]] = []

    def row(label: str, seconds: float) -> None:
        rows.append((label, seconds))
        h.log(f"{label}: {seconds:.3f} s")

    with h.XServer() as x:
        # Files and the long name, over 40 programs.
        prefix = h.Prefix("bench-large-files", x.display).create()
        try:
            data_dir = prefix.unix_path(t.DATA_DIR_WIN)
            entries = t.numbered_programs(40)
            programs = t.program_list(entries)
            import_entries(prefix, entries, "forty")
            row("40 programs, small files", median_run(x, prefix, args.runs))

            big_all = t.big_all_dat(600_000, programs[2:])
            big_recent = t.big_recent_dat(1_000_000, [t.display_name(e) for e in programs[:8]])
            small_all = t.list_bytes(programs)

            def with_all():
                (data_dir / "All.dat").write_bytes(big_all)

            def with_recent():
                (data_dir / "All.dat").write_bytes(small_all)
                (data_dir / "Recent.dat").write_bytes(big_recent)

            row(f"All.dat of {len(big_all) / 1e6:.1f} MB (600,000 lines)",
                median_run(x, prefix, args.runs, with_all))
            row(f"Recent.dat of 1,000,000 lines ({len(big_recent) / 1e6:.1f} MB)",
                median_run(x, prefix, args.runs, with_recent))
            del big_all, big_recent

            long_entries = entries + [("Long", t.long_display_name(), r"C:\Long\unins000.exe")]
            import_entries(prefix, long_entries[-1:], "long-name")
            row("display name of 100,000 characters", median_run(x, prefix, args.runs))
        finally:
            prefix.destroy()

        for size in sizes:
            prefix = h.Prefix(f"bench-large-{size}", x.display).create()
            try:
                seconds = import_entries(prefix, t.numbered_programs(size), f"subkeys-{size}")
                h.log(f"{size} subkeys imported in {seconds:.1f} s")
                row(f"{size:,} uninstall subkeys", median_run(x, prefix, args.runs))
            finally:
                prefix.destroy()

    print()
    print(f"Start to menu under Wine, median of {args.runs} runs after one warm-up (seconds)")
    width = max(len(label) for label, _ in rows)
    print(f"{'input':<{width}}  {'menu shown':>10}")
    print("-" * (width + 12))
    for label, seconds in rows:
        print(f"{label:<{width}}  {seconds:>10.3f}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
