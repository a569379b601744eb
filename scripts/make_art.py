#!/usr/bin/env python3
"""Draws Keyvane's own artwork and writes it under src/windows/res/:
  button glyphs (32-bit icons at 16, 20, 24 and 32 pixels, so they stay sharp
  at 100%, 125%, 150% and 200%), the grid's warning marker, the built-in
  task pictures (24-bit bitmaps) and the About box's product picture.

Standard library only, and deterministic: the same bytes on every run.
  python3 scripts/make_art.py [--out DIR] [--sheet PNG]
--sheet also renders a contact sheet of the written files with ImageMagick.

Shapes are signed distance functions in pixel coordinates (negative inside),
painted bottom to top and supersampled. Small glyphs are laid out on a 16-unit
grid and every straight edge is snapped to whole pixels at each size, which is
what keeps them crisp instead of merely scaled.
"""
import math
import os
import struct
import subprocess
import sys
import tempfile

GLYPH_SIZES = (16, 20, 24, 32)
ABOUT_ICON_SIZES = (128, 96, 64)

# One palette for everything: a fill and its darker outline.
NAVY = (32, 64, 128)  # the program icon's key cap
BLUE, BLUE_D = (38, 132, 222), (16, 82, 156)
GREEN, GREEN_D = (62, 168, 74), (24, 112, 40)
RED, RED_D = (230, 68, 64), (164, 32, 34)
GREY, GREY_D = (128, 130, 134), (76, 78, 84)
AMBER, AMBER_D = (255, 194, 44), (190, 128, 0)
FOLDER, FOLDER_BACK, FOLDER_D = (255, 206, 84), (232, 168, 44), (178, 118, 16)
INK = (36, 36, 36)
PENCIL_D = (74, 56, 36)
SLATE = (84, 100, 124)
SLATE_D = (60, 72, 92)
BIN = (214, 222, 234)
WHITE = (255, 255, 255)
PAPER = (236, 240, 248)
DIALOG_GREY = (240, 240, 240)


def rgba(rgb, a=255):
    return (rgb[0], rgb[1], rgb[2], a)


# ---------------------------------------------------------------- shapes
# A shape is a callable (x, y) -> signed distance, with .box = (x0, y0, x1, y1)
# bounding the region where it can be <= 0.


class Shape:
    def __init__(self, fn, box):
        self.fn = fn
        self.box = box

    def __call__(self, x, y):
        return self.fn(x, y)


def rect(x0, y0, x1, y1, r=0.0):
    cx, cy = (x0 + x1) / 2, (y0 + y1) / 2
    hx, hy = (x1 - x0) / 2 - r, (y1 - y0) / 2 - r

    def fn(x, y):
        qx, qy = abs(x - cx) - hx, abs(y - cy) - hy
        outside = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return outside + min(max(qx, qy), 0.0) - r

    return Shape(fn, (x0, y0, x1, y1))


def circle(cx, cy, r):
    return Shape(lambda x, y: math.hypot(x - cx, y - cy) - r, (cx - r, cy - r, cx + r, cy + r))


def segment(ax, ay, bx, by, hw):
    """A stroke from a to b, half width hw, round caps."""
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy

    def fn(x, y):
        t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / ll))
        return math.hypot(x - ax - t * dx, y - ay - t * dy) - hw

    return Shape(fn, (min(ax, bx) - hw, min(ay, by) - hw, max(ax, bx) + hw, max(ay, by) + hw))


def polyline(points, hw):
    return union(*[segment(*points[i], *points[i + 1], hw) for i in range(len(points) - 1)])


def polygon(points):
    n = len(points)

    def fn(x, y):
        d = float("inf")
        inside = False
        for i in range(n):
            ax, ay = points[i]
            bx, by = points[(i + 1) % n]
            dx, dy = bx - ax, by - ay
            ll = dx * dx + dy * dy
            t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / ll)) if ll else 0.0
            d = min(d, math.hypot(x - ax - t * dx, y - ay - t * dy))
            if (ay > y) != (by > y) and x < ax + (y - ay) * dx / (by - ay):
                inside = not inside
        return -d if inside else d

    xs, ys = [p[0] for p in points], [p[1] for p in points]
    return Shape(fn, (min(xs), min(ys), max(xs), max(ys)))


