"""Drives the real LumarouteSetup.exe under Wine the way a user would: starts it,
finds its windows, clicks at client coordinates, presses keys, and looks at the
screen. Clicks and keys go through the X server (xdotool), screenshots come from it
(ImageMagick); a small Windows-side helper lists the windows and reports the
program's full exit code.
"""
import contextlib
import json
import os
import select
import subprocess
import time
from pathlib import Path

import wine

DIALOG_CLASS = "#32770"


class Timeout(AssertionError):
    pass


def wait_for(predicate, timeout: float, what: str, interval: float = 0.25):
    """Polls until predicate() returns something true; fails after `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() > deadline:
            raise Timeout(f"timed out after {timeout:.0f} s waiting for {what}")
        time.sleep(interval)


class Screenshot:
    """An RGB picture of the whole X screen."""

    def __init__(self, png: Path):
        self.path = png
        size = subprocess.run(["identify", "-format", "%w %h", str(png)], capture_output=True,
                              text=True, check=True).stdout.split()
        self.width, self.height = int(size[0]), int(size[1])
        self.rgb = subprocess.run(["convert", str(png), "-depth", "8", "rgb:-"],
                                  capture_output=True, check=True).stdout

    def pixel(self, x: int, y: int) -> tuple:
        offset = (y * self.width + x) * 3
        return tuple(self.rgb[offset:offset + 3])


class Helper:
    """The Windows-side helper of a Wine session, started once and asked one request
    at a time (its `serve` mode), so that polling for windows starts no Wine process.
    A request that gets no answer in time (a Wine start that hung, seen on a loaded
    machine) or whose helper ended is asked once more of a helper started anew."""

    def __init__(self, env: dict, helper: Path, log: Path):
        self.env = env
        self.helper = helper
        self.log = log
        self.process = None

    def ask(self, *request: str, timeout: float = 30) -> tuple:
        """The request's output and status."""
        for attempt in range(2):
            if self.process is None:
                self.log.parent.mkdir(parents=True, exist_ok=True)
                with open(self.log, "a") as errors:
                    self.process = subprocess.Popen(
                        wine.command(str(self.helper), "serve"), env=self.env, stdin=subprocess.PIPE,
                        stdout=subprocess.PIPE, stderr=errors, start_new_session=True)
                self.pending = b""
            try:
                return self._exchange(" ".join(request), timeout)
            except (TimeoutError, EOFError, OSError) as problem:
                with open(self.log, "a") as errors:
                    errors.write(f"no answer to {request}: {problem!r}\n")
                self.stop()
                if attempt == 1:
                    raise

    def _exchange(self, request: str, timeout: float) -> tuple:
        self.process.stdin.write(request.encode() + b"\n")
        self.process.stdin.flush()
        deadline = time.monotonic() + timeout
        out = []
        while True:
            while b"\n" not in self.pending:
                remaining = deadline - time.monotonic()
                if remaining <= 0 or not select.select([self.process.stdout], [], [], remaining)[0]:
                    raise TimeoutError(f"nothing within {timeout} s")
                chunk = os.read(self.process.stdout.fileno(), 65536)
                if not chunk:
                    raise EOFError(f"the helper ended while asked {request!r}")
                self.pending += chunk
            line, _, self.pending = self.pending.partition(b"\n")
            line = line.rstrip(b"\r")  # the C runtime's text mode
            if line.startswith(b"."):
                return "".join(out), int(line[1:])
            out.append(line.decode() + "\n")

    def stop(self):
        if self.process is not None:
            wine.kill_group(self.process)
            with contextlib.suppress(OSError):  # what it was not sent is dropped
                self.process.stdin.close()
            self.process.stdout.close()
            self.process = None


