#!/usr/bin/env bash
# SPRITEDEMO_ISA: the demo's frame and the bunnymark's are the same whatever
# instruction set it names, and a name that is not an instruction set of this build is reported
# on standard error and ignored.
# Usage: render_isa.sh BINARY_DIR SOURCE_DIR [EMULATOR...]
set -u

EMULATOR=("${@:3}")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$1/demo" || exit 1
failures=0

for run in "tools/render/spritedemo-render --mouse 300,200" \
    "bunnymark/spritedemo-bunnymark --bunnies 2000 --frames 120 --seed 7"; do
    RENDER=("${EMULATOR[@]}" "$1/${run%% *}" ${run#* })
    env -u SPRITEDEMO_ISA "${RENDER[@]}" -o "$WORK/chosen.png" || exit 1
    for isa in scalar sse2 avx2 avx512 neon no-such-set; do
        if ! SPRITEDEMO_ISA=$isa "${RENDER[@]}" -o "$WORK/$isa.png" 2>"$WORK/$isa.err"; then
            echo "FAIL: SPRITEDEMO_ISA=$isa: $run failed"
            failures=$((failures + 1))
        elif ! cmp -s "$WORK/chosen.png" "$WORK/$isa.png"; then
            echo "FAIL: SPRITEDEMO_ISA=$isa: $run renders another frame"
            failures=$((failures + 1))
        fi
    done
done
if ! grep -qF "SPRITEDEMO_ISA=no-such-set" "$WORK/no-such-set.err"; then
    echo "FAIL: an unknown SPRITEDEMO_ISA is not reported:"
    sed 's/^/    /' "$WORK/no-such-set.err"
    failures=$((failures + 1))
fi
[ "$failures" -eq 0 ]
