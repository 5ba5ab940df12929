#!/usr/bin/env python3
"""Says in one line, after `make test`, which build the tests ran and what became of the
shipped 32-bit file: started, or checked as a file only.

    shipped_summary.py LAST_TEST_LOG WINE_ARCH

LAST_TEST_LOG is CTest's Testing/Temporary/LastTest.log; WINE_ARCH is win32 (the tests
ran the shipped build under 32-bit Wine) or win64 (this kernel runs no 32-bit code).
Where the tests ran the 32-bit build, `e2e.close` starts the shipped file itself and
ends it with close and Yes (exit code 1000), and `e2e.install` installs with its test
build and starts the product."""
import re
import sys
from pathlib import Path


def outcomes(log: str) -> dict:
    """Each test's name with "Passed" or "Failed", from CTest's log."""
    found = {}
    for name, block in re.findall(r'^\d+/\d+ Test: (\S+)\n(.*?)^"\1" end time', log, re.S | re.M):
        verdict = re.search(r"^Test (Passed|Failed)\.", block, re.M)
        found[name] = verdict[1] if verdict else "Failed"
    return found


def summary(results: dict, arch: str) -> str:
    checked = "checked as a file" if results.get("e2e.executable") == "Passed" else "FAILED its file check"
    if arch != "win32":
        return (f"shipped 32-bit file: {checked} only, this kernel runs no 32-bit code "
                "(the tests ran the 64-bit build under 64-bit Wine)")
    started = ("started and closed with exit code 1000 under 32-bit Wine" if results.get("e2e.close") == "Passed"
               else "NOT shown to start under 32-bit Wine (e2e.close did not pass)")
    installed = ("its test build installed and started the product" if results.get("e2e.install") == "Passed"
                 else "its test build did NOT install (e2e.install did not pass)")
    return f"shipped 32-bit file: {checked}, {started}; {installed} (the tests ran the 32-bit build)"


if __name__ == "__main__":
    log = Path(sys.argv[1])
    print(summary(outcomes(log.read_text(errors="replace") if log.exists() else ""), sys.argv[2]))
