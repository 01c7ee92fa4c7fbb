#!/usr/bin/env bash
# SPRITEDEMO_ISA: the demo's frame and the bunnymark's are the same whatever
# instruction set it names, and a name that is not an instruction set of this
# build is reported on standard error and ignored.
# Usage: render_isa.sh BINARY_DIR SOURCE_DIR [EMULATOR...]
set -u

EMULATOR=("${@:3}")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$1/demo" || exit 1
failures=0

# same_frames NAME PROGRAM ARGS...: the frame under every set is the chosen set's.
same_frames() {
    local name=$1 isa
    shift
    env -u SPRITEDEMO_ISA "${EMULATOR[@]}" "$@" -o "$WORK/$name.chosen.png" || exit 1
    for isa in scalar sse2 avx2 avx512 neon no-such-set; do
        if ! SPRITEDEMO_ISA=$isa "${EMULATOR[@]}" "$@" -o "$WORK/$name.$isa.png" 2>"$WORK/$isa.err"; then
            echo "FAIL: SPRITEDEMO_ISA=$isa: ${1##*/} failed"
            failures=$((failures + 1))
        elif ! cmp -s "$WORK/$name.chosen.png" "$WORK/$name.$isa.png"; then
            echo "FAIL: SPRITEDEMO_ISA=$isa: ${1##*/} renders another frame"
            failures=$((failures + 1))
        fi
    done
}

same_frames demo "$1/tools/render/spritedemo-render" --mouse 300,200
same_frames bunnymark "$1/bunnymark/spritedemo-bunnymark" --bunnies 2000 --frames 120 --seed 7
if ! grep -qF "SPRITEDEMO_ISA=no-such-set" "$WORK/no-such-set.err"; then
    echo "FAIL: an unknown SPRITEDEMO_ISA is not reported:"
    sed 's/^/    /' "$WORK/no-such-set.err"
    failures=$((failures + 1))
fi
[ "$failures" -eq 0 ]
