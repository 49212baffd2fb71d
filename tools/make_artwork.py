#!/usr/bin/env python3
"""Draws Velmora's icons and the category-tree bitmap.

    python3 tools/make_artwork.py [output-folder]      (default: src/res)

Writes velmora.ico, add.ico, modify.ico, property.ico and tree.bmp. Only the
standard library is used: every shape is an inside/outside test, rendered on a
supersampled grid and averaged down, which gives clean anti-aliased edges.

All drawings are laid out on a 32 x 32 design grid; smaller and larger icon
sizes scale that grid and get outlines one real pixel wide.
"""

import math
import os
import struct
import sys

# --------------------------------------------------------------------------
# Colours: straight (not premultiplied) RGBA floats in 0..1.


def rgb(value, alpha=1.0):
    return ((value >> 16 & 255) / 255.0, (value >> 8 & 255) / 255.0,
            (value & 255) / 255.0, alpha)


def mix(c0, c1, t):
    t = min(1.0, max(0.0, t))
    return tuple(a + (b - a) * t for a, b in zip(c0, c1))


def linear(x0, y0, c0, x1, y1, c1):
    """Paint that runs from c0 at (x0, y0) to c1 at (x1, y1)."""
    c0, c1 = rgb(c0) if isinstance(c0, int) else c0, rgb(c1) if isinstance(c1, int) else c1
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy
    return lambda x, y: mix(c0, c1, ((x - x0) * dx + (y - y0) * dy) / length2)


def vertical(y0, c0, y1, c1):
    return linear(0, y0, c0, 0, y1, c1)


# --------------------------------------------------------------------------
# Shapes: a test inside(x, y) plus a bounding box (x0, y0, x1, y1), both in
# design units. Shapes combine with |, & and -.


class Shape:
    def __init__(self, test, bbox):
        self.test = test
        self.bbox = bbox

    def __call__(self, x, y):
        return self.test(x, y)

    def __or__(self, other):
        a, b = self.bbox, other.bbox
        return Shape(lambda x, y: self.test(x, y) or other.test(x, y),
                     (min(a[0], b[0]), min(a[1], b[1]), max(a[2], b[2]), max(a[3], b[3])))

    def __and__(self, other):
        a, b = self.bbox, other.bbox
        return Shape(lambda x, y: self.test(x, y) and other.test(x, y),
                     (max(a[0], b[0]), max(a[1], b[1]), min(a[2], b[2]), min(a[3], b[3])))

    def __sub__(self, other):
        return Shape(lambda x, y: self.test(x, y) and not other.test(x, y), self.bbox)

    def transformed(self, angle_deg=0.0, cx=0.0, cy=0.0, dx=0.0, dy=0.0):
        """Rotates about (cx, cy), then moves by (dx, dy)."""
        a = math.radians(angle_deg)
        ca, sa = math.cos(a), math.sin(a)

        def forward(x, y):
            x, y = x - cx, y - cy
            return cx + x * ca - y * sa + dx, cy + x * sa + y * ca + dy

        def test(x, y):
            x, y = x - dx - cx, y - dy - cy
            return self.test(cx + x * ca + y * sa, cy - x * sa + y * ca)

        b = self.bbox
        corners = [forward(px, py) for px in (b[0], b[2]) for py in (b[1], b[3])]
        xs, ys = [p[0] for p in corners], [p[1] for p in corners]
        return Shape(test, (min(xs), min(ys), max(xs), max(ys)))


def circle(cx, cy, r):
    r2 = r * r
    return Shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r2,
                 (cx - r, cy - r, cx + r, cy + r))


def ellipse(cx, cy, rx, ry):
    return Shape(lambda x, y: ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0,
                 (cx - rx, cy - ry, cx + rx, cy + ry))


def rect(x0, y0, x1, y1):
    return Shape(lambda x, y: x0 <= x <= x1 and y0 <= y <= y1, (x0, y0, x1, y1))


