#!/usr/bin/env python3
"""Draws the example art of docs/SPRITES.md: star.png and backdrop.png.

Needs Pillow (Debian: python3-pil, for /usr/bin/python3; scripts/setup.sh
demo installs it). The output is the same on every run; it says what it wrote.

  star.png      64 x 64, a gold five-pointed star with an anti-aliased
                outline and a soft glow around it (alpha falling to 0):
                the kind of edge whose fate the guide explains.
  backdrop.png  640 x 480, fully opaque: a sky fading to the horizon, a sun
                and green hills, to fill the whole screen.

Usage: make_examples.py [DIR]   (default: the working directory)
"""

import math
import os
import sys

from PIL import Image


def clamp(value, low=0.0, high=1.0):
    return max(low, min(high, value))


def star_distance(x, y, cx, cy, outer, inner):
    """Signed distance (pixels, negative inside) to a five-pointed star."""
    points = []
    for i in range(10):
        radius = outer if i % 2 == 0 else inner
        angle = -math.pi / 2 + i * math.pi / 5
        points.append((cx + radius * math.cos(angle), cy + radius * math.sin(angle)))
    nearest = float("inf")
    inside = False
    for i in range(10):
        (ax, ay), (bx, by) = points[i], points[(i + 1) % 10]
        ex, ey = bx - ax, by - ay
        t = clamp(((x - ax) * ex + (y - ay) * ey) / (ex * ex + ey * ey))
        nearest = min(nearest, math.hypot(x - ax - t * ex, y - ay - t * ey))
        if (ay > y) != (by > y) and x < ax + (y - ay) * ex / ey:
            inside = not inside
    return -nearest if inside else nearest


def star():
    size = 64
    gold, outline, glow = (255, 204, 40), (200, 90, 10), (255, 236, 150)
    pixels = []
    for y in range(size):
        for x in range(size):
            d = star_distance(x + 0.5, y + 0.5, 32, 33, 27, 11)
            body = clamp(0.5 - d)                       # anti-aliased edge
            colour = outline if d > -2.5 else gold      # a 2-pixel outline
            halo = 0.6 * clamp(1 - d / 5) if d > 0 else 0  # glow over 5 pixels
            alpha = body + halo * (1 - body)
            if alpha <= 0:
                pixels.append((0, 0, 0, 0))
                continue
            mix = body / alpha  # straight alpha: the colour of what covers the pixel
            rgb = tuple(round(c * mix + g * (1 - mix)) for c, g in zip(colour, glow))
            pixels.append(rgb + (round(alpha * 255),))
    image = Image.new("RGBA", (size, size))
    image.putdata(pixels)
    return image


def backdrop():
    width, height = 640, 480
    image = Image.new("RGB", (width, height))
    pixels = image.load()
    for x in range(width):
        hill = 260 - 35 * math.sin(x / 90) - 20 * math.sin(x / 37 + 1)
        for y in range(height):
            if y < hill:
                t = y / 300
                sky = (90 + 120 * t, 150 + 80 * t, 235)
                sun = clamp(40.5 - math.hypot(x - 500, y - 90))  # anti-aliased disc
                colour = tuple(s + (c - s) * sun for s, c in zip(sky, (255, 240, 170)))
            else:
                shade = clamp((y - hill) / 180)
                colour = (60 + 40 * shade, 140 + 40 * shade, 50 + 10 * shade)
            pixels[x, y] = tuple(round(c) for c in colour)
    return image


def main():
    directory = sys.argv[1] if len(sys.argv) > 1 else "."
    for name, image in (("star.png", star()), ("backdrop.png", backdrop())):
        path = os.path.normpath(os.path.join(directory, name))
        image.save(path, optimize=True)
        print("wrote %s: %d\u00d7%d, %s" % (path, image.width, image.height,
                                           "with alpha" if image.mode == "RGBA" else "opaque"))


if __name__ == "__main__":
    main()
