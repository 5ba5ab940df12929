#!/usr/bin/env python3
"""Draws the benchmark's results (results.csv) into one PNG: on the left, where the
setup's time goes, phase by phase, for each case; on the right, what each downloader
achieves in MiB/s.

usage: plot.py RESULTS_CSV OUTPUT_PNG
"""
import csv
import sys

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

PHASES = [("click_to_probe", "click → probe", "#9aa5b1"),
          ("probe_to_first_range", "probe → first range", "#f0b429"),
          ("transfer", "transfer", "#4088ff"),
          ("last_byte_to_start", "last byte → installer start", "#e12d39")]
TOOLS = [("total", "setup (click → installer)", "#4088ff"),
         ("reference", "bare 40-range WinINet", "#27ab83"),
         ("aria2", "aria2c -x16 -s16", "#f0b429"),
         ("curl", "curl, one connection", "#9aa5b1")]


def label(row: dict) -> str:
    limit = float(row["limit_mib_s"])
    return f"{float(row['size_mib']):g} MiB\n{'2 MiB/s/conn.' if limit else 'unthrottled'}"


def main(source: str, target: str) -> int:
    with open(source, newline="") as f:
        rows = list(csv.DictReader(f))
    names = [label(r) for r in rows]
    figure, (phases, speeds) = plt.subplots(1, 2, figsize=(14, 5.5), dpi=100)

    # Each phase as a share of the setup's total, so that small and large files compare.
    left = [0.0] * len(rows)
    for key, title, colour in PHASES:
        shares = [100 * float(r[key]) / float(r["total"]) for r in rows]
        phases.barh(names, shares, left=left, color=colour, label=title)
        left = [a + b for a, b in zip(left, shares)]
    for y, r in enumerate(rows):
        phases.text(101, y, f"{float(r['total']):.1f} s", va="center", fontsize=8)
    phases.set_xlim(0, 115)
    phases.invert_yaxis()
    phases.set_xlabel("share of the setup's time from the click to the installer's start (%)")
    phases.set_title("Where the setup's time goes")
    phases.legend(loc="lower center", bbox_to_anchor=(0.5, -0.3), ncol=2, fontsize=8)

    width = 0.8 / len(TOOLS)
    for i, (key, title, colour) in enumerate(TOOLS):
        # The reference is measured from its first request, the setup from the click.
        rates = [float(r["size_mib"]) / float(r[key]) for r in rows]
        speeds.bar([x + (i - 1.5) * width for x in range(len(rows))], rates, width, color=colour, label=title)
    speeds.set_xticks(range(len(rows)), names, fontsize=8)
    speeds.set_yscale("log")
    speeds.set_ylabel("MiB/s (log scale)")
    speeds.set_title("Throughput, same file, same server")
    speeds.legend(fontsize=8)
    speeds.grid(axis="y", which="both", alpha=0.3)

    figure.tight_layout()
    figure.savefig(target)
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2]))
