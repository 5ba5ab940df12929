"""Closing and minimising from the setup layout."""
import unittest

from e2e_case import InstallerTestCase, wait_for

CLOSE_BUTTON = (700, 30)
MINIMIZE_BUTTON = (670, 30)
QUESTION = "Are you sure you want to quit Lumaroute Setup?"


class CloseTest(InstallerTestCase):
    def expect_close_question(self):
        box = self.installer.message_box()
        self.assertEqual(box["title"], "Lumaroute Setup")
        self.assertIn(QUESTION, box["texts"])
        self.assertIn("&Yes", box["texts"])
        self.assertIn("&No", box["texts"])

    def test_close_button_asks_first_no_keeps_the_window_yes_ends_with_1000(self):
        window = self.start()
        self.installer.click(window, *CLOSE_BUTTON)
        self.expect_close_question()
        self.installer.key("n")
        self.installer.wait_no_message_box()
        self.assertTrue(self.installer.running())
        self.assertEqual(self.installer.main_window()["rect"], window["rect"])

        self.installer.click(window, *CLOSE_BUTTON)
        self.expect_close_question()
        self.installer.key("y")
        self.assertEqual(self.installer.wait_exit(), 1000)

    def test_system_close_in_the_setup_layout_asks_the_same_question(self):
        window = self.start()
        self.installer.close_window(window)
        self.expect_close_question()
        self.installer.key("n")
        self.installer.wait_no_message_box()
        self.assertTrue(self.installer.running())

        self.installer.close_window(window)
        self.expect_close_question()
        self.installer.key("y")
        self.assertEqual(self.installer.wait_exit(), 1000)

    def test_escape_asks_as_the_close_button_does(self):
        self.start()
        self.installer.key("Escape")
        self.expect_close_question()
        self.installer.key("y")
        self.assertEqual(self.installer.wait_exit(), 1000)

    def test_minimise_button_minimises_the_window(self):
        window = self.start()
        self.installer.click(window, *MINIMIZE_BUTTON)
        wait_for(lambda: any(w["minimized"] for w in self.installer.windows() if w["title"] == ""),
                 30, "the window to be minimised")
        self.assertTrue(self.installer.running())


if __name__ == "__main__":
    unittest.main()
