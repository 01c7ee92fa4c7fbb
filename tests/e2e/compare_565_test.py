#!/usr/bin/env python3
"""Checks compare_565.py: its PNG reader against ImageMagick and against every
filter type written by hand, then the comparison rules through its command line.
Usage: compare_565_test.py   (needs ImageMagick's convert; exits 1 on failure)
"""

import os
import random
import struct
import subprocess
import sys
import tempfile
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
sys.dont_write_bytecode = True  # keep the source folder clean
sys.path.insert(0, HERE)
import compare_565 as c  # noqa: E402

failures = 0


def check(ok, what):
    global failures
    print("%s: %s" % ("PASS" if ok else "FAIL", what))
    if not ok:
        failures += 1


def paeth(a, b, cc):
    p = a + b - cc
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - cc)
    return a if pa <= pb and pa <= pc else (b if pb <= pc else cc)


def encode(width, rows, bpp, filters):
    """PNG bytes with row y filtered by filters[y % len(filters)]."""
    out = bytearray()
    prior = bytes(width * bpp)
    for y, row in enumerate(rows):
        kind = filters[y % len(filters)]
        line = bytearray([kind])
        for i, x in enumerate(row):
            a = row[i - bpp] if i >= bpp else 0
            b = prior[i]
            cc = prior[i - bpp] if i >= bpp else 0
            pred = [0, a, b, (a + b) >> 1, paeth(a, b, cc)][kind]
            line.append((x - pred) & 0xFF)
        out += line
        prior = row

    def chunk(k, body):
        return struct.pack(">I", len(body)) + k + body + struct.pack(">I", zlib.crc32(k + body))
    colour = {3: 2, 4: 6}[bpp]
    return (c.PNG_SIGNATURE + chunk(b"IHDR", struct.pack(">IIBBBBB", width, len(rows), 8, colour, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(bytes(out))) + chunk(b"IEND", b""))


def rgb_of(rows, bpp):
    return [bytes(b for i, b in enumerate(r) if bpp == 3 or i % 4 != 3) for r in rows]


def run(args):
    p = subprocess.run([sys.executable, os.path.join(HERE, "compare_565.py")] + args,
                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return p.returncode, p.stdout


def main():
    rnd = random.Random(565)
    work = tempfile.mkdtemp(prefix="compare565-")
    os.chdir(work)

    # Hand-filtered pictures: each filter type alone, then all mixed, in RGB and RGBA.
    width, height = 13, 9
    for bpp in (3, 4):
        rows = [bytes(rnd.randrange(256) for _ in range(width * bpp)) for _ in range(height)]
        for filters in ([0], [1], [2], [3], [4], [4, 3, 2, 1, 0]):
            name = "hand-%d-%s.png" % (bpp, "".join(map(str, filters)))
            with open(name, "wb") as f:
                f.write(encode(width, rows, bpp, filters))
            pic = c.read_png(name)
            check([bytes(r) for r in pic.rows] == rgb_of(rows, bpp),
                  "reads %s with filters %s" % ("RGBA" if bpp == 4 else "RGB", filters))

    # ImageMagick's own adaptive filtering of a noisy picture, as PNG24 and PNG32.
    subprocess.run(["convert", "-size", "97x61", "-seed", "7", "plasma:fractal", "src.png"], check=True)
    subprocess.run(["convert", "src.png", "PNG24:im24.png"], check=True)
    subprocess.run(["convert", "src.png", "-alpha", "set", "-channel", "A", "-fx", "i/w",
                    "+channel", "PNG32:im32.png"], check=True)
    for name in ("im24.png", "im32.png"):
        ref = subprocess.run(["convert", name, "-depth", "8", "RGB:-"], check=True,
                             stdout=subprocess.PIPE).stdout
        pic = c.read_png(name)
        check(b"".join(pic.rows) == ref, "reads ImageMagick's %s like ImageMagick does" % name)

    # Comparison rules, on 40x30 pictures.
    def picture(path, fill, changes=()):
        rows = [bytearray(fill * 40) for _ in range(30)]
        for x, y, px in changes:
            rows[y][3 * x:3 * x + 3] = px
        c.write_png(path, 40, rows)

    picture("white.png", b"\xff\xff\xff")
    picture("near.png", b"\xfb\xfc\xf9")                             # white once reduced
    picture("base.png", b"\x00\x00\x00")
    picture("one.png", b"\x07\x03\x07", [(39, 29, b"\x08\x00\x00")])   # one red step apart
    picture("green.png", b"\x00\x00\x00", [(0, 0, b"\x00\x04\x00")])    # one green step apart
    picture("text.png", b"\xff\xff\xff", [(3, 3, b"\xff\x00\x00"), (9, 9, b"\xff\x00\x00")])

    status, out = run(["white.png", "near.png"])
    check(status == 0 and "differing pixels: 0" in out, "values equal once reduced to 5-6-5 bits match")
    status, out = run(["base.png", "one.png", "--diff", "d.png"])
    check(status == 1 and "differing pixels: 1" in out and "(39,29)" in out,
          "one red step in the last pixel is one difference")
    check(os.path.exists("d.png") and c.read_png("d.png").rows[29][-3:] == b"\xff\x00\x00",
          "the diff picture marks it red")
    status, out = run(["base.png", "green.png"])
    check(status == 1 and "differing pixels: 1" in out, "one green step is one difference")
    status, out = run(["base.png", "green.png", "--ignore", "0,0,1,1"])
    check(status == 0, "a difference inside the ignore box does not count")
    status, out = run(["text.png", "--white", "--ignore", "0,0,5,5"])
    check(status == 1 and "differing pixels: 1" in out, "--white counts non-white pixels outside the box")
    status, out = run(["near.png", "--white"])
    check(status == 1 and "differing pixels: 1200" in out, "--white wants exact 255s, not reduced ones")

    c.write_png("small.png", 39, [bytearray(39 * 3)] * 30)
    status, out = run(["base.png", "small.png"])
    check(status == 2 and "sizes differ" in out, "different sizes are an error")
    with open("broken.png", "wb") as f:
        f.write(open("base.png", "rb").read()[:60])
    status, out = run(["base.png", "broken.png"])
    check(status == 2 and "compare_565:" in out, "a truncated PNG is a clear error")
    status, out = run(["base.png", "missing.png"])
    check(status == 2, "a missing file is an error")

    subprocess.run(["rm", "-rf", work])
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
