# shellcheck shell=bash
# What linux_e2e.sh and wine_e2e.sh share: one X server per case, the demo
# started and waited for, pass/fail reporting with a kept directory, and
# the screen tools. Sourced after `set -euo pipefail`; HERE must name this
# directory. Every function here that sets a global (STATUS, WINDOW, REASON,
# DEMO_PID, XVFB_PID, KEPT, failures) or waits for the demo must run in the
# script's own shell: call it as a command, never inside $(...).
#
# The script defines these for its own program:
#   start_demo DIR           runs the program in DIR in the background; sets DEMO_PID
#   end_program              from the exit trap: ends the demo and whatever it started
#   stop_helpers             after the demo ends in a case, before its X server
#   press_escape             gives WINDOW the keyboard and presses Esc
#   crash_line DIR           prints the program's crash report and succeeds, if it crashed
#   show_program_output DIR  for a failed case, the end of the program's output
#   errlog_text DIR          the text of DIR/ErrLog.txt, for a message

COMPARE=$HERE/compare_565.py
# Debian's interpreter, with Pillow from scripts/setup.sh; another python3
# earlier on PATH may lack it.
PYTHON=${PYTHON:-/usr/bin/python3}

# require_tools TOOL...: ends the run unless every TOOL is installed.
require_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed"; exit 1; }
    done
}

# e2e_begin NAME: the scratch directory WORK (NAME.XXXXXX in TMPDIR), and the
# traps: on exit everything the run started ends and WORK goes.
e2e_begin() {
    E2E_NAME=$1
    WORK=$(mktemp -d "${TMPDIR:-/tmp}/$E2E_NAME.XXXXXX")
    XVFB_PID=""
    DEMO_PID=""
    KEPT=""
    failures=0
    trap cleanup EXIT
    trap 'echo "FAIL: interrupted"; exit 130' INT TERM HUP
    # A step that should not fail (xdotool, import) ends the run with a clear line.
    set -E
    trap 'echo "FAIL: ${name:-set-up}: \"$BASH_COMMAND\" failed (line $LINENO)"' ERR
}

