#!/usr/bin/env bash
# spritetool pack holds rows, not pictures: an 8000x8000 PNG with partly
# transparent pixels, made here, packs inside 192 MiB of address space (320
# under qemu, for its own mappings), where holding it whole would take
# 448 MiB more (256 MiB as RGBA, 192 MiB as a frame), and every row lands in
# its place.
# Usage: pack_memory.sh BINARY_DIR SOURCE_DIR [EMULATOR...]
set -u

TOOL=("${@:3}" "$1/tools/spritetool/spritetool")
PYTHON=${PYTHON:-/usr/bin/python3}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1

if grep -q '^SPRITEDEMO_SANITIZE:BOOL=ON' "$1/CMakeCache.txt" 2>/dev/null; then
    echo "pack memory: skipped (AddressSanitizer reserves terabytes of address space)"
    exit 0
fi

# Row y: red x, green y, blue 0; every fifth pixel half transparent.
"$PYTHON" - "$2/tests/tools" <<'PY' || { echo "FAIL: cannot make big.png"; exit 1; }
import sys
sys.path.insert(0, sys.argv[1])
from spritetool_helper import raw_png
side = 8000
row = bytearray(1 + side * 4)
row[1::4] = bytes(x & 255 for x in range(side))
row[4::4] = bytes(128 if x % 5 == 0 else 255 for x in range(side))
def rows():
    for y in range(side):
        row[2::4] = bytes([y & 255]) * side
        yield bytes(row)
with open("big.png", "wb") as f:
    f.write(raw_png(side, side, 8, 6, 0, rows()))
PY

limit=192
[ $# -gt 2 ] && limit=320
if ! (ulimit -v $((limit * 1024)) && "${TOOL[@]}" pack big.png -o big.spr); then
    echo "FAIL: pack of an 8000x8000 PNG failed inside $limit MiB"
    exit 1
fi
# The last row's last pixel: its colour (x 7999, y 7999: red 63, green 63)
# and alpha (7999 is no multiple of 5: opaque) at the ends of the two blocks.
"$PYTHON" - <<'PY'
import os, struct, sys
side, pixels = 8000, 8000 * 8000
with open("big.spr", "rb") as f:
    data_at = 19 + 24 + 4
    f.seek(data_at + 2 * pixels - 2)
    last_pixel, alpha_size = struct.unpack("<HI", f.read(6))
    f.seek(data_at + 2 * pixels + 4 + pixels - 5)
    last_alphas = f.read(5)
expected_size = data_at + 2 * pixels + 4 + pixels + 4
problems = []
if os.path.getsize("big.spr") != expected_size:
    problems.append("big.spr is %d bytes, expected %d" % (os.path.getsize("big.spr"), expected_size))
if last_pixel != (0x3F >> 3) << 11 | (0x3F >> 2) << 5:
    problems.append("the last pixel is 0x%04X" % last_pixel)
if alpha_size != pixels or last_alphas != b"\x80\xff\xff\xff\xff":
    problems.append("alpha block of %d bytes ending %s" % (alpha_size, last_alphas.hex()))
for problem in problems:
    print("FAIL: " + problem)
sys.exit(1 if problems else 0)
PY
