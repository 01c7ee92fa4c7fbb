#!/usr/bin/env python3
"""Draws the sample art: assets/girl.png, assets/bg.png and assets/bunny.png.

Needs Pillow (Debian: python3-pil) to write the PNGs. Every shape is a
signed distance function; a pixel takes a shape's colour by its coverage
(0.5 - distance, clamped), which gives soft anti-aliased edges without
supersampling. Layers are painted back to front with straight
(non-premultiplied) alpha, so edge pixels keep their real colour: that
matters when the packer turns alpha 0 into the colour key and the demo later
draws the girl keyed or at one opacity, ignoring her alpha.

Usage:
    make_art.py [--out DIR] [--large FILE.png]

--out defaults to the repository's assets/ folder. To see the art in the
demo's frame, pack it and render the frame with spritedemo-render. --large
also writes the girl at four times the size (224x256), the benchmark's large
sprite of real art (bench/art/girl4x.png).
"""

import argparse
import math
import os
import sys

from PIL import Image


# ---------------------------------------------------------------- PNG output

def save(path, cv):
    Image.frombytes("RGBA", (cv.width, cv.height), bytes(cv.to_bytes())).save(path, optimize=True)


# ---------------------------------------------------------------- canvas

class Canvas:
    """Straight-alpha float RGBA pixels, colour 0-255 and alpha 0-1."""

    def __init__(self, width, height, fill=(0, 0, 0, 0.0), origin=(0.0, 0.0),
                 scale=1):
        self.width = width
        self.height = height
        self.origin = origin  # drawing coordinates of the top-left corner
        self.scale = scale  # pixels per drawing unit
        self.px = [list(fill) for _ in range(width * height)]

    def to_bytes(self):
        out = []
        for r, g, b, a in self.px:
            a8 = int(round(a * 255))
            if a8 == 0:
                out.extend((0, 0, 0, 0))  # nothing hidden under transparency
            else:
                out.extend((clamp8(r), clamp8(g), clamp8(b), a8))
        return out


def clamp8(v):
    return max(0, min(255, int(round(v))))


def paint(cv, sdf, colour, bbox=None, opacity=1.0):
    """Composite one shape over the canvas.

    colour is (r, g, b) or a function (x, y) -> (r, g, b); opacity is a
    number or a function (x, y) -> 0..1.
    bbox (x0, y0, x1, y1) limits the pixels looked at; None means all.
    """
    ox, oy = cv.origin
    s = cv.scale
    if bbox is None:
        x0, y0, x1, y1 = 0, 0, cv.width, cv.height
    else:
        x0 = max(0, int(math.floor((bbox[0] - ox) * s)) - 1)
        y0 = max(0, int(math.floor((bbox[1] - oy) * s)) - 1)
        x1 = min(cv.width, int(math.ceil((bbox[2] - ox) * s)) + 2)
        y1 = min(cv.height, int(math.ceil((bbox[3] - oy) * s)) + 2)
    solid = not callable(colour)
    flat = not callable(opacity)
    for y in range(y0, y1):
        py = (y + 0.5) / s + oy
        row = y * cv.width
        for x in range(x0, x1):
            px = (x + 0.5) / s + ox
            d = sdf(px, py) * s  # in pixels: edges stay one pixel soft
            if d >= 0.5:
                continue
            cov = 1.0 if d <= -0.5 else 0.5 - d
            ca = cov * (opacity if flat else opacity(px, py))
            if ca <= 0.0:
                continue
            c = colour if solid else colour(px, py)
            p = cv.px[row + x]
            da = p[3]
            oa = ca + da * (1.0 - ca)
            k = da * (1.0 - ca)
            p[0] = (c[0] * ca + p[0] * k) / oa
            p[1] = (c[1] * ca + p[1] * k) / oa
            p[2] = (c[2] * ca + p[2] * k) / oa
            p[3] = oa


