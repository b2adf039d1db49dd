"""Errors, logging and polling shared by the end-to-end harness modules."""

from __future__ import annotations

import sys
import time


class HarnessError(RuntimeError):
    pass


def log(message: str) -> None:
    print(f"[e2e] {message}", file=sys.stderr, flush=True)


def wait_until(predicate, timeout: float, interval: float = 0.05, what: str = "condition"):
    """Polls predicate until it returns a truthy value; raises after timeout."""
    deadline = time.monotonic() + timeout
    while not (value := predicate()):
        if time.monotonic() > deadline:
            raise HarnessError(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)
    return value
