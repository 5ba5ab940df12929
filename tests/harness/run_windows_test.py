#!/usr/bin/env python3
"""Runs one Windows-side test program under Wine, in a fresh clone of the template
prefix and on an Xvfb display of its own, and passes its exit status on.

usage: run_windows_test.py TEMPLATE WORKDIR PROGRAM [ARGS...]
"""
import subprocess
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import wine  # noqa: E402

TIMEOUT_SECONDS = 300


def main() -> int:
    if len(sys.argv) < 4:
        print(__doc__, file=sys.stderr)
        return 2
    template, workdir, program = (Path(a).resolve() for a in sys.argv[1:4])
    with wine.wine_session(template, workdir) as (_prefix, env):
        # The test programs find their data beside themselves.
        result = subprocess.run(wine.command(str(program), *sys.argv[4:]), env=env,
                                cwd=program.parent, timeout=TIMEOUT_SECONDS)
    return result.returncode


if __name__ == "__main__":
    sys.exit(main())