def paint_outlined(cv, sdf, fill, line, width=1.0, bbox=None):
    """Shape with a dark rim: the shape grown by `width`, then the shape."""
    if bbox is not None:
        bbox = (bbox[0] - width, bbox[1] - width,
                bbox[2] + width, bbox[3] + width)
    paint(cv, lambda x, y: sdf(x, y) - width, line, bbox)
    paint(cv, sdf, fill, bbox)


def fade_edges(cv, radius, feather):
    """Fades the picture out over its outer `feather` pixels, its corners
    rounded by `radius` pixels."""
    frame = box(0, 0, cv.width, cv.height, radius)
    for p_i, p in enumerate(cv.px):
        y, x = divmod(p_i, cv.width)
        d = frame(x + 0.5, y + 0.5)
        t = max(0.0, min(1.0, -d / feather))
        p[3] *= t * t * (3.0 - 2.0 * t)


def draw(width, height, parts, scale=1, origin=(0.0, 0.0)):
    """A width x height picture (in drawing units) made by its parts, each a
    function that paints one layer on the canvas, back to front."""
    cv = Canvas(width * scale, height * scale, origin=origin, scale=scale)
    for part in parts:
        part(cv)
    return cv


# ---------------------------------------------------------------- shapes
# Each returns a function (x, y) -> signed distance in pixels, negative inside.

def circle(cx, cy, r):
    return lambda x, y: math.hypot(x - cx, y - cy) - r


def ellipse(cx, cy, rx, ry, angle=0.0):
    ca, sa = math.cos(angle), math.sin(angle)

    def f(x, y):
        dx, dy = x - cx, y - cy
        u = dx * ca + dy * sa
        v = -dx * sa + dy * ca
        k0 = math.hypot(u / rx, v / ry)
        k1 = math.hypot(u / (rx * rx), v / (ry * ry))
        if k1 == 0.0:
            return -min(rx, ry)
        return k0 * (k0 - 1.0) / k1
    return f


def box(x0, y0, x1, y1, r=0.0):
    cx, cy = (x0 + x1) / 2.0, (y0 + y1) / 2.0
    hx, hy = (x1 - x0) / 2.0 - r, (y1 - y0) / 2.0 - r

    def f(x, y):
        qx = abs(x - cx) - hx
        qy = abs(y - cy) - hy
        out = math.hypot(max(qx, 0.0), max(qy, 0.0))
        return out + min(max(qx, qy), 0.0) - r
    return f


def capsule(ax, ay, bx, by, r):
    dx, dy = bx - ax, by - ay
    ll = dx * dx + dy * dy

    def f(x, y):
        t = ((x - ax) * dx + (y - ay) * dy) / ll if ll else 0.0
        t = max(0.0, min(1.0, t))
        return math.hypot(x - ax - dx * t, y - ay - dy * t) - r
    return f


def polygon(points):
    n = len(points)

    def f(x, y):
        best = float("inf")
        sign = 1.0
        j = n - 1
        for i in range(n):
            xi, yi = points[i]
            xj, yj = points[j]
            ex, ey = xj - xi, yj - yi
            wx, wy = x - xi, y - yi
            ll = ex * ex + ey * ey
            t = max(0.0, min(1.0, (wx * ex + wy * ey) / ll)) if ll else 0.0
            best = min(best, math.hypot(wx - ex * t, wy - ey * t))
            # crossing test for inside/outside
            if (yi > y) != (yj > y):
                if x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                    sign = -sign
            j = i
        return sign * best
    return f


def arc(cx, cy, r, thickness, below=True):
    """Ring of radius r, kept only below (or above) its centre: a smile."""
    ring = lambda x, y: abs(math.hypot(x - cx, y - cy) - r) - thickness / 2.0
    if below:
        return lambda x, y: max(ring(x, y), cy - y)
    return lambda x, y: max(ring(x, y), y - cy)


def union(*fs):
    return lambda x, y: min(f(x, y) for f in fs)


