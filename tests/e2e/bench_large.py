#!/usr/bin/env python3
"""Start-up benchmark under Wine for large input: the median time from the
program's start until its popup menu's X window is mapped, for many uninstall
subkeys (default 3,000 and 30,000), a display name of 100,000 characters, an
"All.dat" of 50 MB (600,000 lines) and a "Recent.dat" of a million lines (both
put back before every run), beside a baseline of 40 programs and small files.
Only the program is timed. Not a test: it asserts nothing beyond the exit status.

    python3 tests/e2e/bench_large.py [--runs 5] [--subkeys 3000,30000]
"""

from __future__ import annotations

import argparse
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import bench_startup as b  # noqa: E402
import constants as c  # noqa: E402
import harness as h  # noqa: E402
import test_robustness as t  # noqa: E402


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=5, help="measured runs per figure")
    parser.add_argument("--subkeys", default="3000,30000",
                        help="comma-separated uninstall subkey counts")
    args = parser.parse_args()
    rows = []

    def row(label: str, x: h.XServer, prefix: h.Prefix, prepare=None) -> None:
        seconds = b.median_of(args.runs, lambda: b.time_to_menu(x, prefix, prepare))
        rows.append([label, f"{seconds:.3f}"])
        h.log(f"{label}: {seconds:.3f} s")

    with h.XServer() as x:
        # Files and the long name, over 40 programs.
        prefix = h.Prefix("bench-large-files", x.display).create()
        try:
            entries = t.numbered_programs(40)
            lines = t.all_lines(entries)
            prefix.reg_import_text(h.uninstall_entries_reg(entries), "forty")
            row("40 programs, small files", x, prefix)
            data_dir = prefix.unix_path(c.DATA_DIR_WIN)
            big_all = t.big_all_dat(600_000, lines[2:])
            big_recent = t.big_recent_dat(1_000_000, [name for _key, name, _cmd in entries[:8]])

            def with_recent():
                (data_dir / c.ALL_DAT).write_bytes(h.crlf_lines(lines))
                (data_dir / c.RECENT_DAT).write_bytes(big_recent)

            row(f"All.dat of {len(big_all) / 1e6:.1f} MB (600,000 lines)", x, prefix,
                lambda: (data_dir / c.ALL_DAT).write_bytes(big_all))
            row(f"Recent.dat of 1,000,000 lines ({len(big_recent) / 1e6:.1f} MB)", x, prefix,
                with_recent)
            del big_all, big_recent
            prefix.reg_import_text(h.uninstall_entries_reg(
                [("Long", t.long_display_name(), r"C:\Long\unins000.exe")]), "long-name")
            row("display name of 100,000 characters", x, prefix)
        finally:
            prefix.destroy()

        for size in [int(s.replace("_", "")) for s in args.subkeys.split(",") if s]:
            prefix = h.Prefix(f"bench-large-{size}", x.display).create()
            try:
                prefix.reg_import_text(h.uninstall_entries_reg(t.numbered_programs(size)),
                                       f"subkeys-{size}")
                row(f"{size:,} uninstall subkeys", x, prefix)
            finally:
                prefix.destroy()

    b.print_table(f"Start to menu under Wine, median of {args.runs} runs after one warm-up "
                  "(seconds)", ["input", "menu shown"], rows)
    return 0


if __name__ == "__main__":
    sys.exit(main())
