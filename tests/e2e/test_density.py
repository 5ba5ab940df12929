"""The window on a dense display (150 %, 144 DPI): everything laid out and drawn for that
density, and a whole installation done by clicks at the scaled places.

Wine 8 has one DPI for the whole desktop, so a window moved to a monitor of another
density (WM_DPICHANGED) cannot be shown here; the layout's own table covers the sizes."""
import subprocess
import unittest
from pathlib import Path

from install_case import AGREE, INSTALL, LAUNCH, InstallationTestCase, wait_for

DPI = 144
SKIN = Path(__file__).resolve().parents[2] / "res" / "skin"


def scaled(*units: int) -> tuple:
    """96-DPI units in pixels at DPI, halves away from zero as the program rounds."""
    return tuple((u * DPI + 48) // 96 for u in units)


def rgb(*convert_args: str) -> bytes:
    return subprocess.run(["convert", *convert_args, "-depth", "8", "rgb:-"], capture_output=True,
                          check=True).stdout


def difference(shot: Path, window: dict, rect: tuple, picture: Path) -> float:
    """How far the window's pixels in `rect` (pixels) lie from `picture` scaled into it
    on white: the root mean square of the channels' differences, 0 to 255."""
    x, y, width, height = rect
    left, top = window["rect"][:2]
    seen = rgb(str(shot), "-crop", f"{width}x{height}+{left + x}+{top + y}", "+repage")
    expected = rgb(str(picture), "-background", "white", "-flatten", "-filter", "Lanczos",
                   "-resize", f"{width}x{height}!")
    return (sum((a - b) ** 2 for a, b in zip(seen, expected)) / len(seen)) ** 0.5


class DensityTest(InstallationTestCase):
    dpi = DPI

    def setUp(self):
        super().setUp()
        self.server = self.serve_with_nginx()

    def test_a_dense_display_gets_a_window_drawn_for_it_and_installs_by_its_scaled_places(self):
        (self.records / "hold").write_text("")  # keep "installing" while the banners are watched
        window = self.start()
        left, top, right, bottom = window["rect"]
        self.assertEqual((right - left, bottom - top), (1125, 540))
        install = scaled(298, 235, 168, 46)
        self.assertEqual(self.installer.control(window, 1002)["rect"],
                         [install[0], install[1], install[0] + install[2], install[1] + install[3]])
        shot = self.installer.screenshot("setup").path
        # Drawn from the pictures made for twice the density, not stretched from the others.
        for picture, rect in ((214, (200, 60, 376, 154)), (213, (40, 20, 196, 31))):
            target = scaled(*rect)
            dense = difference(shot, window, target, SKIN / "2x" / f"{picture}.png")
            stretched = difference(shot, window, target, SKIN / f"{picture}.png")
            self.assertLess(dense, stretched, f"picture {picture}: {dense:.4f} against {stretched:.4f}")

        self.installer.click(window, *scaled(*AGREE))
        self.installer.click(window, *scaled(*INSTALL))
        window = self.wait_progress_layout()
        wait_for(lambda: self.installer.control(self.installer.main_window(), 1016)["text"] == "90% ", 120,
                 "90 % while the installer runs")
        bar = self.installer.screenshot("bar")
        self.assertEqual(bar.pixel(left + scaled(48 + 270)[0], top + scaled(327)[0]), (64, 136, 255))

        # The banners take turns every five seconds: three different pictures.
        banners = []
        width, height = scaled(750, 290)

        def third_banner():
            shot = self.installer.screenshot(f"banner{len(banners)}").path
            crop = self.workdir / f"banner{len(banners)}.png"
            subprocess.run(["convert", str(shot), "-crop", f"{width}x{height}+{left}+{top}", "+repage", str(crop)],
                           check=True)
            if all(subprocess.run(["compare", "-metric", "AE", str(crop), str(seen), "null:"],
                                  capture_output=True).returncode == 1 for seen in banners):
                banners.append(crop)
            return len(banners) == 3
        wait_for(third_banner, 25, "three different banners", interval=1.5)
        (self.records / "hold").unlink()

        window = self.wait_finished()
        self.installer.click(window, *scaled(*LAUNCH))
        self.assertEqual(self.installer.wait_exit(), 1000)
        wait_for(lambda: (self.records / "product.txt").exists(), 30, "the product")


if __name__ == "__main__":
    unittest.main()
