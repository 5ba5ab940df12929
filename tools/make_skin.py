#!/usr/bin/env python3
"""Draws the setup window's skin: the pictures under res/skin/ and the application icon
res/app.ico.

usage: make_skin.py [--preview DIR]

Every picture comes in two sets: res/skin/NNN at its size on a 96 DPI screen, and
res/skin/2x/NNN drawn again at twice the width and height (shapes at twice the
coordinates, text at twice the point size), for screens at higher DPI; the program
loads the 2x picture of id N as resource N + 1000. Every shape is drawn here, in
Python, from signed distance functions (anti-aliased by the distance to the edge); the
text comes from ImageMagick's FreeType rendering of the DejaVu fonts as coverage
masks, and ImageMagick writes the PNG files in the exact pixel format each one needs.
Each PNG is then recompressed losslessly (Debian's zopflipng, or optipng where
zopflipng would change the pixel format), since the pictures are most of the
program's size. The three banners, soft pictures without text, are JPEG (NNN.jpg).
Each file written is read back and its header, size and pixels checked; the banners
must be clearly blue and differ from one another in every part. The icon holds the
mark drawn at eight sizes (make_icon.py). Two runs give byte-identical files.

--preview DIR also writes contact sheets of both sets, the banners, and two mock-ups
of the window into DIR.
"""
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


class Ellipse(Shape):
    """An axis-aligned ellipse; the distance is the first-order estimate, close to the
    true one near the edge, which is all the anti-aliasing and rings need."""

    def __init__(self, cx, cy, rx, ry):
        self.cx, self.cy, self.rx, self.ry = cx, cy, rx, ry

    def sdf(self, px, py):
        u, v = (px - self.cx) / self.rx, (py - self.cy) / self.ry
        k = math.hypot(u, v)
        if k == 0:
            return -min(self.rx, self.ry)
        grad = math.hypot(u / self.rx, v / self.ry) / k
        return (k - 1) / grad

    def bbox(self):
        return (self.cx - self.rx, self.cy - self.ry, self.cx + self.rx, self.cy + self.ry)


class Turned(Shape):
    """Another shape turned by `degrees` (clockwise on screen) about (cx, cy)."""

    def __init__(self, shape, degrees, cx, cy):
        self.shape, self.cx, self.cy = shape, cx, cy
        a = math.radians(degrees)
        self.c, self.s = math.cos(a), math.sin(a)

    def sdf(self, px, py):
        dx, dy = px - self.cx, py - self.cy
        return self.shape.sdf(self.cx + dx * self.c + dy * self.s,
                              self.cy - dx * self.s + dy * self.c)

    def bbox(self):
        x0, y0, x1, y1 = self.shape.bbox()
        xs, ys = [], []
        for x, y in ((x0, y0), (x1, y0), (x0, y1), (x1, y1)):
            dx, dy = x - self.cx, y - self.cy
            xs.append(self.cx + dx * self.c - dy * self.s)
            ys.append(self.cy + dx * self.s + dy * self.c)
        return (min(xs), min(ys), max(xs), max(ys))


class Ground(Shape):
    """Everything below the curve y = top(x) down to `bottom`, for gently rolling
    land: the vertical distance over the slope stands in for the true one."""

    def __init__(self, top, x0, x1, bottom):
        self.top, self.x0, self.x1, self.bottom = top, x0, x1, bottom

    def sdf(self, px, py):
        y = self.top(px)
        slope = (self.top(px + 0.5) - self.top(px - 0.5))
        return (y - py) / math.sqrt(1 + slope * slope)

    def bbox(self):
        y = min(self.top(self.x0 + (self.x1 - self.x0) * i / 64) for i in range(65))
        return (self.x0, y, self.x1, self.bottom)


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
        """Paints `shape` with a colour, or with paint(px, py) -> colour; the opacity
        may also vary, as opacity(px, py)."""
        x0, y0, x1, y1 = shape.bbox()
        x0, y0 = max(0, int(math.floor(x0)) - 1), max(0, int(math.floor(y0)) - 1)
        x1, y1 = min(self.w, int(math.ceil(x1)) + 1), min(self.h, int(math.ceil(y1)) + 1)
        flat = None if callable(paint) else _f(paint)
        for y in range(y0, y1):
            for x in range(x0, x1):
                c = shape.coverage(x, y, ss)
                c *= opacity(x + 0.5, y + 0.5) if callable(opacity) else opacity
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


