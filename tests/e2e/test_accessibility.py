"""The window for someone without a mouse or without sight: a whole installation with
the keyboard alone, and what a screen reader finds in each layout, asked through the
accessibility interface (oleacc) as a screen reader asks."""
import re
import unittest

from install_case import AGREE, CUSTOMIZE, INSTALL, InstallationTestCase, wait_for

# Roles and states of the accessibility interface.
PUSH_BUTTON, CHECK_BOX, LINK, PROGRESS_BAR, TEXT = 43, 44, 30, 48, 42
# Windows' proxy calls a static control static text (41); Wine's has no such kind and
# calls it a client area (10).
STATIC_TEXT = (41, 10)
UNAVAILABLE, FOCUSED, CHECKED, INVISIBLE, COLLAPSED, EXPANDED = 0x1, 0x4, 0x10, 0x8000, 0x400, 0x200

LICENCE_SENTENCE = "I have read and agree to the Brinmark License Agreement"
INSTALL_RECT, AGREE_RECT = (298, 235, 168, 46), (20, 329, 11, 11)

# What a screen reader finds in each layout: every control it can reach, by id, with
# its name and role.
SETUP = {
    1001: ("Minimize", PUSH_BUTTON),
    1000: ("Close", PUSH_BUTTON),
    1002: ("Install", PUSH_BUTTON),
    1003: (LICENCE_SENTENCE, CHECK_BOX),
    1004: ("Brinmark License Agreement", LINK),
    1005: ("Customize Installation", PUSH_BUTTON),
    # The custom area stays in place below the window's edge while it is closed, its
    # field and button disabled there.
    1012: ("Installation Path:", STATIC_TEXT),
    1009: ("Installation Path:", TEXT),  # named by the label before it
    1008: ("Browse...", PUSH_BUTTON),
}
DOWNLOADING = {
    1010: ("", PROGRESS_BAR),
    1016: (re.compile(r"\d{1,3}% "), STATIC_TEXT),
    1014: ("Hide", PUSH_BUTTON),
    **{i: SETUP[i] for i in (1012, 1009, 1008)},
}
FINISHED = {
    1001: SETUP[1001],
    1000: SETUP[1000],
    1015: ("Start Now", PUSH_BUTTON),
    **{i: SETUP[i] for i in (1012, 1009, 1008)},
}


def pixels_in(shot, window, rect):
    left, top, width, height = rect
    return [shot.pixel(window["rect"][0] + x, window["rect"][1] + y)
            for y in range(top, top + height) for x in range(left, left + width)]


def differing(shot, other, window, rect) -> int:
    return sum(a != b for a, b in zip(pixels_in(shot, window, rect), pixels_in(other, window, rect)))