def rounded_rect(x0, y0, x1, y1, r):
    def test(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        qx = max(x0 + r - x, 0.0, x - (x1 - r))
        qy = max(y0 + r - y, 0.0, y - (y1 - r))
        return qx * qx + qy * qy <= r * r
    return Shape(test, (x0, y0, x1, y1))


def polygon(points):
    """Even-odd fill of a closed polygon."""
    pts = list(points)
    edges = list(zip(pts, pts[1:] + pts[:1]))

    def test(x, y):
        inside = False
        for (xa, ya), (xb, yb) in edges:
            if (ya > y) != (yb > y) and x < xa + (y - ya) * (xb - xa) / (yb - ya):
                inside = not inside
        return inside
    xs, ys = [p[0] for p in pts], [p[1] for p in pts]
    return Shape(test, (min(xs), min(ys), max(xs), max(ys)))


def segment(x0, y0, x1, y1, width):
    """A stroke with round caps."""
    h = width / 2.0
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy or 1e-9

    def test(x, y):
        t = min(1.0, max(0.0, ((x - x0) * dx + (y - y0) * dy) / length2))
        px, py = x0 + t * dx - x, y0 + t * dy - y
        return px * px + py * py <= h * h
    return Shape(test, (min(x0, x1) - h, min(y0, y1) - h, max(x0, x1) + h, max(y0, y1) + h))


def arc(cx, cy, r, width, start_deg, end_deg):
    """A ring stroke from start to end angle (degrees, clockwise from 3 o'clock
    on screen), with round caps."""
    h = width / 2.0
    a0, a1 = math.radians(start_deg), math.radians(end_deg)
    span = (a1 - a0) % (2 * math.pi)
    caps = [circle(cx + r * math.cos(a), cy + r * math.sin(a), h) for a in (a0, a1)]

    def test(x, y):
        d = math.hypot(x - cx, y - cy)
        if abs(d - r) <= h and (math.atan2(y - cy, x - cx) - a0) % (2 * math.pi) <= span:
            return True
        return caps[0](x, y) or caps[1](x, y)
    R = r + h
    return Shape(test, (cx - R, cy - R, cx + R, cy + R))


def bezier(p0, p1, p2, p3, steps=16):
    """Points along a cubic curve, for building polygons."""
    out = []
    for i in range(steps + 1):
        t = i / steps
        u = 1 - t
        out.append((u ** 3 * p0[0] + 3 * u * u * t * p1[0] + 3 * u * t * t * p2[0] + t ** 3 * p3[0],
                    u ** 3 * p0[1] + 3 * u * u * t * p1[1] + 3 * u * t * t * p2[1] + t ** 3 * p3[1]))
    return out


# --------------------------------------------------------------------------
# Canvas


class Canvas:
    def __init__(self, size, design=32.0, ss=8):
        self.size = size
        self.ss = ss
        self.n = size * ss
        self.unit = size / design          # pixels per design unit
        self.px = 1.0 / self.unit          # design units per pixel: one-pixel outlines
        self.r = [0.0] * (self.n * self.n)
        self.g = [0.0] * (self.n * self.n)
        self.b = [0.0] * (self.n * self.n)
        self.a = [0.0] * (self.n * self.n)

    def _span(self, lo, hi):
        f = self.unit * self.ss
        return max(0, int(math.floor(lo * f))), min(self.n, int(math.ceil(hi * f)))

    def _paint(self, shape, choose):
        """choose(x, y) returns the colour for an inside point, or None."""
        x0, y0, x1, y1 = shape.bbox
        i0, i1 = self._span(x0, x1)
        j0, j1 = self._span(y0, y1)
        step = 1.0 / (self.unit * self.ss)
        R, G, B, A = self.r, self.g, self.b, self.a
        for j in range(j0, j1):
            y = (j + 0.5) * step
            row = j * self.n
            for i in range(i0, i1):
                x = (i + 0.5) * step
                if not shape.test(x, y):
                    continue
                c = choose(x, y)
                if c is None:
                    continue
                k = row + i
                sa = c[3]
                if sa >= 1.0:
                    R[k], G[k], B[k], A[k] = c[0], c[1], c[2], 1.0
                    continue
                da = A[k] * (1.0 - sa)
                oa = sa + da
                if oa <= 0.0:
                    continue
                R[k] = (c[0] * sa + R[k] * da) / oa
                G[k] = (c[1] * sa + G[k] * da) / oa
                B[k] = (c[2] * sa + B[k] * da) / oa
                A[k] = oa

    @staticmethod
    def _as_paint(paint):
        if isinstance(paint, int):
            paint = rgb(paint)
        if callable(paint):
            return paint
        return lambda x, y: paint

    def fill(self, shape, paint):
        p = self._as_paint(paint)
        self._paint(shape, p)

    def outlined(self, shape, paint, edge, width=None):
        """Fills the shape and gives it an inner outline `width` design units
        wide (one pixel by default), found by probing the shape around each
        point, so it works for any shape."""
        p, e = self._as_paint(paint), self._as_paint(edge)
        w = self.px if width is None else width
        d = w * 0.7071
        probes = [(w, 0), (-w, 0), (0, w), (0, -w), (d, d), (d, -d), (-d, d), (-d, -d)]
        test = shape.test

        def choose(x, y):
            for ox, oy in probes:
                if not test(x + ox, y + oy):
                    return e(x, y)
            return p(x, y)
        self._paint(shape, choose)

    def pixels(self):
        """Averages the supersampled grid down: rows of (r, g, b, a) floats."""
        ss, n = self.ss, self.n
        out = []
        area = float(ss * ss)
        for py in range(self.size):
            row = []
            for px in range(self.size):
                sr = sg = sb = sa = 0.0
                for j in range(py * ss, py * ss + ss):
                    base = j * n
                    for i in range(px * ss, px * ss + ss):
                        k = base + i
                        a = self.a[k]
                        if a:
                            sr += self.r[k] * a
                            sg += self.g[k] * a
                            sb += self.b[k] * a
                            sa += a
                if sa > 0.0:
                    row.append((sr / sa, sg / sa, sb / sa, sa / area))
                else:
                    row.append((0.0, 0.0, 0.0, 0.0))
            out.append(row)
        return out


def gloss(cv, clip, cx, cy, rx, ry, alpha=0.3):
    """The soft highlight on the upper part of a glassy surface."""
    top = clip.bbox[1]
    cv.fill(clip & ellipse(cx, cy, rx, ry),
            lambda x, y: (1.0, 1.0, 1.0, alpha * (1.0 - min(1.0, (y - top) / (cy + ry - top)))))


# --------------------------------------------------------------------------
# Reusable pieces


def document(cv, x0, y0, x1, y1, fold, lines, line_colour=0x5b7ca6):
    """A sheet of paper with a folded corner and lines of text."""
    page = polygon([(x0, y0), (x1 - fold, y0), (x1, y0 + fold), (x1, y1), (x0, y1)])
    cv.outlined(page, linear(x0, y0, 0xffffff, x1, y1, 0xe3e9f1), 0x66768a)
    corner = polygon([(x1 - fold, y0), (x1 - fold, y0 + fold), (x1, y0 + fold)])
    cv.outlined(corner, linear(x1 - fold, y0, 0xf4f6f9, x1, y0 + fold, 0xc9d2de), 0x66768a)
    lw = max(1.1, cv.px)
    for (ly, lx0, lx1) in lines:
        cv.fill(segment(lx0, ly, lx1, ly, lw), line_colour)


def person(cv, cx, top, scale, shirt, shirt_dark, edge):
    """Head and shoulders; `top` is the top of the head."""
    hr = 4.6 * scale
    hy = top + hr
    body_top = hy + hr * 0.95
    body_h = 10.5 * scale
    body = ellipse(cx, body_top + body_h, 9.0 * scale, body_h) & rect(
        cx - 10 * scale, body_top, cx + 10 * scale, body_top + body_h * 0.95)
    cv.outlined(body, linear(cx - 8 * scale, body_top, shirt, cx + 6 * scale,
                             body_top + body_h, shirt_dark), edge)
    # Collar: a small skin-coloured V at the neck.
    neck = polygon([(cx - 2.2 * scale, body_top), (cx + 2.2 * scale, body_top),
                    (cx, body_top + 3.0 * scale)])
    cv.fill(neck & body, rgb(0xf1c6a0))
    head = circle(cx, hy, hr)
    cv.outlined(head, linear(cx - hr, hy - hr, 0xfbdcc0, cx + hr, hy + hr, 0xe6ad80), 0x8a5a3a)
    hair = head & (circle(cx, hy - hr * 0.55, hr * 1.02) - ellipse(cx, hy + hr * 0.25, hr * 0.9, hr * 0.6))
    cv.outlined(hair, linear(cx, hy - hr, 0x85583a, cx, hy, 0x5a3520), 0x3f2414)


def cube(cv, px, py, h, e, colour):
    """An isometric cube whose near top corner is (px, py); h is the half
    width, e the height of the vertical edges."""
    base = rgb(colour)
    light = mix(base, rgb(0xffffff), 0.45)
    dark = mix(base, rgb(0x000000), 0.35)
    top = [(px, py), (px - h, py - h / 2), (px, py - h), (px + h, py - h / 2)]
    left = [(px, py), (px - h, py - h / 2), (px - h, py - h / 2 + e), (px, py + e)]
    right = [(px, py), (px + h, py - h / 2), (px + h, py - h / 2 + e), (px, py + e)]
    cv.fill(polygon(top), linear(px, py - h, light, px, py, mix(light, base, 0.5)))
    cv.fill(polygon(left), linear(px - h, py - h / 2, mix(base, light, 0.2), px, py + e, base))
    cv.fill(polygon(right), linear(px, py, mix(base, dark, 0.6), px + h, py + e, dark))
    # Lit inner edges, dark silhouette.
    w = 0.9
    hi = mix(light, rgb(0xffffff), 0.5)[:3] + (0.8,)
    for a, b in [((px, py), (px - h, py - h / 2)), ((px, py), (px + h, py - h / 2)),
                 ((px, py), (px, py + e))]:
        cv.fill(segment(a[0], a[1], b[0], b[1], w * 0.8), hi)
    outline = mix(base, rgb(0x101820), 0.65)
    sil = [(px, py - h), (px + h, py - h / 2), (px + h, py - h / 2 + e), (px, py + e),
           (px - h, py - h / 2 + e), (px - h, py - h / 2)]
    for a, b in zip(sil, sil[1:] + sil[:1]):
        cv.fill(segment(a[0], a[1], b[0], b[1], w), outline)


# --------------------------------------------------------------------------
# The ten tree images (32 x 32 each)


def tree_program(cv):
    frame = rounded_rect(3, 5, 29, 27, 2.2)
    cv.outlined(frame, vertical(5, 0x7fb2ee, 27, 0x2f66bb), 0x1b3d70)
    gloss(cv, rect(4, 6, 28, 11), 16, 3, 16, 8, 0.35)
    client = rect(5.5, 11, 26.5, 25)
    cv.outlined(client, vertical(11, 0xffffff, 25, 0xe4ebf4), 0x6c86a8)
    # A sidebar and a few lines, so it reads as a program rather than a blank box.
    cv.fill(rect(6.5, 12, 11, 24), rgb(0xd6e3f3))
    for y, x1 in ((14.5, 24), (17.5, 22), (20.5, 24)):
        cv.fill(segment(13, y, x1, y, 1.2), rgb(0x8fa6c4))
    close = rounded_rect(22, 6.6, 27, 9.8, 0.8)
    cv.outlined(close, vertical(6.6, 0xf08a72, 9.8, 0xc8361c), 0x7a1e0e)
    cv.outlined(rounded_rect(16.5, 6.6, 21.2, 9.8, 0.8), vertical(6.6, 0xdbe8f8, 9.8, 0x9fbde3), 0x2a4f85)


def tree_startup_folder(cv):
    edge = 0x946410
    back = polygon([(3, 6.5), (11.5, 6.5), (13.5, 9), (28.5, 9), (28.5, 24), (3, 24)])
    cv.outlined(back, vertical(6.5, 0xe9b440, 24, 0xc98d18), edge)
    cv.outlined(rect(5.5, 10.5, 26.5, 20), vertical(10.5, 0xffffff, 20, 0xeaeef3), 0x98a4b2)
    front = polygon([(2, 13), (29.5, 13), (28.5, 26.5), (3, 26.5)])
    cv.outlined(front, vertical(13, 0xffe17a, 26.5, 0xf0b22c), edge)
    cv.fill(rect(3.2, 14.2, 28.3, 15.2), rgb(0xffffff, 0.45))
    # Startup badge: a blue disc with a white "start" triangle.
    badge = circle(23.5, 23.5, 7)
    cv.outlined(badge, linear(17, 17, 0x62a8f2, 30, 30, 0x1850ad), 0x0f3a7c)
    gloss(cv, badge, 23.5, 19, 6, 4.5, 0.35)
    cv.outlined(polygon([(21.2, 19.8), (21.2, 27.2), (27.6, 23.5)]), 0xffffff, 0x1d4f9a, 0.6)


def gear(cx, cy, r_tip, r_root, teeth, r_hole):
    pitch = 2 * math.pi / teeth

    def test(x, y):
        dx, dy = x - cx, y - cy
        d = math.hypot(dx, dy)
        if d <= r_hole or d > r_tip:
            return False
        if d <= r_root:
            return True
        off = (math.atan2(dy, dx) + pitch / 2) % pitch - pitch / 2
        # Teeth narrow towards the tip.
        t = (d - r_root) / (r_tip - r_root)
        half = pitch * (0.27 - 0.09 * t)
        return abs(off) <= half
    return Shape(test, (cx - r_tip, cy - r_tip, cx + r_tip, cy + r_tip))


def tree_run(cv):
    g = gear(16, 16, 14, 10.6, 8, 4.2)
    cv.outlined(g, linear(4, 4, 0xdfe6ee, 28, 28, 0x76889c), 0x34404e)
    cv.fill(circle(16, 16, 7.6) - circle(16, 16, 6.4), rgb(0x5b6b7e, 0.55))
    cv.fill(circle(16, 16, 5.2) - circle(16, 16, 4.2), rgb(0x34404e))


def tree_registry(cv):
    cube(cv, 9.5, 20, 7, 7.5, 0x3b7fd8)    # bottom left, blue
    cube(cv, 22.5, 20, 7, 7.5, 0xe0a21f)   # bottom right, gold
    cube(cv, 16, 12.5, 7, 7.5, 0xd8412f)   # on top, red


def tree_all_users(cv):
    person(cv, 21, 3.5, 0.95, 0xf2a546, 0xc46d12, 0x7a420a)
    person(cv, 12.5, 7, 1.05, 0x5a96e2, 0x1f55a8, 0x123a78)


def tree_current_user(cv):
    person(cv, 16, 3, 1.3, 0x5a96e2, 0x1f55a8, 0x123a78)


def tree_document(cv):
    document(cv, 6, 2.5, 26, 29.5, 6,
             [(12, 9.5, 22.5), (15, 9.5, 22.5), (18, 9.5, 20), (21, 9.5, 22.5), (24, 9.5, 17.5)])


def shield_shape(x0, y0, x1, y1):
    cx = (x0 + x1) / 2
    mid = y0 + (y1 - y0) * 0.42
    left = [(cx, y0 + 1.0), (x0 + 3, y0), (x0, y0 + 1.2), (x0, mid)]
    left += bezier((x0, mid), (x0, mid + 7), (cx - 5, y1 - 3), (cx, y1))[1:]
    right = [(2 * cx - x, y) for (x, y) in reversed(left)]
    return polygon(left + right[1:-1])


def tree_shield(cv):
    s = shield_shape(5, 3, 27, 29.5)
    blue = linear(5, 3, 0x6aaaf0, 27, 29, 0x1a55b0)
    gold = linear(5, 3, 0xffe07a, 27, 29, 0xe39a12)

    def quarters(x, y):
        return blue(x, y) if (x < 16) == (y < 14.5) else gold(x, y)
    cv.outlined(s, quarters, 0x1a3560)
    inner = shield_shape(7.2, 5.2, 24.8, 27)
    cv.outlined(inner, lambda x, y: (0, 0, 0, 0), rgb(0xffffff, 0.55), 0.8)
    gloss(cv, s, 16, 2, 14, 10, 0.3)


def tree_clock(cv):
    cv.outlined(circle(16, 16, 14), linear(4, 4, 0x6a9fdc, 28, 28, 0x1c4a8a), 0x102d56)
    face = circle(16, 16, 11.2)
    cv.outlined(face, linear(6, 6, 0xffffff, 26, 26, 0xdfe6ef), 0x4a6184)
    for k in range(12):
        a = math.radians(k * 30)
        r0 = 8.3 if k % 3 else 7.3
        cv.fill(segment(16 + r0 * math.cos(a), 16 + r0 * math.sin(a),
                        16 + 9.6 * math.cos(a), 16 + 9.6 * math.sin(a), 1.3 if k % 3 == 0 else 0.9),
                rgb(0x3a4a60))
    # Ten past ten: hour hand to ten o'clock, minute hand to two.
    for angle, length, width in ((-150, 5.6, 2.0), (-30, 8.2, 1.5)):
        a = math.radians(angle)
        cv.fill(segment(16, 16, 16 + length * math.cos(a), 16 + length * math.sin(a), width), rgb(0x1f2a38))
    a = math.radians(100)
    cv.fill(segment(16 - 2.5 * math.cos(a), 16 - 2.5 * math.sin(a),
                    16 + 8.8 * math.cos(a), 16 + 8.8 * math.sin(a), 0.7), rgb(0xd0301c))
    cv.fill(circle(16, 16, 1.5), rgb(0x1f2a38))
    gloss(cv, face, 16, 8, 10, 6, 0.25)


def tree_key(cv):
    # Laid out pointing right from the ring at the origin, then turned 45°.
    place = dict(angle_deg=45, cx=0, cy=0, dx=8.5, dy=8.5)
    ring = circle(0, 0, 7) - circle(-1.8, 0, 2.6)
    shaft = rect(4, -2.1, 21.5, 2.1)
    bits = rect(14, 1.0, 16.9, 6.3) | rect(18.6, 1.0, 21.5, 5.0)
    key = (ring | shaft | bits).transformed(**place)
    cv.outlined(key, linear(3, 3, 0xffe38f, 27, 27, 0xcf8f10), 0x5e3f06)
    cv.fill((circle(-1.8, 0, 3.7) - circle(-1.8, 0, 2.6)).transformed(**place), rgb(0x9c6a0a, 0.5))
    cv.fill(segment(6, -0.7, 19.5, -0.7, 0.9).transformed(**place), rgb(0xffffff, 0.5))


TREE_IMAGES = [tree_program, tree_startup_folder, tree_run, tree_registry, tree_all_users,
               tree_current_user, tree_document, tree_shield, tree_clock, tree_key]


# --------------------------------------------------------------------------
# Icons (drawn on the 32 grid, rendered at any size)


def icon_velmora(cv):
    tile = rounded_rect(1, 1, 31, 31, 6.5)
    cv.outlined(tile, linear(1, 1, 0x62adf5, 31, 31, 0x1147a3), 0x0c3275)
    gloss(cv, tile, 16, 2, 19, 11, 0.32)
    # Power symbol; thicker on the small icon so it survives at 16 pixels.
    w = max(3.0, 1.7 * cv.px)
    shadow = rgb(0x082a66, 0.45)
    cv.fill(arc(16, 17.6, 8.0, w, -55, 235), shadow)
    cv.fill(segment(16, 6.6, 16, 15.6, w), shadow)
    cv.fill(arc(16, 17, 8.0, w, -55, 235), rgb(0xffffff))
    cv.fill(segment(16, 6, 16, 15, w), rgb(0xffffff))


def icon_add(cv):
    if cv.size >= 32:
        document(cv, 4, 1.5, 24, 28.5, 6, [(11, 7.5, 20.5), (14, 7.5, 20.5), (17, 7.5, 16), (20, 7.5, 14)])
        plus = rounded_rect(20, 13.5, 25, 31, 1.2) | rounded_rect(13.8, 19.8, 31.2, 24.8, 1.2)
    else:
        # Whole pixels at this size keep the lines and the cross crisp.
        document(cv, 3, 1, 24, 29, 7, [(11, 7, 17), (15, 7, 13)])
        plus = rect(20, 12, 26, 32) | rect(14, 18, 32, 24)
    cv.outlined(plus, linear(14, 14, 0x8fe36a, 30, 30, 0x2f9a1e), 0x1d5e12)
    if cv.size >= 32:
        cv.fill(rect(21.2, 14.8, 23.8, 16.4) | rect(15, 21, 19, 22.3), rgb(0xffffff, 0.45))


def icon_modify(cv):
    # Laid out pointing left with its tip at the origin, then turned so the
    # tip sits at the lower left and the eraser at the upper right.
    h = 4.2
    place = dict(angle_deg=-45, cx=0, cy=0, dx=3.5, dy=28.5)

    def across(x, y):
        # The pencil's own y for a point on the canvas.
        a = math.radians(45)
        return (x - 3.5) * math.sin(a) + (y - 28.5) * math.cos(a)

    def facets(x, y):
        t = across(x, y)
        return rgb(0xffdc62) if t < -1.4 else (rgb(0xf6bd1f) if t < 1.4 else rgb(0xd18d0c))

    cone = polygon([(0, 0), (9.5, -h), (9.5, h)]).transformed(**place)
    cv.outlined(cone, linear(3.5, 28.5, 0xf7dcae, 10, 22, 0xe0b77a), 0x6a4a1c)
    cv.outlined(polygon([(0, 0), (3.6, -1.6), (3.6, 1.6)]).transformed(**place), 0x404040, 0x202020)
    cv.outlined(rect(9.3, -h, 26.5, h).transformed(**place), facets, 0x6b4a08)
    ferrule = rect(26.5, -h, 30, h).transformed(**place)
    eraser = rounded_rect(28.5, -h, 34, h, 1.8).transformed(**place)
    cv.outlined(eraser - ferrule, linear(20, 0, 0xf6b0bd, 30, 10, 0xd0607a), 0x7a2a3c)
    cv.outlined(ferrule, linear(20, 0, 0xf2f4f6, 30, 10, 0x8c96a2), 0x4a525c)


def icon_property(cv):
    disc = circle(16, 16, 14.5)
    cv.outlined(disc, linear(3, 3, 0x71b4f5, 29, 29, 0x1753b5), 0x0e3678)
    gloss(cv, disc, 16, 3, 13, 9, 0.35)
    white = rgb(0xffffff)
    if cv.size >= 32:
        cv.fill(circle(16.3, 8.8, 2.5), white)
        cv.fill(rounded_rect(14.2, 12.5, 18.3, 24.5, 0.6) | rounded_rect(12, 12.5, 18.3, 14.7, 0.6)
                | rounded_rect(12, 22.3, 20.5, 24.9, 0.6), white)
    else:
        cv.fill(circle(16, 9, 2.6), white)
        cv.fill(rect(14, 14, 18, 26), white)


ICONS = {
    "velmora.ico": (icon_velmora, (16, 32, 48)),
    "add.ico": (icon_add, (16, 32)),
    "modify.ico": (icon_modify, (16, 32)),
    "property.ico": (icon_property, (16, 32)),
}


# --------------------------------------------------------------------------
# File writers


def to_bytes(c):
    return tuple(int(round(v * 255.0)) for v in c)


def write_ico(path, images):
    """images: list of (size, rows of RGBA floats). 32-bit BGRA with an AND
    mask, as Windows expects in an icon resource."""
    blobs = []
    for size, rows in images:
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
        colour = bytearray()
        mask = bytearray()
        stride = ((size + 31) // 32) * 4
        for row in reversed(rows):            # bottom-up
            bits = bytearray(stride)
            for x, c in enumerate(row):
                r, g, b, a = to_bytes(c)
                if a == 0:
                    r = g = b = 0
                    bits[x // 8] |= 0x80 >> (x % 8)
                colour += bytes((b, g, r, a))
            mask += bits
        blobs.append((size, header + bytes(colour) + bytes(mask)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(blobs)))
    offset = 6 + 16 * len(blobs)
    for size, blob in blobs:
        dim = 0 if size >= 256 else size
        out += struct.pack("<BBBBHHII", dim, dim, 0, 0, 1, 32, len(blob), offset)
        offset += len(blob)
    for _, blob in blobs:
        out += blob
    with open(path, "wb") as f:
        f.write(out)


MASK = (0, 255, 0)


def flatten_for_mask(c):
    """An RGBA pixel for a bitmap shown through a pure-green colour key: weak
    coverage becomes the key, the rest is laid on white (the tree's
    background) so no edge fades towards green."""
    r, g, b, a = c
    if a < 0.3:
        return MASK
    px = to_bytes((r * a + (1 - a), g * a + (1 - a), b * a + (1 - a), 1.0))[:3]
    if px == MASK:
        px = (0, 254, 0)
    return px


def write_strip_bmp(path, images, size):
    width, height = size * len(images), size
    stride = (width * 3 + 3) & ~3
    data = bytearray()
    for y in range(height - 1, -1, -1):       # bottom-up
        line = bytearray()
        for rows in images:
            for c in rows[y]:
                r, g, b = flatten_for_mask(c)
                line += bytes((b, g, r))
        line += bytes(stride - len(line))
        data += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(data), 0, 0, 14 + len(info))
    with open(path, "wb") as f:
        f.write(head + info + bytes(data))


def check_outputs(out_dir):
    """Reads the files back, so a writer mistake stops the script instead of
    reaching the resource compiler."""
    with open(os.path.join(out_dir, "tree.bmp"), "rb") as f:
        bmp = f.read()
    magic, file_size, _, _, offset = struct.unpack_from("<2sIHHI", bmp, 0)
    _, width, height, _, bpp, compression = struct.unpack_from("<IiiHHI", bmp, 14)
    assert magic == b"BM" and file_size == len(bmp), "tree.bmp: bad file header"
    assert (width, height, bpp, compression) == (32 * len(TREE_IMAGES), 32, 24, 0), "tree.bmp: bad format"
    for x0 in range(0, width, 32):
        cell = [bmp[offset + y * width * 3 + x * 3: offset + y * width * 3 + x * 3 + 3]
                for y in range(height) for x in range(x0, x0 + 32)]
        assert any(px != bytes((0, 255, 0)) for px in cell), "tree.bmp: image %d is empty" % (x0 // 32)
    for name, (_, sizes) in ICONS.items():
        with open(os.path.join(out_dir, name), "rb") as f:
            ico = f.read()
        _, kind, count = struct.unpack_from("<HHH", ico, 0)
        assert kind == 1 and count == len(sizes), name + ": bad directory"
        for n, size in enumerate(sizes):
            dim, _, _, _, _, bits, length, at = struct.unpack_from("<BBBBHHII", ico, 6 + 16 * n)
            assert dim == size and bits == 32 and at + length <= len(ico), name + ": bad entry"
            assert length == 40 + size * size * 4 + ((size + 31) // 32) * 4 * size, name + ": bad image size"


def render(draw, size):
    cv = Canvas(size)
    draw(cv)
    return cv.pixels()


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "src", "res")
    os.makedirs(out_dir, exist_ok=True)

    strip = [render(draw, 32) for draw in TREE_IMAGES]
    write_strip_bmp(os.path.join(out_dir, "tree.bmp"), strip, 32)
    for name, (draw, sizes) in ICONS.items():
        write_ico(os.path.join(out_dir, name), [(s, render(draw, s)) for s in sizes])
    check_outputs(out_dir)
    print("wrote tree.bmp and %d icons to %s" % (len(ICONS), os.path.normpath(out_dir)))


if __name__ == "__main__":
    main()
