#!/usr/bin/env bash
# Instructions per pixel of each draw routine on each instruction set that
# valgrind can run (it has no AVX-512), counted by callgrind: everything done
# inside Sprite::Draw<Routine> (placement, clipping, the lock, the rows) over
# a fixed number of draws of the benchmark's 128x64 sprites, divided by the
# pixels drawn. Counts are the same from run to run, however busy the machine.
#   bench/instructions_per_pixel.sh [build/bench/bench/spritedemo-bench]
set -euo pipefail
bench=${1:-build/bench/bench/spritedemo-bench}
draws=160
pixels=$((draws * 128 * 64))
out=$(mktemp)
trap 'rm -f "$out"' EXIT
printf '%-12s %8s %8s %8s\n' routine scalar sse2 avx2
for routine in Keyed Alpha Translucent Tinted; do
    line=$(printf '%-12s' "$routine")
    for isa in scalar sse2 avx2; do
        SPRITEDEMO_BENCH_ITERATIONS=$draws valgrind --tool=callgrind --callgrind-out-file="$out" \
            --toggle-collect="Sprite::Draw$routine*" "$bench" --benchmark_filter="^Size/${routine,,}/$isa/128x64/" >/dev/null 2>&1
        instructions=$(awk '/^(summary|totals):/ { print $2; exit }' "$out")
        line+=$(awk -v n="$instructions" -v p="$pixels" 'BEGIN { printf " %8.2f", n / p }')
    done
    echo "$line"
done
