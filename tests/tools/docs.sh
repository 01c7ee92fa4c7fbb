#!/usr/bin/env bash
# Runs the commands the documentation shows, as written: every indented code
# block of README.md, assets/README.md and docs/SPRITES.md, each block in one
# shell from the top folder, except the blocks that run scripts/ (CI runs
# those itself). The folder is a scratch copy laid out like a checkout after a
# linux build: this build's tools and sample sprites under build/linux/, the
# art and the scripts that draw it copied (make_art.py redraws assets/, and
# the guide's commands draw and render the pictures of docs/sprites/, which
# must come out pixel for pixel as committed), and my-hero.png, the art
# README.md packs. build/linux/app/spritedemo, which needs a screen, is a
# stand-in: the same frame loop headless on the folder's sprite files, failing
# when one of them does not load. This build's bunnymark, which writes its
# frame only headless, is under build/headless/ with its bunny.spr.
# Usage: docs.sh BINARY_DIR SOURCE_DIR
set -u
BIN=$1
SRC=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK" /tmp/p.png' EXIT
mkdir -p "$WORK/build/linux/demo" "$WORK/build/linux/app" "$WORK/tools" "$WORK/python" "$WORK/docs/sprites"
cp -r "$SRC/assets" "$WORK/assets"
cp -r "$SRC/tools/art" "$WORK/tools/art"
cp "$SRC/docs/sprites/make_examples.py" "$WORK/docs/sprites/"
cat >"$WORK/build/linux/app/spritedemo" <<EOF
#!/usr/bin/env bash
notes=\$("$BIN/tools/render/spritedemo-render" --frames 2 -o "$WORK/stand-in.png" 2>&1) && [ -z "\$notes" ] && exit 0
echo "\$notes"
exit 1
EOF
chmod +x "$WORK/build/linux/app/spritedemo"
ln -s "$BIN/tools" "$WORK/build/linux/tools"
cp "$BIN/demo/girl.spr" "$BIN/demo/bg.spr" "$WORK/build/linux/demo/"
mkdir -p "$WORK/build/headless/demo" && cp "$BIN/demo/bunny.spr" "$WORK/build/headless/demo/"
ln -s "$BIN/bunnymark" "$WORK/build/headless/bunnymark"
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

for doc in README.md assets/README.md docs/SPRITES.md; do
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

# same_pixels DRAWN COMMITTED WHAT: the two PNGs hold the same pixels.
same_pixels() {
    /usr/bin/python3 - "$1" "$2" <<'PY' && return
import sys
from PIL import Image
drawn, committed = (Image.open(path) for path in sys.argv[1:])
sys.exit((drawn.mode, drawn.size, drawn.tobytes()) != (committed.mode, committed.size, committed.tobytes()))
PY
    echo "FAIL: $3"
    failures=$((failures + 1))
}
for name in girl bg; do
    same_pixels "$WORK/assets/$name.png" "$SRC/assets/$name.png" "make_art.py no longer draws the committed assets/$name.png"
done
for name in star backdrop scene loose; do
    same_pixels "$WORK/my-sprites/$name.png" "$SRC/docs/sprites/$name.png" \
        "the commands of docs/SPRITES.md no longer make the committed docs/sprites/$name.png"
done

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "docs: every command shown works"
