#!/usr/bin/env bash
# scripts/setup.sh installs what its caller asks for and no more: the Linux
# demo gets no Wine, browser or arm64 architecture, the page no SDL2 or Wine,
# and "all" everything. dpkg, apt-get and sudo are stand-ins that log what
# they were asked, on a machine where nothing is installed yet.
# Usage: setup.sh BINARY_DIR SOURCE_DIR
set -u
SRC=$2
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir "$WORK/bin"
for tool in dpkg dpkg-query apt-get sudo; do
  printf '#!/bin/sh\necho "%s $*" >>"%s/log"\n' "$tool" "$WORK" >"$WORK/bin/$tool"
done
echo 'exec "$@"' >>"$WORK/bin/sudo"
chmod +x "$WORK"/bin/*
failures=0

# check WHAT WANTED UNWANTED: packages (regular expressions, one word each) the
# install must and must not name, and whether the architecture is added.
check() {
  local what=$1 wanted=$2 unwanted=$3 words
  rm -f "$WORK/log"
  PATH=$WORK/bin:$PATH bash "$SRC/scripts/setup.sh" "$what" >/dev/null || { echo "FAIL: setup.sh $what failed"; failures=$((failures + 1)); return; }
  words=$(grep -h '^apt-get install\|^dpkg --add-architecture' "$WORK/log" | tr ' ' '\n')
  for package in $wanted; do
    grep -qx -- "$package" <<<"$words" || { echo "FAIL: setup.sh $what does not install $package"; failures=$((failures + 1)); }
  done
  for package in $unwanted; do
    ! grep -qx -- "$package" <<<"$words" || { echo "FAIL: setup.sh $what installs $package"; failures=$((failures + 1)); }
  done
}

check demo "libsdl2-dev xvfb cmake python3-pil" "wine emscripten chromium clang-14 .*:arm64 --add-architecture"
check web "emscripten libgtest-dev cmake" "wine libsdl2-dev chromium xvfb .*:arm64 --add-architecture"
check windows "g++-mingw-w64-x86-64-posix zip cmake libpng-dev" "wine libsdl2-dev emscripten chromium .*:arm64 --add-architecture"
check wine "wine wine64 unzip" "g++-mingw-w64-x86-64-posix libsdl2-dev emscripten chromium .*:arm64 --add-architecture"
check all "libsdl2-dev emscripten wine chromium zip unzip libpng-dev:arm64 --add-architecture" ""

# The README's commands ask for their own part.
for script_part in run-demo.sh:demo run-web.sh:web package-windows.sh:windows; do
  grep -q "setup.sh\" ${script_part#*:}\$" "$SRC/scripts/${script_part%:*}" || { echo "FAIL: ${script_part%:*} does not ask for ${script_part#*:} only"; failures=$((failures + 1)); }
done
[ $failures -eq 0 ] && echo "setup: all cases pass"
exit $((failures > 0))
