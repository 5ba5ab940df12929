#!/usr/bin/env python3
"""Draws the setup window's skin: the PNG images under res/skin/ and the application
icon res/app.ico.

usage: make_skin.py [--preview DIR]

Every shape is drawn here, in Python, from signed distance functions (anti-aliased by
the distance to the edge); the text comes from ImageMagick's FreeType rendering of the
DejaVu fonts as coverage masks, and ImageMagick writes the PNG files in the exact pixel
format each one needs. Each file is then recompressed losslessly (Debian's zopflipng, or
optipng where zopflipng would change the pixel format), since the pictures are most of
the program's size. Each file written is read back and its header, transparency chunk,
size and pixels checked. Two runs give byte-identical files.

--preview DIR also writes a contact sheet and two mock-ups of the window into DIR.
"""
import hashlib
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
SKIN_DIR = os.path.join(ROOT, "res", "skin")
ICON_PATH = os.path.join(ROOT, "res", "app.ico")

CONVERT = "/usr/bin/convert"
ZOPFLIPNG = "/usr/bin/zopflipng"
OPTIPNG = "/usr/bin/optipng"
MONTAGE = "/usr/bin/montage"
FONT = "DejaVu-Sans"
FONT_BOLD = "DejaVu-Sans-Bold"

# One blue family around the progress bar's colour.
BLUE = (64, 136, 255)           # buttons (normal), frames, icons on hover
BLUE_DARK = (44, 112, 230)      # pressed buttons, links, blue text
BLUE_LIGHT = (90, 154, 255)     # hovered buttons
BLUE_TILE_TOP = (104, 166, 255)
BLUE_TILE_BOTTOM = (36, 100, 222)
WHITE = (255, 255, 255)
INK = (51, 51, 51)              # text
INK_SOFT = (85, 85, 85)         # window glyphs and small labels
INK_MUTED = (110, 118, 130)
TITLE_INK = (30, 41, 59)
FRAME = (204, 204, 204)         # the window's own outline colour


# --------------------------------------------------------------------------- shapes

def clamp01(v):
    return 0.0 if v <= 0.0 else (1.0 if v >= 1.0 else v)


def smoothstep(t):
    t = clamp01(t)
    return t * t * (3.0 - 2.0 * t)


class Shape:
    """A region given by a signed distance (negative inside), in pixel units, where
    pixel (x, y) covers the square [x, x+1] x [y, y+1]."""

    def sdf(self, px, py):
        raise NotImplementedError

    def bbox(self):
        raise NotImplementedError

    def coverage(self, x, y, ss):
        if ss == 1:
            return clamp01(0.5 - self.sdf(x + 0.5, y + 0.5))
        total = 0.0
        step = 1.0 / ss
        for j in range(ss):
            py = y + (j + 0.5) * step
            for i in range(ss):
                total += clamp01(0.5 - self.sdf(x + (i + 0.5) * step, py) * ss)
        return total / (ss * ss)


class RoundRect(Shape):
    def __init__(self, x0, y0, x1, y1, r):
        self.cx, self.cy = (x0 + x1) / 2, (y0 + y1) / 2
        self.hx, self.hy = (x1 - x0) / 2, (y1 - y0) / 2
        self.r = min(r, self.hx, self.hy)
        self.box = (x0, y0, x1, y1)

    def sdf(self, px, py):
        qx = abs(px - self.cx) - (self.hx - self.r)
        qy = abs(py - self.cy) - (self.hy - self.r)
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - self.r

    def bbox(self):
        return self.box


class Circle(Shape):
    def __init__(self, cx, cy, r):
        self.cx, self.cy, self.r = cx, cy, r

    def sdf(self, px, py):
        return math.hypot(px - self.cx, py - self.cy) - self.r

    def bbox(self):
        return (self.cx - self.r, self.cy - self.r, self.cx + self.r, self.cy + self.r)


