#!/usr/bin/env python3
"""Runs LumarouteSetup.exe under Wine.

With $DISPLAY set, the window opens there and the demo lasts until the program
ends. Without one, it runs on a private Xvfb display, saves screenshots of the
window (as it opens, and with the custom-install area open) under the output
folder, prints their paths and ends the program.

usage: demo.py PROGRAM OUTPUT_FOLDER WINE_TEMPLATE
"""
import os
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent.parent / "tests" / "harness"))
import desktop  # noqa: E402
import wine  # noqa: E402


def save_window(run: "desktop.Installer", window: dict, png: Path) -> Path:
    """Crops a screenshot of the screen to the window."""
    shot = run.screenshot("screen")
    left, top, right, bottom = window["rect"]
    subprocess.run(["convert", str(shot.path), "-crop", f"{right - left}x{bottom - top}+{left}+{top}",
                    "+repage", str(png)], check=True)
    shot.path.unlink()
    return png


def main() -> int:
    if len(sys.argv) != 4:
        print(__doc__, file=sys.stderr)
        return 2
    program, out = Path(sys.argv[1]).resolve(), Path(sys.argv[2]).resolve()
    helper = program.parent / "tests" / "e2e_helper.exe"
    out.mkdir(parents=True, exist_ok=True)
    template = wine.ensure_template(Path(sys.argv[3]).resolve())
    prefix = wine.clone_prefix(template, out / "prefix")

    display = os.environ.get("DISPLAY")
    if display:
        env = wine.wine_env(prefix, display)
        print(f"LumarouteSetup.exe is open on {display}; close it to end the demo.")
        try:
            return subprocess.run(["wine", str(program)], env=env).returncode
        finally:
            wine.stop_wineserver(prefix)

    with wine.xvfb() as xdisplay:
        env = wine.wine_env(prefix, xdisplay)
        run = desktop.Installer(env, helper, out)
        try:
            window = run.start(program).main_window()
            print(f"screenshot of the window: {save_window(run, window, out / 'LumarouteSetup.png')}")
            # The custom-install area, as the toggle under the Install button opens it.
            run.click(window, 630, 335)
            expanded = desktop.wait_for(
                lambda: next((w for w in [run.main_window()] if w["rect"][3] - w["rect"][1] > 360), None),
                20, "the custom area")
            print(f"with the custom area open: {save_window(run, expanded, out / 'LumarouteSetup-custom.png')}")
        finally:
            run.stop()
            wine.stop_wineserver(prefix)
    return 0


if __name__ == "__main__":
    sys.exit(main())
