"""Start-up: the language file on disk, the compatibility value, and the window."""
import os
import shutil
import unittest
from pathlib import Path

from e2e_case import InstallerTestCase

PERSISTED_KEY = (r"HKCU\Software\Microsoft\Windows NT\CurrentVersion\AppCompatFlags"
                 r"\Compatibility Assistant\Persisted")
DATA_FOLDER = r"C:\ProgramData\BrinmarkDown"
CSIDL_PROGRAM_FILESX86 = 0x2A

# Control id, client rectangle (left, top, right, bottom), visible after start-up.
LAYOUT = (
    (1000, [690, 20, 710, 40], True),
    (1001, [660, 20, 680, 40], True),
    (1002, [298, 235, 466, 281], True),
    (1003, [20, 329, 31, 340], True),
    (1004, [42, 329, 432, 344], True),
    (1005, [541, 329, 721, 341], True),
    (1013, [20, 344, 370, 359], False),
    (1008, [581, 381, 671, 413], True),
    (1015, [298, 235, 466, 281], False),
    (1014, [645, 317, 702, 343], False),
    (1010, [48, 320, 588, 335], False),
    (1016, [599, 320, 629, 335], False),
    (1009, [150, 388, 570, 410], True),
    (1012, [42, 388, 142, 420], True),  # the default place: Wine's UI language is English
)


def embedded_language_file() -> bytes:
    return Path(os.environ["LANGUAGE_FILE"]).read_bytes()


class StartupTest(InstallerTestCase):
    def language_file(self, base_name: str) -> Path:
        return self.installer.prefix_path(rf"{DATA_FOLDER}\{base_name}\English.ini")

    def test_window_shows_the_setup_layout_and_the_language_file_lands_on_disk(self):
        # Arguments are ignored.
        window = self.start(None, "/S", "--uninstall")

        self.assertEqual(self.language_file("LumarouteSetup").read_bytes(), embedded_language_file())

        left, top, right, bottom = window["rect"]
        self.assertEqual((right - left, bottom - top), (750, 360))
        screen = self.installer.screenshot("setup")
        self.assertLessEqual(abs((left + right) / 2 - screen.width / 2), 1, "centred across")
        self.assertLessEqual(abs((top + bottom) / 2 - screen.height / 2), 1, "centred down")

        # The path row shows the program-files folder for 32-bit programs. On 64-bit
        # Windows that is C:\Program Files (x86); Wine's 32-bit prefix has none, so
        # there the field starts empty, as wherever the shell cannot give the folder.
        # A 64-bit prefix (where the tests run the 64-bit build) has it, so there the
        # field starts with C:\Program Files (x86).
        control = self.installer.control
        self.assertEqual(control(window, 1012)["text"], "Installation Path:")
        self.assertEqual(control(window, 1009)["text"], self.installer.shell_folder(CSIDL_PROGRAM_FILESX86))

        # Every control at its place, shown or hidden as the setup layout wants.
        for control_id, rect, visible in LAYOUT:
            with self.subTest(control=control_id):
                self.assertEqual(control(window, control_id)["rect"], rect)
                self.assertEqual(control(window, control_id)["visible"], visible)
        self.assertEqual(control(window, 1013)["text"], "Please agree Brinmark License Agreement")

    def test_compatibility_value_is_written_when_the_key_exists(self):
        self.wine("reg", "add", PERSISTED_KEY, "/f")
        self.start()
        listing = self.wine("reg", "query", PERSISTED_KEY).stdout
        exe_name = r"\LumarouteSetup.exe"
        lines = [line for line in listing.splitlines() if exe_name in line]
        self.assertEqual(len(lines), 1, listing)
        self.assertRegex(lines[0], r"REG_DWORD\s+0x1\s*$")

    def test_compatibility_key_is_never_created(self):
        self.wine("reg", "delete", PERSISTED_KEY, "/f", check=False)
        self.start()
        self.assertNotEqual(self.wine("reg", "query", PERSISTED_KEY, check=False).returncode, 0)

    def test_renamed_copies_use_a_data_folder_of_their_own(self):
        for file_name, base_name in (("setup2.exe", "setup2"), ("my.setup.exe", "my.setup")):
            with self.subTest(file_name):
                copy = self.copy_program(file_name)
                run = self.new_installer()
                window = run.start(copy).main_window()
                self.assertEqual(self.language_file(base_name).read_bytes(), embedded_language_file())
                run.close_window(window)
                run.message_box()
                run.key("y")
                self.assertEqual(run.wait_exit(), 1000)
                # Wine keeps no owner, so there the maker's folder an earlier run made is
                # never the setup's own again: each copy starts as on a fresh machine.
                shutil.rmtree(self.installer.prefix_path(DATA_FOLDER))
        self.assertFalse(self.language_file("LumarouteSetup").exists())

    def test_a_data_folder_too_long_for_windows_gets_no_file_and_texts_stay_empty(self):
        # C:\ProgramData\BrinmarkDown\<230 characters>\English.ini is longer than
        # the 259 characters Windows' file and profile functions take.
        base_name = "n" * 230
        window = self.start(self.copy_program(base_name + ".exe"))
        self.assertFalse(self.installer.prefix_path(rf"{DATA_FOLDER}\{base_name}").exists())
        self.assertEqual(self.installer.control(window, 1012)["text"], "")

    def test_edited_language_file_is_read_by_the_next_lookup_and_never_steers_the_next_start(self):
        window = self.start()
        language_file = self.language_file("LumarouteSetup")
        text = language_file.read_bytes().decode("utf-16")
        edited = text.replace("Are you sure you want to quit Lumaroute Setup?", "Leave the setup now?")
        self.assertNotEqual(edited, text)
        language_file.write_bytes(edited.encode("utf-16"))  # with its byte-order mark

        self.installer.click(window, 700, 30)  # the close button
        box = self.installer.message_box()
        self.assertIn("Leave the setup now?", box["texts"])
        self.installer.key("y")
        self.assertEqual(self.installer.wait_exit(), 1000)

        # On Windows the next start finds the folder its own and writes the file anew.
        # Wine keeps no owner, so there the folder is not the setup's own any more: the
        # file is left as it is and every text comes from the program.
        run = self.new_installer()
        window = run.start(self.exe).main_window()
        self.assertEqual(language_file.read_bytes().decode("utf-16"), edited, "left as it is")
        run.close_window(window)
        self.assertIn("Are you sure you want to quit Lumaroute Setup?", run.message_box()["texts"])
        run.key("y")
        self.assertEqual(run.wait_exit(), 1000)


if __name__ == "__main__":
    unittest.main()
