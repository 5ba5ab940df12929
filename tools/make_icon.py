#!/usr/bin/env python3
"""Draws the application icon: the Lumaroute mark on its blue tile, as drawn by
make_skin.py for the skin, at 16, 20, 24, 32, 40, 48, 64 and 256 pixels, each drawn at
its own size, 32 bits per pixel with alpha. The 256-pixel image is stored as PNG, as
Windows reads it since Vista (a DIB that size would be a quarter of a megabyte), the
others as DIBs. make_skin.py writes res/app.ico this way too, and checks it.

usage: make_icon.py OUTPUT.ico
"""
import os
import struct
import sys
import tempfile

PNG_FROM = 256   # sizes from this one up are stored as PNG


def _skin():
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    sys.dont_write_bytecode = True   # leave no __pycache__ in tools/
    import make_skin
    return make_skin


def dib(size: int, rgba: bytes) -> bytes:
    # The colour image is a bottom-up BGRA DIB; its header counts the AND mask's rows too.
    stride = size * 4
    rows = [rgba[y * stride:(y + 1) * stride] for y in range(size)]
    xor = b"".join(
        b"".join(bytes((row[x + 2], row[x + 1], row[x], row[x + 3]))
                 for x in range(0, stride, 4))
        for row in reversed(rows))
    mask_stride = ((size + 31) // 32) * 4
    and_mask = bytes(mask_stride * size)  # alpha decides; the mask is all "opaque"
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(xor) + len(and_mask), 0, 0, 0, 0)
    return header + xor + and_mask


def png(size: int, rgba: bytes) -> bytes:
    """RGBA PNG, recompressed losslessly like the skin's pictures."""
    skin = _skin()
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "icon.png")
        skin.write_rgba_png(rgba, size, size, path)
        skin.recompress(path)
        skin.check_png(path, size, size, "RGBA")
        if skin.decoded_rgba(path) != rgba:
            raise SystemExit("make_icon: the PNG image does not hold the drawing")
        with open(path, "rb") as f:
            return f.read()


def pack_ico(images) -> bytes:
    """An .ico file of [(size, rgba)], smallest first."""
    blobs = [png(size, rgba) if size >= PNG_FROM else dib(size, rgba) for size, rgba in images]
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for (size, _), blob in zip(images, blobs):
        # a width or height of 256 is written as 0
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    return directory + b"".join(blobs)


def render():
    skin = _skin()
    images = []
    for size in skin.ICON_SIZES:
        data = skin.icon_rgba(size)
        if len(data) != size * size * 4:
            raise SystemExit(f"make_icon: the drawing at {size} gave {len(data)} bytes")
        images.append((size, data))
    return images


def build_ico() -> bytes:
    return pack_ico(render())


def check_ico(path):
    """Fails loudly unless the file's directory lists every size once, in order, each
    entry's bytes lie inside the file without overlap or gap, and each image is the
    DIB or PNG of the size and depth its entry states."""
    skin = _skin()
    with open(path, "rb") as f:
        blob = f.read()
    problems = []
    reserved, kind, count = struct.unpack("<HHH", blob[:6])
    if (reserved, kind, count) != (0, 1, len(skin.ICON_SIZES)):
        problems.append(f"header {reserved},{kind},{count}")
    end = 6 + 16 * count
    for i, size in enumerate(skin.ICON_SIZES[:count]):
        w, h, colours, zero, planes, bits, length, offset = struct.unpack(
            "<BBBBHHII", blob[6 + 16 * i:22 + 16 * i])
        where = f"entry {i} ({size})"
        if (w or 256, h or 256, colours, zero, planes, bits) != (size, size, 0, 0, 1, 32):
            problems.append(f"{where}: {w}x{h} colours {colours} planes {planes} bits {bits}")
        if offset != end or offset + length > len(blob):
            problems.append(f"{where}: bytes {offset}..{offset + length} do not follow on at {end}")
        image = blob[offset:offset + length]
        end = offset + length
        if size >= PNG_FROM:
            if image[:8] != b"\x89PNG\r\n\x1a\n" or struct.unpack(">IIBB", image[16:26]) != (size, size, 8, 6):
                problems.append(f"{where}: not an 8-bit RGBA PNG of that size")
        else:
            head = struct.unpack("<IiiHHI", image[:20]) if len(image) >= 20 else None
            want = 40 + size * size * 4 + ((size + 31) // 32) * 4 * size
            if head != (40, size, 2 * size, 1, 32, 0) or length != want:
                problems.append(f"{where}: DIB header {head}, {length} bytes, wanted {want}")
    if end != len(blob):
        problems.append(f"{len(blob) - end} bytes after the last image")
    if problems:
        raise SystemExit(f"make_icon: {path}: " + "; ".join(problems))


def main() -> int:
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    with open(sys.argv[1], "wb") as f:
        f.write(build_ico())
    check_ico(sys.argv[1])
    return 0


if __name__ == "__main__":
    sys.exit(main())