cleanup() {
    set +e
    trap - ERR
    end_program
    [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null && wait "$XVFB_PID" 2>/dev/null
    rm -rf "$WORK"
}

# e2e_end: the summary line; fails when a case failed.
# shellcheck disable=SC2154  # setup_start: the script's set-up sets it
e2e_end() {
    trap - ERR
    echo "total $(($(date +%s) - setup_start)) s, $failures failed"
    [ "$failures" -eq 0 ]
}

# begin_case NAME LETTER: the case's name, its start time and its empty
# working directory WORK/LETTER, as name, case_start and dir.
begin_case() {
    name=$1
    case_start=$(date +%s)
    dir=$WORK/$2
    mkdir "$dir"
}

pass() { echo "PASS: $1 ($(($(date +%s) - case_start)) s)"; }
fail() {  # CASE DIR REASON...
    local name=$1 dir=$2
    shift 2
    failures=$((failures + 1))
    echo "FAIL: $name: $*"
    show_program_output "$dir"
    KEPT=$(mktemp -d "${TMPDIR:-/tmp}/$E2E_NAME-failed.XXXXXX")
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

# stop_session: ends the demo (if still running), its helpers and the X server.
stop_session() {
    if [ -n "$DEMO_PID" ]; then
        kill "$DEMO_PID" 2>/dev/null || true
        wait "$DEMO_PID" 2>/dev/null || true
        DEMO_PID=""
    fi
    stop_helpers
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
        XVFB_PID=""
    fi
    unset DISPLAY
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

# The program's window by its name: "Client", or the bunnymark's title.
WINDOW_NAME='^(Client|[0-9]+ bunnies, .*)$'

# wait_window SECONDS: waits for the program's window; sets WINDOW. Fails when
# it does not show or the program ends first (STATUS then holds its status).
wait_window() {
    local deadline=$(($(date +%s) + $1))
    STATUS=""
    while [ "$(date +%s)" -lt "$deadline" ]; do
        WINDOW=$(timeout 10 xdotool search --onlyvisible --name "$WINDOW_NAME" 2>/dev/null | head -n 1 || true)
        [ -n "$WINDOW" ] && return 0
        if ! kill -0 "$DEMO_PID" 2>/dev/null; then
            wait_exit 1 || true
            return 1
        fi
        sleep 0.3
    done
    return 1
}

describe_exit() {  # DIR, after wait_window failed
    local crash
    if crash=$(crash_line "$1"); then
        echo "the program crashed before its window appeared: $crash"
    elif [ -n "$STATUS" ]; then
        echo "the program ended with status $STATUS before its window appeared"
    else
        echo "no window named $WINDOW_NAME within the time allowed"
    fi
}

xdo() { timeout 10 xdotool "$@"; }
# shot FILE: the screen, or the window SHOT_WINDOW names.
shot() { timeout 30 import -window "${SHOT_WINDOW:-root}" -depth 8 "PNG24:$1"; }
compare565() { timeout 60 "$PYTHON" "$COMPARE" "$@"; }

# retry_shots DIR SECONDS CHECK...: takes DIR/shot.png until CHECK succeeds.
# A slow frame may still be on its way, or a move lost: look again, once a
# second, for up to SECONDS. Fails when the time is up or a screenshot fails.
retry_shots() {
    local dir=$1 deadline=$(($(date +%s) + $2))
    shift 2
    while :; do
        shot "$dir/shot.png" || return 1
        "$@" && return 0
        [ "$(date +%s)" -lt "$deadline" ] || return 1
        sleep 1
    done
}

# matches_render DIR ACTUAL: ACTUAL equals DIR/expected.png outside the text
# box; DIR/compare.txt says how it compared, DIR/diff.png shows where not.
matches_render() {
    compare565 --ignore "$TEXT_BOX" --diff "$1/diff.png" "$2" "$1/expected.png" >"$1/compare.txt" 2>&1
}

# point_at X Y: two moves, so that a motion event arrives even if the pointer
# already rests at the target.
point_at() {
    xdo mousemove "$(($1 - 1))" "$(($2 - 1))"
    xdo mousemove "$1" "$2"
}

# ended_cleanly DIR SECONDS WHEN: waits for the program to end by itself.
# Fails, with the reason in REASON, unless it ended within SECONDS, without a
# crash, with status 0. WHEN says since what ("after Esc").
ended_cleanly() {
    local crash
    if ! wait_exit "$2"; then
        REASON="the program still runs $2 s $3"
    elif crash=$(crash_line "$1"); then
        REASON="the program crashed: $crash"
    elif [ "$STATUS" -ne 0 ]; then
        REASON="the program ended with status $STATUS $3, expected 0"
    else
        return 0
    fi
    return 1
}

# ended_after_escape DIR: ended_cleanly within 10 s of Esc.
ended_after_escape() { ended_cleanly "$1" 10 "after Esc"; }

# esc_ends NAME DIR: presses Esc; the program must end cleanly (see
# ended_after_escape) and log nothing. Records PASS or FAIL under NAME.
esc_ends() {
    local name=$1 dir=$2
    press_escape
    if ! ended_after_escape "$dir"; then
        fail "$name" "$dir" "$REASON"
    elif [ -e "$dir/ErrLog.txt" ]; then
        fail "$name" "$dir" "ErrLog.txt appeared: $(errlog_text "$dir")"
    else
        pass "$name"
    fi
}

# The expected frame: both sprite files, the pointer at (300,200).
copy_sprites() { cp "$SPRITE_DIR/girl.spr" "$SPRITE_DIR/bg.spr" "$1"/; }
# render_expected DIR LOG: DIR/expected.png from the sprites in DIR.
render_expected() {
    (cd "$1" && timeout -k 5 60 "$RENDER_TOOL" --mouse 300,200 --frames 3 -o expected.png) \
        >"$2" 2>&1
}
