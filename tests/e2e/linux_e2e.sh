#!/usr/bin/env bash
# The Linux (SDL2) program end to end on Xvfb screens:
#   matches the headless render
#                     640x480x24, both sprite files, pointer at (300,200): the
#                     frame is shown 1:1 and equals the headless render,
#                     compared as RGB565, frame-rate text box aside;
#   Esc ends it       then Esc ends the program with status 0, nothing logged;
#   whole steps at 1920x1080
#                     the frame is shown at 1280x960+320+60 (two whole steps),
#                     black around it; the pointer at screen (920,460) is
#                     frame (300,200), so the screen, sampled at the centre of
#                     each frame pixel, equals the same render; Esc ends it
#                     with status 0;
#   a lost display ends it
#                     the X server stops under the running program: it says
#                     so on stderr and is gone within 5 s (Xlib's own handler
#                     would leave it spinning on the dead connection);
#   no display        without DISPLAY the program says so on stderr and ends
#                     with a non-zero status at once;
#   bunnymark: a press adds bunnies
#                     BUNNYMARK on 640x480x24 with bunny.spr: the window's
#                     title counts 100 bunnies, more once the left button has
#                     been held down a second; Esc ends it with status 0;
#   bunnymark without bunny.spr
#                     it names the file on stderr and ends with status 1.
# Usage: linux_e2e.sh PROGRAM RENDER_TOOL SPRITE_DIR BUNNYMARK
# Needs Xvfb, xdotool, ImageMagick's import, Debian's python3 with Pillow.
# Leaves nothing behind except, for a failed case, a kept directory with its
# screenshots and logs.
set -euo pipefail

