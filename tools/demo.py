#!/usr/bin/env python3
"""Runs a whole installation under Wine, against a download server on this machine.

The server is Debian's nginx over TLS on loopback (port 18443), with a test CA that
only the demo's Wine prefix trusts; it serves a stand-in product installer, signed by
a code-signing certificate of that CA, which installs a stand-in product. The program
is LumarouteSetup-e2e.exe: the same program, built with its download address pointing
at that server and requiring that publisher's signature.

With $DISPLAY set, the window opens there and the demo lasts until the program ends:
tick the licence box, press Install, then Start Now. Without one, it runs on a private
Xvfb display and does those steps itself, saving screenshots of the window under the
output folder (setup, custom area, installing, finished) and printing their paths.

With DPI set (e.g. DPI=144, a 150 % display), the prefix's display has that density and
the window is laid out and drawn for it.

usage: demo.py BUILD_FOLDER OUTPUT_FOLDER WINE_TEMPLATE
(under 64-bit Wine with LUMAROUTE_WINE_ARCH=win64, for a 64-bit build and template)
"""
import contextlib
import fcntl
import os
import random
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "harness"))
import desktop  # noqa: E402
import servers  # noqa: E402
import wine  # noqa: E402

PORT = 18443
# Taken by the end-to-end tests where they cannot have a network of their own and serve
# on this machine's loopback (tests/harness/own_network.sh).
PORT_LOCK = "/tmp/lumaroute-e2e-port.lock"
AGREE, INSTALL, CUSTOMIZE = (25, 334), (382, 258), (630, 335)  # at 96 DPI
DPI = int(os.environ.get("DPI") or 96)


def at(point: tuple) -> tuple:
    """A place of the window at 96 DPI, in pixels at the demo's density."""
    return tuple((units * DPI + 48) // 96 for units in point)


@contextlib.contextmanager
def port_held():
    fd = os.open(PORT_LOCK, os.O_RDONLY | os.O_CREAT, 0o666)
    try:
        try:
            fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
        except BlockingIOError:
            print(f"waiting for the tests that serve on port {PORT} to finish with it")
            fcntl.flock(fd, fcntl.LOCK_EX)
        yield
    finally:
        os.close(fd)


def save_window(run: "desktop.Installer", window: dict, png: Path) -> Path:
    """Crops a screenshot of the screen to the window."""
    shot = run.screenshot("screen")
    left, top, right, bottom = window["rect"]
    subprocess.run(["convert", str(shot.path), "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                    "+repage", str(png)], check=True)
    shot.path.unlink()
    return png


def walk_through(run: "desktop.Installer", program: Path, out: Path, records: Path) -> None:
    window = run.start(program).main_window()
    print(f"the window as it opens: {save_window(run, window, out / 'setup.png')}")
    run.click(window, *at(CUSTOMIZE))
    expanded = desktop.wait_for(
        lambda: next((w for w in [run.main_window()] if w["rect"][3] - w["rect"][1] > at((0, 360))[1]), None),
        20, "the custom area")
    print(f"with the custom area open: {save_window(run, expanded, out / 'setup-custom.png')}")
    run.click(expanded, *at(CUSTOMIZE))

    (records / "hold").write_text("")  # the stand-in installer waits while this exists
    run.click(window, *at(AGREE))
    run.click(window, *at(INSTALL))
    desktop.wait_for(lambda: run.control(run.main_window(), 1016)["text"] == "90% ", 120, "the download")
    print(f"installing: {save_window(run, run.main_window(), out / 'installing.png')}")
    (records / "hold").unlink()
    finished = desktop.wait_for(
        lambda: next((w for w in [run.main_window()] if run.control(w, 1015)["visible"]), None),
        120, "the finish")
    print(f"finished: {save_window(run, finished, out / 'finished.png')}")
    run.click(finished, *at(INSTALL))  # Start Now sits where Install was
    print(f"the setup ended with exit code {run.wait_exit()}")
    desktop.wait_for(lambda: (records / "product.txt").exists(), 30, "the product")
    print("the product started in " + (records / "product.txt").read_text(encoding="utf-8-sig"))


def main() -> int:
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    build, out = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()
    program = build / "LumarouteSetup-e2e.exe"
    helper = build / "tests" / "e2e_helper.exe"
    out.mkdir(parents=True, exist_ok=True)
    prefix = wine.clone_prefix(wine.ensure_template(Path(sys.argv[3]).resolve()), out / "prefix")
    records = prefix / "drive_c" / "stub-records"
    records.mkdir(parents=True)
    if DPI != 96:
        wine.set_dpi(prefix, DPI)

    docroot = out / "www"
    (docroot / "trial").mkdir(parents=True, exist_ok=True)
    certs = servers.make_test_ca(out / "certs")
    # Signed by the publisher the program requires, under the same throwaway CA.
    stub = (build / "tests" / "stub_installer.exe").read_bytes()
    installer = servers.sign_program(stub + random.Random(1).randbytes(24 * 1024 * 1024),
                                     certs.publisher_cert, certs.publisher_key, out / "signing")
    (docroot / "trial" / "lumaroute.exe").write_bytes(installer)
    (docroot / "terms-of-use.html").write_text("<h1>Brinmark License Agreement</h1>\n")

    with port_held(), servers.Nginx(out / "nginx", docroot, certs.server_cert, certs.server_key, port=PORT):
        display = os.environ.get("DISPLAY")
        try:
            if display:
                env = wine.wine_env(prefix, display)
                subprocess.run(wine.command(str(helper), "trust-ca", str(certs.ca_cert)), env=env,
                               check=True)
                print(f"LumarouteSetup is open on {display}; close it to end the demo.")
                return subprocess.run(wine.command(str(program)), env=env).returncode
            with wine.xvfb() as xdisplay:
                env = wine.wine_env(prefix, xdisplay)
                subprocess.run(wine.command(str(helper), "trust-ca", str(certs.ca_cert)), env=env,
                               check=True)
                run = desktop.Installer(env, helper, out)
                try:
                    walk_through(run, program, out, records)
                finally:
                    run.stop()
                    wine.stop_wineserver(prefix)
        finally:
            wine.stop_wineserver(prefix)
    return 0


if __name__ == "__main__":
    sys.exit(main())