def intersect(*fs):
    return lambda x, y: max(f(x, y) for f in fs)


def mix(c0, c1, t):
    t = max(0.0, min(1.0, t))
    return tuple(c0[i] + (c1[i] - c0[i]) * t for i in range(3))


# ---------------------------------------------------------------- the girl

GIRL_W, GIRL_H = 56, 64
# She is drawn on a 52-wide layout, centred on GIRL_CX; the canvas adds a
# clear border of two pixels at the sides and lifts her by one so her shoes
# don't touch the bottom edge. Each part below paints one layer of her.
GIRL_CX = 26.0
GIRL_ORIGIN = (-2.0, 1.0)

OUTLINE = (52, 32, 44)
SKIN = (255, 222, 196)
SKIN_SHADE = (240, 188, 164)
BLUSH = (246, 150, 150)
HAIR = (176, 100, 58)
HAIR_DARK = (132, 70, 44)
HAIR_SHINE = (226, 156, 104)
EYE = (62, 40, 70)
IRIS = (80, 120, 200)
WHITE = (255, 255, 255)
DRESS = (104, 164, 236)
DRESS_SHADE = (76, 126, 204)
APRON = (250, 250, 244)
BOW = (236, 78, 110)
BOW_DARK = (188, 48, 82)
SHOE = (150, 56, 60)
# The bunny's colours.
FUR = (214, 206, 228)
FUR_SHADE = (184, 172, 204)
FUR_LIGHT = (248, 246, 252)
EAR_INSIDE = (244, 166, 188)
NOSE = (226, 96, 128)


def girl_pigtails(cv, cx=GIRL_CX):
    """Behind everything, hanging from the sides of the head."""
    for side in (-1, 1):
        tail = ellipse(cx + side * 19.5, 33, 5.5, 11.0, angle=side * 0.18)
        paint_outlined(cv, tail, HAIR, OUTLINE,
                       bbox=(cx + side * 19.5 - 9, 20, cx + side * 19.5 + 9, 46))
        shine = ellipse(cx + side * 19.0 - side * 1.5, 30, 1.4, 5.0,
                        angle=side * 0.18)
        paint(cv, shine, HAIR_SHINE, opacity=0.8)


def girl_legs(cv, cx=GIRL_CX):
    """Legs, socks and shoes."""
    for lx in (cx - 4.5, cx + 4.5):
        paint_outlined(cv, capsule(lx, 52, lx, 59, 2.2), WHITE, OUTLINE)
        paint_outlined(cv, ellipse(lx + (1 if lx > cx else -1) * 0.8, 60.6,
                                   3.6, 2.2), SHOE, OUTLINE)
        paint(cv, ellipse(lx + (1 if lx > cx else -1) * 0.2, 59.9, 1.4, 0.6),
              (214, 120, 120))


def girl_arms(cv, cx=GIRL_CX):
    """Arms (skin), behind the dress edge, hands slightly out."""
    for side in (-1, 1):
        arm = capsule(cx + side * 6.5, 40.5, cx + side * 12.5, 48.5, 2.3)
        paint_outlined(cv, arm, SKIN, OUTLINE)
        sleeve = circle(cx + side * 7.8, 41.2, 3.6)
        paint_outlined(cv, sleeve, DRESS, OUTLINE)


