#!/usr/bin/env bash
# Installs what building, running and testing spritedemo needs on Debian, and
# only what the caller asks for:
#   setup.sh demo     the Linux (SDL2) program, its headless run on Xvfb, and
#                     Pillow for Debian's python3 (the sprites guide's examples)
#   setup.sh web      the web page: Emscripten and the native build of the tools
#   setup.sh windows  the Windows zip: MinGW-w64, zip and the native build of the
#                     spritetool that packs its sprites
#   setup.sh wine     running the zip's program on Linux: Wine and unzip
#   setup.sh all      everything every test needs (the default)
# Idempotent: does nothing when everything is already there.
set -euo pipefail

# Building anything: the tools that pack the sample sprites are native (libpng).
common=(cmake ninja-build g++ pkg-config libpng-dev)
demo=(libsdl2-dev xvfb xdotool imagemagick x11-utils python3 python3-pil)
# The web build also builds GoogleTest from libgtest-dev's sources for its
# kernel test, and run-web.sh serves the page with Debian's python3.
web=(emscripten libgtest-dev python3)
# npm installs the PNG decoder the page serves (npm ci at configure time); a
# Node.js that brings its own npm, and refuses Debian's beside it, has it already.
command -v npm >/dev/null || web+=(npm)
windows=(g++-mingw-w64-x86-64-posix zip)
wine=(wine wine64 unzip)
tests=(
  libgtest-dev libbenchmark-dev
  libpixman-1-dev # a peer the benchmark measures against
  # The arm64 build: cross compiler, its libraries, and the emulator its tests run under.
  g++-aarch64-linux-gnu qemu-user libpng-dev:arm64 libgtest-dev:arm64 libc6:arm64 libstdc++6:arm64
  # The browser the web end-to-end test drives through the DevTools protocol.
  chromium python3-websocket
  # The fuzz build: clang, its sanitizer and libFuzzer runtimes (FuzzedDataProvider.h too),
  # zlib for the PNG target, and llvm-symbolizer for readable reports.
  clang-14 libclang-rt-14-dev zlib1g-dev llvm-14
)

[ $# -gt 0 ] || set -- all

packages=("${common[@]}")
for what in "$@"; do
  case $what in
    demo) packages+=("${demo[@]}") ;;
    web) packages+=("${web[@]}") ;;
    windows) packages+=("${windows[@]}") ;;
    wine) packages+=("${wine[@]}") ;;
    all) packages+=("${demo[@]}" "${web[@]}" "${windows[@]}" "${wine[@]}" "${tests[@]}") ;;
    *)
      echo "setup: unknown \"$what\" (demo, web, windows, wine or all)" >&2
      exit 2
      ;;
  esac
done
# Each once, in the order first asked.
mapfile -t packages < <(printf '%s\n' "${packages[@]}" | awk '!seen[$0]++')

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi

# The arm64 libraries come from Debian's own arm64 archive (multiarch); only
# a caller that asks for them changes the machine's architectures.
if printf '%s\n' "${packages[@]}" | grep -q ':arm64$' &&
  ! dpkg --print-foreign-architectures | grep -qx arm64; then
  echo "setup: adding the arm64 architecture"
  "${as_root[@]}" dpkg --add-architecture arm64
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}"
"${as_root[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
