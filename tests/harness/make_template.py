#!/usr/bin/env python3
"""Creates the template Wine prefix that every Windows-side and end-to-end test
clones. usage: make_template.py TEMPLATE"""
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
import wine  # noqa: E402

if __name__ == "__main__":
    wine.ensure_template(Path(sys.argv[1]))
    print(f"template prefix ready: {sys.argv[1]}")
