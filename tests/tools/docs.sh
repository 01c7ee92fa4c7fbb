#!/usr/bin/env bash
# Runs the commands the documentation shows, as written: every indented code
# block of README.md and assets/README.md, each block in one shell from the
# top folder, except the blocks that run scripts/ (CI runs those itself). The
# folder is a scratch copy laid out like a checkout after a linux build: this
# build's tools and sample sprites under build/linux/, the art and its script
# copied (make_art.py redraws assets/, which must come out pixel for pixel as
# committed), and my-hero.png, the art README.md packs.
# Usage: docs.sh BINARY_DIR SOURCE_DIR
set -u
BIN=$1
SRC=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK" /tmp/p.png' EXIT
mkdir -p "$WORK/build/linux/demo" "$WORK/tools" "$WORK/python"
cp -r "$SRC/assets" "$WORK/assets"
cp -r "$SRC/tools/art" "$WORK/tools/art"
ln -s "$BIN/tools" "$WORK/build/linux/tools"
cp "$BIN/demo/girl.spr" "$BIN/demo/bg.spr" "$WORK/build/linux/demo/"
cp "$SRC/assets/girl.png" "$WORK/my-hero.png"
ln -s /usr/bin/python3 "$WORK/python/python3" # Debian's, with Pillow (scripts/setup.sh)
export PATH=$WORK/python:$PATH
failures=0

# blocks FILE: each indented code block of FILE, NUL-terminated.
blocks() {
    awk '/^    / { block = block substr($0, 5) "\n"; next }
         block != "" { printf "%s%c", block, 0; block = "" }
         END { if (block != "") printf "%s%c", block, 0 }' "$1"
}

for doc in README.md assets/README.md; do
    while IFS= read -r -d '' block; do
        if grep -q 'scripts/' <<<"$block"; then
            continue
        fi
        echo "--- $doc:"
        sed 's/^/    /' <<<"$block"
        if ! (cd "$WORK" && bash -euo pipefail -c "$block") >"$WORK/out.txt" 2>&1; then
            echo "FAIL: this block of $doc failed:"
            sed 's/^/    | /' "$WORK/out.txt"
            failures=$((failures + 1))
        fi
    done < <(blocks "$SRC/$doc")
done

for name in girl bg; do
    /usr/bin/python3 - "$WORK/assets/$name.png" "$SRC/assets/$name.png" <<'PY' ||
import sys
from PIL import Image
drawn, committed = (Image.open(path) for path in sys.argv[1:])
sys.exit((drawn.mode, drawn.size, drawn.tobytes()) != (committed.mode, committed.size, committed.tobytes()))
PY
        { echo "FAIL: make_art.py no longer draws the committed assets/$name.png"; failures=$((failures + 1)); }
done

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "docs: every command shown works"
