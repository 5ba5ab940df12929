"""A new release published on the server in the middle of a download (the same size,
a new ETag, If-Range honoured): the download starts over and installs the new release
whole; a second change ends in one network error box. Never a stitched file. The first
case runs over WinHTTP (WinINet's size requests fail until the switch), the second over
WinINet."""
import os
import random
import unittest
from pathlib import Path

from install_case import INSTALLER_PADDING, InstallationTestCase, content_hash

import fault_server  # noqa: E402
from fault_server import Status  # noqa: E402

PROBE_ATTEMPTS = 1 + 41  # per interface


class ReleaseChangeTest(InstallationTestCase):
    def release(self, seed: int) -> bytes:
        """Another signed build of the stand-in, of the same size."""
        stub = Path(os.environ["STUB_INSTALLER"]).read_bytes()
        data = self.signed(stub + random.Random(seed).randbytes(INSTALLER_PADDING))
        self.assertEqual(len(data), len(self.installer_bytes))
        return data

    def test_a_release_published_mid_download_is_installed_whole(self):
        new = self.release(2027)
        server = self.serve_with_fault_server(
            releases=[new], plan=lambda r: Status(502) if r.range is None and r.attempt < PROBE_ATTEMPTS else None)
        window = self.start()
        self.tick_and_install(window)
        self.wait_finished()
        self.assertEqual(self.installer_record()["hash"], content_hash(new))

        probes = [p for p in server.probes() if p.status == 200]
        self.assertEqual([(p.method, p.etag) for p in probes],
                         [("HEAD", fault_server.etag(self.installer_bytes)), ("HEAD", fault_server.etag(new))])
        for request in server.ranges():
            asked_after = [p for p in probes if p.number < request.number][-1]
            self.assertEqual(request.if_range, asked_after.etag, "every range names the release measured")
        changed = [r for r in server.ranges() if r.status == 200]
        self.assertTrue(changed)
        for request in changed:
            self.assertEqual(request.outcome, "client-gone", "the whole file was left unread")
            self.assertLess(request.body_bytes, len(new) // 2)

    def test_a_second_change_ends_in_one_network_box(self):
        server = self.serve_with_fault_server(releases=[self.release(2027), self.release(2028)])
        self.start_and_expect_one_error_box("Network error : 200")
        self.assertEqual(len(server.probes()), 2, "started over once")
        self.assertFalse((self.records / "installer.txt").exists(), "nothing was run")


if __name__ == "__main__":
    unittest.main()
