#!/usr/bin/env python3
"""Draws the application icon (48 x 48, 32 bits per pixel with alpha): the Lumaroute
mark on its blue tile, as drawn by make_skin.py for the skin, packed into a one-image
.ico file. make_skin.py writes res/app.ico this way too.

usage: make_icon.py OUTPUT.ico
"""
import os
import struct
import sys

SIZE = 48


def render_rgba() -> bytes:
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    sys.dont_write_bytecode = True   # leave no __pycache__ in tools/
    import make_skin
    data = make_skin.icon_rgba(SIZE)
    if len(data) != SIZE * SIZE * 4:
        raise SystemExit(f"make_icon: the drawing gave {len(data)} bytes")
    return data


def pack_ico(rgba: bytes) -> bytes:
    # The colour image is a bottom-up BGRA DIB; its header counts the AND mask's rows too.
    rows = [rgba[y * SIZE * 4:(y + 1) * SIZE * 4] for y in range(SIZE)]
    xor = b"".join(
        b"".join(bytes((row[x + 2], row[x + 1], row[x], row[x + 3]))
                 for x in range(0, SIZE * 4, 4))
        for row in reversed(rows))
    mask_stride = ((SIZE + 31) // 32) * 4
    and_mask = bytes(mask_stride * SIZE)  # alpha decides; the mask is all "opaque"
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 32, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    image = header + xor + and_mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main() -> int:
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    with open(sys.argv[1], "wb") as f:
        f.write(pack_ico(render_rgba()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
