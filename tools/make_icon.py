#!/usr/bin/env python3
"""Draws the application icon (48 x 48, 32 bits per pixel with alpha) with ImageMagick
and packs it into a one-image .ico file.

usage: make_icon.py OUTPUT.ico
"""
import struct
import subprocess
import sys

SIZE = 48
BLUE = "#4088FF"


def render_rgba() -> bytes:
    cmd = [
        "convert", "-size", f"{SIZE}x{SIZE}", "xc:none",
        "-fill", BLUE, "-draw", "roundrectangle 2,2 45,45 10,10",
        "-fill", "white", "-font", "DejaVu-Sans-Bold", "-pointsize", "32",
        "-gravity", "center", "-annotate", "+1+1", "L",
        "-depth", "8", "rgba:-",
    ]
    data = subprocess.run(cmd, check=True, capture_output=True).stdout
    if len(data) != SIZE * SIZE * 4:
        raise SystemExit(f"make_icon: ImageMagick gave {len(data)} bytes")
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