def bold_route_mark():
    """The mark for the smallest icons, where the winding line blurs into the head: the
    route goes up from its origin and turns once into the arrow, with a thicker line,
    so that line, turn and head stay apart at 14 to 18 pixels."""
    bend = [(0.27 + 0.15 - 0.15 * math.cos(a * math.pi / 16), 0.51 - 0.15 * math.sin(a * math.pi / 16))
            for a in range(9)]
    line = Stroke([(0.27, 0.74)] + bend + [(0.60, 0.36)], 0.15)
    origin = Circle(0.27, 0.74, 0.12)
    head = Polygon([(0.56, 0.14), (0.86, 0.36), (0.56, 0.58)])
    return [line, origin, head]


def draw_tile(cv, x, y, size, radius, ss=1, mark=None):
    """The blue gradient tile with the white mark, size x size pixels at (x, y)."""
    tile = RoundRect(x, y, x + size, y + size, radius)

    def grad(px, py):
        t = ((px - x) + (py - y)) / (2 * size)
        return mix(BLUE_TILE_TOP, BLUE_TILE_BOTTOM, t)

    cv.fill(tile, grad, ss=ss)
    for part in mark or route_mark():
        cv.fill(Placed(part, x, y, size), WHITE, ss=ss)


ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)


def icon_rgba(size):
    """The icon drawn at `size` pixels, as RGBA rows top down: the tile's edges on whole
    pixels, and below 24 pixels the bolder mark."""
    cv = Canvas(size, size)
    m = round(size / 24)
    mark = bold_route_mark() if size < 24 else None
    draw_tile(cv, m, m, size - 2 * m, size * 0.21, ss=4, mark=mark)
    return cv.rgba8()


# --------------------------------------------------------------------------- pictures

def checkbox(ticked, s):
    n = 11 * s
    cv = Canvas(n, n)
    box = RoundRect(0, 0, n, n, 2.5 * s)
    if ticked:
        cv.fill(box, BLUE, ss=4)
        cv.fill(Stroke([(2.7 * s, 5.6 * s), (4.6 * s, 7.5 * s), (8.4 * s, 3.5 * s)], 1.5 * s),
                WHITE, ss=4)
    else:
        cv.fill(box, WHITE, ss=4)
        cv.fill(Border(box, 1.0 * s), BLUE, ss=4)
    return cv


def edit_frame(s):
    cv = Canvas(323 * s, 32 * s)
    box = RoundRect(0, 0, 323 * s, 32 * s, 4 * s)
    cv.fill(box, WHITE, ss=4)
    cv.fill(Border(box, 1.0 * s), FRAME, ss=4)
    return cv


def small_logo(s):
    w, h = 196 * s, 31 * s
    cv = Canvas(w, h)
    tile = 24 * s
    ty = (31 - 24) // 2 * s
    draw_tile(cv, 0, ty, tile, 5.5 * s, ss=4)
    size = 14 * s
    maker = Text("Brinmark", FONT_BOLD, size)
    product = Text("Lumaroute", FONT, size)
    baseline = centred_baseline(h, FONT_BOLD, size)
    x = tile + 8 * s
    cv.draw_text(maker, x - maker.left, baseline, TITLE_INK)
    x += maker.w + 6 * s
    cap = cap_height(FONT_BOLD, size)
    cv.fill(RoundRect(x, baseline - cap - 1 * s, x + 1 * s, baseline + 1 * s, 0), (190, 198, 210))
    x += (1 + 6) * s
    cv.draw_text(product, x - product.left, baseline, BLUE_DARK)
    if x + product.w > w:
        raise SystemExit("make_skin: the small logo's text does not fit")
    return cv


def product_picture(s):
    w, h = 376 * s, 154 * s
    cv = Canvas(w, h)
    tile, tx, ty = 112 * s, 12 * s, 18 * s
    # soft blue shadow under the tile
    cv.fill(Soft(RoundRect(tx + 6 * s, ty + 12 * s, tx + tile - 6 * s, ty + tile + 6 * s, 26 * s),
                 9 * s), (36, 84, 170), opacity=0.28)
    draw_tile(cv, tx, ty, tile, 26 * s, ss=2)
    name = Text("Lumaroute", FONT_BOLD, 36 * s)
    by = Text("by Brinmark", FONT, 17 * s)
    x = tx + tile + 22 * s
    # the name and the maker line as one block centred on the tile
    gap = 14 * s
    block = name.h + gap + cap_height(FONT, 17 * s)
    top = ty + (tile - block) / 2
    base1 = int(round(top - name.top))
    base2 = int(round(top + name.h + gap + cap_height(FONT, 17 * s)))
    cv.draw_text(name, x - name.left, base1, TITLE_INK)
    cv.draw_text(by, x - by.left + 1 * s, base2, INK_MUTED)
    if x + name.w > w:
        raise SystemExit("make_skin: the product name does not fit")
    return cv


