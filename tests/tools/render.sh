#!/usr/bin/env bash
# spritedemo-render draws the golden frames: the whole tool (frame loop,
# sprite files, PNG writing) on the build's own processor.
# Usage: render.sh BINARY_DIR SOURCE_DIR [EMULATOR...]
set -u

RENDER=("${@:3}" "$1/tools/render/spritedemo-render")
COMPARE="$2/tests/e2e/compare_565.py"
PYTHON=${PYTHON:-/usr/bin/python3}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0

for golden in 0,0:scene-0-0 300,200:scene-300-200 610,460:scene-610-460; do
    name=${golden#*:}
    if ! (cd "$1/demo" && "${RENDER[@]}" --mouse "${golden%%:*}" -o "$WORK/$name.png"); then
        echo "FAIL: spritedemo-render --mouse ${golden%%:*} failed"
        failures=$((failures + 1))
    elif ! "$PYTHON" "$COMPARE" "$WORK/$name.png" "$2/tests/golden/$name.png"; then
        echo "FAIL: the frame with the pointer at ${golden%%:*} differs from tests/golden/$name.png"
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ]
