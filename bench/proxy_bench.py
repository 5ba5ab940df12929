#!/usr/bin/env python3
"""What the download's one proxy decision costs on a machine with no proxy at all:
with the Internet options never saved (automatic detection on, Windows' default) and
with them saved as "no proxy" (detection off). Runs bench/windows/proxy_decision.exe
in a fresh prefix per case on this machine's own network, and prints the medians.

usage: proxy_bench.py BUILD WINE_TEMPLATE [RUNS]
"""
import json
import statistics
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "tests" / "harness"))
import wine  # noqa: E402

SETTINGS = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings\Connections"
# The record as the options dialog saves "no proxy": flags 1 (direct), empty texts.
DIRECT_ONLY = "46000000" + "01000000" + "01000000" + "00000000" * 3 + "00" * 32


def decide(build: Path, template: Path, runs: int, direct_only: bool) -> dict:
    with tempfile.TemporaryDirectory(prefix="proxy-bench-") as work:
        with wine.wine_session(template, Path(work), display=False) as (_prefix, env):
            if direct_only:
                subprocess.run(wine.command("reg", "add", SETTINGS, "/v", "DefaultConnectionSettings", "/t",
                                            "REG_BINARY", "/d", DIRECT_ONLY, "/f"),
                               env=env, check=True, capture_output=True, timeout=120)
            out = subprocess.run(wine.command(str(build / "bench" / "proxy_decision.exe"), str(runs)), env=env,
                                 check=True, capture_output=True, text=True, timeout=600).stdout
    return json.loads(out.strip().splitlines()[-1])


def main() -> int:
    build, template = Path(sys.argv[1]), Path(sys.argv[2])
    runs = int(sys.argv[3]) if len(sys.argv) > 3 else 10
    print("| Internet options | first decision (ms) | median of the next (ms) | decided |")
    print("|---|---|---|---|")
    for name, direct_only in (("never saved: detection on", False), ('saved as "no proxy"', True)):
        result = decide(build, template, runs, direct_only)
        ms = result["ms"]
        rest = statistics.median(ms[1:]) if len(ms) > 1 else float("nan")
        print(f"| {name} | {ms[0]:.1f} | {rest:.1f} | {result['proxy'] or 'no proxy'} |")
    return 0


if __name__ == "__main__":
    sys.exit(main())
