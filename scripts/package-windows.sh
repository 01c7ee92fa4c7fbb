#!/usr/bin/env bash
# The Windows download: builds the windows preset (the program and the sample
# sprites, packed by a spritetool built for this machine) and writes
# build/windows/spritedemo-windows.zip holding the stripped spritedemo.exe and
# spritedemo-bunnymark.exe, the sample sprites and README.txt, the files a
# user unpacks into one folder. Installs what it needs first (scripts/setup.sh
# windows).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" windows
cd "$root"
jobs=$(nproc 2>/dev/null || echo 2)
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs"

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
# An exe carries its debug sections; the download does not need them.
programs=()
for exe in app/spritedemo.exe bunnymark/spritedemo-bunnymark.exe; do
    programs+=("${exe#*/}")
    x86_64-w64-mingw32-strip -o "$stage/${exe#*/}" "build/windows/$exe"
done
mapfile -t sprites <build/windows/sample-sprites.txt # girl.spr, bg.spr, bunny.spr (assets/CMakeLists.txt)
for sprite in "${sprites[@]}"; do
    cp "build/windows/demo/$sprite" "$stage/"
done
# Notepad before Windows 10 shows only CRLF line ends as line breaks.
sed 's/$/\r/' docs/windows-README.txt >"$stage/README.txt"
zip=$root/build/windows/spritedemo-windows.zip
rm -f "$zip"
(cd "$stage" && zip -q -X "$zip" "${programs[@]}" "${sprites[@]}" README.txt)
echo "$zip"
