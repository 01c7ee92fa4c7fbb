#!/usr/bin/env bash
# The Windows build end to end under Wine on Xvfb screens:
#   white screen      640x480x16, no sprite files: the mode set succeeds, the
#                     screen is white but for the frame-rate text, Esc ends
#                     the program with status 0 and nothing is logged;
#   mode set fails    1024x768x24: the mode set fails, the program ends with
#                     status 0 and ErrLog.txt names the step and the code;
#   matches the headless render
#                     (with RENDER_TOOL and SPRITE_DIR) the screen with both
#                     sprite files and the pointer at (300,200) equals the
#                     headless render, compared as RGB565, text box aside.
# Usage: wine_e2e.sh EXE [RENDER_TOOL SPRITE_DIR]
# Needs wine (64-bit), Xvfb, xdotool, ImageMagick's import, python3. Runs in a
# fresh Wine prefix and fresh X servers; leaves nothing behind except, for a
# failed case, a kept directory with its screenshots and logs.
# E2E_WINEDEBUG overrides WINEDEBUG (default -all); set it empty for Wine's own
# default, which shows crash backtraces.
set -euo pipefail

if [ $# -ne 1 ] && [ $# -ne 3 ]; then
    echo "usage: $0 EXE [RENDER_TOOL SPRITE_DIR]" >&2
    exit 2
fi
EXE=$(realpath -e -- "$1")
RENDER_TOOL=${2:+$(realpath -e -- "$2")}
SPRITE_DIR=${3:+$(realpath -e -- "$3")}
HERE=$(cd "$(dirname "$0")" && pwd)
COMPARE=$HERE/compare_565.py
TEXT_BOX=0,0,200,50   # where the frame-rate text may differ: its font is Wine's

for tool in wine wineserver wineboot Xvfb xdotool import python3 timeout; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/wine-e2e.XXXXXX")
export WINEPREFIX=$WORK/prefix
export WINEDEBUG=${E2E_WINEDEBUG--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME=${HOME:-$WORK}
unset DISPLAY WAYLAND_DISPLAY
XVFB_PID=""
DEMO_PID=""
failures=0

cleanup() {
    set +e
    trap - ERR
    [ -n "$DEMO_PID" ] && kill "$DEMO_PID" 2>/dev/null
    [ -d "$WINEPREFIX" ] && timeout 10 wineserver -k 2>/dev/null
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
    if [ -f "$dir/wine.log" ] && [ -s "$dir/wine.log" ]; then
        echo "    last lines of Wine's output:"
        tail -n 25 "$dir/wine.log" | sed 's/^/    | /'
    fi
    KEPT=$(mktemp -d "${TMPDIR:-/tmp}/wine-e2e-failed.XXXXXX")
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

# stop_session: ends the demo, every process of our prefix and the X server.
stop_session() {
    if [ -n "$DEMO_PID" ]; then
        kill "$DEMO_PID" 2>/dev/null || true
        wait "$DEMO_PID" 2>/dev/null || true
        DEMO_PID=""
    fi
    timeout 10 wineserver -k 2>/dev/null || true
    timeout 10 wineserver -w 2>/dev/null || true
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    fi
    unset DISPLAY
}

# start_demo DIR: runs the program with DIR as its working directory.
start_demo() {
    (cd "$1" && exec timeout -k 5 150 wine "$EXE") </dev/null >"$1/wine.log" 2>&1 &
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

# press_escape: gives the window the keyboard and presses Esc. Without a window
# manager the focus follows the pointer; the explicit focus is a second route.
press_escape() {
    xdo mousemove 320 240
    timeout 5 xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
    xdo key Escape
}

xdo() { timeout 10 xdotool "$@"; }
shot() { timeout 30 import -window root -depth 8 "PNG24:$1"; }
compare565() { timeout 60 python3 "$COMPARE" "$@"; }

# until_white DIR SECONDS: screenshots until all is white outside the text box.
until_white() {
    local deadline=$(($(date +%s) + $2))
    while :; do
        shot "$1/shot.png" || return 1
        compare565 --white --ignore "$TEXT_BOX" "$1/shot.png" >"$1/white.txt" 2>&1 && return 0
        [ "$(date +%s)" -lt "$deadline" ] || return 1
        sleep 0.5
    done
}

# crash_line DIR: Wine's report of an unhandled exception, if the program had
# one. Wine's exit status after a crash is not reliable (it can be 0).
crash_line() { grep -m 1 -E 'Unhandled (exception|page fault)|starting debugger' "$1/wine.log"; }

# escape_ends_cleanly DIR: presses Esc and waits. Fails, with the reason in
# REASON, unless the program ended within 10 s, without a crash, with status 0.
# (Not for $(...): wait_exit must run in this shell, the demo's parent.)
escape_ends_cleanly() {
    press_escape
    if ! wait_exit 10; then
        REASON="the program still runs 10 s after Esc"
    elif crash=$(crash_line "$1"); then
        REASON="the program crashed: $crash"
    elif [ "$STATUS" -ne 0 ]; then
        REASON="the program ended with status $STATUS after Esc, expected 0"
    else
        return 0
    fi
    return 1
}

describe_exit() {  # DIR, after wait_window failed
    local crash
    if crash=$(crash_line "$1"); then
        echo "the program crashed before its window appeared: $crash"
    elif [ -n "$STATUS" ]; then
        echo "the program ended with status $STATUS before its window appeared"
    else
        echo "no \"Client\" window within the time allowed"
    fi
}

# --- Set-up: one fresh prefix for all cases, made on the first screen.
case_start=$(date +%s)
setup_start=$case_start
if ! start_xvfb 640x480x16; then
    echo "FAIL: set-up: no X server"
    exit 1
fi
if ! timeout -k 5 120 wineboot -i >"$WORK/wineboot.log" 2>&1; then
    echo "FAIL: set-up: wineboot -i failed or took over 120 s"
    tail -n 20 "$WORK/wineboot.log" | sed 's/^/    | /'
    exit 1
fi
# A crash must end the process, not wait on a dialog.
timeout -k 5 60 wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog \
    /t REG_DWORD /d 0 /f >>"$WORK/wineboot.log" 2>&1 || true
echo "set-up: Wine prefix ready ($(($(date +%s) - setup_start)) s)"

# --- a: the mode set succeeds; white screen; Esc ends with status 0.
name="white screen"
case_start=$(date +%s)
dir=$WORK/a
mkdir "$dir"
start_demo "$dir"
if ! wait_window 60; then
    fail "$name" "$dir" "$(describe_exit "$dir")"
elif ! until_white "$dir" 15; then
    fail "$name" "$dir" "the screen is not white outside the text box $TEXT_BOX: $(cat "$dir/white.txt" 2>/dev/null || echo "no screenshot")"
else
    if escape_ends_cleanly "$dir"; then
        if [ -e "$dir/ErrLog.txt" ]; then
            fail "$name" "$dir" "ErrLog.txt appeared: $(tr -d '\r' <"$dir/ErrLog.txt")"
        else
            pass "$name"
        fi
    else
        fail "$name" "$dir" "$REASON"
    fi
fi
stop_session

# --- b: a 24-bit screen refuses the 16-bit mode; the log names the step and code.
name="mode set fails"
case_start=$(date +%s)
dir=$WORK/b
mkdir "$dir"
if ! start_xvfb 1024x768x24; then
    fail "$name" "$dir" "no X server"
else
    start_demo "$dir"
    log=$dir/ErrLog.txt
    if ! wait_exit 60; then
        fail "$name" "$dir" "the program still runs after 60 s"
    elif crash=$(crash_line "$dir"); then
        fail "$name" "$dir" "the program crashed: $crash"
    elif [ "$STATUS" -ne 0 ]; then
        fail "$name" "$dir" "the program ended with status $STATUS, expected 0"
    elif [ ! -f "$log" ]; then
        fail "$name" "$dir" "no ErrLog.txt in the working directory"
    else
        # The Windows text mode ends lines with CRLF: compare with the CRs taken out.
        text=$(tr -d '\r' <"$log")
        line1=$(sed -n 1p <<<"$text")
        line2=$(sed -n 2p <<<"$text")
        lines=$(tr -d '\r' <"$log" | wc -l)
        crlf=$(grep -c $'\r$' "$log" || true)
        if [ "$lines" -ne 2 ] || [ "$(tail -c 1 "$log" | od -An -c | tr -d ' ')" != '\n' ]; then
            fail "$name" "$dir" "ErrLog.txt should hold exactly two whole lines, it holds:$(echo; sed 's/^/    > /' <<<"$text")"
        elif [ "$line1" != "SetDisplayMode faild" ]; then
            fail "$name" "$dir" "first line is \"$line1\", expected \"SetDisplayMode faild\""
        elif ! [[ "$line2" =~ ^Create\ direct\ draw\ faild\ with\ err\ number\ :\ (-[1-9][0-9]*)$ ]]; then
            fail "$name" "$dir" "second line is \"$line2\", expected \"Create direct draw faild with err number : N\" with N negative"
        else
            code=${BASH_REMATCH[1]}
            echo "    err number N = $code (0x$(printf '%08X' $((code & 0xFFFFFFFF)))); $crlf of 2 lines end in CRLF (compared with CR stripped)"
            pass "$name"
        fi
    fi
fi
stop_session

# --- c: the real screen equals the headless render of the same scene.
name="matches the headless render"
if [ -z "$RENDER_TOOL" ]; then
    echo "SKIP: $name (give RENDER_TOOL and SPRITE_DIR to run it)"
else
    case_start=$(date +%s)
    dir=$WORK/c
    render=$WORK/c-render
    mkdir "$dir" "$render"
    if ! cp "$SPRITE_DIR/girl.spr" "$SPRITE_DIR/bg.spr" "$dir"/ ||
        ! cp "$SPRITE_DIR/girl.spr" "$SPRITE_DIR/bg.spr" "$render"/; then
        fail "$name" "$dir" "girl.spr and bg.spr are not both in $SPRITE_DIR"
    elif ! (cd "$render" && timeout -k 5 60 "$RENDER_TOOL" --mouse 300,200 --frames 3 -o expected.png) \
        >"$dir/render.log" 2>&1; then
        fail "$name" "$dir" "$RENDER_TOOL failed: $(tail -n 5 "$dir/render.log")"
    elif ! cp "$render/expected.png" "$dir/" || ! start_xvfb 640x480x16; then
        fail "$name" "$dir" "no expected.png or no X server"
    else
        start_demo "$dir"
        if ! wait_window 60; then
            fail "$name" "$dir" "$(describe_exit "$dir")"
        else
            # Two moves, so that a motion event arrives even if the pointer
            # already rests at the target.
            xdo mousemove 299 199
            xdo mousemove 300 200
            sleep 2
            # A slow frame may still be on its way: look again for a few seconds.
            matched=false
            deadline=$(($(date +%s) + 8))
            while :; do
                shot "$dir/shot.png"
                if compare565 --ignore "$TEXT_BOX" --diff "$dir/diff.png" \
                    "$dir/shot.png" "$dir/expected.png" >"$dir/compare.txt" 2>&1; then
                    matched=true
                    break
                fi
                [ "$(date +%s)" -lt "$deadline" ] || break
                sleep 1
            done
            grep -v '^diff picture:' "$dir/compare.txt" | sed 's/^/    /' || true
            if ! $matched; then
                fail "$name" "$dir" "the screen (shot.png) differs from the render (expected.png) outside $TEXT_BOX"
                echo "    diff picture, differing pixels in red: $KEPT/diff.png"
            else
                if escape_ends_cleanly "$dir"; then
                    pass "$name"
                else
                    fail "$name" "$dir" "$REASON"
                fi
            fi
        fi
    fi
    stop_session
fi

trap - ERR
echo "total $(($(date +%s) - setup_start)) s, $failures failed"
[ "$failures" -eq 0 ]
