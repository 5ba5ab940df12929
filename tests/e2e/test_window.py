"""The setup layout as a user sees it and handles it: the painted window, the custom
area, dragging, hovering, the licence box and the label's place by UI language."""
import unittest

from e2e_case import InstallerTestCase, wait_for

WHITE = (255, 255, 255)
OUTLINE = (204, 204, 204)
SEPARATOR = (224, 224, 224)

CUSTOMIZE = (630, 335)
INSTALL = (382, 258)
AGREE = (25, 334)
CLOSE = (700, 30)


def is_blue(pixel) -> bool:
    red, green, blue = pixel
    return blue > 200 and blue - red > 60


def is_dark(pixel) -> bool:
    return max(pixel) < 140


class WindowTest(InstallerTestCase):
    def window_pixel(self, shot, window, x, y):
        return shot.pixel(window["rect"][0] + x, window["rect"][1] + y)

    def pixels_in(self, shot, window, rect):
        left, top, width, height = rect
        return [self.window_pixel(shot, window, x, y)
                for y in range(top, top + height) for x in range(left, left + width)]

    def test_setup_layout_is_painted_white_with_outline_separators_and_pictures(self):
        window = self.start()
        shot = self.installer.screenshot("setup")
        px = lambda x, y: self.window_pixel(shot, window, x, y)  # noqa: E731

        for x, y in ((0, 0), (749, 0), (0, 359), (749, 359), (375, 0), (375, 359), (0, 180), (749, 180)):
            self.assertEqual(px(x, y), OUTLINE, f"outline at {x},{y}")
        for x in (1, 300, 748):
            self.assertEqual(px(x, 312), SEPARATOR)
        for x, y in ((10, 100), (700, 150), (100, 300), (700, 300)):
            self.assertEqual(px(x, y), WHITE, f"background at {x},{y}")

        # Each picture inside its control's rectangle (x, y, width, height).
        for name, rect, test in (
            ("logo", (40, 20, 196, 31), is_blue),
            ("product picture", (200, 60, 376, 154), is_blue),
            ("install button", (298, 235, 168, 46), is_blue),
            ("checkbox", (20, 329, 11, 11), is_blue),
            ("licence link", (42, 329, 390, 15), is_blue),
            ("customise toggle", (541, 329, 180, 12), is_dark),
            ("close button", (690, 20, 20, 20), is_dark),
            ("minimise button", (660, 20, 20, 20), is_dark),
        ):
            self.assertTrue(any(map(test, self.pixels_in(shot, window, rect))), name)
        # Nothing of the custom area, the progress layout or the finish shows.
        self.assertEqual(window["rect"][3] - window["rect"][1], 360)

    def test_customise_toggle_grows_and_shrinks_the_window_in_place(self):
        window = self.start()
        top_left = window["rect"][:2]
        self.installer.click(window, *CUSTOMIZE)
        grown = wait_for(lambda: next((w for w in [self.installer.main_window()]
                                       if w["rect"][3] - w["rect"][1] == 434), None), 20, "the window to grow")
        self.assertEqual(grown["rect"][:2], top_left)
        shot = self.installer.screenshot("expanded")
        # The path row: the framed field, white, and the Browse button's picture.
        self.assertEqual(self.window_pixel(shot, grown, 300, 399), WHITE)
        self.assertTrue(any(map(is_dark, self.pixels_in(shot, grown, (581, 381, 90, 32)))), "Browse button")
        self.assertEqual(self.window_pixel(shot, grown, 375, 433), OUTLINE, "outline around the custom area")

        self.installer.click(grown, *CUSTOMIZE)
        shrunk = wait_for(lambda: next((w for w in [self.installer.main_window()]
                                        if w["rect"][3] - w["rect"][1] == 360), None), 20, "the window to shrink")
        self.assertEqual(shrunk["rect"][:2], top_left)

    def drag(self, window, start, by):
        left, top = window["rect"][:2]
        x, y = left + start[0], top + start[1]
        self.installer.xdotool("mousemove", "--sync", str(x), str(y))
        self.installer.xdotool("mousedown", "1")
        for step in range(1, 6):
            self.installer.xdotool("mousemove", "--sync", str(x + by[0] * step // 5), str(y + by[1] * step // 5))
        self.installer.xdotool("mouseup", "1")

    def test_dragging_empty_surface_moves_the_window_but_not_from_a_button(self):
        window = self.start()
        left, top = window["rect"][:2]
        self.drag(window, (120, 150), (-60, -40))
        moved = wait_for(lambda: next((w for w in [self.installer.main_window()]
                                       if w["rect"][:2] == [left - 60, top - 40]), None), 20, "the window to move")

        self.drag(moved, INSTALL, (80, 50))
        self.assertEqual(self.installer.main_window()["rect"][:2], [left - 60, top - 40])
        # Released away from the button, the press was no click either.
        self.assertFalse(any(w["visible"] and w["title"] for w in self.installer.windows()))

    def test_close_button_shows_its_hover_picture_under_the_mouse(self):
        window = self.start()
        before = self.pixels_in(self.installer.screenshot("normal"), window, (690, 20, 20, 20))
        self.assertFalse(any(map(is_blue, before)))
        self.installer.xdotool("mousemove", "--sync", str(window["rect"][0] + CLOSE[0]),
                               str(window["rect"][1] + CLOSE[1]))
        wait_for(lambda: any(map(is_blue, self.pixels_in(self.installer.screenshot("hover"), window,
                                                         (690, 20, 20, 20)))),
                 10, "the blue cross")
        self.installer.xdotool("mousemove", "--sync", str(window["rect"][0] + 300), str(window["rect"][1] + 150))
        wait_for(lambda: not any(map(is_blue, self.pixels_in(self.installer.screenshot("left"), window,
                                                             (690, 20, 20, 20)))),
                 10, "the dark cross again")

    def test_install_without_the_licence_accepted_asks_for_it_and_reminds_in_red(self):
        window = self.start()
        self.installer.click(window, *INSTALL)
        box = self.installer.message_box()
        self.assertEqual(box["title"], "Lumaroute Setup")
        self.assertIn("Please agree  License Agreement \uff01", box["texts"])
        self.installer.key("Return")
        self.installer.wait_no_message_box()

        window = self.installer.main_window()
        self.assertTrue(self.installer.control(window, 1013)["visible"])
        shot = self.installer.screenshot("reminder")
        reds = [p for p in self.pixels_in(shot, window, (20, 344, 350, 15)) if p[0] > 200 and p[1] < 80]
        self.assertTrue(reds, "the reminder is red")
        self.assertEqual(window["rect"][3] - window["rect"][1], 360, "still the setup layout")

        self.installer.click(window, *AGREE)
        wait_for(lambda: not self.installer.control(self.installer.main_window(), 1013)["visible"], 10,
                 "the reminder to go once the box is ticked")


class LabelLanguageTest(InstallerTestCase):
    """Wine takes the UI language from the locale variables."""

    def label_rect(self, locale: str):
        self.env["LC_ALL"] = locale
        self.env["LANG"] = locale
        window = self.start()
        return self.installer.control(window, 1012)["rect"]

    def test_italian_and_french_of_france_get_the_wide_label(self):
        self.assertEqual(self.label_rect("fr_FR.UTF-8"), [12, 388, 142, 420])

    def test_traditional_chinese_gets_the_narrow_label(self):
        self.assertEqual(self.label_rect("zh_TW.UTF-8"), [82, 388, 142, 420])

    def test_french_of_belgium_gets_the_default_place(self):
        self.assertEqual(self.label_rect("fr_BE.UTF-8"), [42, 388, 142, 420])


if __name__ == "__main__":
    unittest.main()
