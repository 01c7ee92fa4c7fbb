#!/usr/bin/env bash
# Sets up a Debian machine, builds the Linux (SDL2) program with its sample
# sprites and runs the demo. With a display it runs until Esc. Without one it
# runs on a virtual Xvfb screen for a few seconds, moves the pointer, saves a
# screenshot and says where.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" demo
cmake --preset linux >/dev/null
cmake --build --preset linux -j "$(nproc 2>/dev/null || echo 2)"

demo=$root/build/linux/demo # girl.spr and bg.spr are here: the demo's working directory
program=$root/build/linux/app/spritedemo
cd "$demo"

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  echo "run-demo: move the mouse; Esc ends the demo"
  exec "$program"
fi

shot=$root/build/linux/demo-screenshot.png
# The X server picks a free display itself and says which (start_xvfb): no
# guessing from lock files, which races with anything else starting one.
HERE=$root/tests/e2e
# shellcheck source=../tests/e2e/e2e_lib.sh source-path=SCRIPTDIR
. "$HERE/e2e_lib.sh"
WORK=$(mktemp -d)
XVFB_PID=""
trap '[ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null; rm -rf "$WORK"' EXIT
start_xvfb 1024x768x24

echo "run-demo: no display here, so the demo runs on a virtual screen ($DISPLAY) for a few seconds"
SDL_RENDER_DRIVER=${SDL_RENDER_DRIVER:-software} "$program" &
demo_pid=$!
sleep 2
# The screen is 1024x768; the 640x480 frame is shown 1:1 in its middle.
xdotool mousemove 400 300
sleep 2
import -window root -depth 8 "PNG24:$shot"
xdotool key Escape
status=0
for _ in $(seq 100); do
  kill -0 "$demo_pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$demo_pid" 2>/dev/null; then
  kill "$demo_pid"
  echo "run-demo: the demo did not end on Esc"
  status=1
else
  wait "$demo_pid" || status=$?
fi
echo "run-demo: screenshot saved to $shot (demo exit status $status)"
exit "$status"
