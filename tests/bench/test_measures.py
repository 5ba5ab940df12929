"""The benchmark's arithmetic: phases cut from the server's log, the comparisons and the
targets, fed with made-up readings whose answers are worked out by hand."""
import sys
import unittest
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "bench"))
import measures  # noqa: E402

MIB = measures.MIB


def entry(start: float, end: float, range_: str = "-", connection: int = 1) -> dict:
    return {"start": start, "msec": end, "range": range_, "connection": connection}


def reading(size_mib: int, limit, phases: dict, **others) -> dict:
    values = {"reference": 2.0, "reference_spread": 0.1, "reference_first_request": 0.3, "reference_write": 0.4, "process_start": 0.2, "curl": 8.0, "aria2": 4.0, "dd": 0.5, "peak_kib": 100 * 1024,
              "baseline_kib": 20 * 1024}
    values.update(others)
    return {"size": size_mib * MIB, "limit": limit, "phases": phases, **values}


def phases(total: float, transfer: float, download: float) -> dict:
    return {"click_to_probe": 0.1, "probe_to_first_range": 0.2, "transfer": transfer,
            "last_byte_to_start": total - transfer - 0.3, "total": total, "download": download, "ranges": 40,
            "start_spread": 0.3, "connections": 40}


class PhasesTest(unittest.TestCase):
    def test_the_log_cuts_the_time_from_click_to_installer_into_four_phases(self):
        cases = [
            # (log, click, started, expected phases)
            ([entry(100.4, 100.5), entry(100.9, 105.0, "bytes=0-9", 2), entry(100.8, 104.0, "bytes=10-19", 3)],
             100.0, 105.6,
             {"click_to_probe": 0.4, "probe_to_first_range": 0.4, "transfer": 4.2, "last_byte_to_start": 0.6,
              "total": 5.6, "download": 5.2, "ranges": 2, "start_spread": 0.1, "connections": 2}),
            # A range asked for again counts from the first request to the last byte of any;
            # one that waited for another's connection shows in the spread and the count.
            ([entry(10.2, 10.3), entry(10.5, 11.0, "bytes=0-9", 2), entry(11.2, 12.5, "bytes=5-9", 2),
              entry(10.5, 12.0, "bytes=10-19", 3)],
             10.0, 13.0,
             {"click_to_probe": 0.2, "probe_to_first_range": 0.3, "transfer": 2.0, "last_byte_to_start": 0.5,
              "total": 3.0, "download": 2.8, "ranges": 3, "start_spread": 0.7, "connections": 2}),
        ]
        for log, click, started, expected in cases:
            with self.subTest(expected=expected):
                got = measures.installer_phases(log, click, started)
                self.assertEqual(set(got), set(expected))
                for name, value in expected.items():
                    self.assertAlmostEqual(got[name], value, places=6, msg=name)

    def test_a_log_without_the_probe_or_the_ranges_is_refused(self):
        for log in ([entry(1, 2)], [entry(1, 2, "bytes=0-1")], []):
            with self.subTest(log=log), self.assertRaises(ValueError):
                measures.installer_phases(log, 0.0, 3.0)

    def test_the_reference_is_timed_from_setting_out_to_its_write(self):
        log = [entry(50.3, 52.0, "bytes=0-9"), entry(50.1, 51.0, "bytes=10-19")]
        got = measures.reference_times(log, 49.6, 52.2, 53.0)
        self.assertEqual(set(got), {"reference", "reference_spread", "reference_first_request", "reference_write"})
        self.assertAlmostEqual(got["reference_write"], 0.8)
        self.assertAlmostEqual(got["reference"], 3.4)
        self.assertAlmostEqual(got["reference_spread"], 0.2)
        self.assertAlmostEqual(got["reference_first_request"], 0.5)


class TargetsTest(unittest.TestCase):
    def test_each_bound_is_held_against_the_right_case(self):
        # 160 MiB over 40 connections of 2 MiB/s take 2 s at best; with 0.5 s of disk
        # the bound is 1.15 * 2 + 0.5 = 2.8 s.
        cases = [
            # (readings, expected (target, met) pairs)
            (reading(160, 2.0, phases(2.7, 2.1, 2.6)),
             [("total ≤ 1.15 × ideal + disk", True), ("peak memory ≤ size + 32 MiB", True)]),
            (reading(160, 2.0, phases(2.9, 2.1, 2.8), peak_kib=(160 + 33) * 1024),
             [("total ≤ 1.15 × ideal + disk", False), ("peak memory ≤ size + 32 MiB", False)]),
            # Unthrottled: the reference took 2 s, so the setup may take 2.5 s.
            (reading(64, None, phases(2.5, 2.0, 2.2)), [("throughput ≥ 80 % of reference", True)]),
            (reading(64, None, phases(2.6, 2.0, 2.2)), [("throughput ≥ 80 % of reference", False)]),
            (reading(16, 2.0, phases(2.0, 1.0, 1.5)), []),
        ]
        for case, expected in cases:
            with self.subTest(size=case["size"] // MIB, limit=case["limit"], total=case["phases"]["total"]):
                found = measures.targets([measures.case_row(case)])
                self.assertEqual([(name, met) for name, _, _, _, met in found], expected)

    def test_the_tables_show_every_case_and_every_target(self):
        rows = [measures.case_row(reading(160, 2.0, phases(2.9, 2.1, 2.8))),
                measures.case_row(reading(256, None, phases(2.5, 2.0, 2.2)))]
        text = measures.markdown(rows)
        self.assertIn("| 160 MiB, 2 MiB/s |", text)
        self.assertIn("| 256 MiB, unthrottled |", text)
        self.assertEqual(text.count("**no**"), 1, "the 160 MiB total misses its bound")
        csv = measures.csv_text(rows).splitlines()
        self.assertEqual(csv[0].split(","), measures.CSV_COLUMNS)
        self.assertEqual(len(csv), 3)


if __name__ == "__main__":
    unittest.main()
