#!/usr/bin/env bash
# Tells whether this kernel runs 32-bit x86 code natively: prints "yes" or "no".
# It runs a 93-byte static i386 ELF program, written here byte by byte, that ends with
# exit code 42 through the 32-bit system call gate. Where an i386 binfmt handler (a
# user-mode emulator such as qemu-i386) is enabled, the program may run but 32-bit Wine
# does not, so the answer is no there.
set -euo pipefail

for entry in /proc/sys/fs/binfmt_misc/*; do
  [ -f "$entry" ] || continue
  case "$(basename "$entry")" in register|status) continue ;; esac
  # An i386 ELF magic: class 32-bit, little-endian, executable, machine 3.
  if grep -qx enabled "$entry" && grep -q '^magic 7f454c4601010100000000000000000002000300' "$entry"; then
    echo no
    exit 0
  fi
done

probe=$(mktemp)
trap 'rm -f "$probe"' EXIT
# ELF header, one PT_LOAD program header, then: xor ebx,ebx; mov bl,42; xor eax,eax;
# inc eax; int 0x80.
printf '\177ELF\001\001\001\000\000\000\000\000\000\000\000\000'   >"$probe"
printf '\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000' >>"$probe"
printf '\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000' >>"$probe"
printf '\000\000\000\000'                                          >>"$probe"
printf '\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010' >>"$probe"
printf '\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000' >>"$probe"
printf '\061\333\263\052\061\300\100\315\200'                      >>"$probe"
chmod +x "$probe"
status=0
"$probe" 2>/dev/null || status=$?
if [ "$status" = 42 ]; then echo yes; else echo no; fi
