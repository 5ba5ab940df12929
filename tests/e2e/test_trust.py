"""What another user of the machine may have left in the shared folders the installer
works in must not be able to steer what it writes or runs."""
import os
import shutil
import unittest
from pathlib import Path

from e2e_case import load_tests  # noqa: F401  (the module may run in shares)
from install_case import InstallationTestCase, content_hash, wait_for

# DLLs that the program, or Windows on its behalf, loads or might look for.
PLANTED_DLLS = ("version", "winhttp", "wininet", "uxtheme", "dwmapi")


def signed_code(value: int) -> str:
    """An HRESULT as the error box shows it: signed decimal."""
    return str(value - (1 << 32) if value & 0x80000000 else value)


ERROR_REPARSE_POINT_ENCOUNTERED = 4395
# A language file that would send the download elsewhere and rename a label.
PLANTED_LANGUAGE = "[LANSTR]\nSTR_DOWN_URL=https://localhost:1/trial/lumaroute.exe\nSTR_INSTALL_PATH=Planted\n"

TRUST_E_NOSIGNATURE, TRUST_E_BAD_DIGEST = 0x800B0100, 0x80096010
CERT_E_CN_NO_MATCH, CERT_E_UNTRUSTEDROOT, CERT_E_CHAINING = 0x800B010F, 0x800B0109, 0x800B010A


