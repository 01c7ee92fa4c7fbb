#!/usr/bin/env bash
# The Linux (SDL2) program end to end on Xvfb screens:
#   matches the headless render
#                     640x480x24, both sprite files, pointer at (300,200): the
#                     frame is shown 1:1 and equals the headless render,
#                     compared as RGB565, frame-rate text box aside;
#   Esc ends it       then Esc ends the program with status 0, nothing logged;
#   scaled to 1024x768
#                     the frame is scaled by 1.6 without bars; the pointer at
#                     screen (480,320) is frame (300,200), so the screen,
#                     sampled at the centre of each frame pixel, equals the
#                     same render; Esc ends it with status 0;
#   no display        without DISPLAY the program says so on stderr and ends
#                     with a non-zero status at once.
# Usage: linux_e2e.sh PROGRAM RENDER_TOOL SPRITE_DIR
# Needs Xvfb, xdotool, ImageMagick's import, python3. Leaves nothing behind
# except, for a failed case, a kept directory with its screenshots and logs.
set -euo pipefail

if [ $# -ne 3 ]; then
    echo "usage: $0 PROGRAM RENDER_TOOL SPRITE_DIR" >&2
    exit 2
fi
PROGRAM=$(realpath -e -- "$1")
RENDER_TOOL=$(realpath -e -- "$2")
SPRITE_DIR=$(realpath -e -- "$3")
HERE=$(cd "$(dirname "$0")" && pwd)
COMPARE=$HERE/compare_565.py
TEXT_BOX=0,0,200,50   # where the frame-rate text may differ: the rate itself

for tool in Xvfb xdotool import python3 timeout; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/linux-e2e.XXXXXX")
# Only the X server each case starts may be used; no GPU on a virtual screen,
# and nearest-neighbour scaling (SDL's default) so that pixels stay exact.
unset DISPLAY WAYLAND_DISPLAY SDL_VIDEODRIVER SDL_RENDER_SCALE_QUALITY
export SDL_RENDER_DRIVER=software
XVFB_PID=""
DEMO_PID=""
KEPT=""
failures=0

cleanup() {
    set +e
    trap - ERR
    [ -n "$DEMO_PID" ] && kill "$DEMO_PID" 2>/dev/null && wait "$DEMO_PID" 2>/dev/null
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT
trap 'echo "FAIL: interrupted"; exit 130' INT TERM HUP
# A step that should not fail (xdotool, import) ends the run with a clear line.
set -E
trap 'echo "FAIL: ${name:-set-up}: \"$BASH_COMMAND\" failed (line $LINENO)"' ERR

pass() { echo "PASS: $1 ($(($(date +%s) - case_start)) s)"; }
fail() {  # CASE DIR REASON...
    local name=$1 dir=$2
    shift 2
    failures=$((failures + 1))
    echo "FAIL: $name: $*"
    if [ -s "$dir/stderr.log" ]; then
        echo "    last lines of the program's stderr:"
        tail -n 15 "$dir/stderr.log" | sed 's/^/    | /'
    fi
    KEPT=$(mktemp -d "${TMPDIR:-/tmp}/linux-e2e-failed.XXXXXX")
    cp -r "$dir"/. "$KEPT"/
    echo "    screenshots and logs kept in $KEPT"
}

# start_xvfb GEOMETRY: a new X server on a free display; sets DISPLAY.
start_xvfb() {
    local numfile=$WORK/display.$1
    Xvfb -displayfd 9 -screen 0 "$1" -nolisten tcp -noreset 9>"$numfile" \
        >"$WORK/xvfb.$1.log" 2>&1 &
    XVFB_PID=$!
    local _
    for _ in $(seq 100); do
        if grep -q '^[0-9]' "$numfile" 2>/dev/null; then
            DISPLAY=:$(head -n 1 "$numfile")
            export DISPLAY
            return 0
        fi
        kill -0 "$XVFB_PID" 2>/dev/null || break
        sleep 0.1
    done
    echo "Xvfb $1 did not start:"
    sed 's/^/    /' "$WORK/xvfb.$1.log"
    return 1
}

# stop_session: ends the demo (if still running) and the X server.
stop_session() {
    if [ -n "$DEMO_PID" ]; then
        kill "$DEMO_PID" 2>/dev/null || true
        wait "$DEMO_PID" 2>/dev/null || true
        DEMO_PID=""
    fi
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    fi
    unset DISPLAY
}

# start_demo DIR: runs the program with DIR as its working directory.
start_demo() {
    (cd "$1" && exec timeout -k 5 90 "$PROGRAM") </dev/null >"$1/stdout.log" 2>"$1/stderr.log" &
    DEMO_PID=$!
}

# wait_exit SECONDS: waits for the demo to end; sets STATUS. Fails on timeout.
wait_exit() {
    local deadline=$(($(date +%s) + $1))
    while kill -0 "$DEMO_PID" 2>/dev/null; do
        [ "$(date +%s)" -lt "$deadline" ] || return 1
        sleep 0.2
    done
    STATUS=0
    wait "$DEMO_PID" || STATUS=$?
    DEMO_PID=""
    return 0
}

# wait_window SECONDS: waits for the "Client" window; sets WINDOW. Fails when
# it does not show or the program ends first (STATUS then holds its status).
wait_window() {
    local deadline=$(($(date +%s) + $1))
    STATUS=""
    while [ "$(date +%s)" -lt "$deadline" ]; do
        WINDOW=$(timeout 10 xdotool search --onlyvisible --name '^Client$' 2>/dev/null | head -n 1 || true)
        [ -n "$WINDOW" ] && return 0
        if ! kill -0 "$DEMO_PID" 2>/dev/null; then
            wait_exit 1 || true
            return 1
        fi
        sleep 0.3
    done
    return 1
}

describe_exit() {  # after wait_window failed
    if [ -n "$STATUS" ]; then
        echo "the program ended with status $STATUS before its window appeared"
    else
        echo "no \"Client\" window within the time allowed"
    fi
}

xdo() { timeout 10 xdotool "$@"; }
shot() { timeout 30 import -window root -depth 8 "PNG24:$1"; }
compare565() { timeout 60 python3 "$COMPARE" "$@"; }

# point_at X Y: two moves, so that a motion event arrives even if the pointer
# already rests at the target.
point_at() {
    xdo mousemove "$(($1 - 1))" "$(($2 - 1))"
    xdo mousemove "$1" "$2"
}

# press_escape: the pointer is over the full-screen window, so without a
# window manager the keyboard follows it; the explicit focus is a second route.
press_escape() {
    timeout 5 xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
    xdo key Escape
}

# sample_frame SHOT W H OUT: the W x H frame as a screen scaled to fit without
# bars shows it: the screen pixel at the centre of each frame pixel's area.
# With a scale above 1 that pixel lies inside the area for every frame pixel,
# so any nearest-neighbour scaler shows exactly that frame pixel there, and a
# frame displaced by one pixel differs along every edge.
sample_frame() {
    timeout 60 python3 - "$HERE" "$@" <<'EOF'
import sys
sys.path.insert(0, sys.argv[1])
from compare_565 import PngError, read_png, write_png
shot_path, fw, fh, out = sys.argv[2], int(sys.argv[3]), int(sys.argv[4]), sys.argv[5]
try:
    shot = read_png(shot_path)
except (OSError, PngError) as e:
    sys.exit("sample_frame: %s" % e)
sw, sh = shot.width, shot.height
if sw * fh != sh * fw or sw < fw:
    sys.exit("sample_frame: a %dx%d screen does not show a %dx%d frame scaled up without bars"
             % (sw, sh, fw, fh))
xs = [(2 * x + 1) * sw // (2 * fw) for x in range(fw)]
rows = []
for y in range(fh):
    row = shot.rows[(2 * y + 1) * sh // (2 * fh)]
    rows.append(b"".join(bytes(row[3 * x:3 * x + 3]) for x in xs))
write_png(out, fw, rows)
EOF
}

# until_match DIR X Y SAMPLE: screenshots until the screen (sampled down to
# the frame when SAMPLE is yes) equals DIR/expected.png outside the text box.
# A slow frame may still be on its way, or a move lost: look again, moving
# the pointer again, for a few seconds.
until_match() {
    local dir=$1 x=$2 y=$3 sample=$4 actual=$1/shot.png
    [ "$sample" = yes ] && actual=$dir/sampled.png
    local deadline=$(($(date +%s) + 8))
    while :; do
        shot "$dir/shot.png" || return 1
        if [ "$sample" = yes ]; then
            sample_frame "$dir/shot.png" 640 480 "$actual" >"$dir/compare.txt" 2>&1 || return 1
        fi
        if compare565 --ignore "$TEXT_BOX" --diff "$dir/diff.png" \
            "$actual" "$dir/expected.png" >"$dir/compare.txt" 2>&1; then
            return 0
        fi
        [ "$(date +%s)" -lt "$deadline" ] || return 1
        point_at "$x" "$y"
        sleep 1
    done
}

# esc_ends NAME DIR: presses Esc; the program must end with status 0 within
# 10 s and log nothing. Records PASS or FAIL under NAME.
esc_ends() {
    local name=$1 dir=$2
    press_escape
    if ! wait_exit 10; then
        fail "$name" "$dir" "the program still runs 10 s after Esc"
    elif [ "$STATUS" -ne 0 ]; then
        fail "$name" "$dir" "the program ended with status $STATUS after Esc, expected 0"
    elif [ -e "$dir/ErrLog.txt" ]; then
        fail "$name" "$dir" "ErrLog.txt appeared: $(cat "$dir/ErrLog.txt")"
    else
        pass "$name"
    fi
}

# --- Set-up: the expected frame, rendered headless with the same sprites.
case_start=$(date +%s)
setup_start=$case_start
render=$WORK/render
mkdir "$render"
if ! cp "$SPRITE_DIR/girl.spr" "$SPRITE_DIR/bg.spr" "$render"/; then
    echo "FAIL: set-up: girl.spr and bg.spr are not both in $SPRITE_DIR"
    exit 1
fi
if ! (cd "$render" && timeout -k 5 60 "$RENDER_TOOL" --mouse 300,200 --frames 3 -o expected.png) \
    >"$render/render.log" 2>&1; then
    echo "FAIL: set-up: $RENDER_TOOL failed:"
    tail -n 5 "$render/render.log" | sed 's/^/    | /'
    exit 1
fi

# new_case DIR: a working directory with the sprites and the expected frame.
new_case() {
    mkdir "$1"
    cp "$render/girl.spr" "$render/bg.spr" "$render/expected.png" "$1"/
}

# --- a, b: shown 1:1 it equals the headless render; Esc ends it with status 0.
name="matches the headless render"
case_start=$(date +%s)
dir=$WORK/a
new_case "$dir"
if ! start_xvfb 640x480x24; then
    fail "$name" "$dir" "no X server"
else
    start_demo "$dir"
    if ! wait_window 30; then
        fail "$name" "$dir" "$(describe_exit)"
    else
        point_at 300 200
        sleep 1
        if until_match "$dir" 300 200 no; then
            sed 's/^/    /' "$dir/compare.txt"
            pass "$name"
        else
            grep -v '^diff picture:' "$dir/compare.txt" | sed 's/^/    /' || true
            fail "$name" "$dir" "the screen (shot.png) differs from the render (expected.png) outside $TEXT_BOX"
            [ -f "$KEPT/diff.png" ] && echo "    diff picture, differing pixels in red: $KEPT/diff.png"
        fi
        name="Esc ends it"
        case_start=$(date +%s)
        esc_ends "$name" "$dir"
    fi
fi
stop_session

# --- c: scaled by 1.6; the pointer arrives in frame coordinates.
name="scaled to 1024x768"
case_start=$(date +%s)
dir=$WORK/c
new_case "$dir"
if ! start_xvfb 1024x768x24; then
    fail "$name" "$dir" "no X server"
else
    start_demo "$dir"
    if ! wait_window 30; then
        fail "$name" "$dir" "$(describe_exit)"
    else
        point_at 480 320
        sleep 1
        if until_match "$dir" 480 320 yes; then
            sed 's/^/    sampled at frame pixel centres: /' "$dir/compare.txt"
            esc_ends "$name" "$dir"
        else
            grep -v '^diff picture:' "$dir/compare.txt" | sed 's/^/    /' || true
            fail "$name" "$dir" "the screen (shot.png) sampled at frame pixel centres (sampled.png) differs from the render (expected.png) outside $TEXT_BOX"
            [ -f "$KEPT/diff.png" ] && echo "    diff picture, differing pixels in red: $KEPT/diff.png"
        fi
    fi
fi
stop_session

# --- d: no display: a message on stderr and a non-zero status, at once.
name="no display"
case_start=$(date +%s)
dir=$WORK/d
new_case "$dir"
start_demo "$dir"
if ! wait_exit 10; then
    fail "$name" "$dir" "the program still runs 10 s after starting without a display"
elif [ "$STATUS" -eq 0 ]; then
    fail "$name" "$dir" "the program ended with status 0, expected a failure"
elif [ "$STATUS" -eq 124 ] || [ "$STATUS" -eq 137 ]; then
    fail "$name" "$dir" "the program was stopped by its time limit"
elif ! message=$(grep -m 1 '^spritedemo: ' "$dir/stderr.log"); then
    fail "$name" "$dir" "no \"spritedemo: ...\" message on stderr (status $STATUS)"
elif [ -e "$dir/ErrLog.txt" ]; then
    fail "$name" "$dir" "ErrLog.txt appeared: $(cat "$dir/ErrLog.txt")"
else
    echo "    status $STATUS, stderr: $message"
    pass "$name"
fi

trap - ERR
echo "total $(($(date +%s) - setup_start)) s, $failures failed"
[ "$failures" -eq 0 ]