def union(*shapes):
    boxes = [s.box for s in shapes]
    return Shape(lambda x, y: min(s(x, y) for s in shapes),
                 (min(b[0] for b in boxes), min(b[1] for b in boxes),
                  max(b[2] for b in boxes), max(b[3] for b in boxes)))


def intersect(*shapes):
    boxes = [s.box for s in shapes]
    return Shape(lambda x, y: max(s(x, y) for s in shapes),
                 (max(b[0] for b in boxes), max(b[1] for b in boxes),
                  min(b[2] for b in boxes), min(b[3] for b in boxes)))


def subtract(a, b):
    return Shape(lambda x, y: max(a(x, y), -b(x, y)), a.box)


def grow(s, d):
    """The shape moved outwards by d (inwards when d < 0)."""
    x0, y0, x1, y1 = s.box
    return Shape(lambda x, y: s(x, y) - d, (x0 - d, y0 - d, x1 + d, y1 + d) if d > 0 else s.box)


def flip_y(s, height):
    x0, y0, x1, y1 = s.box
    return Shape(lambda x, y: s(x, height - y), (x0, height - y1, x1, height - y0))


# ---------------------------------------------------------------- painting


class Canvas:
    """Layers painted bottom to top. A paint is an RGBA tuple or a callable
    (x, y) -> RGBA. mode "fill" covers the shape; "erase" clears it (a halo that
    lets the background through); soft=w fades the shape's edge over w pixels."""

    def __init__(self, width, height=None):
        self.w = width
        self.h = height or width
        self.layers = []

    def fill(self, shape, paint, soft=0.0):
        self.layers.append((shape, paint, "fill", soft))

    def erase(self, shape):
        self.layers.append((shape, None, "erase", 0.0))

    def outlined(self, shape, fill, outline, width):
        """A shape in its fill colour with an outline of the given width inside its edge."""
        self.fill(shape, rgba(outline))
        self.fill(grow(shape, -width), rgba(fill))

    def render(self, samples):
        """Rows of straight-alpha (r, g, b, a) tuples, top row first."""
        n = samples * samples
        offsets = [((i + 0.5) / samples, (j + 0.5) / samples)
                   for j in range(samples) for i in range(samples)]
        rows = []
        for py in range(self.h):
            row = []
            for px in range(self.w):
                active = []
                for layer in self.layers:
                    x0, y0, x1, y1 = layer[0].box
                    m = layer[3] + 1e-9
                    if x0 - m < px + 1 and x1 + m > px and y0 - m < py + 1 and y1 + m > py:
                        active.append(layer)
                if not active:
                    row.append((0, 0, 0, 0))
                    continue
                acc = [0.0, 0.0, 0.0, 0.0]
                for ox, oy in offsets:
                    x, y = px + ox, py + oy
                    r = g = b = a = 0.0  # premultiplied, 0..1
                    for shape, paint, mode, soft in active:
                        d = shape(x, y)
                        if soft:
                            cov = min(1.0, max(0.0, 0.5 - d / soft))
                        else:
                            cov = 1.0 if d <= 0 else 0.0
                        if not cov:
                            continue
                        if mode == "erase":
                            k = 1.0 - cov
                            r, g, b, a = r * k, g * k, b * k, a * k
                            continue
                        cr, cg, cb, ca = paint(x, y) if callable(paint) else paint
                        sa = cov * ca / 255.0
                        k = 1.0 - sa
                        r = r * k + sa * cr / 255.0
                        g = g * k + sa * cg / 255.0
                        b = b * k + sa * cb / 255.0
                        a = a * k + sa
                    acc[0] += r
                    acc[1] += g
                    acc[2] += b
                    acc[3] += a
                a = acc[3] / n
                if a <= 0:
                    row.append((0, 0, 0, 0))
                else:
                    row.append(tuple(min(255, round(c / acc[3] * 255)) for c in acc[:3])
                               + (round(a * 255),))
            rows.append(row)
        return rows