class Installer:
    """One run of the program in a Wine session (prefix and display) of its own."""

    def __init__(self, env: dict, helper: Path, workdir: Path):
        self.env = env
        self.helper = helper
        self.workdir = workdir
        self.server = Helper(env, helper, workdir / "helper-stderr.txt")
        self.process = None
        self.pid = None
        self.exit_file = None

    # --- process -------------------------------------------------------------------
    def start(self, exe: "Path | str", *args: str, cwd: "Path | None" = None) -> "Installer":
        """Starts `exe`: a Linux path, or a Windows path (a str) inside the prefix; in
        `cwd` (a Linux folder inside the prefix), if given.
        Wine's own start of the helper, when it dies before the helper says a word
        (seen on a loaded machine), is tried once more; what
        Wine said is kept in the run folder."""
        self.workdir.mkdir(parents=True, exist_ok=True)
        for attempt in range(2):
            self.exit_file = self.workdir / f"exit-{time.monotonic_ns()}.txt"
            with open(self.workdir / "wine-stderr.txt", "a") as errors:
                self.process = subprocess.Popen(
                    wine.command(str(self.helper), "launch", wine.windows_path(self.exit_file),
                                 exe if isinstance(exe, str) else wine.windows_path(exe), *args),
                    env=self.env, stdout=subprocess.PIPE, stderr=errors, text=True, start_new_session=True,
                    cwd=cwd)
            line = self.process.stdout.readline().strip()
            if line or attempt == 1:
                break
            self.stop()
        if not line.isdigit():
            raise AssertionError(f"the program did not start ({line!r})")
        self.pid = int(line)
        return self

    def wait_exit(self, timeout: float = 30) -> int:
        """The program's full exit code once it has ended."""
        wait_for(lambda: self.exit_file.exists() and self.exit_file.read_text().strip(),
                 timeout, "the program to end")
        self.process.wait(timeout=timeout)
        return int(self.exit_file.read_text())

    def running(self) -> bool:
        return self.process is not None and self.process.poll() is None

    def stop(self):
        if self.process is not None:
            wine.kill_group(self.process)
            self.process.stdout.close()
        self.server.stop()

    # --- windows -------------------------------------------------------------------
    def windows(self) -> list:
        """The program's top-level windows. Each has "controls" (its child windows)
        and "texts" (the texts of the visible ones, as a user reads them)."""
        out, _ = self.server.ask("windows", str(self.pid))
        found = [json.loads(line) for line in out.splitlines()]
        for w in found:
            w["texts"] = [c["text"] for c in w["controls"] if c["visible"]]
        return found

    @staticmethod
    def control(window: dict, control_id: int) -> dict:
        matches = [c for c in window["controls"] if c["id"] == control_id]
        if len(matches) != 1:
            raise AssertionError(f"control {control_id}: {len(matches)} found")
        return matches[0]

    def _settled(self, find, timeout: float, what: str) -> dict:
        """What `find` returns once two listings in a row agree, so that a window
        still being laid out (or a box still getting its text) is not taken as done."""
        previous = None

        def settled():
            nonlocal previous
            current = find()
            if current is not None and current == previous:
                return current
            previous = current
            return None
        return wait_for(settled, timeout, what)

    def main_window(self, timeout: float = 30, visible: bool = True) -> dict:
        def find():
            for w in self.windows():
                if w["class"] == DIALOG_CLASS and w["title"] == "" and w["visible"] == visible:
                    return w
            return None
        return self._settled(find, timeout, "the installer window")

    def message_box(self, timeout: float = 30) -> dict:
        def find():
            for w in self.windows():
                if w["class"] == DIALOG_CLASS and w["visible"] and w["title"] != "":
                    return w
            return None
        return self._settled(find, timeout, "a message box")

    def wait_no_message_box(self, timeout: float = 30):
        wait_for(lambda: not any(w["visible"] and w["title"] for w in self.windows()), timeout,
                 "the message box to close")

    def accessible(self, window: dict) -> dict:
        """The window's controls as a screen reader finds them through the
        accessibility interface, by control id: name, role, state and value."""
        out, _ = self.server.ask("accessible", str(window["hwnd"]))
        return {c["id"]: c for c in map(json.loads, out.splitlines())}

    def shell_folder(self, csidl: int) -> str:
        """What the shell gives for a special folder in this prefix (empty if nothing)."""
        return self.server.ask("folder", str(csidl))[0].strip()

    def close_window(self, window: dict):
        if self.server.ask("close", str(window["hwnd"]))[1] != 0:
            raise AssertionError(f"could not post WM_CLOSE to {window['hwnd']}")

    # --- input and screen ----------------------------------------------------------
    def xdotool(self, *args: str):
        subprocess.run(["xdotool", *args], env=self.env, check=True, timeout=30)

    def click(self, window: dict, x: int, y: int):
        """A left click at client coordinates of the (borderless) window."""
        left, top = window["rect"][0], window["rect"][1]
        self.xdotool("mousemove", "--sync", str(left + x), str(top + y))
        self.xdotool("click", "1")

    def key(self, *keys: str):
        self.xdotool("key", *keys)

    def screenshot(self, name: str) -> Screenshot:
        png = self.workdir / f"{name}.png"
        subprocess.run(["import", "-window", "root", str(png)], env=self.env, check=True,
                       timeout=60)
        return Screenshot(png)

    # --- disk ----------------------------------------------------------------------
    def prefix_path(self, windows_path: str) -> Path:
        """Where a C: path of the prefix lies on the Linux side."""
        assert windows_path[:3].upper() == "C:\\"
        return Path(self.env["WINEPREFIX"]) / "drive_c" / windows_path[3:].replace("\\", "/")
