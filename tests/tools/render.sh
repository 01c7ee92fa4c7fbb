#!/usr/bin/env bash
# spritedemo-render draws the demo's golden frames and spritedemo-bunnymark
# its own: the whole program (frame loop, sprite files, PNG writing) on the
# build's own processor.
# Usage: render.sh BINARY_DIR SOURCE_DIR [EMULATOR...]
set -u

RENDER=tools/render/spritedemo-render
COMPARE="$2/tests/e2e/compare_565.py"
PYTHON=${PYTHON:-/usr/bin/python3}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0

# Each row: the program under BINARY_DIR, its arguments, and its golden's name.
for golden in "$RENDER --mouse 0,0:scene-0-0" "$RENDER --mouse 300,200:scene-300-200" \
    "$RENDER --mouse 610,460:scene-610-460" \
    "bunnymark/spritedemo-bunnymark --bunnies 2000 --frames 120 --seed 7:bunnymark-2000-120-7"; do
    name=${golden##*:} run=(${golden%:*})
    if ! (cd "$1/demo" && "${@:3}" "$1/${run[0]}" "${run[@]:1}" -o "$WORK/$name.png"); then
        echo "FAIL: ${golden%:*} failed"
        failures=$((failures + 1))
    elif ! "$PYTHON" "$COMPARE" "$WORK/$name.png" "$2/tests/golden/$name.png"; then
        echo "FAIL: the frame of ${golden%:*} differs from tests/golden/$name.png"
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ]
