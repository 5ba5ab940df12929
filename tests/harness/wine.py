"""Wine prefixes and X displays for the tests that run Windows code.

A template prefix is made once per build (wineboot takes a while); every test then
works in a clone of it of its own, so that no test sees what another left behind.
Each test also gets an Xvfb display of its own, since Wine makes no window without
one. Everything started here is ended by the same context manager that started it.

The tests run under 32-bit Wine, or, where the kernel runs no 32-bit code, under
64-bit Wine with 64-bit prefixes (LUMAROUTE_WINE_ARCH=win64, set by the build). Every
Wine command goes through command() and server_command() so that it reaches the
chosen loader.
"""
import contextlib
import fcntl
import os
import shutil
import signal
import subprocess
import tempfile
import time
from pathlib import Path

ARCH = os.environ.get("LUMAROUTE_WINE_ARCH", "win32")
if ARCH not in ("win32", "win64"):
    raise RuntimeError(f"LUMAROUTE_WINE_ARCH is {ARCH!r}; it must be win32 or win64")

WINE_ENV = {
    "WINEDEBUG": "-all",
    # No offer to install Mono or Gecko. No winemenubuilder either: the boot of a fresh
    # prefix starts it before services.exe, and it brings up the desktop shell
    # (explorer.exe), whose ShellWindows then fails to register with an RPCSS that cannot
    # be started yet and stays missing for the whole session, so that Start Now finds no
    # shell to start the product. On Windows RPCSS runs long before the shell.
    "WINEDLLOVERRIDES": "mscoree,mshtml=;winemenubuilder.exe=d",
    "WINEARCH": ARCH,
    "LC_ALL": "C.UTF-8",
}

if ARCH == "win64":
    # Debian's wine script takes the 32-bit loader whenever it is installed, runnable
    # or not, so the 64-bit loader and server are named outright; Wine itself starts
    # its server and further processes through these two variables.
    WINE = "/usr/lib/wine/wine64"
    WINESERVER = "/usr/lib/wine/wineserver64"
    WINE_ENV.update({"WINELOADER": WINE, "WINESERVER": WINESERVER})
else:
    WINE = "wine"
    WINESERVER = "wineserver"


def command(*args: str) -> list[str]:
    """The command line that runs `args` (a program and its arguments) under Wine."""
    return [WINE, *args]


def server_command(*args: str) -> list[str]:
    return [WINESERVER, *args]


def wine_env(prefix: Path, display: str | None = None) -> dict:
    env = dict(os.environ)
    env.update(WINE_ENV)
    env["WINEPREFIX"] = str(prefix)
    if display is not None:
        env["DISPLAY"] = display
    else:
        env.pop("DISPLAY", None)
    return env


def wine_version() -> str:
    return subprocess.run(command("--version"), capture_output=True, text=True,
                          check=True).stdout.strip()


