"""What another user of the machine may have left in the shared folders the installer
works in must not be able to steer what it writes or runs."""
import os
import shutil
import unittest
from pathlib import Path

from install_case import InstallationTestCase, content_hash, wait_for

# DLLs that the program, or Windows on its behalf, loads or might look for.
PLANTED_DLLS = ("version", "winhttp", "wininet", "uxtheme", "dwmapi")


def signed_code(value: int) -> str:
    """An HRESULT as the error box shows it: signed decimal."""
    return str(value - (1 << 32) if value & 0x80000000 else value)


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
        working = self.installer.prefix_path(self.installer.shell_folder(0x2E) + r"\Quorvex")
        working.parent.mkdir(parents=True, exist_ok=True)
        working.symlink_to(victim, target_is_directory=True)

        window = self.start()
        self.tick_and_install(window)
        # Windows removes the link and installs into a real folder of its own. Wine
        # cannot remove a link to a folder that holds something (it looks through the
        # link), so there the installer refuses with a system error instead.
        def outcome():
            for w in self.installer.windows():
                if w["visible"] and w["title"]:
                    return ("box", w)
                if w["visible"] and any(c["id"] == 1015 and c["visible"] for c in w["controls"]):
                    return ("finished", w)
            return None
        what, shown = wait_for(outcome, 120, "an error box or the finished layout")
        if what == "box":
            self.assertTrue(any(t.startswith("System error : ") for t in shown["texts"]), shown["texts"])
            self.installer.key("Return")
            self.assertEqual(self.installer.wait_exit(timeout=40), 1000)
            self.assertFalse((self.records / "installer.txt").exists(), "nothing was run")
        else:
            self.assertFalse(working.is_symlink(), "the link made way for a real folder")
        self.assertEqual(sorted(p.name for p in victim.iterdir()), ["theirs.txt"], "nothing written through")
        self.assertFalse((self.records / "installer.txt").exists(), "nothing was run")


    # --- the language file, which carries the download address -------------------------
    def data_folder(self):
        return self.installer.prefix_path(self.installer.shell_folder(0x23) + r"\BrinmarkDown\LumarouteSetup-e2e")

    def test_a_language_file_planted_as_a_link_is_replaced_not_written_through(self):
        theirs = self.prefix / "drive_c" / "theirs.ini"
        theirs.write_text("[LANSTR]\nSTR_INSTALL_PATH=Planted\n")
        language = self.data_folder() / "English.ini"
        language.parent.mkdir(parents=True, exist_ok=True)
        language.symlink_to(theirs)

        window = self.start()
        self.assertEqual(self.installer.control(window, 1012)["text"], "Installation Path:")
        self.assertEqual(theirs.read_text(), "[LANSTR]\nSTR_INSTALL_PATH=Planted\n", "their file is untouched")
        self.assertFalse(language.is_symlink(), "a file of the installer's own took the link's place")

    def test_a_data_folder_planted_as_a_link_is_not_read_or_written(self):
        self.serve_with_nginx()
        # Their folder holds a language file that would send the download elsewhere.
        victim = self.prefix / "drive_c" / "their-data"
        victim.mkdir()
        planted = "[LANSTR]\nSTR_DOWN_URL=https://localhost:1/trial/lumaroute.exe\n"
        (victim / "English.ini").write_text(planted)
        folder = self.data_folder()
        folder.parent.mkdir(parents=True, exist_ok=True)
        folder.symlink_to(victim, target_is_directory=True)

        # Windows removes the link and writes a real folder; Wine cannot remove a link to
        # a folder that holds something, so there the texts come from the program's own
        # copy. Either way the installation fetches from the real address.
        window = self.start()
        self.tick_and_install(window)
        self.wait_finished()
        self.assertEqual(self.installer_record()["hash"], content_hash(self.installer_bytes))
        self.assertEqual([p.name for p in victim.iterdir()], ["English.ini"])
        self.assertEqual((victim / "English.ini").read_text(), planted, "their folder is untouched")

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
                self.assertEqual(list(self.working_folder().iterdir()), [], "and nothing kept")


if __name__ == "__main__":
    unittest.main()
