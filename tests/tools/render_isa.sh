#!/usr/bin/env bash
# SPRITEDEMO_ISA: the demo frame is the same whatever instruction set it
# names, and a name that is not an instruction set of this build is reported
# on standard error and ignored.
# Usage: render_isa.sh BINARY_DIR SOURCE_DIR [EMULATOR...]
set -u

RENDER=("${@:3}" "$1/tools/render/spritedemo-render")
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$1/demo" || exit 1
failures=0

env -u SPRITEDEMO_ISA "${RENDER[@]}" --mouse 300,200 -o "$WORK/chosen.png" || exit 1
for isa in scalar sse2 avx2 avx512 neon no-such-set; do
    if ! SPRITEDEMO_ISA=$isa "${RENDER[@]}" --mouse 300,200 -o "$WORK/$isa.png" 2>"$WORK/$isa.err"; then
        echo "FAIL: SPRITEDEMO_ISA=$isa: spritedemo-render failed"
        failures=$((failures + 1))
    elif ! cmp -s "$WORK/chosen.png" "$WORK/$isa.png"; then
        echo "FAIL: SPRITEDEMO_ISA=$isa renders another frame"
        failures=$((failures + 1))
    fi
done
if ! grep -qF "SPRITEDEMO_ISA=no-such-set" "$WORK/no-such-set.err"; then
    echo "FAIL: an unknown SPRITEDEMO_ISA is not reported:"
    sed 's/^/    /' "$WORK/no-such-set.err"
    failures=$((failures + 1))
fi
[ "$failures" -eq 0 ]
