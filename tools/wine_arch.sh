#!/usr/bin/env bash
# Finds out which Wine the tests run under and writes it to FILE:
#   win32  32-bit Wine runs here: the tests run the shipped 32-bit program;
#   win64  the kernel runs no 32-bit code (so 32-bit Wine cannot start): the tests run
#          a 64-bit build of the same program under 64-bit Wine.
# The file is rewritten only when the answer changes, so that what depends on it is
# reconfigured only then.
# usage: wine_arch.sh FILE
set -euo pipefail

if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  arch=win32
else
  arch=win64
fi
if [ "$(cat "$1" 2>/dev/null)" != "$arch" ]; then
  mkdir -p "$(dirname "$1")"
  echo "$arch" > "$1"
  if [ "$arch" = win64 ]; then
    echo "32-bit Wine cannot run here; the tests run the 64-bit build under 64-bit Wine"
  fi
fi