def _segment_distance(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy
    t = 0.0 if ll == 0 else clamp01(((px - ax) * dx + (py - ay) * dy) / ll)
    return math.hypot(px - ax - t * dx, py - ay - t * dy)


class Stroke(Shape):
    """A polyline of the given width with round caps and joins."""

    def __init__(self, points, width):
        self.points = list(points)
        self.half = width / 2
        self.segments = list(zip(self.points, self.points[1:])) or [(self.points[0],) * 2]

    def sdf(self, px, py):
        best = min(_segment_distance(px, py, a[0], a[1], b[0], b[1])
                   for a, b in self.segments)
        return best - self.half

    def bbox(self):
        xs = [p[0] for p in self.points]
        ys = [p[1] for p in self.points]
        h = self.half
        return (min(xs) - h, min(ys) - h, max(xs) + h, max(ys) + h)


class Polygon(Shape):
    def __init__(self, points):
        self.points = list(points)

    def sdf(self, px, py):
        pts = self.points
        best = float("inf")
        inside = False
        for i in range(len(pts)):
            ax, ay = pts[i - 1]
            bx, by = pts[i]
            best = min(best, _segment_distance(px, py, ax, ay, bx, by))
            if (ay > py) != (by > py) and px < ax + (py - ay) * (bx - ax) / (by - ay):
                inside = not inside
        return -best if inside else best

    def bbox(self):
        xs = [p[0] for p in self.points]
        ys = [p[1] for p in self.points]
        return (min(xs), min(ys), max(xs), max(ys))


class Border(Shape):
    """The band of the given width just inside another shape's edge."""

    def __init__(self, shape, width):
        self.shape, self.w = shape, width

    def sdf(self, px, py):
        return abs(self.shape.sdf(px, py) + self.w / 2) - self.w / 2

    def bbox(self):
        return self.shape.bbox()


class Soft(Shape):
    """Another shape with an edge blurred over `feather` pixels each way."""

    def __init__(self, shape, feather):
        self.shape, self.f = shape, feather

    def sdf(self, px, py):
        return self.shape.sdf(px, py)

    def coverage(self, x, y, ss):
        d = self.shape.sdf(x + 0.5, y + 0.5)
        return smoothstep(0.5 - d / (2 * self.f))

    def bbox(self):
        b = self.shape.bbox()
        return (b[0] - self.f, b[1] - self.f, b[2] + self.f, b[3] + self.f)


class Placed(Shape):
    """A shape drawn in unit coordinates, scaled by `s` and moved to (ox, oy)."""

    def __init__(self, shape, ox, oy, s):
        self.shape, self.ox, self.oy, self.s = shape, ox, oy, s

    def sdf(self, px, py):
        return self.shape.sdf((px - self.ox) / self.s, (py - self.oy) / self.s) * self.s

    def bbox(self):
        b = self.shape.bbox()
        s = self.s
        return (self.ox + b[0] * s, self.oy + b[1] * s, self.ox + b[2] * s, self.oy + b[3] * s)


def bezier(p0, p1, p2, p3, n=48):
    out = []
    for i in range(n + 1):
        t = i / n
        u = 1 - t
        out.append((u * u * u * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t * t * t * p3[0],
                    u * u * u * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t * t * t * p3[1]))
    return out


def dashes(points, on, off):
    """Cuts a polyline into dashes `on` long with gaps `off` long."""
    out, cur = [], [points[0]]
    pos, drawing = 0.0, True
    limit = on
    for (ax, ay), (bx, by) in zip(points, points[1:]):
        seg = math.hypot(bx - ax, by - ay)
        t0 = 0.0
        while seg > 0 and pos + (seg - t0) >= limit:
            t = t0 + (limit - pos)
            p = (ax + (bx - ax) * t / seg, ay + (by - ay) * t / seg)
            if drawing:
                cur.append(p)
                out.append(cur)
            else:
                cur = [p]
            drawing = not drawing
            t0, pos = t, 0.0
            limit = on if drawing else off
        pos += seg - t0
        if drawing:
            cur.append((bx, by))
    if drawing and len(cur) > 1:
        out.append(cur)
    return out


# --------------------------------------------------------------------------- canvas

def _f(rgb):
    return (rgb[0] / 255.0, rgb[1] / 255.0, rgb[2] / 255.0)


class Canvas:
    """Premultiplied RGBA in floats; drawing is source-over."""

    def __init__(self, w, h, background=None):
        self.w, self.h = w, h
        n = w * h
        if background is None:
            self.r, self.g, self.b, self.a = [0.0] * n, [0.0] * n, [0.0] * n, [0.0] * n
        else:
            r, g, b = _f(background)
            self.r, self.g, self.b, self.a = [r] * n, [g] * n, [b] * n, [1.0] * n

    def _blend(self, i, c, rgb):
        k = 1.0 - c
        self.r[i] = rgb[0] * c + self.r[i] * k
        self.g[i] = rgb[1] * c + self.g[i] * k
        self.b[i] = rgb[2] * c + self.b[i] * k
        self.a[i] = c + self.a[i] * k

    def fill(self, shape, paint, opacity=1.0, ss=1):
        """Paints `shape` with a colour, or with paint(px, py) -> colour."""
        x0, y0, x1, y1 = shape.bbox()
        x0, y0 = max(0, int(math.floor(x0)) - 1), max(0, int(math.floor(y0)) - 1)
        x1, y1 = min(self.w, int(math.ceil(x1)) + 1), min(self.h, int(math.ceil(y1)) + 1)
        flat = None if callable(paint) else _f(paint)
        for y in range(y0, y1):
            for x in range(x0, x1):
                c = shape.coverage(x, y, ss) * opacity
                if c <= 0.0:
                    continue
                self._blend(y * self.w + x, c, flat or _f(paint(x + 0.5, y + 0.5)))

    def fill_all(self, paint):
        for y in range(self.h):
            for x in range(self.w):
                i = y * self.w + x
                self.r[i], self.g[i], self.b[i] = _f(paint(x + 0.5, y + 0.5))
                self.a[i] = 1.0

    def fill_stroke(self, points, width, paint, opacity=1.0):
        """A long polyline drawn segment by segment (fast for big pictures)."""
        half = width / 2
        nearest = {}
        for (ax, ay), (bx, by) in zip(points, points[1:]):
            x0 = max(0, int(math.floor(min(ax, bx) - half)) - 1)
            x1 = min(self.w, int(math.ceil(max(ax, bx) + half)) + 1)
            y0 = max(0, int(math.floor(min(ay, by) - half)) - 1)
            y1 = min(self.h, int(math.ceil(max(ay, by) + half)) + 1)
            for y in range(y0, y1):
                for x in range(x0, x1):
                    d = _segment_distance(x + 0.5, y + 0.5, ax, ay, bx, by)
                    i = y * self.w + x
                    if d < nearest.get(i, 1e9):
                        nearest[i] = d
        flat = None if callable(paint) else _f(paint)
        for i, d in nearest.items():
            c = clamp01(0.5 - (d - half)) * opacity
            if c > 0.0:
                x, y = i % self.w, i // self.w
                self._blend(i, c, flat or _f(paint(x + 0.5, y + 0.5)))

    def draw_text(self, text, pen_x, baseline, paint, opacity=1.0):
        """Draws a Text with its pen origin at (pen_x, baseline)."""
        flat = None if callable(paint) else _f(paint)
        ox, oy = pen_x + text.left, baseline + text.top
        for j in range(text.h):
            y = oy + j
            if not 0 <= y < self.h:
                continue
            row = text.mask[j * text.w:(j + 1) * text.w]
            for i, m in enumerate(row):
                x = ox + i
                if m == 0 or not 0 <= x < self.w:
                    continue
                self._blend(y * self.w + x, m / 255.0 * opacity,
                            flat or _f(paint(x + 0.5, y + 0.5)))

    # ---- 8-bit views

    def rgba8(self):
        out = bytearray(self.w * self.h * 4)
        for i in range(self.w * self.h):
            a = self.a[i]
            if a <= 0.0:
                out[i * 4:i * 4 + 4] = b"\xff\xff\xff\x00"
                continue
            out[i * 4] = _byte(self.r[i] / a)
            out[i * 4 + 1] = _byte(self.g[i] / a)
            out[i * 4 + 2] = _byte(self.b[i] / a)
            out[i * 4 + 3] = _byte(a)
        return bytes(out)

    def rgb8_on_white(self):
        out = bytearray(self.w * self.h * 3)
        for i in range(self.w * self.h):
            k = 1.0 - self.a[i]
            out[i * 3] = _byte(self.r[i] + k)
            out[i * 3 + 1] = _byte(self.g[i] + k)
            out[i * 3 + 2] = _byte(self.b[i] + k)
        return bytes(out)

    def keyed_on_white(self):
        """RGBA where every touched pixel is flattened onto white and made opaque, and
        untouched ones are fully transparent: one transparent colour for a palette."""
        out = bytearray(self.w * self.h * 4)
        for i in range(self.w * self.h):
            a = self.a[i]
            if a < 0.5 / 255:
                out[i * 4:i * 4 + 4] = b"\xff\xff\xff\x00"
                continue
            k = 1.0 - a
            out[i * 4] = _byte(self.r[i] + k)
            out[i * 4 + 1] = _byte(self.g[i] + k)
            out[i * 4 + 2] = _byte(self.b[i] + k)
            out[i * 4 + 3] = 255
        return bytes(out)


def _byte(v):
    return 0 if v <= 0.0 else (255 if v >= 1.0 else int(v * 255.0 + 0.5))


def mix(c0, c1, t):
    t = clamp01(t)
    return tuple(c0[k] + (c1[k] - c0[k]) * t for k in range(3))


# --------------------------------------------------------------------------- text

class Text:
    """A line of text as FreeType renders it: an 8-bit coverage mask cropped to the
    ink, with the ink's offset from the pen origin on the baseline."""

    _cache = {}

    def __init__(self, s, font, size):
        self.s, self.font, self.size = s, font, size
        pad = 2 * size
        cw, ch = int(size * 0.9 * len(s)) + 2 * pad, 4 * size
        key = (s, font, size)
        if key not in Text._cache:
            Text._cache[key] = subprocess.run(
                [CONVERT, "-size", f"{cw}x{ch}", "xc:black", "-fill", "white",
                 "-font", font, "-pointsize", str(size), "-annotate", f"+{pad}+{3 * size}",
                 s, "-depth", "8", "gray:-"],
                check=True, capture_output=True).stdout
        data = Text._cache[key]
        if len(data) != cw * ch:
            raise SystemExit(f"make_skin: text mask for {s!r} has the wrong size")
        xs = [i % cw for i, v in enumerate(data) if v]
        ys = [i // cw for i, v in enumerate(data) if v]
        if not xs:
            raise SystemExit(f"make_skin: {s!r} rendered empty (font {font} missing?)")
        x0, x1, y0, y1 = min(xs), max(xs) + 1, min(ys), max(ys) + 1
        if x0 == 0 or y0 == 0 or x1 == cw or y1 == ch:
            raise SystemExit(f"make_skin: {s!r} does not fit its scratch canvas")
        self.w, self.h = x1 - x0, y1 - y0
        self.left, self.top = x0 - pad, y0 - 3 * size
        self.right = self.left + self.w
        self.mask = b"".join(data[y * cw + x0:y * cw + x1] for y in range(y0, y1))


def cap_height(font, size):
    return -Text("H", font, size).top


def centred_baseline(height, font, size, nudge=0.0):
    """The baseline that centres capital letters vertically in `height` pixels."""
    cap = cap_height(font, size)
    return int(math.floor((height + cap) / 2 + nudge))


# --------------------------------------------------------------------------- the mark

def route_mark():
    """The Lumaroute mark in unit coordinates (the tile is 0..1): a route leaving an
    origin dot, winding once and going on as an arrow."""
    curve = bezier((0.25, 0.70), (0.71, 0.70), (0.31, 0.34), (0.63, 0.34))
    line = Stroke(curve, 0.095)
    origin = Circle(0.25, 0.70, 0.095)
    head = Polygon([(0.61, 0.195), (0.815, 0.34), (0.61, 0.485)])
    return [line, origin, head]


def draw_tile(cv, x, y, size, radius, ss=1):
    """The blue gradient tile with the white mark, size x size pixels at (x, y)."""
    tile = RoundRect(x, y, x + size, y + size, radius)

    def grad(px, py):
        t = ((px - x) + (py - y)) / (2 * size)
        return mix(BLUE_TILE_TOP, BLUE_TILE_BOTTOM, t)

    cv.fill(tile, grad, ss=ss)
    for part in route_mark():
        cv.fill(Placed(part, x, y, size), WHITE, ss=ss)


def icon_rgba(size=48):
    cv = Canvas(size, size)
    m = size / 24
    draw_tile(cv, m, m, size - 2 * m, size * 0.21, ss=4)
    return cv.rgba8()


# --------------------------------------------------------------------------- pictures

def checkbox(ticked):
    cv = Canvas(11, 11)
    box = RoundRect(0, 0, 11, 11, 2.5)
    if ticked:
        cv.fill(box, BLUE, ss=4)
        cv.fill(Stroke([(2.7, 5.6), (4.6, 7.5), (8.4, 3.5)], 1.5), WHITE, ss=4)
    else:
        cv.fill(box, WHITE, ss=4)
        cv.fill(Border(box, 1.0), BLUE, ss=4)
    return cv


def edit_frame():
    cv = Canvas(323, 32)
    box = RoundRect(0, 0, 323, 32, 4)
    cv.fill(box, WHITE, ss=4)
    cv.fill(Border(box, 1.0), FRAME, ss=4)
    return cv


def small_logo():
    w, h = 196, 31
    cv = Canvas(w, h)
    tile = 24
    ty = (h - tile) // 2
    draw_tile(cv, 0, ty, tile, 5.5, ss=4)
    size = 14
    maker = Text("Brinmark", FONT_BOLD, size)
    product = Text("Lumaroute", FONT, size)
    baseline = centred_baseline(h, FONT_BOLD, size)
    x = tile + 8
    cv.draw_text(maker, x - maker.left, baseline, TITLE_INK)
    x += maker.w + 6
    cap = cap_height(FONT_BOLD, size)
    cv.fill(RoundRect(x, baseline - cap - 1, x + 1, baseline + 1, 0), (190, 198, 210))
    x += 1 + 6
    cv.draw_text(product, x - product.left, baseline, BLUE_DARK)
    if x + product.w > w:
        raise SystemExit("make_skin: the small logo's text does not fit")
    return cv


def product_picture():
    w, h = 376, 154
    cv = Canvas(w, h)
    tile, tx, ty = 112, 12, 18
    # soft blue shadow under the tile
    cv.fill(Soft(RoundRect(tx + 6, ty + 12, tx + tile - 6, ty + tile + 6, 26), 9), (36, 84, 170),
            opacity=0.28)
    draw_tile(cv, tx, ty, tile, 26, ss=2)
    name = Text("Lumaroute", FONT_BOLD, 36)
    by = Text("by Brinmark", FONT, 17)
    x = tx + tile + 22
    # the name and the maker line as one block centred on the tile
    gap = 14
    block = name.h + gap + cap_height(FONT, 17)
    top = ty + (tile - block) / 2
    base1 = int(round(top - name.top))
    base2 = int(round(top + name.h + gap + cap_height(FONT, 17)))
    cv.draw_text(name, x - name.left, base1, TITLE_INK)
    cv.draw_text(by, x - by.left + 1, base2, INK_MUTED)
    if x + name.w > w:
        raise SystemExit("make_skin: the product name does not fit")
    return cv


def window_glyph(kind, colour):
    cv = Canvas(20, 20, WHITE)
    if kind == "close":
        cv.fill(Stroke([(6, 6), (14, 14)], 1.3), colour, ss=4)
        cv.fill(Stroke([(14, 6), (6, 14)], 1.3), colour, ss=4)
    else:
        cv.fill(RoundRect(5, 10, 15, 11, 0), colour, ss=4)
    return cv


def frame_button(w, h, label, hover):
    cv = Canvas(w, h)
    box = RoundRect(0, 0, w, h, 4)
    cv.fill(box, WHITE, ss=4)
    cv.fill(Border(box, 1.0), BLUE if hover else FRAME, ss=4)
    text = Text(label, FONT, 12)
    baseline = centred_baseline(h, FONT, 12)
    pen = int(round((w - text.w) / 2)) - text.left
    cv.draw_text(text, pen, baseline, BLUE_DARK if hover else INK)
    return cv


def big_button(label, fill):
    w, h = 168, 46
    cv = Canvas(w, h)
    cv.fill(RoundRect(0, 0, w, h, 6), fill, ss=4)
    size = 18
    text = Text(label, FONT_BOLD, size)
    cap = cap_height(FONT_BOLD, size)
    baseline = centred_baseline(h, FONT_BOLD, size)
    gap, chev_w, chev_step, chev_h, stroke = 9, 5.5, 6.5, 11.0, 2.2
    group = text.w + gap + chev_step + chev_w + stroke
    x0 = round((w - group) / 2)
    cv.draw_text(text, x0 - text.left, baseline, WHITE)
    cy = baseline - cap / 2
    cx = x0 + text.w + gap + stroke / 2
    for k in range(2):
        x = cx + k * chev_step
        cv.fill(Stroke([(x, cy - chev_h / 2), (x + chev_w, cy), (x, cy + chev_h / 2)], stroke),
                WHITE, ss=4)
    return cv


def customize_toggle(up):
    w, h = 180, 12
    cv = Canvas(w, h, WHITE)
    size = 11
    text = Text("Customize Installation", FONT, size)
    baseline = 10
    gap, cw, ch = 6, 7.0, 3.8
    right = w - 8
    x0 = int(right - (text.w + gap + cw))
    cv.draw_text(text, x0 - text.left, baseline, INK)
    x = x0 + text.w + gap
    cy = baseline - cap_height(FONT, size) / 2 + 0.5
    if up:
        pts = [(x, cy + ch / 2), (x + cw / 2, cy - ch / 2), (x + cw, cy + ch / 2)]
    else:
        pts = [(x, cy - ch / 2), (x + cw / 2, cy + ch / 2), (x + cw, cy - ch / 2)]
    cv.fill(Stroke(pts, 1.4), INK, ss=4)
    return cv


def licence_line():
    w, h = 390, 15
    cv = Canvas(w, h, WHITE)
    size = 11
    lead = "I have read and agree to the"
    full = Text(lead + " Brinmark License Agreement", FONT, size)
    split = Text(lead, FONT, size).right + 2
    baseline = 10
    pen = -full.left

    def paint(px, py):
        return INK if px < pen + split else BLUE_DARK

    cv.draw_text(full, pen, baseline, paint)
    link = Text("Brinmark License Agreement", FONT, size)
    x_end = pen + full.right
    cv.fill(RoundRect(x_end - link.w, baseline + 2, x_end, baseline + 3, 0), BLUE_DARK,
            opacity=0.55)
    if pen + full.right > w:
        raise SystemExit("make_skin: the licence line does not fit")
    return cv


def banner():
    w, h = 915, 372
    cv = Canvas(w, h)
    top_left, bottom_right = (38, 104, 224), (86, 160, 255)

    def grad(px, py):
        t = (px / w) * 0.65 + (py / h) * 0.35
        return mix(top_left, bottom_right, t)

    cv.fill_all(grad)
    # soft light shapes
    cv.fill(Soft(Circle(760, 60, 230), 60), WHITE, opacity=0.12)
    cv.fill(Soft(Circle(900, 360, 170), 50), WHITE, opacity=0.10)
    cv.fill(Soft(Circle(80, 400, 200), 80), (20, 70, 190), opacity=0.25)
    cv.fill(Soft(RoundRect(520, 210, 980, 520, 120), 40), WHITE, opacity=0.06)
    # a dashed route across the right half, from an origin dot to a pin
    route = bezier((560, 300), (700, 300), (640, 120), (830, 110), n=120)
    for dash in dashes(route, 14, 10):
        cv.fill_stroke(dash, 5, WHITE, opacity=0.55)
    cv.fill(Circle(560, 300, 11), WHITE, opacity=0.9, ss=2)
    cv.fill(Circle(560, 300, 5), BLUE, ss=2)
    pin = Circle(830, 96, 20)
    tip = Polygon([(812, 104), (848, 104), (830, 132)])
    cv.fill(Soft(Circle(832, 112, 22), 10), (20, 60, 160), opacity=0.25)
    cv.fill(pin, WHITE, ss=2)
    cv.fill(tip, WHITE, ss=2)
    cv.fill(Circle(830, 96, 8), BLUE, ss=2)
    # the maker in the corner; the product's tile, name and line
    maker = Text("Brinmark", FONT_BOLD, 17)
    cv.draw_text(maker, 48 - maker.left, 50, WHITE, opacity=0.8)
    tile, tx, ty = 100, 84, 122
    draw_tile(cv, tx, ty, tile, 23, ss=1)
    cv.fill(Border(RoundRect(tx, ty, tx + tile, ty + tile, 23), 1.5), WHITE, opacity=0.35, ss=2)
    name = Text("Lumaroute", FONT_BOLD, 66)
    line = Text("Fast, private routes for every trip", FONT, 26)
    x = tx + tile + 30
    cv.draw_text(name, x - name.left, ty + 4 + cap_height(FONT_BOLD, 66), WHITE)
    cv.draw_text(line, x - line.left + 3, ty + tile - 8, WHITE, opacity=0.92)
    return cv


# --------------------------------------------------------------------------- PNG files

FORMATS = {
    # name: (colour type, bit depth, has tRNS)
    "RGBA": (6, 8, False),
    "RGB": (2, 8, False),
    "grey": (0, 8, False),
    "palette 8": (3, 8, True),
    "palette 4": (3, 4, True),
}

COMMON = ["-strip", "-define", "png:exclude-chunks=date,time"]


def write_png(cv, fmt, path):
    size = f"{cv.w}x{cv.h}"
    if fmt == "RGBA":
        data, src, args, dst = cv.rgba8(), "rgba:-", [], "PNG32:" + path
    elif fmt == "RGB":
        data, src, args, dst = cv.rgb8_on_white(), "rgb:-", [], "PNG24:" + path
    elif fmt == "grey":
        rgb = cv.rgb8_on_white()
        if any(rgb[i] != rgb[i + 1] or rgb[i] != rgb[i + 2] for i in range(0, len(rgb), 3)):
            raise SystemExit(f"make_skin: {path} is meant to be grey but has colour")
        data, src = rgb[0::3], "gray:-"
        args = ["-define", "png:color-type=0", "-define", "png:bit-depth=8"]
        dst = "PNG:" + path
    elif fmt == "palette 8":
        data, src = cv.keyed_on_white(), "rgba:-"
        args, dst = ["+dither", "-colors", "255"], "PNG8:" + path
    elif fmt == "palette 4":
        data, src = cv.keyed_on_white(), "rgba:-"
        args = ["+dither", "-colors", "15", "-define", "png:bit-depth=4"]
        dst = "PNG8:" + path
    else:
        raise ValueError(fmt)
    subprocess.run([CONVERT, "-size", size, "-depth", "8", src] + args + COMMON + [dst],
                   input=data, check=True)


def decoded_rgba(path):
    """The picture's pixels as 8-bit RGBA, whatever its format."""
    return subprocess.run([CONVERT, path, "-depth", "8", "rgba:-"], capture_output=True, check=True).stdout


def pixel_format(path):
    """Size, bit depth and colour type from the header, and whether there is a tRNS."""
    (w, h, depth, ctype, _, _, _), _, _, trns, _ = read_png(path)
    return w, h, depth, ctype, trns is not None


_recompressed = {}  # identical pictures (the three banners) are squeezed once


def recompress(path):
    """Replaces the PNG at `path` with the smallest of zopflipng's and optipng's
    (no reductions) encodings that keep its size, bit depth, colour type and every
    pixel; zopflipng may pick another colour type, which the program's loader and the
    tests do not allow, and is then not taken."""
    with open(path, "rb") as f:
        original = f.read()
    key = hashlib.sha256(original).hexdigest()
    if key not in _recompressed:
        want_format, want_pixels = pixel_format(path), decoded_rgba(path)
        best = original
        with tempfile.TemporaryDirectory() as tmp:
            zopfli, opti = os.path.join(tmp, "z.png"), os.path.join(tmp, "o.png")
            subprocess.run([ZOPFLIPNG, "-y", path, zopfli], check=True, stdout=subprocess.DEVNULL)
            shutil.copyfile(path, opti)
            subprocess.run([OPTIPNG, "-quiet", "-nx", "-o7", "-strip", "all", opti], check=True)
            for candidate in (zopfli, opti):
                if pixel_format(candidate) != want_format or decoded_rgba(candidate) != want_pixels:
                    continue
                with open(candidate, "rb") as f:
                    data = f.read()
                if len(data) < len(best):
                    best = data
        _recompressed[key] = best
    with open(path, "wb") as f:
        f.write(_recompressed[key])


def read_png(path):
    """Returns (ihdr fields, chunk names, palette, trns, rows of raw samples)."""
    with open(path, "rb") as f:
        blob = f.read()
    if blob[:8] != b"\x89PNG\r\n\x1a\n":
        raise ValueError("not a PNG")
    pos, chunks, idat = 8, [], b""
    ihdr = plte = trns = None
    while pos < len(blob):
        n, kind = struct.unpack(">I4s", blob[pos:pos + 8])
        body = blob[pos + 8:pos + 8 + n]
        crc, = struct.unpack(">I", blob[pos + 8 + n:pos + 12 + n])
        if zlib.crc32(kind + body) != crc:
            raise ValueError(f"bad CRC in {kind!r}")
        kind = kind.decode("latin-1")
        chunks.append(kind)
        if kind == "IHDR":
            ihdr = struct.unpack(">IIBBBBB", body)
        elif kind == "PLTE":
            plte = body
        elif kind == "tRNS":
            trns = body
        elif kind == "IDAT":
            idat += body
        pos += 12 + n
    w, h, depth, ctype, _, _, interlace = ihdr
    channels = {0: 1, 2: 3, 3: 1, 4: 2, 6: 4}[ctype]
    bpp = max(1, channels * depth // 8)
    stride = (w * channels * depth + 7) // 8
    raw = zlib.decompress(idat)
    rows, prev = [], bytearray(stride)
    for y in range(h):
        ftype = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - bpp] if i >= bpp else 0
            b = prev[i]
            c = prev[i - bpp] if i >= bpp else 0
            if ftype == 1:
                line[i] = (line[i] + a) & 255
            elif ftype == 2:
                line[i] = (line[i] + b) & 255
            elif ftype == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif ftype == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        rows.append(bytes(line))
        prev = line
    return ihdr, chunks, plte, trns, rows


def pixel(png, x, y):
    """RGBA of one pixel of a read_png result."""
    (w, h, depth, ctype, _, _, _), _, plte, trns, rows = png
    row = rows[y]
    if ctype == 0:
        v = row[x]
        return (v, v, v, 255)
    if ctype == 2:
        return tuple(row[x * 3:x * 3 + 3]) + (255,)
    if ctype == 6:
        return tuple(row[x * 4:x * 4 + 4])
    if depth == 8:
        idx = row[x]
    else:
        per = 8 // depth
        byte = row[x // per]
        shift = 8 - depth * (x % per + 1)
        idx = (byte >> shift) & ((1 << depth) - 1)
    alpha = trns[idx] if trns is not None and idx < len(trns) else 255
    return tuple(plte[idx * 3:idx * 3 + 3]) + (alpha,)


def check_png(path, w, h, fmt):
    """Fails loudly unless the file has exactly the size and pixel format asked for."""
    want_type, want_depth, want_trns = FORMATS[fmt]
    png = read_png(path)
    (pw, ph, depth, ctype, comp, filt, interlace), chunks, plte, trns, _ = png
    problems = []
    if (pw, ph) != (w, h):
        problems.append(f"size {pw}x{ph}, wanted {w}x{h}")
    if (ctype, depth) != (want_type, want_depth):
        problems.append(f"colour type {ctype} depth {depth}, wanted {want_type}/{want_depth}")
    if interlace or comp or filt:
        problems.append("interlaced or unusual compression/filter method")
    if want_trns and trns is None:
        problems.append("no tRNS chunk")
    if not want_trns and trns is not None:
        problems.append("unexpected tRNS chunk")
    if ctype == 3 and (plte is None or len(plte) // 3 > (1 << depth)):
        problems.append("palette missing or too big for the bit depth")
    extra = [c for c in chunks if c not in ("IHDR", "PLTE", "tRNS", "IDAT", "IEND")]
    if extra:
        problems.append(f"extra chunks {extra}")
    corner = pixel(png, 0, 0)
    on_window = (w, h) != (915, 372)   # all but the banners sit on the white window
    if on_window and fmt in ("RGB", "grey") and corner != (255, 255, 255, 255):
        problems.append(f"corner pixel {corner} is not white")
    if fmt.startswith("palette") and corner[3] != 0:
        problems.append(f"corner pixel {corner} is not transparent")
    if problems:
        raise SystemExit(f"make_skin: {path}: " + "; ".join(problems))
    return pw, ph, ctype, depth, trns is not None


# --------------------------------------------------------------------------- the set

def images():
    """(id, width, height, format, picture maker)"""
    glyph = window_glyph
    return [
        (202, 11, 11, "RGBA", lambda: checkbox(True)),
        (207, 323, 32, "palette 4", edit_frame),
        (213, 196, 31, "RGBA", small_logo),
        (214, 376, 154, "RGBA", product_picture),
        (215, 11, 11, "RGBA", lambda: checkbox(False)),
        (239, 20, 20, "grey", lambda: glyph("close", INK_SOFT)),
        (240, 20, 20, "RGB", lambda: glyph("close", BLUE)),
        (243, 20, 20, "RGB", lambda: glyph("minimise", INK_SOFT)),
        (244, 20, 20, "RGB", lambda: glyph("minimise", BLUE)),
        (263, 90, 32, "palette 8", lambda: frame_button(90, 32, "Browse...", False)),
        (273, 90, 32, "palette 8", lambda: frame_button(90, 32, "Browse...", True)),
        (283, 180, 12, "grey", lambda: customize_toggle(False)),
        (293, 180, 12, "grey", lambda: customize_toggle(True)),
        (303, 57, 26, "palette 8", lambda: frame_button(57, 26, "Hide", False)),
        (313, 57, 26, "palette 8", lambda: frame_button(57, 26, "Hide", True)),
        (323, 168, 46, "palette 8", lambda: big_button("Install", BLUE_DARK)),
        (333, 168, 46, "palette 8", lambda: big_button("Install", BLUE)),
        (343, 168, 46, "palette 8", lambda: big_button("Install", BLUE_LIGHT)),
        (353, 915, 372, "RGB", banner),
        (363, 915, 372, "RGB", None),   # the same banner
        (373, 915, 372, "RGB", None),
        (383, 390, 15, "RGB", licence_line),
        (393, 168, 46, "palette 8", lambda: big_button("Start Now", BLUE_DARK)),
        (403, 168, 46, "palette 8", lambda: big_button("Start Now", BLUE)),
        (413, 168, 46, "palette 8", lambda: big_button("Start Now", BLUE_LIGHT)),
    ]


def write_icon():
    sys.path.insert(0, HERE)
    sys.dont_write_bytecode = True   # leave no __pycache__ in tools/
    import make_icon
    with open(ICON_PATH, "wb") as f:
        f.write(make_icon.pack_ico(icon_rgba(make_icon.SIZE)))


def build():
    os.makedirs(SKIN_DIR, exist_ok=True)
    report = []
    last = None
    for ident, w, h, fmt, make in images():
        path = os.path.join(SKIN_DIR, f"{ident}.png")
        if make is not None:
            last = make()
        if (last.w, last.h) != (w, h):
            raise SystemExit(f"make_skin: picture {ident} drawn {last.w}x{last.h}, wanted {w}x{h}")
        write_png(last, fmt, path)
        recompress(path)
        check_png(path, w, h, fmt)
        report.append((ident, w, h, fmt, os.path.getsize(path)))
    write_icon()
    return report


# --------------------------------------------------------------------------- previews

def preview(out_dir):
    """A contact sheet of every image (small ones enlarged) and mock-ups of the window
    in its two states, built from the files just written."""
    os.makedirs(out_dir, exist_ok=True)
    skin = lambda i: os.path.join(SKIN_DIR, f"{i}.png")
    with tempfile.TemporaryDirectory() as tmp:
        tiles = []
        for ident, w, h, fmt, _ in images():
            if w > 500:
                geometry = ["-resize", "50%"]
            else:
                scale = 8 if max(w, h) <= 20 else 3 if max(w, h) <= 100 else 2 if w <= 200 else 1
                geometry = ["-scale", f"{scale * 100}%"]
            t = os.path.join(tmp, f"{ident}.png")
            # pink shows what is transparent
            subprocess.run([CONVERT, skin(ident), "-background", "#f3c6e8", "-flatten"]
                           + geometry + [t], check=True)
            tiles += ["-label", f"{ident} {w}x{h} {fmt}", t]
        subprocess.run([MONTAGE] + tiles + ["-tile", "4x", "-geometry", "+12+12",
                                            "-background", "#e8e8e8", "-font", FONT,
                                            "-pointsize", "13",
                                            os.path.join(out_dir, "contact.png")], check=True)

    def window(parts, path):
        cmd = [CONVERT, "-size", "750x360", "xc:white"]
        for src, x, y in parts:
            cmd += ["("] + src + [")", "-geometry", f"+{x}+{y}", "-composite"]
        cmd += ["-fill", "none", "-stroke", "#cccccc", "-draw", "rectangle 0,0 749,359", path]
        subprocess.run(cmd, check=True)

    window([([skin(213)], 40, 20), ([skin(214)], 200, 60), ([skin(333)], 298, 235),
            ([skin(202)], 20, 329), ([skin(383)], 42, 329), ([skin(283)], 541, 329),
            ([skin(239)], 690, 20), ([skin(243)], 660, 20),
            (["-size", "748x1", "xc:#e0e0e0"], 1, 312)],
           os.path.join(out_dir, "mock.png"))
    bar = ["-size", "540x15", "xc:#c5dbff", "-fill", "#4088ff", "-draw", "rectangle 0,0 269,14"]
    window([([skin(353), "-resize", "750x290!"], 0, 0), (bar, 48, 320), ([skin(303)], 645, 317)],
           os.path.join(out_dir, "mock_download.png"))


def main(argv):
    preview_dir = None
    if argv[1:2] == ["--preview"] and len(argv) == 3:
        preview_dir = argv[2]
    elif len(argv) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    for ident, w, h, fmt, size in build():
        print(f"res/skin/{ident}.png  {w}x{h}  {fmt}  {size} bytes")
    print("res/app.ico")
    if preview_dir:
        preview(preview_dir)
        print(f"previews in {preview_dir}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