def window_glyph(kind, colour, s):
    cv = Canvas(20 * s, 20 * s, WHITE)
    if kind == "close":
        cv.fill(Stroke([(6 * s, 6 * s), (14 * s, 14 * s)], 1.3 * s), colour, ss=4)
        cv.fill(Stroke([(14 * s, 6 * s), (6 * s, 14 * s)], 1.3 * s), colour, ss=4)
    else:
        cv.fill(RoundRect(5 * s, 10 * s, 15 * s, 11 * s, 0), colour, ss=4)
    return cv


def frame_button(w, h, label, hover, s):
    w, h = w * s, h * s
    cv = Canvas(w, h)
    box = RoundRect(0, 0, w, h, 4 * s)
    cv.fill(box, WHITE, ss=4)
    cv.fill(Border(box, 1.0 * s), BLUE if hover else FRAME, ss=4)
    text = Text(label, FONT, 12 * s)
    baseline = centred_baseline(h, FONT, 12 * s)
    pen = int(round((w - text.w) / 2)) - text.left
    cv.draw_text(text, pen, baseline, BLUE_DARK if hover else INK)
    return cv


def big_button(label, fill, s):
    w, h = 168 * s, 46 * s
    cv = Canvas(w, h)
    cv.fill(RoundRect(0, 0, w, h, 6 * s), fill, ss=4)
    size = 18 * s
    text = Text(label, FONT_BOLD, size)
    cap = cap_height(FONT_BOLD, size)
    baseline = centred_baseline(h, FONT_BOLD, size)
    gap, chev_w, chev_step, chev_h, stroke = 9 * s, 5.5 * s, 6.5 * s, 11.0 * s, 2.2 * s
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


def customize_toggle(up, s):
    w, h = 180 * s, 12 * s
    cv = Canvas(w, h, WHITE)
    size = 11 * s
    text = Text("Customize Installation", FONT, size)
    baseline = 10 * s
    gap, cw, ch = 6 * s, 7.0 * s, 3.8 * s
    right = w - 8 * s
    x0 = int(right - (text.w + gap + cw))
    cv.draw_text(text, x0 - text.left, baseline, INK)
    x = x0 + text.w + gap
    cy = baseline - cap_height(FONT, size) / 2 + 0.5 * s
    if up:
        pts = [(x, cy + ch / 2), (x + cw / 2, cy - ch / 2), (x + cw, cy + ch / 2)]
    else:
        pts = [(x, cy - ch / 2), (x + cw / 2, cy + ch / 2), (x + cw, cy - ch / 2)]
    cv.fill(Stroke(pts, 1.4 * s), INK, ss=4)
    return cv


def licence_line(s):
    w, h = 390 * s, 15 * s
    cv = Canvas(w, h, WHITE)
    size = 11 * s
    lead = "I have read and agree to the"
    full = Text(lead + " Brinmark License Agreement", FONT, size)
    split = Text(lead, FONT, size).right + 2 * s
    baseline = 10 * s
    pen = -full.left

    def paint(px, py):
        return INK if px < pen + split else BLUE_DARK

    cv.draw_text(full, pen, baseline, paint)
    link = Text("Brinmark License Agreement", FONT, size)
    x_end = pen + full.right
    cv.fill(RoundRect(x_end - link.w, baseline + 2 * s, x_end, baseline + 3 * s, 0), BLUE_DARK,
            opacity=0.55)
    if pen + full.right > w:
        raise SystemExit("make_skin: the licence line does not fit")
    return cv


# The three banners rotate above the progress bar while the product downloads. They
# carry no words (the window's texts come from the language file) and keep their
# left part calm so that text laid over them stays readable.

BANNER_W, BANNER_H = 750, 290


