#!/usr/bin/env bash
# Instructions per pixel of each draw routine on each instruction set that
# valgrind can run (it has no AVX-512), counted by callgrind: everything done
# inside Sprite::Draw<Routine> (placement, clipping, the lock, the rows) over
# a fixed number of draws of the benchmark's 128x64 sprites, divided by the
# pixels drawn. Counts are the same from run to run, however busy the machine.
# The routines and sets are the ones the benchmark lists.
#   bench/instructions_per_pixel.sh [build/bench/bench/spritedemo-bench]
set -euo pipefail
bench=${1:-build/bench/bench/spritedemo-bench}
draws=160
pixels=$((draws * 128 * 64))
out=$(mktemp)
trap 'rm -f "$out"' EXIT
list=$("$bench" --benchmark_list_tests)
# size_rows N: field N of the benchmark's Size/<routine>/<set>/<size> rows,
# each once, in the benchmark's order.
size_rows() {
    awk -F/ -v n="$1" '$1 == "Size" && NF == 4 && !seen[$n]++ { print $n }' <<<"$list"
}
routines=$(size_rows 2)
sets=$(size_rows 3 | grep -v -x -e chosen -e avx512)
printf '%-12s' routine
printf ' %8s' $sets
echo
for routine in $routines; do
    routine=${routine^} # the 128x64 rows and Sprite::Draw<Routine> spell it so
    line=$(printf '%-12s' "$routine")
    for isa in $sets; do
        SPRITEDEMO_BENCH_ITERATIONS=$draws valgrind --tool=callgrind --callgrind-out-file="$out" \
            --toggle-collect="Sprite::Draw$routine*" "$bench" --benchmark_filter="^Size/${routine,,}/$isa/128x64/" >/dev/null 2>&1
        instructions=$(awk '/^(summary|totals):/ { print $2; exit }' "$out")
        line+=$(awk -v n="$instructions" -v p="$pixels" 'BEGIN { printf " %8.2f", n / p }')
    done
    echo "$line"
done
