#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time, each from its
# seed corpus in corpus/NAME (copied, so the tree is not written), and prints
# how many inputs each ran. A finding fails the run and is kept, with the
# target's output, in a directory the last lines name.
# Usage: run.sh BUILD_DIR [SECONDS_PER_TARGET]   (default 60)
set -u
BUILD=$1
SECONDS_EACH=${2:-60}
HERE=$(cd "$(dirname "$0")" && pwd)
WORK=$(mktemp -d "${TMPDIR:-/tmp}/fuzz.XXXXXX")
trap 'rm -rf "$WORK"' EXIT
failures=0
# Stack traces with function names and lines (llvm-14, scripts/setup.sh).
export ASAN_SYMBOLIZER_PATH=${ASAN_SYMBOLIZER_PATH:-$(command -v llvm-symbolizer-14)}

# The PNG reader may not make one allocation above 512 MiB: memory must follow
# the pixels that are really there, not what a header claims (up to 4 GiB),
# and the 4 KiB inputs the fuzzer makes hold at most a few hundred MiB of real
# pixels, RGBA and growth included.
declare -A OPTIONS=(
    [fuzz_sprite_read]=""
    [fuzz_draw]=""
    [fuzz_png_read]="-malloc_limit_mb=512"
)

for target in fuzz_sprite_read fuzz_draw fuzz_png_read; do
    binary=$BUILD/tests/fuzz/$target
    seeds=$HERE/corpus/${target#fuzz_}
    corpus=$WORK/$target
    mkdir -p "$corpus" "$WORK/$target-found"
    seed_files=("$seeds"/*)
    cp "${seed_files[@]}" "$corpus"/
    # shellcheck disable=SC2086  # the options are words
    "$binary" "$corpus" -max_total_time="$SECONDS_EACH" -print_final_stats=1 ${OPTIONS[$target]} \
        -artifact_prefix="$WORK/$target-found/" >"$WORK/$target.log" 2>&1
    status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$WORK/$target.log")
    if [ "$status" -ne 0 ]; then
        kept=$(mktemp -d "${TMPDIR:-/tmp}/fuzz-found.XXXXXX")
        cp -r "$WORK/$target-found" "$WORK/$target.log" "$kept"/
        echo "FAIL: $target (status $status) after ${runs:-?} inputs; its output and the input are in $kept:"
        grep -E -m 8 'ERROR|SUMMARY|^fuzz_|runtime error|Test unit written' "$WORK/$target.log" | sed 's/^/    /'
        failures=$((failures + 1))
    else
        echo "PASS: $target: $runs inputs in $SECONDS_EACH s, from ${#seed_files[@]} seeds"
    fi
done
[ "$failures" -eq 0 ]