def girl_dress(cv, cx=GIRL_CX):
    """A bell shape with a frilled hem, a white apron with a little pocket,
    and a collar."""
    dress_body = polygon([(cx - 6.0, 37.5), (cx + 6.0, 37.5),
                          (cx + 13.0, 53.5), (cx - 13.0, 53.5)])
    hem = union(*[circle(cx + i * 4.3, 53.3, 2.6) for i in range(-3, 4)])
    hem = intersect(hem, box(cx - 14.5, 50, cx + 14.5, 57))
    dress = union(box(cx - 6.5, 37.0, cx + 6.5, 44.0, 2.0), dress_body)
    whole = union(dress, hem)
    paint(cv, lambda x, y: whole(x, y) - 1.0, OUTLINE)
    paint(cv, hem, APRON)
    shade = lambda x, y: (DRESS_SHADE if (x - cx) * 0.9 + (y - 37) * 0.15 > 5
                          else DRESS)
    paint(cv, dress, shade)
    apron = polygon([(cx - 4.0, 43.0), (cx + 4.0, 43.0),
                     (cx + 7.5, 51.5), (cx - 7.5, 51.5)])
    paint(cv, apron, APRON)
    paint(cv, box(cx - 2.0, 47.0, cx + 2.0, 49.5, 0.8), (224, 228, 240))
    for side in (-1, 1):
        paint_outlined(cv, ellipse(cx + side * 2.8, 38.4, 3.0, 1.9,
                                   angle=side * -0.35), APRON, OUTLINE, 0.8)
    paint(cv, circle(cx, 39.4, 1.3), BOW)


def girl_back_hair_shape(cx=GIRL_CX):
    """The hair behind the face; the bangs stay inside it."""
    back = ellipse(cx, 21.5, 18.0, 17.0)
    return union(back, box(cx - 16.5, 20, cx + 16.5, 33.0, 4.0))


def girl_back_hair(cv, cx=GIRL_CX):
    """Framing the face."""
    paint_outlined(cv, girl_back_hair_shape(cx), HAIR, OUTLINE)
    paint(cv, box(cx - 14.5, 24, cx + 14.5, 33.5, 3.0), HAIR_DARK,
          opacity=0.6)


def girl_face(cv, cx=GIRL_CX):
    face = ellipse(cx, 24.5, 14.0, 12.5)
    paint_outlined(cv, face, SKIN, OUTLINE)
    paint(cv, lambda x, y: max(face(x, y), 33.5 - y), SKIN_SHADE)


def girl_bangs(cv, cx=GIRL_CX):
    """A cap over the top of the head with rounded locks on the brow."""
    back = girl_back_hair_shape(cx)
    cap = ellipse(cx, 16.0, 16.5, 10.5)
    locks = union(circle(cx - 10.5, 17.5, 4.6), circle(cx - 4.0, 18.5, 4.4),
                  circle(cx + 3.5, 18.0, 4.6), circle(cx + 10.5, 17.5, 4.6),
                  circle(cx - 14.0, 22.0, 3.0), circle(cx + 14.0, 22.0, 3.0))
    bangs = intersect(union(cap, locks), lambda x, y: back(x, y) + 0.3)
    paint(cv, lambda x, y: bangs(x, y) - 0.9, OUTLINE)
    paint(cv, bangs, HAIR)
    paint(cv, arc(cx - 2.0, 15.5, 9.5, 1.6, below=False), HAIR_SHINE,
          opacity=0.9)
    paint(cv, circle(cx + 9.0, 9.0, 1.2), HAIR_SHINE, opacity=0.9)


def girl_bows(cv, cx=GIRL_CX):
    """On top of the pigtails."""
    for side in (-1, 1):
        bx, by = cx + side * 17.5, 20.5
        wing_a = polygon([(bx, by), (bx - 5.0, by - 4.0), (bx - 5.0, by + 3.5)])
        wing_b = polygon([(bx, by), (bx + 5.0, by - 4.0), (bx + 5.0, by + 3.5)])
        wings = union(wing_a, wing_b)
        paint(cv, lambda x, y, w=wings: w(x, y) - 1.4, OUTLINE)
        paint(cv, lambda x, y, w=wings: w(x, y) - 0.5, BOW)
        paint(cv, circle(bx - 3.0, by - 1.2, 0.9), (250, 150, 170))
        paint(cv, circle(bx + 3.0, by - 1.2, 0.9), (250, 150, 170))
        paint_outlined(cv, circle(bx, by, 1.8), BOW_DARK, OUTLINE, 0.8)