if [ $# -ne 4 ]; then
    echo "usage: $0 PROGRAM RENDER_TOOL SPRITE_DIR BUNNYMARK" >&2
    exit 2
fi
PROGRAM=$(realpath -e -- "$1")
RENDER_TOOL=$(realpath -e -- "$2")
SPRITE_DIR=$(realpath -e -- "$3")
BUNNYMARK=$(realpath -e -- "$4")
HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e_lib.sh source-path=SCRIPTDIR
. "$HERE/e2e_lib.sh"
TEXT_BOX=0,0,200,50   # where the frame-rate text may differ: the rate itself

# --- What the shared steps need to know about the native program.

# start_demo DIR: runs the program with DIR as its working directory.
start_demo() {
    (cd "$1" && exec timeout -k 5 90 "$PROGRAM") </dev/null >"$1/stdout.log" 2>"$1/stderr.log" &
    DEMO_PID=$!
}

end_program() {
    [ -n "$DEMO_PID" ] && kill "$DEMO_PID" 2>/dev/null && wait "$DEMO_PID" 2>/dev/null
}
stop_helpers() { :; }   # the program starts no other process

# A native crash shows in the exit status (a signal), nothing else to look for.
crash_line() { return 1; }

show_program_output() {  # DIR
    if [ -s "$1/stderr.log" ]; then
        echo "    last lines of the program's stderr:"
        tail -n 15 "$1/stderr.log" | sed 's/^/    | /'
    fi
}

errlog_text() { cat "$1/ErrLog.txt"; }

# press_escape: the pointer is over the full-screen window, so without a
# window manager the keyboard follows it; the explicit focus is a second route.
press_escape() {
    timeout 5 xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
    xdo key Escape
}

# ---
require_tools Xvfb xdotool import "$PYTHON" timeout
e2e_begin linux-e2e
# Only the X server each case starts may be used; no GPU on a virtual screen,
# and nearest-neighbour scaling (SDL's default) so that pixels stay exact.
unset DISPLAY WAYLAND_DISPLAY SDL_VIDEODRIVER SDL_RENDER_SCALE_QUALITY
export SDL_RENDER_DRIVER=software

# sample_frame SHOT W H OUT: the W x H frame as the screen shows it, at the
# largest whole step that fits, centred: the screen pixel at the centre of
# each frame pixel's area. Says where the frame lies; fails when the screen
# is not black all around it. With a step above 1 that pixel lies inside the
# area for every frame pixel, so any nearest-neighbour scaler shows exactly
# that frame pixel there, and a frame displaced by one pixel differs along
# every edge.
sample_frame() {
    timeout 60 "$PYTHON" - "$HERE" "$@" <<'EOF'
import sys
sys.path.insert(0, sys.argv[1])
from compare_565 import read_png, write_png
shot_path, fw, fh, out = sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5]
try:
    shot = read_png(shot_path)
except (OSError, SyntaxError) as e:
    sys.exit("sample_frame: %s" % e)
sw, sh = shot.width, shot.height
step = min(sw // fw, sh // fh)
if step < 1:
    sys.exit("sample_frame: a %dx%d screen is smaller than the %dx%d frame" % (sw, sh, fw, fh))
left, top = (sw - fw * step) // 2, (sh - fh * step) // 2
frame = "%dx%d+%d+%d" % (fw * step, fh * step, left, top)
lit = lambda rows: sum(len(row) - row.count(0) for row in rows)
if lit(shot.rows) != lit(row[3 * left:3 * (left + fw * step)] for row in shot.rows[top:top + fh * step]):
    sys.exit("sample_frame: the screen is lit outside %s, the frame at %d whole steps" % (frame, step))
xs = [left + x * step + step // 2 for x in range(fw)]
rows = []
for y in range(fh):
    row = shot.rows[top + y * step + step // 2]
    rows.append(b"".join(bytes(row[3 * x:3 * x + 3]) for x in xs))
write_png(out, fw, rows)
print("shown at %s, %d whole steps, black around" % (frame, step))
EOF
}

# matches_screen DIR X Y SAMPLE: DIR/shot.png (sampled down to the frame when
# SAMPLE is yes) equals DIR/expected.png outside the text box. When it does
# not, the pointer moves to X Y again, in case a move was lost.
matches_screen() {
    local dir=$1 actual=$1/shot.png
    if [ "$4" = yes ]; then
        actual=$dir/sampled.png
        sample_frame "$dir/shot.png" 640 480 "$actual" >"$dir/shown.txt" 2>"$dir/compare.txt" || return 1
    fi
    matches_render "$dir" "$actual" && return 0
    point_at "$2" "$3"
    return 1
}

# window_shown NAME DIR GEOMETRY: the program on a new X server of GEOMETRY,
# until its window shows. Records FAIL under NAME and fails when it does not.
window_shown() {
    if ! start_xvfb "$3"; then
        fail "$1" "$2" "no X server"
        return 1
    fi
    start_demo "$2"
    if ! wait_window 30; then
        fail "$1" "$2" "$(describe_exit "$2")"
        return 1
    fi
}

# show_case NAME DIR GEOMETRY X Y SAMPLE WHAT: the program on a new X server
# of GEOMETRY, the pointer at X Y, the screen compared with the render (see
# matches_screen; WHAT names the compared picture in the message). Records FAIL
# under NAME when there is no window or the screen differs. Sets SHOWN and
# MATCHED to yes or no. Call it as a command: a failing step must still end
# the run, and the demo must stay a child of this shell.
show_case() {
    local name=$1 dir=$2 geometry=$3 x=$4 y=$5 sample=$6 what=$7
    SHOWN=no
    MATCHED=no
    if window_shown "$name" "$dir" "$geometry"; then
        SHOWN=yes
        point_at "$x" "$y"
        sleep 1
        if retry_shots "$dir" 8 matches_screen "$dir" "$x" "$y" "$sample"; then
            MATCHED=yes
        else
            grep -v '^diff picture:' "$dir/compare.txt" | sed 's/^/    /' || true
            fail "$name" "$dir" "$what differs from the render (expected.png) outside $TEXT_BOX"
            if [ -f "$KEPT/diff.png" ]; then
                echo "    diff picture, differing pixels in red: $KEPT/diff.png"
            fi
        fi
    fi
}

# --- Set-up: the expected frame, rendered headless with the same sprites.
case_start=$(date +%s)
setup_start=$case_start
render=$WORK/render
mkdir "$render"
if ! copy_sprites "$render"; then
    echo "FAIL: set-up: girl.spr and bg.spr are not both in $SPRITE_DIR"
    exit 1
fi
if ! render_expected "$render" "$render/render.log"; then
    echo "FAIL: set-up: $RENDER_TOOL failed:"
    tail -n 5 "$render/render.log" | sed 's/^/    | /'
    exit 1
fi

# new_case NAME LETTER: begin_case, with the sprites and the expected frame.
new_case() {
    begin_case "$1" "$2"
    cp "$render/girl.spr" "$render/bg.spr" "$render/expected.png" "$dir"/
}

# --- a, b: shown 1:1 it equals the headless render; Esc ends it with status 0.
new_case "matches the headless render" a
show_case "$name" "$dir" 640x480x24 300 200 no "the screen (shot.png)"
if [ "$MATCHED" = yes ]; then
    sed 's/^/    /' "$dir/compare.txt"
    pass "$name"
fi
if [ "$SHOWN" = yes ]; then
    name="Esc ends it"
    case_start=$(date +%s)
    esc_ends "$name" "$dir"
fi
stop_session

# --- c: two whole steps, centred; the pointer arrives in frame coordinates.
new_case "whole steps at 1920x1080" c
show_case "$name" "$dir" 1920x1080x24 920 460 yes \
    "the screen (shot.png) sampled at frame pixel centres (sampled.png)"
if [ "$MATCHED" = yes ]; then
    sed 's/^/    /' "$dir/shown.txt"
    sed 's/^/    sampled at frame pixel centres: /' "$dir/compare.txt"
    esc_ends "$name" "$dir"
fi
stop_session

# ends_saying NAME DIR SECONDS WHEN PATTERN: the program ends within SECONDS
# of WHEN, by itself and with a failure status, a line matching PATTERN on
# stderr and nothing logged. Records PASS or FAIL under NAME.
ends_saying() {
    local message
    if ! wait_exit "$3"; then
        fail "$1" "$2" "the program still runs $3 s after $4"
    elif [ "$STATUS" -eq 0 ] || [ "$STATUS" -eq 124 ] || [ "$STATUS" -eq 137 ]; then
        fail "$1" "$2" "the program ended with status $STATUS, expected a failure of its own"
    elif ! message=$(grep -m 1 -- "$5" "$2/stderr.log"); then
        fail "$1" "$2" "no line matching \"$5\" on stderr (status $STATUS)"
    elif [ -e "$2/ErrLog.txt" ]; then
        fail "$1" "$2" "ErrLog.txt appeared: $(errlog_text "$2")"
    else
        echo "    status $STATUS, stderr: $message"
        pass "$1"
    fi
}

# --- e: the X server goes away under the running program.
new_case "a lost display ends it" e
if window_shown "$name" "$dir" 640x480x24; then
    kill "$XVFB_PID"
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=""
    ends_saying "$name" "$dir" 5 "its X server ended" 'lost the connection to the display'
fi
stop_session

# --- d: no display: a message on stderr and a non-zero status, at once.
new_case "no display" d
start_demo "$dir"
ends_saying "$name" "$dir" 10 "starting without a display" '^spritedemo: '

# --- f: the bunnymark's title counts its bunnies: more after a press held a second.
bunnies() { xdo getwindowname "$WINDOW" | grep -oE '^[0-9]+' || echo none; }
begin_case "bunnymark: a press adds bunnies" f
if cp "$SPRITE_DIR/bunny.spr" "$dir"/ &&
    WINDOW_NAME='^[0-9]+ bunnies' PROGRAM=$BUNNYMARK window_shown "$name" "$dir" 640x480x24; then
    before=$(bunnies)
    point_at 320 240
    xdo mousedown 1
    sleep 1
    xdo mouseup 1
    after=$(bunnies)
    if [ "$before" != 100 ] || ! [ "$after" -gt 100 ] 2>/dev/null; then
        fail "$name" "$dir" "the title counted $before bunnies, then $after after the press (expected 100, then more)"
    else
        echo "    the title counts $before bunnies, then $after"
        esc_ends "$name" "$dir"
    fi
fi
stop_session

# --- g: without bunny.spr the bunnymark names it and ends, before any window.
begin_case "bunnymark without bunny.spr" g
PROGRAM=$BUNNYMARK start_demo "$dir"
ends_saying "$name" "$dir" 10 "its start" 'bunny.spr: did not load (cannot open'


e2e_end
