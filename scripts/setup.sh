#!/usr/bin/env bash
# Installs what building, running and testing spritedemo needs on Debian.
# Idempotent: does nothing when everything is already there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config python3 python3-pil
  libsdl2-dev libpng-dev libgtest-dev libbenchmark-dev
  libpixman-1-dev # a peer the benchmark measures against
  g++-mingw-w64-x86-64-posix wine wine64
  xvfb xdotool imagemagick x11-utils
  # The arm64 build: cross compiler, its libraries, and the emulator its tests run under.
  g++-aarch64-linux-gnu qemu-user libpng-dev:arm64 libgtest-dev:arm64 libc6:arm64 libstdc++6:arm64
  # The web build (it also builds GoogleTest from libgtest-dev's sources), and
  # the browser its end-to-end test drives through the DevTools protocol.
  emscripten chromium python3-websocket
  # The fuzz build: clang, its sanitizer and libFuzzer runtimes (FuzzedDataProvider.h too),
  # zlib for the PNG target, and llvm-symbolizer for readable reports.
  clang-14 libclang-rt-14-dev zlib1g-dev llvm-14
)

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  as_root=(sudo)
fi

# The arm64 libraries come from Debian's own arm64 archive (multiarch).
if ! dpkg --print-foreign-architectures | grep -qx arm64; then
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