def girl_eyes(cv, cx=GIRL_CX):
    """Big dark ovals, a blue lower half, two white sparkles, and blush."""
    for side in (-1, 1):
        ex, ey = cx + side * 6.0, 26.5
        eye = ellipse(ex, ey, 2.6, 3.6)
        paint(cv, eye, EYE)
        paint(cv, intersect(eye, lambda x, y: ey + 0.3 - y), IRIS)
        paint(cv, circle(ex - 0.8, ey - 1.4, 1.1), WHITE)
        paint(cv, circle(ex + 1.0, ey + 1.5, 0.55), WHITE, opacity=0.9)
        # lash flick at the outer corner
        paint(cv, capsule(ex + side * 2.2, ey - 2.4, ex + side * 3.6,
                          ey - 3.4, 0.45), EYE)
        paint(cv, ellipse(cx + side * 9.3, 31.0, 2.6, 1.3), BLUSH,
              opacity=0.75)


def girl_smile(cv, cx=GIRL_CX):
    paint(cv, arc(cx, 30.0, 2.0, 0.9), (150, 60, 70))


GIRL_PARTS = (girl_pigtails, girl_legs, girl_arms, girl_dress, girl_back_hair,
              girl_face, girl_bangs, girl_bows, girl_eyes, girl_smile)


def draw_girl(scale=1):
    """At a larger scale the bodies grow and the edges stay one pixel soft."""
    return draw(GIRL_W, GIRL_H, GIRL_PARTS, scale=scale, origin=GIRL_ORIGIN)


# ---------------------------------------------------------------- the bunny

BUNNY_W, BUNNY_H = 32, 32
# A sitting bunny, front on, filling its frame: the bunnymark's sprite. Soft
# edges all round, a solid body inside them.
BUNNY_CX = 16.0


def bunny_ears(cv, cx=BUNNY_CX):
    for side in (-1, 1):
        ear = ellipse(cx + side * 5.2, 8.6, 3.3, 7.6, angle=side * 0.2)
        paint_outlined(cv, ear, FUR, OUTLINE)
        inside = ellipse(cx + side * 5.2, 9.4, 1.5, 5.4, angle=side * 0.2)
        paint(cv, inside, EAR_INSIDE)


def bunny_body(cv, cx=BUNNY_CX):
    """The body and the feet under the head."""
    body = ellipse(cx, 24.8, 11.2, 6.2)
    paint_outlined(cv, body, FUR, OUTLINE)
    paint(cv, lambda x, y: max(body(x, y), y - 27.0 - (x - cx) * 0.1), FUR_SHADE,
          opacity=0.5)
    for side in (-1, 1):
        paint_outlined(cv, ellipse(cx + side * 6.0, 29.2, 3.4, 1.8), FUR_LIGHT,
                       OUTLINE, 0.8)


def bunny_head(cv, cx=BUNNY_CX):
    head = ellipse(cx, 17.6, 9.0, 7.6)
    paint_outlined(cv, head, FUR, OUTLINE)
    paint(cv, ellipse(cx, 20.6, 4.4, 2.8), FUR_LIGHT)


def bunny_face(cv, cx=BUNNY_CX):
    """Eyes with a sparkle, a nose, and blush."""
    for side in (-1, 1):
        ex, ey = cx + side * 3.8, 16.6
        paint(cv, ellipse(ex, ey, 1.3, 1.7), EYE)
        paint(cv, circle(ex - 0.4, ey - 0.7, 0.5), WHITE)
        paint(cv, ellipse(cx + side * 6.2, 19.8, 1.5, 0.8), BLUSH, opacity=0.7)
    paint(cv, ellipse(cx, 19.2, 1.1, 0.7), NOSE)


BUNNY_PARTS = (bunny_ears, bunny_body, bunny_head, bunny_face)


def draw_bunny():
    return draw(BUNNY_W, BUNNY_H, BUNNY_PARTS)