def banner_canvas(s, paint):
    """A banner's canvas filled with paint(u, v), u and v running 0..1 across it."""
    w, h = BANNER_W * s, BANNER_H * s
    cv = Canvas(w, h)
    cv.fill_all(lambda px, py: paint(px / w, py / h))
    return cv


def pin_shapes(cx, cy, r, tip):
    """A map pin: a head of radius r at (cx, cy) narrowing to a point `tip` below."""
    d = tip - cy
    phi = math.acos(r / d)
    left = (cx - r * math.sin(phi), cy + r * math.cos(phi))
    right = (cx + r * math.sin(phi), cy + r * math.cos(phi))
    return [Circle(cx, cy, r), Polygon([left, right, (cx, tip)])]


def banner_route(s):
    """A route across a map of soft blocks, from a start dot to a destination."""
    cv = banner_canvas(s, lambda u, v: mix((22, 104, 212), (74, 178, 252), u * 0.75 + v * 0.25))
    cv.fill(Soft(Circle(110 * s, 330 * s, 190 * s), 90 * s), (22, 74, 190), opacity=0.35)
    cv.fill(Soft(Circle(250 * s, -60 * s, 160 * s), 80 * s), WHITE, opacity=0.07)
    # city blocks, turned a little, with the gaps between them as streets
    blocks = [(300, -40, 400, 52), (412, -40, 520, 52), (532, -40, 612, 52), (624, -40, 800, 52),
              (300, 64, 372, 150), (384, 64, 470, 150), (482, 64, 600, 150), (612, 64, 700, 150),
              (712, 64, 800, 150), (330, 162, 440, 250), (452, 162, 540, 250),
              (552, 162, 680, 250), (692, 162, 800, 250), (360, 262, 480, 340),
              (492, 262, 620, 340), (632, 262, 800, 340)]
    for k, (x0, y0, x1, y1) in enumerate(blocks):
        block = RoundRect(x0 * s, y0 * s, x1 * s, y1 * s, 10 * s)
        cv.fill(Turned(block, -12, 560 * s, 145 * s), WHITE, opacity=0.05 + 0.03 * (k % 3))
    # two parks
    for x0, y0, x1, y1 in ((464, 176, 528, 236), (624, 76, 688, 138)):
        park = RoundRect(x0 * s, y0 * s, x1 * s, y1 * s, 8 * s)
        cv.fill(Turned(park, -12, 560 * s, 145 * s), (150, 220, 255), opacity=0.22)
    # the route: a soft glow under a solid line
    route = (bezier((352 * s, 236 * s), (430 * s, 250 * s), (420 * s, 150 * s), (520 * s, 140 * s),
                    n=60)
             + bezier((520 * s, 140 * s), (610 * s, 132 * s), (560 * s, 70 * s), (640 * s, 72 * s),
                      n=60)[1:])
    cv.fill_stroke(route, 16 * s, WHITE, opacity=0.14)
    cv.fill_stroke(route, 5 * s, WHITE, opacity=0.95)
    cv.fill(Circle(352 * s, 236 * s, 10 * s), WHITE, ss=2)
    cv.fill(Circle(352 * s, 236 * s, 4.5 * s), BLUE_DARK, ss=2)
    cv.fill(Border(Circle(640 * s, 72 * s, 30 * s), 2 * s), WHITE, opacity=0.35, ss=2)
    cv.fill(Border(Circle(640 * s, 72 * s, 46 * s), 1.5 * s), WHITE, opacity=0.18, ss=2)
    cv.fill(Circle(640 * s, 72 * s, 16 * s), WHITE, ss=2)
    cv.fill(Circle(640 * s, 72 * s, 6.5 * s), BLUE_DARK, ss=2)
    return cv


