"""A server that caps the requests one client may have in progress, as CDN edges and
file hosts do (nginx's own limit_conn, answering 503 over the cap): the installation
completes at about the cap's pace, and the server is not hammered meanwhile. A busy
answer to the size request is asked again when Retry-After says."""
import contextlib
import unittest

from install_case import PORT, InstallationTestCase, content_hash

import servers  # noqa: E402
from fault_server import Busy  # noqa: E402

RATE = 3 * 1024 * 1024  # bytes per second per connection ("3m")
MOST_REQUESTS = 3 * 41  # three times the probe and the forty ranges


class BusyServerTest(InstallationTestCase):
    def test_a_server_capping_connections_installs_at_its_pace_without_being_hammered(self):
        for cap in (8, 2):
            with self.subTest(cap=cap), contextlib.ExitStack() as stack:
                server = stack.enter_context(servers.Nginx(
                    self.workdir / f"nginx-{cap}", self.docroot, self.certs.server_cert, self.certs.server_key,
                    port=PORT, limit_rate="3m", limit_conn=cap))
                self.installer = self.new_installer()
                stack.callback(self.installer.stop)
                window = self.start()
                self.tick_and_install(window)
                self.wait_finished()
                self.assertEqual(self.installer_record()["hash"], content_hash(self.installer_bytes))

                requests = server.requests()
                ranges = [r for r in requests if r["range"] not in ("", "-")]
                served = [r for r in ranges if r["status"] == 206]
                self.assertTrue([r for r in ranges if r["status"] == 503], "the cap was reached")
                self.assertLessEqual(len(requests), MOST_REQUESTS)
                ideal = len(self.installer_bytes) / (cap * RATE)
                transfer = max(r["msec"] for r in served) - min(r["start"] for r in served)
                self.assertLess(transfer, 2 * ideal + 2, f"at about the cap's pace ({ideal:.1f} s)")

    def test_a_busy_size_request_is_asked_again_when_retry_after_says(self):
        server = self.serve_with_fault_server(
            plan=lambda r: Busy("2") if r.range is None and r.attempt < 2 else None)
        window = self.start()
        self.tick_and_install(window)
        self.wait_finished()
        starts = [p.start for p in server.probes()]
        self.assertEqual(len(starts), 3)
        for earlier, later in zip(starts, starts[1:]):
            self.assertGreaterEqual(later - earlier, 1.9)
            self.assertLess(later - earlier, 4)


if __name__ == "__main__":
    unittest.main()
