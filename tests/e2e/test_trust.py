"""What another user of the machine may have left in the shared folders the installer
works in must not be able to steer what it writes or runs."""
import unittest

from install_case import InstallationTestCase, wait_for


class TrustTest(InstallationTestCase):
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


if __name__ == "__main__":
    unittest.main()
