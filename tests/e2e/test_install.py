"""Whole installations against nginx over TLS on loopback, with a stand-in product
installer that records what it was given and installs a stand-in product."""
import os
import re
import time
import unittest
from pathlib import Path

from install_case import CUSTOMIZE, HIDE, LAUNCH, PATH_FIELD, InstallationTestCase, content_hash, wait_for

import wine  # noqa: E402  (found through the harness folder e2e_case adds)

GIB = 1 << 30


class InstallTest(InstallationTestCase):
    def setUp(self):
        super().setUp()
        self.server = self.serve_with_nginx()

    # --- the tests -----------------------------------------------------------------
    def test_full_installation_arrives_byte_for_byte_and_start_now_launches_the_product(self):
        (self.records / "hold").write_text("")  # keep "installing" until the layout is checked
        window = self.start()
        self.tick_and_install(window)

        window = self.wait_progress_layout()
        self.assertTrue(self.installer.control(window, 1014)["visible"], "the Hide button")
        self.assertRegex(self.installer.control(window, 1016)["text"], r"^\d{1,3}% $")
        wait_for(lambda: self.installer.control(self.installer.main_window(), 1016)["text"] == "90% ", 120,
                 "90 % while the installer runs")
        shot = self.installer.screenshot("installing")
        left, top = window["rect"][:2]
        banner = [shot.pixel(left + x, top + y) for x in range(20, 730, 40) for y in range(20, 280, 40)]
        self.assertTrue(any(b > 200 and b - r > 60 for r, _g, b in banner), "the banner shows")
        bar = shot.pixel(left + 48 + 270, top + 327)
        self.assertEqual(bar, (64, 136, 255), "the bar is filled past its middle")
        (self.records / "hold").unlink()

        window = self.wait_finished()
        self.assertFalse(self.installer.control(window, 1010)["visible"])
        self.assertFalse(self.installer.control(window, 1014)["visible"])
        # The minimise and close buttons are back, and drawn over the background, not under it.
        left, top = window["rect"][:2]

        def both_drawn():
            shot = self.installer.screenshot("finished")
            rects = [self.installer.control(window, i)["rect"] for i in (1001, 1000)]
            return all(any(max(shot.pixel(left + x, top + y)) < 160 for x in range(x0, x1) for y in range(y0, y1))
                       for x0, y0, x1, y1 in rects)
        wait_for(both_drawn, 10, "the minimise and close buttons drawn")

        record = self.installer_record()
        self.assertEqual(record["hash"], content_hash(self.installer_bytes), "what ran is what the server sent")
        self.assertEqual(record["command"], f' /verysilent /Brinmark /path="{self.default_folder()}"')

        requests = self.server.requests()
        ranged = [r for r in requests if r["range"] not in ("", "-")]
        self.assertEqual(len(requests) - len(ranged), 1, "one size probe")
        spans = sorted(tuple(map(int, re.fullmatch(r"bytes=(\d+)-(\d+)", r["range"]).groups())) for r in ranged)
        self.assertEqual(len(spans), 40)
        self.assertEqual(spans[0][0], 0)
        self.assertEqual(spans[-1][1], len(self.installer_bytes) - 1)
        for (_, end), (start, _) in zip(spans, spans[1:]):
            self.assertEqual(start, end + 1, "the ranges tile the file")
        self.assertTrue(all(r["status"] == 206 for r in ranged))

        working = self.installer.prefix_path(self.installer.shell_folder(0x2E) + r"\Quorvex")
        self.assertTrue(working.is_dir())
        self.assertEqual(list(working.iterdir()), [], "neither the download nor the installer is left")

        self.installer.click(window, *LAUNCH)
        self.assertEqual(self.installer.wait_exit(), 1000)
        self.assertFalse(working.exists(), "the empty working folder goes with the setup")
        # What the folder held tells a launch that failed from an installation that did.
        installed = sorted(p.name for p in self.installer.prefix_path(
            self.default_folder() + r"\Brinmark\Lumaroute").glob("*"))
        product = wait_for(lambda: (self.records / "product.txt").exists() and
                           (self.records / "product.txt").read_text(encoding="utf-8-sig"), 30,
                           f"the product (its folder held {installed})")
        self.assertEqual(product, self.default_folder() + r"\Brinmark\Lumaroute")
        # Started by the desktop shell (Wine's explorer.exe), as the signed-in user, not
        # by the elevated setup.
        self.assertEqual((self.records / "product-parent.txt").read_text(encoding="utf-8-sig").lower(),
                         "explorer.exe")

    @unittest.skipUnless(wine.ARCH == "win32", "the 32-bit address space it guards is the shipped file's, which "
                         "runs only where the kernel runs 32-bit code; the 64-bit build would repeat the full "
                         "installation")
    def test_a_1_gib_installer_arrives_byte_for_byte(self):
        # The program holds the whole download in memory; the 32-bit build is large
        # address aware so that this fits beside everything else in its address space.
        stub = Path(os.environ["STUB_INSTALLER"]).read_bytes()
        self.installer_bytes = self.signed(stub + os.urandom(GIB - len(stub)))
        self.installer_file.write_bytes(self.installer_bytes)
        window = self.start()
        self.tick_and_install(window)
        self.wait_finished()
        self.assertEqual(self.installer_record()["hash"], content_hash(self.installer_bytes))

    def test_hide_and_system_close_put_the_window_away_and_the_finish_brings_it_back(self):
        (self.records / "hold").write_text("")
        window = self.start()
        self.tick_and_install(window)
        window = self.wait_progress_layout()

        self.installer.click(window, *HIDE)
        self.installer.main_window(visible=False)
        self.assertTrue(self.installer.running())

        # Brought back by the finish even though it was put away twice over: once into
        # the notification area, once more by a close request, which asks nothing.
        self.installer.close_window(window)
        time.sleep(2)
        self.assertFalse(any(w["visible"] for w in self.installer.windows()), "no question, no window")
        (self.records / "hold").unlink()
        window = self.wait_finished(visible=True)
        self.assertTrue(self.installer.control(window, 1015)["visible"])

    def test_running_product_brings_the_two_notices_and_cancel_ends_the_setup(self):
        running = self.prefix / "drive_c" / "dl" / "Lumaroute.exe"
        running.parent.mkdir(parents=True, exist_ok=True)
        running.write_bytes(Path(os.environ["STUB_INSTALLER"]).read_bytes())
        self.stack.enter_context(self.background_wine(r"C:\dl\Lumaroute.exe", "/stay"))
        wait_for(lambda: (self.records / "product.txt").exists(), 30, "the running product")

        window = self.start()
        self.tick_and_install(window)
        first = self.installer.message_box()
        self.assertIn("Setup has detected that another Brinmark  Lumaroute is currently running. "
                      "Please close all instances of it now.", first["texts"])
        self.assertIn("&Retry", first["texts"])
        self.installer.key("r")
        second = wait_for(lambda: next((w for w in self.installer.windows() if w["visible"] and w["title"]
                                        and "Installation failed. Please try again." in w["texts"]), None),
                          30, "the second notice")
        self.assertIn("Cancel", second["texts"])
        self.installer.key("Escape")
        self.assertEqual(self.installer.wait_exit(), 1000)
        self.assertEqual([r for r in self.server.requests() if r["range"] not in ("", "-")], [],
                         "nothing was downloaded")

    def type_folder(self, window: dict, text: str) -> dict:
        self.installer.click(window, *CUSTOMIZE)
        window = wait_for(lambda: next((w for w in [self.installer.main_window()]
                                        if w["rect"][3] - w["rect"][1] == 434), None), 20, "the custom area")
        self.installer.click(window, *PATH_FIELD)
        self.installer.key("ctrl+a")
        self.installer.xdotool("type", "--delay", "20", text)
        wait_for(lambda: self.installer.control(self.installer.main_window(), 1009)["text"] == text,
                 20, "the typed folder")
        return window

    def test_typed_folder_that_does_not_exist_falls_back_to_the_default(self):
        window = self.type_folder(self.start(), r"C:\no such folder")
        self.tick_and_install(window)
        self.wait_finished()
        self.assertEqual(self.installer_record()["command"],
                         f' /verysilent /Brinmark /path="{self.default_folder()}"')

    def test_a_relative_folder_is_one_of_the_folder_the_setup_was_started_in(self):
        program = self.copy_program("LumarouteSetup.exe")
        launch = self.prefix / "drive_c" / "dl"
        (launch / "apps").mkdir()
        window = self.type_folder(self.start(program, cwd=launch), "apps")
        self.tick_and_install(window)
        self.wait_finished()
        self.assertEqual(self.installer_record()["command"], r' /verysilent /Brinmark /path="C:\dl\apps"')
        self.assertTrue((launch / "apps" / "Brinmark" / "Brinmark Lumaroute" / "Lumaroute.exe").is_file())


if __name__ == "__main__":
    unittest.main()
