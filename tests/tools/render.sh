#!/usr/bin/env bash
# spritedemo-render draws the demo's golden frames, and spritedemo-bunnymark
# its own: the whole program (frame loop, sprite files, PNG writing) on the
# build's own processor.
# Usage: render.sh BINARY_DIR SOURCE_DIR [EMULATOR...]
set -u

BINARY_DIR=$1 SOURCE_DIR=$2
EMULATOR=("${@:3}")
COMPARE="$SOURCE_DIR/tests/e2e/compare_565.py"
PYTHON=${PYTHON:-/usr/bin/python3}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0

# golden NAME PROGRAM ARGS...: PROGRAM (under the build's bin folder) run in
# its demo/ folder with ARGS writes tests/golden/NAME.png.
golden() {
    local name=$1 program=$2
    shift 2
    if ! (cd "$BINARY_DIR/demo" && "${EMULATOR[@]}" "$BINARY_DIR/$program" "$@" -o "$WORK/$name.png"); then
        echo "FAIL: ${program##*/} $* failed"
        failures=$((failures + 1))
    elif ! "$PYTHON" "$COMPARE" "$WORK/$name.png" "$SOURCE_DIR/tests/golden/$name.png"; then
        echo "FAIL: the frame of ${program##*/} $* differs from tests/golden/$name.png"
        failures=$((failures + 1))
    fi
}

golden scene-0-0 tools/render/spritedemo-render --mouse 0,0
golden scene-300-200 tools/render/spritedemo-render --mouse 300,200
golden scene-610-460 tools/render/spritedemo-render --mouse 610,460
golden bunnymark-2000-120-7 bunnymark/spritedemo-bunnymark --bunnies 2000 --frames 120 --seed 7
[ "$failures" -eq 0 ]
