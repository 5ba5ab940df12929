"""What the installation tests share: the stand-in installer served by a TLS server of
their own on the port the end-to-end build of the program downloads from, with the
test CA trusted inside the test's prefix only."""
import hashlib
import os
import random
from pathlib import Path

from e2e_case import InstallerTestCase, wait_for

import fault_server  # noqa: E402  (found through the harness folder e2e_case adds)
import servers  # noqa: E402

PORT = 18443  # the server LumarouteSetup-e2e.exe was built for
HTTP_TIMEOUT_SECONDS = 8  # it gives up on a silent connection after this long
INSTALLER_PADDING = 24 * 1024 * 1024 + 13  # tens of megabytes, not a multiple of 40
AGREE, INSTALL, LAUNCH, HIDE = (25, 334), (382, 258), (382, 258), (673, 330)
CUSTOMIZE, PATH_FIELD = (630, 335), (300, 399)


def content_hash(data: bytes) -> str:
    """What the stand-in installer records as the hash of its own file: SHA-256."""
    return hashlib.sha256(data).hexdigest()


# The signed stand-in installer, by the certificate that signed it.
_STAND_IN: "dict[Path, bytes]" = {}


class InstallationTestCase(InstallerTestCase):
    """Gives `self.installer_bytes` (served at /trial/lumaroute.exe by what
    `serve()` starts) and `self.records`, where the stand-in writes what it saw."""

    def setUp(self):
        super().setUp()
        self.exe = Path(os.environ["LUMAROUTE_E2E_EXE"]).resolve()
        self.certs = servers.make_test_ca(Path(os.environ["E2E_WORKDIR"]) / "certs")
        # Signed by the publisher the program is built to require; made once for all the
        # cases of a run, since it is the same file for each.
        if self.certs.publisher_cert not in _STAND_IN:
            stub = Path(os.environ["STUB_INSTALLER"]).read_bytes()
            _STAND_IN[self.certs.publisher_cert] = self.signed(stub + random.Random(2026).randbytes(INSTALLER_PADDING))
        self.installer_bytes = _STAND_IN[self.certs.publisher_cert]
        self.docroot = self.workdir / "www"
        (self.docroot / "trial").mkdir(parents=True)
        self.installer_file = self.docroot / "trial" / "lumaroute.exe"
        self.installer_file.write_bytes(self.installer_bytes)
        self.assertEqual(self.installer.server.ask("trust-ca", str(self.certs.ca_cert))[1], 0, "the test CA is trusted")
        self.records = self.prefix / "drive_c" / "stub-records"
        self.records.mkdir(parents=True)

    def signed(self, program: bytes, signer: str = "publisher") -> bytes:
        """`program` signed with the test certificate `signer` (publisher, other_publisher
        or impostor)."""
        return servers.sign_program(program, getattr(self.certs, f"{signer}_cert"),
                                    getattr(self.certs, f"{signer}_key"), self.workdir / "signing")

    def serve_with_nginx(self) -> "servers.Nginx":
        return self.stack.enter_context(servers.Nginx(self.workdir / "nginx", self.docroot, self.certs.server_cert,
                                                      self.certs.server_key, port=PORT))

    def fault_server(self, **options) -> "fault_server.FaultServer":
        """Our own server, misbehaving as `options` (plan, hold, ...) say; not started."""
        return fault_server.FaultServer(self.installer_file, port=PORT, cert=self.certs.server_cert,
                                        key=self.certs.server_key, **options)

    def serve_with_fault_server(self, **options) -> "fault_server.FaultServer":
        """The fault server, running until the test ends."""
        return self.stack.enter_context(self.fault_server(**options))

    def tick_and_install(self, window):
        self.installer.click(window, *AGREE)
        self.installer.click(window, *INSTALL)

    def wait_progress_layout(self):
        def shown():
            window = self.installer.main_window()
            return window if self.installer.control(window, 1010)["visible"] else None
        return wait_for(shown, 30, "the progress layout")

    def wait_finished(self, visible=True):
        def finished():
            window = self.installer.main_window(visible=visible)
            return window if self.installer.control(window, 1015)["visible"] else None
        return wait_for(finished, 180, "the finished layout")

    def expect_one_error_box(self, text_start: str, timeout: float = 180) -> dict:
        """Waits for the error box, checks it is the only one, dismisses it and checks
        that the program ends with 1000 and ran nothing."""
        box = self.installer.message_box(timeout=timeout)
        self.installer.screenshot("error-box")  # kept in the test's folder, for a look
        self.assertEqual(box["title"], "Error")
        self.assertTrue(any(text.startswith(text_start) for text in box["texts"]), box["texts"])
        boxes = [w for w in self.installer.windows() if w["visible"] and w["title"]]
        self.assertEqual(len(boxes), 1, "one box")
        self.installer.key("Return")
        self.assertEqual(self.installer.wait_exit(timeout=HTTP_TIMEOUT_SECONDS + 30), 1000)
        return box

    def start_and_expect_one_error_box(self, text_start: str) -> dict:
        window = self.start()
        self.tick_and_install(window)
        return self.expect_one_error_box(text_start)

    def working_folder(self):
        return self.installer.prefix_path(self.installer.shell_folder(0x2E) + r"\Quorvex")

    def installer_record(self) -> dict:
        text = (self.records / "installer.txt").read_text(encoding="utf-8-sig")
        return dict(line.split("=", 1) for line in text.splitlines() if "=" in line)

    def default_folder(self) -> str:
        """The program-files folder for 32-bit programs, as the prefix's shell gives it:
        empty in a 32-bit prefix, C:\\Program Files (x86) in a 64-bit one."""
        return self.installer.shell_folder(0x2A)