def banner_destination(s):
    """A pin standing on rolling hills under a light sky, ripples round its foot."""
    cv = banner_canvas(s, lambda u, v: mix((104, 170, 255), (50, 118, 238), v * 0.85 + u * 0.15))
    cv.fill(Soft(Circle(580 * s, 30 * s, 170 * s), 90 * s), WHITE, opacity=0.22)
    for x, y, r in ((150, 48, 2.5), (232, 96, 1.8), (318, 34, 2.2), (410, 82, 1.6),
                    (700, 130, 2.0), (470, 24, 1.8), (78, 118, 1.6)):
        cv.fill(Circle(x * s, y * s, r * s), WHITE, opacity=0.55, ss=2)

    def hill(base, amp, waves, phase):
        return lambda px: (base + amp * math.sin(px / (BANNER_W * s) * waves * 2 * math.pi + phase)) * s

    cv.fill(Ground(hill(196, 16, 1.3, 0.6), 0, BANNER_W * s, BANNER_H * s), (150, 198, 255),
            opacity=0.55)
    cv.fill(Ground(hill(226, 14, 1.7, 2.4), 0, BANNER_W * s, BANNER_H * s), (72, 138, 246))
    cv.fill(Ground(hill(258, 10, 1.1, 4.0), 0, BANNER_W * s, BANNER_H * s), (42, 104, 224))
    # a dotted trail climbing to the pin
    trail = bezier((170 * s, 282 * s), (300 * s, 262 * s), (380 * s, 250 * s), (520 * s, 236 * s), n=200)
    for k, dot in enumerate(dashes(trail, 0.01, 18 * s)):
        cv.fill(Circle(dot[0][0], dot[0][1], 2.6 * s), WHITE, opacity=0.35 + 0.04 * k, ss=2)
    foot_x, foot_y = 548 * s, 230 * s
    for rx, ry, o in ((34, 9, 0.6), (62, 16, 0.38), (92, 24, 0.2)):
        cv.fill(Border(Ellipse(foot_x, foot_y, rx * s, ry * s), 2 * s), WHITE, opacity=o, ss=2)
    cv.fill(Soft(Ellipse(foot_x + 4 * s, foot_y + 1 * s, 16 * s, 5 * s), 4 * s), (16, 50, 140),
            opacity=0.35)
    for part in pin_shapes(548 * s, 140 * s, 38 * s, 228 * s):
        cv.fill(Soft(Placed(part, 6 * s, 8 * s, 1), 6 * s), (16, 56, 150), opacity=0.22)
    for part in pin_shapes(548 * s, 140 * s, 38 * s, 228 * s):
        cv.fill(part, WHITE, ss=2)
    cv.fill(Circle(548 * s, 140 * s, 15 * s), BLUE, ss=2)
    return cv


def shield_outline(n=16):
    """A shield in unit coordinates (0..1 wide, 0..1.15 high)."""
    right = ([(0.5, 0.0)] + bezier((0.5, 0.0), (0.68, 0.1), (0.86, 0.12), (1.0, 0.12), n)[1:]
             + bezier((1.0, 0.12), (1.0, 0.6), (0.94, 0.92), (0.5, 1.15), n)[1:])
    left = [(1.0 - x, y) for x, y in reversed(right[1:-1])]
    return right + left


def banner_private(s):
    """Speed and privacy: the route mark on a shield, streaks trailing behind it."""
    cv = banner_canvas(s, lambda u, v: mix((62, 108, 242), (24, 52, 178), u * 0.55 + (1 - v) * 0.45))
    cv.fill(Soft(Circle(60 * s, 40 * s, 170 * s), 80 * s), WHITE, opacity=0.08)
    cv.fill(Soft(Circle(560 * s, 150 * s, 150 * s), 40 * s), (130, 190, 255), opacity=0.22)
    cv.fill(Border(Circle(560 * s, 150 * s, 200 * s), 24 * s), WHITE, opacity=0.05)
    cv.fill(Border(Circle(560 * s, 150 * s, 122 * s), 1.5 * s), WHITE, opacity=0.18, ss=2)
    # streaks, fading out to the left
    for y, x0, x1, width in ((92, 300, 452, 6), (120, 240, 440, 8), (150, 330, 430, 5),
                             (178, 210, 446, 9), (206, 290, 456, 6)):
        fade = (lambda a: lambda px, py: 0.85 * smoothstep((px / s - a) / 170))(x0)
        cv.fill(Stroke([(x0 * s, y * s), (x1 * s, y * s)], width * s), WHITE, opacity=fade, ss=2)
    for x, y, r in ((232, 92, 3), (190, 150, 2.5), (262, 206, 3), (178, 120, 2)):
        cv.fill(Circle(x * s, y * s, r * s), WHITE, opacity=0.35, ss=2)
    size, ox, oy = 150 * s, 485 * s, 62 * s
    shield = Placed(Polygon(shield_outline()), ox, oy, size)
    cv.fill(Soft(Placed(shield, 5 * s, 10 * s, 1), 10 * s), (14, 44, 130), opacity=0.30)

    def light(px, py):
        return mix(WHITE, (214, 232, 255), (py - oy) / (1.15 * size))

    cv.fill(shield, light, ss=2)
    inner = Placed(Polygon(shield_outline()), ox + 0.09 * size, oy + 0.09 * size, 0.82 * size)
    cv.fill(Border(inner, 2 * s), BLUE, opacity=0.35, ss=2)
    for part in route_mark():
        cv.fill(Placed(part, ox + 0.16 * size, oy + 0.2 * size, 0.68 * size), BLUE_DARK, ss=2)
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