class AccessibilityTest(InstallationTestCase):
    def setUp(self):
        super().setUp()
        self.server = self.serve_with_nginx()

    def reachable(self) -> dict:
        """The controls a screen reader finds in the window as it is now."""
        window = self.installer.main_window()
        return {i: c for i, c in self.installer.accessible(window).items() if not c["state"] & INVISIBLE}

    def focus(self) -> int:
        return next((i for i, c in self.reachable().items() if c["state"] & FOCUSED), None)

    def press(self, key: str, focus: int):
        self.installer.key(key)
        wait_for(lambda: self.focus() == focus, 10, f"the focus on {focus} after {key}")

    def assertLayout(self, expected: dict, what: str, unavailable=(1009, 1008)):
        found = self.reachable()
        self.assertEqual(sorted(found), sorted(expected), what)
        self.assertEqual(sorted(i for i, c in found.items() if c["state"] & UNAVAILABLE), sorted(unavailable), what)
        for control, (name, role) in expected.items():
            with self.subTest(layout=what, control=control):
                if isinstance(name, re.Pattern):
                    self.assertRegex(found[control]["name"], name)
                else:
                    self.assertEqual(found[control]["name"], name)
                self.assertIn(found[control]["role"], role if isinstance(role, tuple) else (role,))
        return found

    # --- the tests -----------------------------------------------------------------
    def test_installs_with_the_keyboard_alone(self):
        (self.records / "hold").write_text("")  # keep "installing" until the layout is checked
        window = self.start()
        self.assertEqual(self.focus(), 1002, "Install has the focus from the start")
        # Windows shows no focus cue before the keyboard is used, so there Install looks
        # at the start as it does without the focus. Wine keeps no such state and shows
        # the cue at once.
        start = self.installer.screenshot("start")

        self.press("Tab", 1003)
        on_box = self.installer.screenshot("focus-on-checkbox")
        self.assertGreater(differing(on_box, start, window, AGREE_RECT), 4, "the checkbox shows the focus cue")
        self.installer.key("space")
        wait_for(lambda: self.reachable()[1003]["state"] & CHECKED, 10, "the box to be ticked")
        ticked = self.installer.screenshot("ticked")
        blue = lambda shot: sum(b > 200 and b - r > 60 for r, _g, b in pixels_in(shot, window, AGREE_RECT))  # noqa: E731
        self.assertGreater(blue(ticked), blue(on_box) + 20, "the box shows its tick")

        # On through the licence link, the customise toggle and the window's buttons, in
        # reading order and past the closed custom area, back round to Install.
        for focus in (1004, 1005, 1001, 1000, 1002):
            self.press("Tab", focus)
        on_install = self.installer.screenshot("focus-on-install")
        self.assertGreater(differing(on_install, on_box, window, INSTALL_RECT), 100, "Install shows the focus cue")

        # Back to the toggle; opened, the custom area's field and button come next.
        for focus in (1000, 1001, 1005):
            self.press("shift+Tab", focus)
        self.installer.key("space")
        wait_for(lambda: self.reachable()[1005]["state"] & EXPANDED, 10, "the custom area to open")
        for focus in (1009, 1008, 1001, 1000, 1002):
            self.press("Tab", focus)

        self.installer.key("Return")
        self.wait_progress_layout()
        wait_for(lambda: self.focus() == 1014, 10, "the focus on Hide, the one button left")
        (self.records / "hold").unlink()

        self.wait_finished()
        wait_for(lambda: self.focus() == 1015, 10, "the focus on Start Now")
        self.installer.key("Return")
        self.assertEqual(self.installer.wait_exit(), 1000)
        product = wait_for(lambda: (self.records / "product.txt").exists() and
                           (self.records / "product.txt").read_text(encoding="utf-8-sig"), 30, "the product")
        self.assertEqual(product, self.default_folder() + r"\Brinmark\Lumaroute")

    def test_a_screen_reader_finds_every_control_named_in_each_layout(self):
        (self.records / "hold").write_text("")
        window = self.start()
        found = self.assertLayout(SETUP, "setup")
        self.assertFalse(found[1003]["state"] & CHECKED)
        self.assertTrue(found[1005]["state"] & COLLAPSED)

        self.installer.click(window, *CUSTOMIZE)
        wait_for(lambda: self.reachable()[1005]["state"] & EXPANDED, 10, "the custom area to be open")
        self.assertLayout(SETUP, "setup with the custom area open", unavailable=())
        self.installer.click(window, *AGREE)
        wait_for(lambda: self.reachable()[1003]["state"] & CHECKED, 10, "the box to be ticked")
        self.installer.click(window, *INSTALL)

        self.wait_progress_layout()
        wait_for(lambda: self.installer.control(self.installer.main_window(), 1016)["text"] == "90% ", 120,
                 "90 % while the installer runs")
        found = self.assertLayout(DOWNLOADING, "downloading")
        self.assertEqual(found[1010]["value"], "90%", "the bar tells its value")
        (self.records / "hold").unlink()

        self.wait_finished()
        self.assertLayout(FINISHED, "finished")


if __name__ == "__main__":
    unittest.main()
