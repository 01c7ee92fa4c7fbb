#!/usr/bin/env python3
"""Compare screenshots of the demo at the precision of its RGB565 screen.

    compare_565.py [--ignore X0,Y0,X1,Y1] [--diff OUT.png] ACTUAL.png EXPECTED.png
    compare_565.py [--ignore X0,Y0,X1,Y1] [--diff OUT.png] ACTUAL.png --white

Both pictures are reduced to 5-6-5 bits (r>>3, g>>2, b>>3) and compared pixel
for pixel; with --white every pixel of ACTUAL must be exactly (255,255,255),
unreduced. Pixels inside the ignore box (right and bottom exclusive) are not
compared: that is where the frame-rate text goes, whose font belongs to the
platform. Prints the number of differing pixels. Exit status: 0 when none
differ, 1 when some do, 2 when a file cannot be read or the sizes differ.

Reads any PNG Pillow reads (Debian: python3-pil); alpha is ignored.
"""

import argparse
import sys

from PIL import Image


class Picture:
    """Width, height and rows of (r, g, b) bytes, 3 per pixel."""

    def __init__(self, width, height, rows):
        self.width = width
        self.height = height
        self.rows = rows


def read_png(path):
    """The picture in path as RGB; OSError (or Pillow's SyntaxError for a
    broken chunk) when it cannot be read."""
    with Image.open(path) as image:
        data = image.convert("RGB").tobytes()
        width, height = image.size
    return Picture(width, height, [data[y * width * 3:(y + 1) * width * 3] for y in range(height)])


def write_png(path, width, rows):
    """Writes rows of 8-bit RGB bytes."""
    Image.frombytes("RGB", (width, len(rows)), b"".join(bytes(r) for r in rows)).save(path)


def to_565(row):
    """One packed 16-bit value per pixel."""
    return [((row[i] >> 3) << 11) | ((row[i + 1] >> 2) << 5) | (row[i + 2] >> 3)
            for i in range(0, len(row), 3)]


def differing(actual, expected, box, exact=False):
    """Yields a list of booleans per row: True where the pixel differs;
    exact compares the 8-bit values unreduced."""
    x0, y0, x1, y1 = box
    for y in range(actual.height):
        if expected is None:
            row = actual.rows[y]
            diff = [row[i:i + 3] != b"\xff\xff\xff" for i in range(0, len(row), 3)]
        else:
            reduce = (lambda row: [row[i:i + 3] for i in range(0, len(row), 3)]) if exact else to_565
            diff = [a != b for a, b in zip(reduce(actual.rows[y]), reduce(expected.rows[y]))]
        if y0 <= y < y1:
            for x in range(max(x0, 0), min(x1, actual.width)):
                diff[x] = False
        yield diff


def diff_picture(actual, masks, box):
    """The actual picture faded, differing pixels red, the ignore box grey."""
    x0, y0, x1, y1 = box
    rows = []
    for y, mask in enumerate(masks):
        src = actual.rows[y]
        out = bytearray()
        for x, bad in enumerate(mask):
            if bad:
                out += b"\xff\x00\x00"
            elif y0 <= y < y1 and x0 <= x < x1:
                out += b"\x80\x80\x80"
            else:
                grey = (src[3 * x] * 3 + src[3 * x + 1] * 6 + src[3 * x + 2]) // 10
                out += bytes((192 + grey // 4,) * 3)
        rows.append(out)
    return rows


def parse_box(text):
    try:
        box = tuple(int(v) for v in text.split(","))
    except ValueError:
        box = ()
    if len(box) != 4:
        raise argparse.ArgumentTypeError("expected X0,Y0,X1,Y1, got %r" % text)
    return box


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("actual")
    parser.add_argument("expected", nargs="?")
    parser.add_argument("--white", action="store_true",
                        help="expect every compared pixel to be (255,255,255)")
    parser.add_argument("--ignore", type=parse_box, default=(0, 0, 0, 0),
                        metavar="X0,Y0,X1,Y1", help="box left out of the comparison")
    parser.add_argument("--diff", metavar="OUT.png",
                        help="write a picture of the differences when there are any")
    args = parser.parse_args(argv)
    if args.white == (args.expected is not None):
        parser.error("give either EXPECTED.png or --white")

    try:
        actual = read_png(args.actual)
        expected = None if args.white else read_png(args.expected)
    except (OSError, SyntaxError) as e:
        print("compare_565: %s" % e, file=sys.stderr)
        return 2
    if expected is not None and (expected.width, expected.height) != (actual.width, actual.height):
        print("compare_565: sizes differ: %s is %dx%d, %s is %dx%d"
              % (args.actual, actual.width, actual.height,
                 args.expected, expected.width, expected.height), file=sys.stderr)
        return 2

    masks = list(differing(actual, expected, args.ignore))
    count = sum(sum(m) for m in masks)
    print("differing pixels: %d" % count)
    if count:
        x, y = next((x, y) for y, m in enumerate(masks) for x, bad in enumerate(m) if bad)
        if expected is None:
            print("first difference at (%d,%d): (%d,%d,%d), not white"
                  % ((x, y) + tuple(actual.rows[y][3 * x:3 * x + 3])))
        else:
            print("first difference at (%d,%d): 0x%04X, expected 0x%04X"
                  % (x, y, to_565(actual.rows[y][3 * x:3 * x + 3])[0],
                     to_565(expected.rows[y][3 * x:3 * x + 3])[0]))
        if args.diff:
            write_png(args.diff, actual.width, diff_picture(actual, masks, args.ignore))
            print("diff picture: %s" % args.diff)
    return 1 if count else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