def write_rgba_png(rgba, w, h, path):
    subprocess.run([CONVERT, "-size", f"{w}x{h}", "-depth", "8", "rgba:-"] + COMMON
                   + ["PNG32:" + path], input=rgba, check=True)


def write_png(cv, fmt, path):
    size = f"{cv.w}x{cv.h}"
    if fmt == "RGBA":
        write_rgba_png(cv.rgba8(), cv.w, cv.h, path)
        return
    if fmt == "RGB":
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


def recompress(path):
    """Replaces the PNG at `path` with the smallest of zopflipng's and optipng's
    (no reductions) encodings that keep its size, bit depth, colour type and every
    pixel; zopflipng may pick another colour type, which the program's loader and the
    tests do not allow, and is then not taken."""
    with open(path, "rb") as f:
        original = f.read()
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
    with open(path, "wb") as f:
        f.write(best)


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
    # every PNG sits on the white window
    if fmt in ("RGB", "grey") and corner != (255, 255, 255, 255):
        problems.append(f"corner pixel {corner} is not white")
    if fmt.startswith("palette") and corner[3] != 0:
        problems.append(f"corner pixel {corner} is not transparent")
    if problems:
        raise SystemExit(f"make_skin: {path}: " + "; ".join(problems))
    return pw, ph, ctype, depth, trns is not None


# --------------------------------------------------------------------------- JPEG files

# The banners are soft gradients and shapes without text, which JPEG holds in a fraction
# of PNG's bytes; GDI+ tells the format by the content, so their resources stay "PNG".
JPEG_QUALITY = 88
BANNER_MIN_DIFFERENCE = 8   # mean level difference in each cell of a 5 x 5 grid
JPEG_MARKERS = {0xE0: "APP0", 0xDB: "DQT", 0xC0: "SOF0", 0xC4: "DHT", 0xDA: "SOS"}


def write_jpeg(cv, path):
    """Baseline JPEG with 4:2:0 chroma and no metadata; libjpeg at fixed settings
    gives the same bytes on every run."""
    subprocess.run([CONVERT, "-size", f"{cv.w}x{cv.h}", "-depth", "8", "rgb:-", "-strip",
                    "-sampling-factor", "2x2,1x1,1x1", "-quality", str(JPEG_QUALITY),
                    "-define", "jpeg:optimize-coding=true", "-interlace", "none",
                    "JPEG:" + path], input=cv.rgb8_on_white(), check=True)


def read_jpeg_header(path):
    """The markers before the scan, and the frame's (precision, height, width,
    [(component, sampling)])."""
    with open(path, "rb") as f:
        blob = f.read()
    if blob[:2] != b"\xff\xd8" or blob[-2:] != b"\xff\xd9":
        raise ValueError("not a whole JPEG file")
    pos, markers, frame = 2, [], None
    while True:
        if blob[pos] != 0xFF:
            raise ValueError(f"no marker at {pos}")
        kind = blob[pos + 1]
        n, = struct.unpack(">H", blob[pos + 2:pos + 4])
        markers.append(kind)
        if kind == 0xC0:
            precision, h, w, count = struct.unpack(">BHHB", blob[pos + 4:pos + 10])
            comps = [(blob[pos + 10 + 3 * i], blob[pos + 11 + 3 * i]) for i in range(count)]
            frame = (precision, h, w, comps)
        if kind == 0xDA:
            return markers, frame
        pos += 2 + n


