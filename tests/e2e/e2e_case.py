"""Base of the end-to-end tests: every test gets a fresh Wine prefix and an X
display of its own, and whatever it started is ended when it finishes."""
import contextlib
import os
import shutil
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "harness"))

import desktop  # noqa: E402
from desktop import wait_for  # noqa: E402,F401
import wine  # noqa: E402


def _path(variable: str) -> Path:
    value = os.environ.get(variable)
    if not value:
        raise unittest.SkipTest(f"{variable} is not set; run the end-to-end tests through CTest")
    return Path(value).resolve()


def load_tests(loader, tests, pattern):
    """Imported by a long module, so that CTest may run it as several entries side by
    side: with E2E_SHARD=i/n only the i-th of n shares of its cases runs (every n-th by
    name, from the i-th)."""
    shard = os.environ.get("E2E_SHARD")
    if not shard:
        return tests
    index, count = map(int, shard.split("/"))

    def cases(suite):
        for item in suite:
            yield from cases(item) if isinstance(item, unittest.TestSuite) else (item,)
    return unittest.TestSuite(sorted(cases(tests), key=lambda case: case.id())[index::count])


class InstallerTestCase(unittest.TestCase):
    """Gives each test `self.installer` (not yet started), `self.exe` and `self.prefix`."""

    # The display's density, as a test class sets it; None: Wine's 96.
    dpi = None

    def setUp(self):
        self.exe = _path("LUMAROUTE_EXE")
        self.helper = _path("E2E_HELPER")
        template = _path("WINE_TEMPLATE")
        self.workdir = _path("E2E_WORKDIR") / self.id().rsplit(".", 2)[-2] / self._testMethodName
        shutil.rmtree(self.workdir, ignore_errors=True)
        self.stack = contextlib.ExitStack()
        self.addCleanup(self.stack.close)
        self.prefix, self.env = self.stack.enter_context(wine.wine_session(template, self.workdir))
        if self.dpi:
            wine.set_dpi(self.prefix, self.dpi)
        self.installer = desktop.Installer(self.env, self.helper, self.workdir / "run")
        self.stack.callback(self.installer.stop)

    def start(self, exe: "Path | str | None" = None, *args: str, cwd: "Path | None" = None) -> dict:
        """Starts the program (in `cwd`, if given) and returns its main window once it shows."""
        self.installer.start(exe or self.exe, *args, cwd=cwd)
        return self.installer.main_window()

    def new_installer(self) -> "desktop.Installer":
        """A second run in the same prefix and display."""
        other = desktop.Installer(self.env, self.helper, self.workdir / "run2")
        self.stack.callback(other.stop)
        return other

    def copy_program(self, name: str) -> str:
        """Copies the program into C:\\dl under another file name; returns its C: path."""
        target = self.prefix / "drive_c" / "dl" / name
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copy2(self.exe, target)
        return "C:\\dl\\" + name

    @contextlib.contextmanager
    def background_wine(self, *args: str):
        """A Windows program running in this prefix for as long as the block lasts."""
        import subprocess
        proc = subprocess.Popen(wine.command(*args), env=self.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, start_new_session=True)
        try:
            yield proc
        finally:
            wine.kill_group(proc)

    def wine(self, *args: str, check: bool = True):
        import subprocess
        return subprocess.run(wine.command(*args), env=self.env, capture_output=True, text=True,
                              check=check, timeout=120)
