"""Servers, networks and disks that misbehave. A download that can be completed is
completed byte for byte; one that cannot ends in exactly one error box, after which
the program ends with 1000 and nothing that is not the server's installer is run."""
import contextlib
import os
import subprocess
import time
import unittest

from e2e_case import load_tests  # noqa: F401  (the module may run in shares)
from install_case import HTTP_TIMEOUT_SECONDS, InstallationTestCase, content_hash, wait_for

import fault_server  # noqa: E402
from fault_server import (Cut, ExtraBody, Redirect, Stall, Status, Throttle, WholeFile, WrongRange,  # noqa: E402
                          always, combine)

NETWORK_ERROR = "Network error : "
PROBE_ATTEMPTS = 1 + 41  # per interface: the first try and the immediate restarts


def cut_first_attempts(request):
    """The first answer for every range drops after a third of it: a FIN for even
    ranges, a reset for odd ones, so that both ways a link can die are seen."""
    if request.range is None or request.attempt > 0:
        return None
    first, last = request.range
    return Cut((last - first + 1) // 3, rst=(first // max(1, last - first + 1)) % 2 == 1)


class FaultTest(InstallationTestCase):
    # --- what a user sees ------------------------------------------------------------
    def install_to_the_end(self):
        window = self.start()
        self.tick_and_install(window)
        self.wait_finished()
        self.assertEqual(self.installer_record()["hash"], content_hash(self.installer_bytes),
                         "what ran is exactly what the server holds")

    # --- downloads that complete -----------------------------------------------------
    def test_forty_ranges_are_in_flight_at_the_same_time(self):
        server = self.serve_with_fault_server(gather=40)
        window = self.start()
        self.tick_and_install(window)
        self.wait_finished()
        self.assertEqual(server.max_overlap(lambda request: request.range is not None), 40)
        self.assertEqual(len(server.ranges()), 40)

    def test_ranges_cut_in_the_middle_resume_where_they_stopped(self):
        # Besides the cuts, a few second answers carry more body than their range says:
        # only the range announced is kept.
        def extra_body(request):
            if request.range and request.attempt == 1 and request.range[0] % 3 == 0:
                return ExtraBody(999)
            return None

        server = self.serve_with_fault_server(plan=combine(cut_first_attempts, extra_body))
        self.install_to_the_end()

        ranges = sorted(server.ranges(), key=lambda r: (r.range[1], r.number))
        by_end = {}
        for request in ranges:
            by_end.setdefault(request.range[1], []).append(request)
        self.assertEqual(len(by_end), 40)
        for end, attempts in by_end.items():
            self.assertGreaterEqual(len(attempts), 2, f"the range ending at {end} was cut and asked again")
            cut, again = attempts[0], attempts[1]
            self.assertIn(cut.outcome, ("cut-fin", "cut-rst"))
            # What arrived before the cut is kept: the next request starts behind it,
            # never before the cut's own start, never past what was sent.
            self.assertGreater(again.range[0], cut.range[0], f"range ending at {end} resumed, not restarted")
            self.assertLessEqual(again.range[0], cut.range[0] + cut.body_bytes)
            if cut.outcome == "cut-fin":
                self.assertEqual(again.range[0], cut.range[0] + cut.body_bytes,
                                 f"range ending at {end} resumes at the first byte it lacks")
            self.assertEqual(attempts[-1].outcome, "complete")

    def test_after_wininet_gives_up_the_probe_the_installation_completes_over_winhttp(self):
        # Over WinINet the first probe stalls and the next 41 get 502 (a failure, asked again at once, where
        # a busy 503 would be waited for): the switch. Over WinHTTP one range
        # stalls. Each stall ends at the program's own time-out, well before the interfaces' 30 s default.
        stall, stalled_end = Stall(HTTP_TIMEOUT_SECONDS * 4), None

        def plan(request):
            nonlocal stalled_end
            if request.range is None:
                return None if request.attempt >= PROBE_ATTEMPTS else stall if request.attempt == 0 else Status(502)
            stalled_end = stalled_end or request.range[1]
            return stall if request.range[1] == stalled_end and request.attempt == 0 else None

        server = self.serve_with_fault_server(plan=plan)
        self.install_to_the_end()

        probes = server.probes()
        self.assertEqual([p.status for p in probes], [0] + [502] * (PROBE_ATTEMPTS - 1) + [200])
        self.assertEqual([p.method for p in probes], ["GET"] * PROBE_ATTEMPTS + ["HEAD"], "WinINet, then WinHTTP")
        stalled = [r for r in server.ranges() if r.range[1] == stalled_end]
        self.assertEqual(len(stalled), 2, "the stalled range was asked for again")
        for what, first, again in (("probe", *probes[:2]), ("range", *stalled)):
            self.assertGreaterEqual(again.start - first.start, HTTP_TIMEOUT_SECONDS - 1, f"{what}: not before")
            self.assertLess(again.start - first.start, HTTP_TIMEOUT_SECONDS * 2, f"{what}: after the time-out")

    # --- downloads that cannot complete ----------------------------------------------
    def test_answers_that_are_not_the_range_asked_for_end_in_one_network_box(self):
        hostile = {
            "ignores ranges": dict(plan=always(WholeFile())),
            "sends another range": dict(plan=always(WrongRange())),
            # One byte longer: every range belongs to a file of another size.
            "changes the file": dict(replace_after_probe=self.installer_bytes + b"\0"),
        }
        for what, options in hostile.items():
            with self.subTest(what), contextlib.ExitStack() as stack:
                server = stack.enter_context(self.fault_server(**options))
                self.installer = self.new_installer()
                self.start_and_expect_one_error_box(NETWORK_ERROR)
                self.assertFalse((self.records / "installer.txt").exists(), "nothing was run")
                self.assertFalse(self.working_folder().exists(), "nothing is left behind")
                # 1 + 41 restarts without a byte in between, the rest parked until none is in flight.
                self.assertLessEqual(len(server.ranges()), 40 + 41)

    def test_a_missing_file_is_asked_for_over_both_interfaces_then_reported(self):
        self.installer_file.unlink()
        server = self.serve_with_nginx()
        box = self.start_and_expect_one_error_box(NETWORK_ERROR)
        self.assertIn(NETWORK_ERROR + "404", box["texts"])
        verbs = [r["method"] for r in server.requests()]
        self.assertEqual(verbs, ["GET"] * PROBE_ATTEMPTS + ["HEAD"] * PROBE_ATTEMPTS,
                         "WinINet's GETs, then WinHTTP's HEADs")
        self.assertEqual([r for r in server.requests() if r["range"] not in ("", "-")], [], "no range")

    def test_an_https_address_redirected_to_plain_http_ends_in_one_network_box(self):
        # Windows' WinINet refuses such a redirect itself (12040); Wine's follows it, as
        # the plain server's log shows, and the program must refuse the answer. The box
        # shows WinHTTP's code, which asks last: 12040 where the refused redirect can be
        # read; Wine's WinHTTP refuses it as a failed redirect (12156) and lets nothing
        # of it be read.
        plain = self.stack.enter_context(fault_server.FaultServer(self.installer_file))
        location = f"http://127.0.0.1:{plain.port}/trial/lumaroute.exe"
        server = self.serve_with_fault_server(plan=lambda request: Redirect(location))
        box = self.start_and_expect_one_error_box(NETWORK_ERROR)
        self.assertTrue({NETWORK_ERROR + "12040", NETWORK_ERROR + "12156"} & set(box["texts"]), box["texts"])
        self.assertEqual(len(server.probes()), 2 * PROBE_ATTEMPTS, "retried over both interfaces")
        self.assertEqual(server.ranges() + plain.ranges(), [], "no range asked for, in clear or not")
        self.assertFalse((self.records / "installer.txt").exists(), "nothing was run")

    def test_a_full_disk_is_a_system_error_and_leaves_nothing_behind(self):
        # The working folder lies on a filesystem too small for the first segment, while
        # the other 39 ranges still trickle in.
        if os.geteuid() != 0:
            self.skipTest("mounting a small filesystem needs root")
        # The small filesystem holds the folder the working folder is made in, so that
        # the installer makes and secures that folder as it always does.
        folder = self.working_folder()
        folder.parent.mkdir(parents=True, exist_ok=True)
        subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", str(folder.parent)], check=True,
                       timeout=30)
        self.stack.callback(subprocess.run, ["umount", "-l", str(folder.parent)], timeout=30)
        server = self.serve_with_fault_server(
            plan=lambda r: Throttle(20_000) if r.range is not None and r.range[0] > 0 else None)

        window = self.start()
        self.tick_and_install(window)
        box = self.installer.message_box(timeout=120)
        self.assertIn("System error : 112", box["texts"])
        flowing = [r for r in server.ranges() if not r.end]
        self.assertEqual(len(flowing), 39, "the other ranges are still coming in")
        dismissed = time.monotonic()
        self.installer.key("Return")
        self.assertEqual(self.installer.wait_exit(timeout=HTTP_TIMEOUT_SECONDS + 30), 1000)
        # Every worker was ended and waited for: the program ends within one time-out
        # of the box, and its connections are gone with it.
        self.assertLess(time.monotonic() - dismissed, HTTP_TIMEOUT_SECONDS + 10)
        wait_for(lambda: all(r.end for r in server.ranges()), 10, "every range connection to close")
        self.assertFalse(folder.exists(), "the partial download is deleted, and the folder with it")
        self.assertFalse((self.records / "installer.txt").exists(), "nothing was run")

    def test_a_failing_product_installer_is_reported_not_finished(self):
        self.serve_with_nginx()
        (self.records / "exit-code").write_text("1")
        window = self.start()
        self.tick_and_install(window)
        self.expect_one_error_box("System error : 1")
        self.assertTrue((self.records / "installer.txt").exists(), "the installer ran")
        self.assertFalse(self.working_folder().exists(), "and was deleted, and the folder with it")


if __name__ == "__main__":
    unittest.main()