class TrustTest(InstallationTestCase):
    def test_dlls_planted_beside_the_program_are_never_loaded(self):
        self.serve_with_nginx()
        exe = self.copy_program("LumarouteSetup.exe")
        for name in PLANTED_DLLS:
            shutil.copy(os.environ["PLANTED_DLL"], self.prefix / "drive_c" / "dl" / f"{name}.dll")
        # Wine takes its own builtin DLLs before any file; told to prefer a DLL found on
        # disk, it searches as Windows does, the program's folder first.
        self.env["WINEDLLOVERRIDES"] += ";" + ",".join(PLANTED_DLLS) + "=n,b"

        window = self.start(exe)
        self.tick_and_install(window)
        self.wait_finished()
        self.assertEqual(self.installer_record()["hash"], content_hash(self.installer_bytes))
        loads = self.prefix / "drive_c" / "planted-loads"
        self.assertEqual(sorted(p.name for p in loads.iterdir()) if loads.exists() else [], [])

    def test_a_working_folder_planted_as_a_link_is_not_written_through(self):
        self.serve_with_nginx()
        # Someone made the working folder a link to a folder of their choosing.
        victim = self.prefix / "drive_c" / "elsewhere"
        victim.mkdir()
        (victim / "theirs.txt").write_text("untouched")
        working = self.working_folder()
        working.parent.mkdir(parents=True, exist_ok=True)
        working.symlink_to(victim, target_is_directory=True)

        # On Windows the link itself is moved aside and a folder of the setup's own made.
        # Wine opens what a link points to even when asked for the link itself, so there
        # the setup touches neither and stops with a system error.
        self.start_and_expect_one_error_box(f"System error : {ERROR_REPARSE_POINT_ENCOUNTERED}")
        self.assertTrue(working.is_symlink(), "the link is left as it is")
        self.assertEqual(sorted(p.name for p in victim.iterdir()), ["theirs.txt"], "nothing written through")
        self.assertFalse((self.records / "installer.txt").exists(), "nothing was run")

    # --- folders someone else made first, and the language file ------------------------
    def data_folder(self):
        return self.installer.prefix_path(self.installer.shell_folder(0x23) + r"\BrinmarkDown\LumarouteSetup-e2e")

    def test_folders_someone_else_made_first_steer_nothing_and_lose_nothing(self):
        self.serve_with_nginx()
        # Their data folder, whose language file would send the download elsewhere and
        # rename a label, and a link in it that points at a file of theirs.
        data = self.data_folder()
        data.mkdir(parents=True)
        (data / "English.ini").write_text(PLANTED_LANGUAGE, encoding="utf-16")
        theirs_ini = self.prefix / "drive_c" / "theirs.ini"
        theirs_ini.write_text("theirs")
        (data / "~link.new").symlink_to(theirs_ini)
        # Their working folder, with a file of theirs in it.
        working = self.working_folder()
        working.mkdir(parents=True)
        (working / "theirs.txt").write_text("theirs")

        window = self.start()
        self.assertEqual(self.installer.control(window, 1012)["text"], "Installation Path:")
        self.tick_and_install(window)
        self.wait_finished()
        record = self.installer_record()
        self.assertEqual(record["hash"], content_hash(self.installer_bytes), "the real installer, from the real address")
        self.assertEqual(record["current"].lower(), (self.installer.shell_folder(0x2E) + r"\Quorvex").lower(),
                         "it ran in the working folder, not in the folder the setup was started from")

        self.assertEqual(sorted(p.name for p in data.iterdir()), ["English.ini", "~link.new"], "their folder is untouched")
        self.assertEqual((data / "English.ini").read_text(encoding="utf-16"), PLANTED_LANGUAGE)
        self.assertEqual(theirs_ini.read_text(), "theirs")
        self.assertEqual(list(working.iterdir()), [], "theirs is no longer in the working folder the setup used")
        aside = list(working.parent.glob("Quorvex.*.aside"))
        self.assertEqual(len(aside), 1, "it was moved aside")
        self.assertEqual([(p.name, p.read_text()) for p in aside[0].iterdir()], [("theirs.txt", "theirs")])

    def test_a_language_file_changed_while_the_window_is_open_does_not_change_what_is_fetched(self):
        self.serve_with_nginx()
        window = self.start()
        language = self.data_folder() / "English.ini"
        self.assertTrue(language.exists(), "the setup made its data folder and wrote the file")
        # Wine enforces no access list; on Windows only administrators could do this.
        language.write_text(PLANTED_LANGUAGE, encoding="utf-16")
        self.tick_and_install(window)
        self.wait_finished()
        self.assertEqual(self.installer_record()["hash"], content_hash(self.installer_bytes))

    def test_a_program_named_dot_dot_dot_exe_writes_nothing_into_program_data(self):
        program_data = self.installer.prefix_path(self.installer.shell_folder(0x23))
        before = sorted(program_data.rglob("*"))
        window = self.start(self.copy_program("...exe"))
        # Its data folder would be "BrinmarkDown\..", the application-data folder itself.
        self.assertEqual(self.installer.control(window, 1012)["text"], "Installation Path:", "texts from the program")
        self.assertEqual(sorted(program_data.rglob("*")), before)

    def test_a_data_folder_planted_as_a_link_is_not_read_or_written(self):
        self.serve_with_nginx()
        # Their folder holds a language file that would send the download elsewhere.
        victim = self.prefix / "drive_c" / "their-data"
        victim.mkdir()
        (victim / "English.ini").write_text(PLANTED_LANGUAGE, encoding="utf-16")
        folder = self.data_folder()
        folder.parent.mkdir(parents=True, exist_ok=True)
        folder.symlink_to(victim, target_is_directory=True)

        # Wine opens what a link points to even when asked for the link itself; either
        # way the link is left alone and the texts come from the program's own copy.
        window = self.start()
        self.tick_and_install(window)
        self.wait_finished()
        self.assertEqual(self.installer_record()["hash"], content_hash(self.installer_bytes))
        self.assertEqual([p.name for p in victim.iterdir()], ["English.ini"])
        self.assertEqual((victim / "English.ini").read_text(encoding="utf-16"), PLANTED_LANGUAGE, "untouched")

    # --- the product installer's publisher -------------------------------------------
    def test_an_installer_its_publisher_did_not_sign_is_never_run(self):
        self.serve_with_nginx()
        stub = Path(os.environ["STUB_INSTALLER"]).read_bytes()
        changed = bytearray(self.signed(stub))
        changed[len(stub) // 2] ^= 0x01
        cases = [
            ("unsigned", stub, {TRUST_E_NOSIGNATURE}),
            ("signed by someone else", self.signed(stub, "other_publisher"), {CERT_E_CN_NO_MATCH}),
            # Windows refuses the untrusted root in WinVerifyTrust itself; Wine accepts the
            # signature there (and in the Authenticode policy), and the signer chain's own
            # trust status shows that it stops short of a trusted root.
            ("in the publisher's name from an untrusted CA", self.signed(stub, "impostor"),
             {CERT_E_UNTRUSTEDROOT, CERT_E_CHAINING}),
            ("changed after signing", bytes(changed), {TRUST_E_BAD_DIGEST}),
        ]
        for what, program, codes in cases:
            with self.subTest(what):
                self.installer_file.write_bytes(program)
                self.installer = self.new_installer()
                box = self.start_and_expect_one_error_box("System error : ")
                shown = next(t for t in box["texts"] if t.startswith("System error : "))
                self.assertIn(shown.removeprefix("System error : "), [signed_code(c) for c in codes])
                self.assertFalse((self.records / "installer.txt").exists(), "nothing was run")
                self.assertFalse(self.working_folder().exists(), "and nothing kept")


if __name__ == "__main__":
    unittest.main()