def check_jpeg(path, cv):
    """Fails loudly unless the file is a baseline 8-bit YCbCr 4:2:0 JPEG of the
    canvas's size, without metadata, that decodes close to what was drawn; returns
    the decoded RGB."""
    problems = []
    markers, frame = read_jpeg_header(path)
    extra = sorted({f"{m:02X}" for m in markers if m not in JPEG_MARKERS})
    if extra:
        problems.append(f"unexpected markers {extra}")
    if frame is None:
        problems.append("not baseline (no SOF0)")
    elif frame != (8, cv.h, cv.w, [(1, 0x22), (2, 0x11), (3, 0x11)]):
        problems.append(f"frame {frame}, wanted 8-bit {cv.w}x{cv.h} 4:2:0")
    rgba = decoded_rgba(path)
    want = cv.rgb8_on_white()
    got = bytes(rgba[i] for i in range(len(rgba)) if i % 4 != 3)
    if len(got) != len(want):
        problems.append("decodes to the wrong number of pixels")
    else:
        error = sum(abs(a - b) for a, b in zip(got, want)) / len(want)
        if error > 1.5:
            problems.append(f"decodes {error:.2f} levels away from the drawing on average")
    if problems:
        raise SystemExit(f"make_skin: {path}: " + "; ".join(problems))
    return got