# ---------------------------------------------------------------- background

BG_W, BG_H = 352, 240


def ridge(base, terms):
    """A hill line y = base + sum(a * sin(x / p + ph)); inside is below it."""
    def height(x):
        return base + sum(a * math.sin(x / p + ph) for a, p, ph in terms)
    return height, (lambda x, y: height(x) - y)


# The lines several layers stand on: the middle hill with the house on it,
# and the near meadow.
MID_H, MID = ridge(172, [(14, 60, 2.2), (4, 21, 1.0)])
NEAR_H, NEAR = ridge(200, [(9, 55, 4.0), (3, 19, 0.7)])
HOUSE_X, HOUSE_Y = 108.0, MID_H(108.0) - 2.0


def bg_sky(cv):
    """Deep blue at the top to a pale haze at the horizon."""
    top, low = (64, 136, 222), (196, 228, 250)
    paint(cv, lambda x, y: -1e9,
          lambda x, y: mix(top, low, (y / 150.0) ** 1.2))


def bg_sun(cv):
    """With a soft glow fading out over 24 pixels."""
    sx, sy = 282.0, 52.0

    def glow(x, y):
        t = max(0.0, 1.0 - (math.hypot(x - sx, y - sy) - 20.0) / 24.0)
        return 0.75 * t * t

    paint(cv, circle(sx, sy, 44.0), (255, 246, 200), opacity=glow,
          bbox=(sx - 46, sy - 46, sx + 46, sy + 46))
    paint(cv, circle(sx, sy, 20.0), (255, 214, 90),
          bbox=(sx - 22, sy - 22, sx + 22, sy + 22))
    paint(cv, circle(sx - 3, sy - 3, 15.0), (255, 232, 132),
          bbox=(sx - 22, sy - 22, sx + 22, sy + 22))


def cloud(cv, x0, y0, s):
    """Puffs of circles, a blue-grey belly under a white top."""
    puffs = [(-22, 4, 10), (-10, -4, 14), (6, -8, 16), (20, 0, 12),
             (31, 5, 8), (0, 6, 11), (-28, 8, 6)]
    parts = [circle(x0 + dx * s, y0 + dy * s, r * s) for dx, dy, r in puffs]
    flat = box(x0 - 32 * s, y0, x0 + 38 * s, y0 + 14 * s, 6 * s)
    shape = union(union(*parts), flat)
    bb = (x0 - 40 * s, y0 - 26 * s, x0 + 42 * s, y0 + 16 * s)
    paint(cv, shape, (208, 222, 242), bbox=bb)
    top_part = union(*[circle(x0 + dx * s, y0 + (dy - 3) * s, r * s * 0.92)
                       for dx, dy, r in puffs])
    paint(cv, intersect(top_part, shape), WHITE, bbox=bb)


def bg_clouds(cv):
    cloud(cv, 72, 46, 1.0)
    cloud(cv, 186, 30, 0.8)
    cloud(cv, 150, 92, 0.5)


def bg_birds(cv):
    """Two little arcs each."""
    for bx, by, s in ((220, 70, 1.0), (236, 78, 0.8), (206, 84, 0.7)):
        for side in (-1, 1):
            wing = arc(bx + side * 3.0 * s, by + 2.5 * s, 3.2 * s, 1.1,
                       below=False)
            paint(cv, wing, (60, 70, 96),
                  bbox=(bx - 8, by - 6, bx + 8, by + 6))


def bg_far_hills(cv):
    """Distant hills, bluish with haze."""
    _, far = ridge(150, [(10, 38, 0.5), (6, 17, 2.0), (3, 7, 1.0)])
    paint(cv, far, (132, 176, 204), bbox=(0, 125, BG_W, BG_H))
    _, far2 = ridge(160, [(8, 30, 2.5), (5, 13, 0.3)])
    paint(cv, far2, (118, 172, 150), bbox=(0, 140, BG_W, BG_H))


