#!/usr/bin/env python3
"""Checks the comparison rules of compare_565.py through its command line.
Usage: compare_565_test.py   (exits 1 on failure)
"""

import os
import subprocess
import sys
import tempfile

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


def run(args):
    p = subprocess.run([sys.executable, os.path.join(HERE, "compare_565.py")] + args,
                       stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return p.returncode, p.stdout


def main():
    work = tempfile.mkdtemp(prefix="compare565-")
    os.chdir(work)

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