def check_banners(banners, s):
    """Each banner shows clearly blue pixels, and the three differ in every part of
    the picture, not just where their motifs are."""
    w, h, cols, rows = BANNER_W * s, BANNER_H * s, 5, 5
    for path, rgb in banners:
        if not any(rgb[i + 2] > 200 and rgb[i + 2] - rgb[i] > 60 for i in range(0, len(rgb), 3)):
            raise SystemExit(f"make_skin: {path} has no clearly blue pixel")
    for i in range(len(banners)):
        for j in range(i + 1, len(banners)):
            (p, a), (q, b) = banners[i], banners[j]
            for r in range(rows):
                for c in range(cols):
                    total = count = 0
                    for y in range(r * h // rows, (r + 1) * h // rows, 2):
                        row = y * w * 3
                        for k in range(row + c * w // cols * 3, row + (c + 1) * w // cols * 3, 6):
                            total += abs(a[k] - b[k]) + abs(a[k + 1] - b[k + 1]) + abs(a[k + 2] - b[k + 2])
                            count += 3
                    if total / count < BANNER_MIN_DIFFERENCE:
                        raise SystemExit(f"make_skin: {p} and {q} look alike in cell {c},{r} "
                                         f"({total / count:.1f} levels apart)")


# --------------------------------------------------------------------------- the set

SETS = ((1, SKIN_DIR), (2, os.path.join(SKIN_DIR, "2x")))


def images():
    """(id, width, height, format, picture maker): the sizes are the 1x ones; the maker,
    given the scale s, draws the picture s times as wide and as high."""
    glyph = window_glyph
    return [
        (202, 11, 11, "RGBA", lambda s: checkbox(True, s)),
        (207, 323, 32, "palette 4", edit_frame),
        (213, 196, 31, "RGBA", small_logo),
        (214, 376, 154, "RGBA", product_picture),
        (215, 11, 11, "RGBA", lambda s: checkbox(False, s)),
        (239, 20, 20, "grey", lambda s: glyph("close", INK_SOFT, s)),
        (240, 20, 20, "RGB", lambda s: glyph("close", BLUE, s)),
        (243, 20, 20, "RGB", lambda s: glyph("minimise", INK_SOFT, s)),
        (244, 20, 20, "RGB", lambda s: glyph("minimise", BLUE, s)),
        (263, 90, 32, "palette 8", lambda s: frame_button(90, 32, "Browse...", False, s)),
        (273, 90, 32, "palette 8", lambda s: frame_button(90, 32, "Browse...", True, s)),
        (283, 180, 12, "grey", lambda s: customize_toggle(False, s)),
        (293, 180, 12, "grey", lambda s: customize_toggle(True, s)),
        (303, 57, 26, "palette 8", lambda s: frame_button(57, 26, "Hide", False, s)),
        (313, 57, 26, "palette 8", lambda s: frame_button(57, 26, "Hide", True, s)),
        (323, 168, 46, "palette 8", lambda s: big_button("Install", BLUE_DARK, s)),
        (333, 168, 46, "palette 8", lambda s: big_button("Install", BLUE, s)),
        (343, 168, 46, "palette 8", lambda s: big_button("Install", BLUE_LIGHT, s)),
        (353, BANNER_W, BANNER_H, "JPEG", banner_route),
        (363, BANNER_W, BANNER_H, "JPEG", banner_destination),
        (373, BANNER_W, BANNER_H, "JPEG", banner_private),
        (383, 390, 15, "RGB", licence_line),
        (393, 168, 46, "palette 8", lambda s: big_button("Start Now", BLUE_DARK, s)),
        (403, 168, 46, "palette 8", lambda s: big_button("Start Now", BLUE, s)),
        (413, 168, 46, "palette 8", lambda s: big_button("Start Now", BLUE_LIGHT, s)),
    ]


def skin_file(ident, fmt, folder):
    return os.path.join(folder, f"{ident}.{'jpg' if fmt == 'JPEG' else 'png'}")


def write_icon():
    sys.path.insert(0, HERE)
    sys.dont_write_bytecode = True   # leave no __pycache__ in tools/
    import make_icon
    data = make_icon.build_ico()
    with open(ICON_PATH, "wb") as f:
        f.write(data)
    make_icon.check_ico(ICON_PATH)


def build():
    report = []
    for s, folder in SETS:
        os.makedirs(folder, exist_ok=True)
        banners = []
        for ident, w, h, fmt, make in images():
            w, h = w * s, h * s
            path = skin_file(ident, fmt, folder)
            cv = make(s)
            if (cv.w, cv.h) != (w, h):
                raise SystemExit(f"make_skin: picture {ident} at {s}x drawn {cv.w}x{cv.h}, wanted {w}x{h}")
            if fmt == "JPEG":
                write_jpeg(cv, path)
                banners.append((path, check_jpeg(path, cv)))
            else:
                write_png(cv, fmt, path)
                recompress(path)
                check_png(path, w, h, fmt)
            report.append((os.path.relpath(path, ROOT), w, h, fmt, os.path.getsize(path)))
        check_banners(banners, s)
    write_icon()
    return report


# --------------------------------------------------------------------------- previews

def preview(out_dir):
    """Contact sheets of both sets (small pictures enlarged), the banners one above the
    other, and mock-ups of the window in its two states, built from the files just
    written."""
    os.makedirs(out_dir, exist_ok=True)
    skin = lambda i: os.path.join(SKIN_DIR, f"{i}.png")
    with tempfile.TemporaryDirectory() as tmp:
        for s, folder in SETS:
            tiles, banners = [], []
            for ident, w, h, fmt, _ in images():
                path = skin_file(ident, fmt, folder)
                if fmt == "JPEG":
                    banners.append(path)
                    continue
                scale = 8 if max(w, h) <= 20 else 3 if max(w, h) <= 100 else 2 if w <= 200 else 1
                scale = max(1, scale // s)
                t = os.path.join(tmp, f"{s}x{ident}.png")
                # pink shows what is transparent
                subprocess.run([CONVERT, path, "-background", "#f3c6e8", "-flatten",
                                "-scale", f"{scale * 100}%", t], check=True)
                tiles += ["-label", f"{ident} {w * s}x{h * s} {fmt}", t]
            suffix = "" if s == 1 else f"_{s}x"
            subprocess.run([MONTAGE] + tiles + ["-tile", "4x", "-geometry", "+12+12",
                                                "-background", "#e8e8e8", "-font", FONT,
                                                "-pointsize", "13",
                                                os.path.join(out_dir, f"contact{suffix}.png")],
                           check=True)
            subprocess.run([CONVERT] + banners + ["-append", os.path.join(out_dir, f"banners{suffix}.png")],
                           check=True)

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
    window([([skin_file(353, "JPEG", SKIN_DIR)], 0, 0), (bar, 48, 320), ([skin(303)], 645, 317)],
           os.path.join(out_dir, "mock_download.png"))


def main(argv):
    preview_dir = None
    if argv[1:2] == ["--preview"] and len(argv) == 3:
        preview_dir = argv[2]
    elif len(argv) != 1:
        print(__doc__, file=sys.stderr)
        return 2
    totals = {}
    for path, w, h, fmt, size in build():
        print(f"{path}  {w}x{h}  {fmt}  {size} bytes")
        set_name = "2x" if "/2x/" in path else "1x"
        kind = "banners" if fmt == "JPEG" else "pictures"
        totals[set_name, kind] = totals.get((set_name, kind), 0) + size
    icon = os.path.getsize(ICON_PATH)
    print(f"{os.path.relpath(ICON_PATH, ROOT)}  {icon} bytes")
    for (set_name, kind), size in sorted(totals.items()):
        print(f"{set_name} {kind}: {size} bytes")
    print(f"skin and icon: {sum(totals.values()) + icon} bytes")
    if preview_dir:
        preview(preview_dir)
        print(f"previews in {preview_dir}")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