def bg_middle_hill(cv):
    """The hill carrying the house, and its shading."""
    paint(cv, MID, lambda x, y: mix((128, 200, 96), (88, 164, 72),
                                   (y - MID_H(x)) / 40.0),
          bbox=(0, 145, BG_W, BG_H))


def bg_house(cv, hx=HOUSE_X, hy=HOUSE_Y):
    """A cottage on the middle hill: walls, chimney, roof, door, window."""
    walls = box(hx - 20, hy - 24, hx + 20, hy)
    paint_outlined(cv, walls, (250, 236, 204), OUTLINE, 1.0,
                   bbox=(hx - 22, hy - 26, hx + 22, hy + 2))
    paint_outlined(cv, box(hx + 8, hy - 44, hx + 14, hy - 28),
                   (176, 90, 76), OUTLINE, 1.0,
                   bbox=(hx + 6, hy - 46, hx + 16, hy - 26))
    roof = polygon([(hx - 26, hy - 22), (hx, hy - 44), (hx + 26, hy - 22)])
    paint_outlined(cv, roof, (214, 74, 62), OUTLINE, 1.0,
                   bbox=(hx - 28, hy - 46, hx + 28, hy - 20))
    paint(cv, polygon([(hx - 18, hy - 25), (hx, hy - 40), (hx - 2, hy - 35)]),
          (236, 112, 92), bbox=(hx - 20, hy - 42, hx + 2, hy - 24))
    door = box(hx + 4, hy - 15, hx + 13, hy, 1.5)
    paint_outlined(cv, door, (150, 92, 56), OUTLINE, 0.9,
                   bbox=(hx + 2, hy - 17, hx + 15, hy + 1))
    paint(cv, circle(hx + 11, hy - 7, 0.9), (250, 214, 110))
    win = box(hx - 15, hy - 17, hx - 3, hy - 6, 1.0)
    paint_outlined(cv, win, (168, 214, 246), OUTLINE, 0.9,
                   bbox=(hx - 17, hy - 19, hx - 1, hy - 4))
    paint(cv, box(hx - 9.5, hy - 17, hx - 8.5, hy - 6), OUTLINE)
    paint(cv, box(hx - 15, hy - 12, hx - 3, hy - 11), OUTLINE)
    paint(cv, box(hx - 14, hy - 16, hx - 11, hy - 13), WHITE, opacity=0.6)


def bg_smoke(cv, hx=HOUSE_X, hy=HOUSE_Y):
    """Puffs from the chimney."""
    for i, (dx, dy, r) in enumerate(((12, 50, 2.6), (15, 57, 3.4),
                                     (19, 65, 4.2))):
        paint(cv, circle(hx + dx, hy - dy, r), (240, 244, 250),
              opacity=0.85 - i * 0.15,
              bbox=(hx + dx - r, hy - dy - r, hx + dx + r, hy - dy + r))


def tree(cv, tx, ty, s):
    """A trunk and a round crown with a light side."""
    trunk = box(tx - 2.5 * s, ty - 14 * s, tx + 2.5 * s, ty)
    paint_outlined(cv, trunk, (128, 84, 52), OUTLINE, 0.9,
                   bbox=(tx - 5 * s, ty - 16 * s, tx + 5 * s, ty + 2))
    crown = union(circle(tx, ty - 24 * s, 11 * s),
                  circle(tx - 8 * s, ty - 17 * s, 8 * s),
                  circle(tx + 8 * s, ty - 17 * s, 8 * s))
    bb = (tx - 18 * s, ty - 37 * s, tx + 18 * s, ty - 7 * s)
    paint_outlined(cv, crown, (56, 138, 64), OUTLINE, 0.9, bbox=bb)
    lit = union(circle(tx - 3 * s, ty - 27 * s, 6 * s),
                circle(tx - 9 * s, ty - 19 * s, 4 * s))
    paint(cv, intersect(lit, crown), (104, 182, 84), bbox=bb)
    paint(cv, circle(tx - 4 * s, ty - 29 * s, 2 * s), (156, 214, 120),
          bbox=bb)


