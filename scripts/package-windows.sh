#!/usr/bin/env bash
# Puts the Windows program and the sample sprite files side by side in
# build/windows/package/, the folder a user copies to a Windows machine.
# Needs the windows preset and a preset that packs the sprites (headless or linux).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
art=${1:-$root/build/headless/demo}
package=$root/build/windows/package
mkdir -p "$package"
cp "$root/build/windows/app/spritedemo.exe" "$art/girl.spr" "$art/bg.spr" "$package/"
echo "$package"
