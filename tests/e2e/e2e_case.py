"""The shape every end-to-end test group shares: one Xvfb per test module and
one private copy of the base prefix per test class.

A test module imports ``setUpModule`` and ``tearDownModule`` from here and
derives its groups from ``PrefixGroup``.
"""

from __future__ import annotations

import unittest

import harness as h

x_server: h.XServer | None = None


def setUpModule():
    global x_server
    x_server = h.XServer().start()


def tearDownModule():
    if x_server:
        x_server.stop()


class PrefixGroup(unittest.TestCase):
    """Tests of a class share one private prefix, named after ``group`` and
    the class; programs a test starts are killed after it."""

    group = "e2e"
    prefix: h.Prefix
    x: h.XServer

    @classmethod
    def setUpClass(cls):
        cls.x = x_server
        cls.prefix = h.Prefix(f"{cls.group}-{cls.__name__}", x_server.display).create()
        try:
            cls.prepare()
        except BaseException:
            # tearDownClass does not run after a failed setUpClass.
            cls.prefix.destroy()
            raise

    @classmethod
    def prepare(cls):
        """Fixtures and runs that the tests of the class start from."""

    @classmethod
    def tearDownClass(cls):
        cls.prefix.destroy()

    def setUp(self):
        self.apps: list[h.App] = []

    def tearDown(self):
        for app in self.apps:
            app.kill()