def vertical_gradient(y0, y1, top, bottom):
    def paint(x, y):
        t = min(1.0, max(0.0, (y - y0) / (y1 - y0)))
        return tuple(round(top[i] + (bottom[i] - top[i]) * t) for i in range(3)) + (255,)

    return paint


# ---------------------------------------------------------------- file formats


def ico_bytes(images):
    """images: list of rows (straight-alpha RGBA), one per size. 32-bit DIB entries with an AND mask."""
    entries = []
    for rows in images:
        h, w = len(rows), len(rows[0])
        header = struct.pack("<IiiHHIIiiII", 40, w, h * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
        stride = ((w + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(rows):
            bits = bytearray(stride)
            for x, px in enumerate(row):
                if px[3] == 0:
                    bits[x // 8] |= 0x80 >> (x % 8)
            mask += bits
        entries.append((w, h, header + pixels + bytes(mask)))
    data = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    for w, h, image in entries:
        data += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return data + b"".join(image for _, _, image in entries)


def flatten(rows, background):
    """Straight-alpha rows composited onto an opaque background colour."""
    out = []
    for row in rows:
        line = []
        for r, g, b, a in row:
            k = a / 255.0
            line.append(tuple(round(c * k + bg * (1 - k)) for c, bg in zip((r, g, b), background)))
        out.append(line)
    return out


def bmp_bytes(rgb_rows):
    """A 24-bit bottom-up BMP file."""
    h, w = len(rgb_rows), len(rgb_rows[0])
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rgb_rows):
        line = bytes(c for (r, g, b) in row for c in (b, g, r))
        pixels += line + bytes(stride - len(line))
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + bytes(pixels)


# ---------------------------------------------------------------- glyphs
# Each glyph function takes the pixel size N and returns a Canvas. Lengths are
# given on a 16-unit grid; q() snaps them to whole pixels at this size.


class Grid:
    def __init__(self, n):
        self.n = n
        self.k = n / 16.0
        self.c = n / 2.0  # every glyph size is even, so the centre is a pixel edge
        self.line = 1 if n < 32 else 2  # outline width: one device pixel per 100%

    def q(self, v):
        """v grid units as whole pixels."""
        return math.floor(v * self.k + 0.5)

    def even(self, v):
        """A width near v units that is an even number of pixels, so it centres on c."""
        return max(2, 2 * math.floor(v * self.k / 2 + 0.5))

    def u(self, v):
        """v grid units as exact (unsnapped) pixels, for diagonal strokes."""
        return v * self.k


def glyph_add(n):
    g = Grid(n)
    cv = Canvas(n)
    h = g.even(4.5) / 2
    m = g.q(1.5)
    r = g.u(0.6)
    plus = union(rect(g.c - h, m, g.c + h, n - m, r), rect(m, g.c - h, n - m, g.c + h, r))
    cv.outlined(plus, GREEN, GREEN_D, g.line)
    return cv


def bar(cx, cy, dx, dy, half_length, half_width, r=0.0):
    """A straight bar with square ends, centred on (cx, cy) along the unit direction (dx, dy)."""
    nx, ny = -dy, dx
    a, b = half_length - r, half_width - r
    pts = [(cx + dx * sl * a + nx * sw * b, cy + dy * sl * a + ny * sw * b)
           for sl, sw in ((-1, -1), (1, -1), (1, 1), (-1, 1))]
    return grow(polygon(pts), r)


def cross(g, half_width, margin):
    """Two diagonal bars with square ends reaching to margin units from the edge."""
    d = 1 / math.sqrt(2)
    hw = g.u(half_width)
    half_length = (g.c - g.u(margin)) * math.sqrt(2) - hw
    r = g.u(0.35)
    return union(bar(g.c, g.c, d, d, half_length, hw, r), bar(g.c, g.c, d, -d, half_length, hw, r))


def glyph_delete(n):
    g = Grid(n)
    cv = Canvas(n)
    cv.outlined(cross(g, 1.9, 1.5), RED, RED_D, g.line)
    return cv


def glyph_close(n):
    g = Grid(n)
    cv = Canvas(n)
    cv.outlined(cross(g, 1.6, 2.0), GREY, GREY_D, g.line)
    return cv


def glyph_ok(n):
    g = Grid(n)
    cv = Canvas(n)
    hw = g.u(1.9)
    pts = [(g.u(3.0), g.u(8.6)), (g.u(6.5), g.u(12.1)), (g.u(13.2), g.u(4.4))]
    cv.outlined(polyline(pts, hw), GREEN, GREEN_D, g.line)
    return cv


def arrow_up(g, top, bottom, head_half, shaft_half, head_base):
    c = g.c
    return polygon([(c, top), (c + head_half, head_base), (c + shaft_half, head_base),
                    (c + shaft_half, bottom), (c - shaft_half, bottom),
                    (c - shaft_half, head_base), (c - head_half, head_base)])


def move_arrow(g):
    return arrow_up(g, top=g.q(1), bottom=g.n - g.q(1.5), head_half=g.q(6.5),
                    shaft_half=g.even(4.5) / 2, head_base=g.q(8.5))


def glyph_moveup(n):
    g = Grid(n)
    cv = Canvas(n)
    cv.outlined(move_arrow(g), BLUE, BLUE_D, g.line)
    return cv


def glyph_movedown(n):
    g = Grid(n)
    cv = Canvas(n)
    cv.outlined(flip_y(move_arrow(g), n), BLUE, BLUE_D, g.line)
    return cv


def glyph_edit(n):
    """A pencil lying from bottom left (tip) to top right (eraser)."""
    g = Grid(n)
    cv = Canvas(n)
    tip = (g.u(1.6), g.u(14.4))
    end = (g.u(14.6), g.u(1.4))
    length = math.hypot(end[0] - tip[0], end[1] - tip[1])
    ux, uy = (end[0] - tip[0]) / length, (end[1] - tip[1]) / length
    nx, ny = -uy, ux
    hw = g.u(2.5)

    def at(t, s):
        return (tip[0] + ux * t + nx * s, tip[1] + uy * t + ny * s)

    cone = g.u(4.2)
    band = length - g.u(3.6)
    eraser = length - g.u(2.4)
    outline = g.line
    body = polygon([at(0, 0), at(cone, -hw), at(length, -hw), at(length, hw), at(cone, hw)])
    cv.fill(body, rgba(PENCIL_D))

    def part(t0, t1, colour):
        piece = intersect(grow(body, -outline),
                          polygon([at(t0, -2 * hw), at(t1, -2 * hw), at(t1, 2 * hw), at(t0, 2 * hw)]))
        cv.fill(piece, rgba(colour))

    part(-hw, cone, (246, 216, 170))  # bare wood
    part(cone, band, AMBER)
    part(band, eraser, (176, 184, 196))  # metal band
    part(eraser, length + hw, (236, 120, 130))  # eraser
    # Graphite point, and a lighter stripe along the body.
    lead = g.u(1.9)
    cv.fill(polygon([at(0, 0), at(lead, -hw * lead / cone), at(lead, hw * lead / cone)]), rgba(INK))
    stripe = intersect(grow(body, -outline),
                       polygon([at(cone, -hw), at(band, -hw), at(band, -hw * 0.15), at(cone, -hw * 0.15)]))
    cv.fill(stripe, rgba((255, 220, 120)))
    return cv


def glyph_save(n):
    """A floppy disk."""
    g = Grid(n)
    cv = Canvas(n)
    x0, y0, x1, y1 = g.q(1), g.q(1), n - g.q(1), n - g.q(1)
    cut = g.q(3)
    body = polygon([(x0, y0), (x1 - cut, y0), (x1, y0 + cut), (x1, y1), (x0, y1)])
    cv.outlined(body, BLUE, BLUE_D, g.line)
    # Shutter at the top with its window.
    sx0, sx1 = g.q(4), n - g.q(4.5)
    cv.fill(rect(sx0, y0 + g.line, sx1, g.q(6)), rgba((214, 226, 240)))
    cv.fill(rect(sx1 - g.q(2.5), g.q(2.5), sx1 - g.q(1), g.q(5)), rgba(BLUE_D))
    # Label at the bottom.
    cv.fill(rect(g.q(3.5), g.q(8.5), n - g.q(3.5), y1 - g.line), rgba(WHITE))
    for row in (10.5, 12.5):
        y = g.q(row)
        cv.fill(rect(g.q(5), y, n - g.q(5), y + max(1, g.q(0.75))), rgba((168, 186, 208)))
    return cv


def glyph_import(n):
    """An arrow going down into an open tray."""
    g = Grid(n)
    cv = Canvas(n)
    wall = g.q(2)
    x0, x1 = g.q(0.5), n - g.q(0.5)
    top, bottom = g.q(8.5), n - g.q(1)
    tray = subtract(rect(x0, top, x1, bottom, g.u(0.8)),
                    rect(x0 + wall, top - 1, x1 - wall, bottom - wall))
    cv.fill(tray, rgba(SLATE_D))
    arrow = flip_y(arrow_up(g, top=n - g.q(11.5), bottom=n - g.q(0.5), head_half=g.q(5),
                            shaft_half=g.even(4) / 2, head_base=n - g.q(6.5)), n)
    cv.erase(grow(arrow, g.line))
    cv.outlined(arrow, GREEN, GREEN_D, g.line)
    return cv


def glyph_browse(n):
    """A folder."""
    g = Grid(n)
    cv = Canvas(n)
    x0, x1 = g.q(0.5), n - g.q(0.5)
    top, tab_h, tab_w = g.q(2), g.q(2), g.q(6)
    bottom = n - g.q(2)
    back = polygon([(x0, top), (x0 + tab_w, top), (x0 + tab_w + tab_h, top + tab_h),
                    (x1, top + tab_h), (x1, bottom), (x0, bottom)])
    cv.outlined(back, FOLDER_BACK, FOLDER_D, g.line)
    front = rect(x0, g.q(6), x1, bottom)
    cv.outlined(front, FOLDER, FOLDER_D, g.line)
    return cv


def glyph_deleteall(n):
    """A waste bin."""
    g = Grid(n)
    cv = Canvas(n)
    c = g.c
    lid_top = g.q(2.5)
    lid_bottom = lid_top + g.even(2)
    handle = g.even(5) / 2
    cv.outlined(rect(c - handle, g.q(0.5), c + handle, lid_top + g.line, g.u(0.5)),
                BIN, SLATE_D, g.line)
    cv.fill(rect(g.q(1), lid_top, n - g.q(1), lid_bottom, g.u(0.4)), rgba(SLATE_D))
    half = g.q(5.5)
    bottom = n - g.q(0.5)
    body = union(rect(c - half, lid_bottom - 1, c + half, bottom, g.u(1.0)),
                 rect(c - half, lid_bottom - 1, c + half, lid_bottom + g.q(2)))
    cv.outlined(body, BIN, SLATE_D, g.line)
    rib = g.line
    for x in (c - g.q(3) , c + g.q(3) - rib):
        cv.fill(rect(x, lid_bottom + g.q(2), x + rib, bottom - g.q(2)), rgba(SLATE))
    return cv


def glyph_warning(n):
    """An amber triangle with an exclamation mark."""
    g = Grid(n)
    cv = Canvas(n)
    r = g.u(1.2)
    top, base = g.q(0.5), n - g.q(1)
    half = (g.c - g.q(0.25))
    tri = polygon([(g.c, top + r * 2), (g.c + half - r * 1.7, base - r), (g.c - half + r * 1.7, base - r)])
    cv.outlined(grow(tri, r), AMBER, AMBER_D, g.line)
    w = 2 * max(1, math.floor(g.k + 0.25)) / 2
    cv.fill(rect(g.c - w, g.q(5), g.c + w, g.q(10.5), g.u(0.3)), rgba(INK))
    cv.fill(rect(g.c - w, g.q(11.5), g.c + w, g.q(11.5) + 2 * w, g.u(0.3)), rgba(INK))
    return cv


# ---------------------------------------------------------------- task pictures


def picture_reboot():
    """A circular arrow, 31 by 31."""
    cv = Canvas(31)
    cx, cy, radius, hw = 15.5, 16.0, 10.0, 2.6
    ring = Shape(lambda x, y: abs(math.hypot(x - cx, y - cy) - radius) - hw,
                 (cx - radius - hw, cy - radius - hw, cx + radius + hw, cy + radius + hw))
    # The gap at the top right, between the arrow's head and its tail.
    head_angle, tail_angle = math.radians(-112), math.radians(-38)
    far = 40

    def ray(a):
        return (cx + far * math.cos(a), cy + far * math.sin(a))

    gap = polygon([(cx, cy), ray(head_angle), ray((head_angle + tail_angle) / 2), ray(tail_angle)])
    arc = subtract(ring, gap)
    # Head: a triangle at the arc's end, pointing clockwise along it.
    ex, ey = cx + radius * math.cos(head_angle), cy + radius * math.sin(head_angle)
    tx, ty = -math.sin(head_angle), math.cos(head_angle)  # clockwise tangent (y down)
    rx, ry = math.cos(head_angle), math.sin(head_angle)
    wing, reach = 6.6, 7.5
    head = polygon([(ex + rx * wing, ey + ry * wing), (ex + tx * reach, ey + ty * reach),
                    (ex - rx * wing, ey - ry * wing)])
    # Clip the arc square at the head's base, so the head sits on it cleanly.
    shape = union(arc, head)
    cv.outlined(shape, GREEN, GREEN_D, 1.2)
    return cv


def picture_hibernate():
    """A crescent moon with two small z's, 31 by 31."""
    cv = Canvas(31)
    moon = subtract(circle(13.0, 17.0, 11.5), circle(19.5, 11.0, 9.5))
    cv.outlined(moon, (70, 104, 196), (30, 52, 120), 1.2)

    def zed(x, y, s, hw):
        return polyline([(x, y), (x + s, y), (x, y + s), (x + s, y + s)], hw)

    cv.fill(zed(18.5, 10.5, 5.0, 0.95), rgba((30, 52, 120)))
    cv.fill(zed(25.0, 3.5, 3.6, 0.8), rgba((30, 52, 120)))
    return cv


def picture_minimizeall():
    """Windows stacked going down to a taskbar, 32 by 32."""
    cv = Canvas(32)
    frame = (56, 72, 100)

    def window(x0, y0, x1, y1):
        cv.fill(rect(x0, y0, x1, y1, 0.8), rgba(frame))
        cv.fill(rect(x0 + 1, y0 + 1, x1 - 1, y0 + 4), rgba(BLUE))
        cv.fill(rect(x0 + 1, y0 + 4, x1 - 1, y1 - 1), rgba(WHITE))

    window(1, 1, 20, 15)
    window(5, 6, 24, 20)
    window(9, 11, 28, 25)
    # Down arrow in the front window.
    arrow = polygon([(18.5, 23.0), (23.5, 18.0), (20.5, 18.0), (20.5, 15.0),
                     (16.5, 15.0), (16.5, 18.0), (13.5, 18.0)])
    cv.fill(arrow, rgba(GREEN_D))
    # Taskbar with a start button and two buttons.
    cv.fill(rect(0, 27, 32, 32), rgba((40, 52, 72)))
    cv.fill(rect(1, 28, 5, 31), rgba(BLUE))
    cv.fill(rect(7, 28, 15, 31), rgba((110, 126, 150)))
    cv.fill(rect(16, 28, 24, 31), rgba((110, 126, 150)))
    return cv


def picture_typetext():
    """A sheet with lines of text and a blue text cursor after the last, 32 by 32."""
    cv = Canvas(32)
    sheet = rect(4, 1, 28, 31, 1.2)
    cv.outlined(sheet, PAPER, SLATE_D, 1.2)
    for y, x1 in ((6, 24), (11, 24), (15, 20), (21, 13)):
        cv.fill(rect(8, y, x1, y + 2, 0.6), rgba(GREY_D))
    # The cursor: an I-beam standing after the last line's words.
    x = 17.5
    cv.fill(rect(x - 1, 19, x + 1, 28), rgba(BLUE_D))
    cv.fill(rect(x - 3.5, 18, x + 3.5, 20, 0.5), rgba(BLUE_D))
    cv.fill(rect(x - 3.5, 27, x + 3.5, 29, 0.5), rgba(BLUE_D))
    return cv


def picture_sendkeys():
    """Two key caps, one behind the other, and an arrow sending them on, 32 by 32."""
    cv = Canvas(32)

    def cap(x0, y0, x1, y1):
        body = rect(x0, y0, x1, y1, 2.2)
        cv.outlined(body, (196, 204, 218), SLATE_D, 1.2)
        # The cap's top face, lighter and set in from the sides and bottom.
        cv.fill(rect(x0 + 2.4, y0 + 1.8, x1 - 2.4, y1 - 4.2, 1.4), rgba(WHITE))

    cap(1, 1, 17, 16)
    cap(8, 9, 24, 24)
    # A letter on the front cap: "A" as three strokes.
    cv.fill(union(segment(12.6, 18.2, 16.0, 11.4, 1.1), segment(16.0, 11.4, 19.4, 18.2, 1.1),
                  segment(14.2, 15.6, 17.8, 15.6, 0.9)), rgba(INK))
    arrow = polygon([(31.5, 27.0), (25.5, 21.0), (25.5, 24.5), (18.0, 24.5),
                     (18.0, 29.5), (25.5, 29.5), (25.5, 33.0)])
    arrow = intersect(arrow, rect(0, 0, 32, 32))
    cv.erase(grow(arrow, 1.0))
    cv.outlined(arrow, GREEN, GREEN_D, 1.0)
    return cv


# ---------------------------------------------------------------- product picture


def product_picture(n):
    """The key cap "K" of the program icon, drawn for a large size."""
    cv = Canvas(n)

    def u(v):
        return v * n

    shadow_blur = u(0.06)
    cv.fill(rect(u(0.08), u(0.12), u(0.94), u(0.97), u(0.2)), (0, 0, 0, 70), soft=shadow_blur)
    body = rect(u(0.05), u(0.04), u(0.95), u(0.92), u(0.17))
    cv.fill(body, rgba((20, 40, 88)))
    cv.fill(grow(body, -u(0.012)), vertical_gradient(u(0.04), u(0.92), (64, 104, 176), (26, 52, 110)))
    # The cap's top face: lighter at the top, dished towards the bottom.
    face = rect(u(0.14), u(0.10), u(0.86), u(0.78), u(0.11))
    cv.fill(grow(face, u(0.012)), rgba((18, 36, 80)))
    cv.fill(face, vertical_gradient(u(0.10), u(0.78), (255, 255, 255), (214, 224, 242)))
    k = union(segment(u(0.37), u(0.23), u(0.37), u(0.65), u(0.062)),
              segment(u(0.395), u(0.465), u(0.65), u(0.23), u(0.058)),
              segment(u(0.47), u(0.405), u(0.66), u(0.65), u(0.058)))
    cv.fill(k, rgba(NAVY))
    return cv


# ---------------------------------------------------------------- output

GLYPHS = [
    ("add", glyph_add),
    ("edit", glyph_edit),
    ("delete", glyph_delete),
    ("deleteall", glyph_deleteall),
    ("movedown", glyph_movedown),
    ("moveup", glyph_moveup),
    ("save", glyph_save),
    ("import", glyph_import),
    ("browse", glyph_browse),
    ("ok", glyph_ok),
    ("close", glyph_close),
    ("warning", glyph_warning),
]

PICTURES = [
    ("reboot", picture_reboot),
    ("hibernate", picture_hibernate),
    ("minimizeall", picture_minimizeall),
    ("typetext", picture_typetext),
    ("sendkeys", picture_sendkeys),
]


def write(path, data):
    with open(path, "wb") as f:
        f.write(data)


def build(out):
    os.makedirs(out, exist_ok=True)
    for name, draw in GLYPHS:
        write(os.path.join(out, name + ".ico"),
              ico_bytes([draw(n).render(6) for n in GLYPH_SIZES]))
    for name, draw in PICTURES:
        write(os.path.join(out, name + ".bmp"), bmp_bytes(flatten(draw().render(6), WHITE)))
    write(os.path.join(out, "about.bmp"), bmp_bytes(flatten(product_picture(128).render(4), DIALOG_GREY)))
    write(os.path.join(out, "about.ico"),
          ico_bytes([product_picture(n).render(4) for n in ABOUT_ICON_SIZES]))


def contact_sheet(out, png, zooms=(1, 2)):
    """Every written picture (each size of an icon) at each zoom, on white, on the
    dialog grey and on a darker grey, magnified without smoothing."""
    half = (len(GLYPHS) + 1) // 2
    groups = [[(name + ".ico", len(GLYPH_SIZES)) for name, _ in GLYPHS[:half]],
              [(name + ".ico", len(GLYPH_SIZES)) for name, _ in GLYPHS[half:]],
              [(name + ".bmp", 1) for name, _ in PICTURES]
              + [("about.ico", len(ABOUT_ICON_SIZES)), ("about.bmp", 1)]]
    with tempfile.TemporaryDirectory() as tmp:
        rows = []
        for zoom in zooms:
            for bg in ("white", "rgb(240,240,240)", "rgb(150,150,150)"):
                for sources in groups:
                    tiles = []
                    for file, frames in sources:
                        for i in range(frames):
                            tile = os.path.join(tmp, f"{zoom}-{file}-{i}.png")
                            if not os.path.exists(tile):
                                src = os.path.join(out, file) + (f"[{i}]" if file.endswith(".ico") else "")
                                subprocess.run(["convert", src, "-scale", f"{zoom * 100}%", "+repage", tile],
                                               check=True)
                            tiles.append(tile)
                        tiles.append("xc:none[%dx1]" % (8 * zoom))  # a wider gap between pictures
                    row = os.path.join(tmp, f"row{len(rows)}.png")
                    subprocess.run(["convert", "-background", "none", *tiles, "-gravity", "south",
                                    "+smush", str(3 * zoom), "-bordercolor", "none", "-border", "6",
                                    "-background", bg, "-flatten", "+repage", row], check=True)
                    rows.append(row)
        subprocess.run(["convert", *rows, "-background", "white", "-gravity", "west", "-append",
                        "+repage", png], check=True)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out = os.path.join(here, "..", "src", "windows", "res")
    sheet = None
    i = 0
    while i < len(argv):
        if argv[i] == "--out":
            out, i = argv[i + 1], i + 2
        elif argv[i] == "--sheet":
            sheet, i = argv[i + 1], i + 2
        else:
            sys.exit(__doc__)
    build(out)
    if sheet:
        contact_sheet(out, sheet)


if __name__ == "__main__":
    main(sys.argv[1:])