def _run(cmd, env, timeout=300):
    subprocess.run(cmd, env=env, check=True, timeout=timeout,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def ensure_template(template: Path) -> Path:
    """Creates the template prefix unless a complete one for this Wine exists."""
    template.parent.mkdir(parents=True, exist_ok=True)
    stamp = template / ".template-ready"
    with open(template.parent / (template.name + ".lock"), "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        version = wine_version()
        if stamp.exists() and stamp.read_text() == version:
            return template
        shutil.rmtree(template, ignore_errors=True)
        env = wine_env(template)
        _run(command("wineboot", "-i"), env)
        _run(server_command("-w"), env)
        stamp.write_text(version)
    return template


def clone_prefix(template: Path, target: Path) -> Path:
    """Copies the template. The system DLLs and the side-by-side assemblies, which
    nothing writes, are shared as hard links; every other file is a copy of its own,
    since Wine rewrites some in place."""
    shutil.rmtree(target, ignore_errors=True)
    target.parent.mkdir(parents=True, exist_ok=True)
    subprocess.run(["cp", "-al", str(template), str(target)], check=True)
    shared = {target / "drive_c" / "windows" / name for name in ("system32", "syswow64", "winsxs")}
    for root, dirs, files in os.walk(target):
        if Path(root) in shared:
            dirs.clear()
            continue
        for name in files:
            path = Path(root) / name
            if path.is_symlink():
                continue
            copy = path.with_name(name + ".clone")
            shutil.copy2(path, copy)
            os.replace(copy, path)
    (target / ".template-ready").unlink(missing_ok=True)
    return target


def set_dpi(prefix: Path, dpi: int) -> None:
    """Sets the prefix's display density (the user's LogPixels, which Wine answers for
    every program); before any Wine process of the prefix runs."""
    user_reg = prefix / "user.reg"
    text = user_reg.read_text(encoding="utf-8")
    section = "[Control Panel\\\\Desktop]"
    at = text.index(section)
    line_end = text.index("\n", at) + 1
    body_end = text.find("\n\n", line_end)
    body = text[line_end:body_end]
    entries = [line for line in body.split("\n") if not line.startswith('"LogPixels"=')]
    entries.append(f'"LogPixels"=dword:{dpi:08x}')
    user_reg.write_text(text[:line_end] + "\n".join(entries) + text[body_end:], encoding="utf-8")


def _start_xvfb(width: int, height: int):
    """Starts Xvfb on a free display number; (process, DISPLAY), or (None, what it said)
    when it ended without reporting one."""
    read_fd, write_fd = os.pipe()
    with tempfile.TemporaryFile() as said:
        proc = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", f"{width}x{height}x24",
             "-nolisten", "tcp", "-noreset"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=said)
        os.close(write_fd)
        number = b""
        try:
            deadline = time.monotonic() + 20
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                chunk = os.read(read_fd, 16)
                if not chunk:
                    break
                number += chunk
        finally:
            os.close(read_fd)
        if number.endswith(b"\n"):
            return proc, ":" + number.decode().strip()
        _end(proc)
        said.seek(0)
        return None, said.read().decode(errors="replace").strip()[-500:]


def _end(proc: subprocess.Popen) -> None:
    proc.terminate()
    try:
        proc.wait(timeout=10)
    except subprocess.TimeoutExpired:
        proc.kill()
        proc.wait()


@contextlib.contextmanager
def xvfb(width: int = 1280, height: int = 1024):
    """An Xvfb server on a free display number; yields the DISPLAY value. A server
    that ends before it reports its display (seen once in a run of the whole suite,
    on a loaded machine) is started again, twice at most."""
    for _ in range(3):
        proc, display = _start_xvfb(width, height)
        if proc:
            break
    else:
        raise RuntimeError(f"Xvfb did not report its display: {display}")
    try:
        yield display
    finally:
        _end(proc)


def stop_wineserver(prefix: Path) -> None:
    """Ends every Wine process of the prefix."""
    env = wine_env(prefix)
    subprocess.run(server_command("-k"), env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)
    subprocess.run(server_command("-w"), env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=60)


@contextlib.contextmanager
def wine_session(template: Path, workdir: Path, display: bool = True):
    """A fresh prefix cloned from the template (and a display); yields (prefix, env)."""
    prefix = clone_prefix(ensure_template(template), workdir / "prefix")
    try:
        if display:
            with xvfb() as disp:
                try:
                    yield prefix, wine_env(prefix, disp)
                finally:
                    stop_wineserver(prefix)
        else:
            try:
                yield prefix, wine_env(prefix)
            finally:
                stop_wineserver(prefix)
    finally:
        shutil.rmtree(prefix, ignore_errors=True)


def windows_path(path: Path) -> str:
    """The path as Wine's Z: drive shows it."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def kill_group(proc: subprocess.Popen) -> None:
    if proc.poll() is None:
        with contextlib.suppress(ProcessLookupError):
            os.killpg(proc.pid, signal.SIGKILL)
        proc.wait()