def bg_hill_trees(cv):
    tree(cv, 52, MID_H(52) + 3, 1.0)
    tree(cv, 158, MID_H(158) + 2, 0.8)


def bg_meadow(cv):
    """The near meadow, and the big tree standing on it."""
    paint(cv, NEAR, lambda x, y: mix((112, 190, 84), (70, 146, 60),
                                    (y - NEAR_H(x)) / 40.0),
          bbox=(0, 180, BG_W, BG_H))
    tree(cv, 300, NEAR_H(300) + 6, 1.35)


def bg_path(cv, hx=HOUSE_X, hy=HOUSE_Y):
    """From the house door winding down to the bottom edge."""
    path = polygon([(hx + 5, hy), (hx + 12, hy), (hx + 30, hy + 20),
                    (hx + 26, hy + 34), (hx + 50, BG_H), (hx + 14, BG_H),
                    (hx + 10, hy + 34), (hx + 16, hy + 20)])
    paint(cv, path, (232, 212, 160), bbox=(hx, hy, hx + 52, BG_H))
    paint(cv, lambda x, y: path(x, y) + 2.0, (244, 228, 186),
          bbox=(hx, hy, hx + 52, BG_H))


def bg_flowers(cv, hx=HOUSE_X, hy=HOUSE_Y):
    """Dotted over the meadow, placed by a fixed-seed generator."""
    seed = 12345

    def rnd():
        nonlocal seed
        seed = (seed * 1103515245 + 12345) & 0x7FFFFFFF
        return seed / 0x7FFFFFFF

    petals = [(255, 255, 255), (255, 222, 80), (250, 140, 170),
              (236, 90, 90), (190, 160, 240)]
    for _ in range(70):
        fx = rnd() * BG_W
        fy = NEAR_H(fx) + 6 + rnd() * (BG_H - NEAR_H(fx) - 8)
        if abs(fx - (hx + 32 + (fy - hy - 34) * 0.1)) < 22 and fy > hy + 20:
            continue  # keep the path clear
        colour = petals[int(rnd() * len(petals)) % len(petals)]
        r = 1.3 + (fy - 190) / 50.0
        paint(cv, circle(fx, fy, r), colour, bbox=(fx - 4, fy - 4, fx + 4, fy + 4))
        paint(cv, circle(fx, fy, r * 0.4), (250, 200, 60),
              bbox=(fx - 2, fy - 2, fx + 2, fy + 2))


def bg_rounded_fade(cv):
    """The picture fades out over its last few pixels, corners rounded."""
    fade_edges(cv, radius=28.0, feather=9.0)


BACKGROUND_PARTS = (bg_sky, bg_sun, bg_clouds, bg_birds, bg_far_hills,
                    bg_middle_hill, bg_house, bg_smoke, bg_hill_trees,
                    bg_meadow, bg_path, bg_flowers, bg_rounded_fade)


def draw_background():
    return draw(BG_W, BG_H, BACKGROUND_PARTS)


# ---------------------------------------------------------------- main

# The pictures --out gets: file name and what draws it. A new picture is a
# drawing function (a draw() of its parts) and a row here.
PICTURES = (
    ("girl.png", draw_girl),
    ("bg.png", draw_background),
    ("bunny.png", draw_bunny),
)


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser(description="Draw the demo's sample art.")
    ap.add_argument("--out", default=os.path.join(here, "..", "..", "assets"),
                    help="folder for " + " and ".join(name for name, _ in PICTURES))
    ap.add_argument("--large", help="also write the girl at four times the size here")
    args = ap.parse_args(argv)

    os.makedirs(args.out, exist_ok=True)
    for name, drawing in PICTURES:
        save(os.path.join(args.out, name), drawing())
    if args.large:
        save(args.large, draw_girl(4))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
