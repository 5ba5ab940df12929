#!/usr/bin/env bash
# Writes which Wine the tests run under to FILE:
#   win32  the kernel runs 32-bit code: the tests run the shipped 32-bit program under
#          32-bit Wine;
#   win64  it does not (so 32-bit Wine cannot start): the tests run a 64-bit build of
#          the same program under 64-bit Wine.
# The same answer (runs_32bit.sh) chose the packages. The file is rewritten only when
# the answer changes, so that what depends on it is reconfigured only then.
# usage: wine_arch.sh FILE
set -euo pipefail

if [ "$(bash "$(dirname "$0")/runs_32bit.sh")" = yes ]; then
  arch=win32
else
  arch=win64
fi
if [ "$(cat "$1" 2>/dev/null)" != "$arch" ]; then
  mkdir -p "$(dirname "$1")"
  echo "$arch" > "$1"
  if [ "$arch" = win64 ]; then
    echo "this kernel runs no 32-bit code; the tests run the 64-bit build under 64-bit Wine"
  fi
fi
