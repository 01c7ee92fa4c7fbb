#!/usr/bin/env bash
# Sets up a Debian machine and runs every test of spritedemo: the unit, scene
# and tool tests headless, the same under AddressSanitizer and
# UndefinedBehaviorSanitizer, the same cross-built for 64-bit ARM under
# qemu-aarch64, the Linux (SDL2) program end to end on Xvfb, and the Windows
# build end to end under Wine; the fuzz targets, a minute each; and the web
# build: its row kernels under Node, and the page end to end in headless
# Chromium.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root" || exit 1

"$root/scripts/setup.sh" all || { echo "test-all: setup failed"; exit 1; }

jobs=$(nproc 2>/dev/null || echo 2)

# step NAME COMMAND...: runs one step; the first that fails ends the run,
# since every later step builds on the ones before it.
step() {
  local name=$1
  shift
  echo "==== $name"
  if ! "$@"; then
    echo "test-all: FAILED at \"$name\""
    exit 1
  fi
}

build() {
  cmake --preset "$1" >"$root/build/configure-$1.log" 2>&1 || { cat "$root/build/configure-$1.log"; return 1; }
  cmake --build --preset "$1" -j "$jobs"
}

mkdir -p "$root/build"
step "headless build" build headless
step "headless tests" ctest --preset headless -j "$jobs"
step "asan build" build asan
step "asan tests" ctest --preset asan -j "$jobs"
step "fuzz build" build fuzz
step "fuzz targets, a minute each" bash "$root/tests/fuzz/run.sh" "$root/build/fuzz" 60
step "arm64 build" build arm64
step "arm64 tests under qemu" ctest --preset arm64 -j "$jobs"
step "bench build" build bench
# The benchmark measures and never fails on speed: a few passes of each, so
# that every row still runs.
step "bench smoke run" env SPRITEDEMO_BENCH_ITERATIONS=3 "$root/build/bench/bench/spritedemo-bench"
step "web build" build web
step "web kernel tests under node" ctest --preset web -j "$jobs"
step "web end to end in chromium" /usr/bin/python3 "$root/tests/e2e/web_e2e.py" "$root/build/web/site" \
  "$root/build/headless/tools/render/spritedemo-render" --screenshot "$root/build/web/screenshot.png"
step "linux build" build linux
# The README's first command, on a virtual screen as on a machine without one.
step "run-demo.sh" env -u DISPLAY "$root/scripts/run-demo.sh"
step "linux end to end on xvfb" bash "$root/tests/e2e/linux_e2e.sh" \
  "$root/build/linux/app/spritedemo" \
  "$root/build/headless/tools/render/spritedemo-render" \
  "$root/build/linux/demo" \
  "$root/build/linux/bunnymark/spritedemo-bunnymark"
step "windows build and zip" "$root/scripts/package-windows.sh"
step "windows end to end under wine" bash "$root/tests/e2e/wine_e2e.sh" \
  "$root/build/windows/spritedemo-windows.zip" \
  "$root/build/headless/tools/render/spritedemo-render"
echo "test-all: everything passed"
