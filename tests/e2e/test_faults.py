"""Servers that misbehave: the ranges must really run at once, and no answer that is
not the installer asked for may end up stored or run."""
import unittest

from install_case import InstallationTestCase

from fault_server import Cut, WholeFile, always  # (found through the harness folder e2e_case adds)

NETWORK_ERROR = "Network error : "


def half_then_drop(request):
    """Each range cut off after half of its bytes."""
    if request.range is None:
        return None
    first, last = request.range
    return Cut((last - first + 1) // 2)


class FaultTest(InstallationTestCase):
    def expect_network_error_and_nothing_run(self):
        window = self.start()
        self.tick_and_install(window)
        box = self.installer.message_box(timeout=120)
        self.assertEqual(box["title"], "Error")
        self.assertTrue(any(text.startswith(NETWORK_ERROR) for text in box["texts"]), box["texts"])
        self.installer.key("Return")
        self.assertEqual(self.installer.wait_exit(), 1000)
        self.assertFalse((self.records / "installer.txt").exists(), "nothing was run")
        return box

    def test_forty_ranges_are_in_flight_at_the_same_time(self):
        server = self.serve_with_fault_server(hold=2.0)
        window = self.start()
        self.tick_and_install(window)
        self.wait_finished()
        self.assertEqual(server.max_overlap(lambda request: request.range is not None), 40)
        self.assertEqual(len(server.ranges()), 40)

    def test_an_error_page_for_the_probe_is_not_downloaded(self):
        self.installer_file.unlink()
        server = self.serve_with_nginx()
        box = self.expect_network_error_and_nothing_run()
        self.assertIn(NETWORK_ERROR + "404", box["texts"])
        self.assertEqual([r for r in server.requests() if r["range"]], [], "no range was asked for")

    def test_a_server_that_ignores_ranges_gets_nothing_stored(self):
        self.serve_with_fault_server(plan=always(WholeFile()))
        self.expect_network_error_and_nothing_run()

    def test_a_file_replaced_between_requests_is_not_stitched_together(self):
        # One byte longer: every range is announced as part of a file of another size.
        self.serve_with_fault_server(replace_after_probe=self.installer_bytes + b"\0")
        self.expect_network_error_and_nothing_run()

    def test_an_answer_that_ends_early_is_not_taken_for_a_whole_range(self):
        self.serve_with_fault_server(plan=half_then_drop)
        self.expect_network_error_and_nothing_run()


if __name__ == "__main__":
    unittest.main()
