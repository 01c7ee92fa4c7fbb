#!/usr/bin/env bash
# The Windows download end to end under Wine on Xvfb screens, its files
# unpacked into a fresh folder:
#   white screen      640x480x16, no sprite files: the mode set succeeds, the
#                     screen is white but for the frame-rate text, Esc ends
#                     the program with status 0 and nothing is logged;
#   broken sprite files
#                     the same screen, a wrong-magic girl.spr and a cut bg.spr:
#                     both are skipped, the same white screen and clean end;
#   bunnymark         the same screen, spritedemo-bunnymark.exe with the zip's
#                     bunny.spr: its window comes and Esc ends it with status
#                     0; without bunny.spr it ends with status 1 at once,
#                     naming the file on standard error;
#   mode set fails    1024x768x24: the mode set fails, the program ends with
#                     status 0 and ErrLog.txt names the step and the code;
#   mode set fails, log blocked
#                     the same screen with a directory named ErrLog.txt in
#                     the way: no crash, status 0, the directory untouched;
#   matches the headless render
#                     (with RENDER_TOOL) on a 1024x768x24 screen, run in the
#                     unpacked folder as README.md and README.txt say, in a
#                     640x480 Wine virtual desktop: the frame with the sample
#                     sprites and the pointer at (300,200) equals the headless
#                     render, compared as RGB565, text box aside; Esc ends it
#                     and nothing is logged.
# Usage: wine_e2e.sh ZIP [RENDER_TOOL]
# Needs wine (64-bit), Xvfb, xdotool, ImageMagick's import, Debian's python3
# with Pillow. Runs in a fresh Wine prefix and fresh X servers; leaves nothing
# behind except, for a failed case, a kept directory with its screenshots and
# logs.
# E2E_WINEDEBUG overrides WINEDEBUG (default -all); set it empty for Wine's own
# default, which shows crash backtraces.
set -euo pipefail

if [ $# -ne 1 ] && [ $# -ne 2 ]; then
    echo "usage: $0 ZIP [RENDER_TOOL]" >&2
    exit 2
fi
ZIP=$(realpath -e -- "$1")
RENDER_TOOL=${2:+$(realpath -e -- "$2")}
HERE=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=e2e_lib.sh source-path=SCRIPTDIR
. "$HERE/e2e_lib.sh"
TEXT_BOX=0,0,200,50   # where the frame-rate text may differ: its font is Wine's

# --- What the shared steps need to know about the program under Wine.

# start_demo DIR: runs the program with DIR as its working directory.
start_demo() {
    (cd "$1" && exec timeout -k 5 150 wine "$EXE") </dev/null >"$1/wine.log" 2>&1 &
    DEMO_PID=$!
}

# end_program: the demo, every process of our prefix, and the directory of
# its server socket: Debian's Wine makes a new TMPDIR/wine-XXXXXX for it,
# names it in the prefix's file "wineserver" and never removes it.
end_program() {
    local server_dir
    [ -n "$DEMO_PID" ] && kill "$DEMO_PID" 2>/dev/null
    [ -d "${WINEPREFIX:-}" ] && timeout 10 wineserver -k 2>/dev/null
    server_dir=$(cat "${WINEPREFIX:-}/wineserver" 2>/dev/null) &&
        [[ $server_dir =~ ^wine-[A-Za-z0-9]{6}$ ]] && rm -rf "${TMPDIR:-/tmp}/$server_dir"
}
stop_helpers() {
    timeout 10 wineserver -k 2>/dev/null || true
    timeout 10 wineserver -w 2>/dev/null || true
}

# crash_line DIR: Wine's report of an unhandled exception, if the program had
# one. Wine's exit status after a crash is not reliable (it can be 0).
crash_line() { grep -m 1 -E 'Unhandled (exception|page fault)|starting debugger' "$1/wine.log"; }

show_program_output() {  # DIR
    if [ -f "$1/wine.log" ] && [ -s "$1/wine.log" ]; then
        echo "    last lines of Wine's output:"
        tail -n 25 "$1/wine.log" | sed 's/^/    | /'
    fi
}

# The Windows text mode ends lines with CRLF.
errlog_text() { tr -d '\r' <"$1/ErrLog.txt"; }

# press_escape: gives the window the keyboard and presses Esc. Without a window
# manager the focus follows the pointer; the explicit focus is a second route.
# A failing xdotool does not end the run here: a lost Esc shows up as the
# program still running 10 s later.
press_escape() {
    {
        xdo mousemove 320 240
        timeout 5 xdotool windowfocus --sync "$WINDOW" 2>/dev/null || true
        xdo key Escape
    } || true
}

# ---
require_tools wine wineserver wineboot Xvfb xdotool import "$PYTHON" timeout unzip
e2e_begin wine-e2e
# What a user gets: the zip's files, and nothing else, in a new folder.
UNPACKED=$WORK/unpacked
if ! unzip -q -d "$UNPACKED" "$ZIP" ||
    [ "$(find "$UNPACKED" -mindepth 1 -printf '%P\n' | LC_ALL=C sort | tr '\n' ' ')" != "README.txt bg.spr bunny.spr girl.spr spritedemo-bunnymark.exe spritedemo.exe " ]; then
    echo "FAIL: set-up: $ZIP does not unpack to README.txt, bg.spr, bunny.spr, girl.spr, spritedemo-bunnymark.exe and spritedemo.exe"
    exit 1
fi
EXE=$UNPACKED/spritedemo.exe
SPRITE_DIR=$UNPACKED
export WINEPREFIX=$WORK/prefix
export WINEDEBUG=${E2E_WINEDEBUG--all}
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export HOME=${HOME:-$WORK}
unset DISPLAY WAYLAND_DISPLAY

# until_white DIR SECONDS: screenshots until all is white outside the text box.
is_white() { compare565 --white --ignore "$TEXT_BOX" "$1/shot.png" >"$1/white.txt" 2>&1; }
until_white() { retry_shots "$1" "$2" is_white "$1"; }

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

# white_until_escape NAME DIR: the window comes, the screen is white outside
# the text box and the text is there, and Esc ends the program cleanly.
white_until_escape() {
    if ! wait_window 60; then
        fail "$1" "$2" "$(describe_exit "$2")"
    elif ! until_white "$2" 15; then
        fail "$1" "$2" "the screen is not white outside the text box $TEXT_BOX: $(cat "$2/white.txt" 2>/dev/null || echo "no screenshot")"
    elif compare565 --white "$2/shot.png" >/dev/null 2>&1; then
        fail "$1" "$2" "the screen is all white: no frame-rate text"
    else
        esc_ends "$1" "$2"
    fi
}

# --- a: the mode set succeeds; no sprite files: white screen; Esc ends with status 0.
begin_case "white screen" a
start_demo "$dir"
white_until_escape "$name" "$dir"

# --- d, on the same screen: a wrong-magic girl.spr and a bg.spr cut inside
# its first frame are refused, so both draws are skipped: white again.
begin_case "broken sprite files" d
printf 'SPRITEX\0\0\0\0\0\0\0\0\1\0\0\0' >"$dir/girl.spr"
printf 'SPRITE\0\0\0\0\0\0\0\0\0\1\0\0\0\0\0\0\0\37\370\0\0' >"$dir/bg.spr"
start_demo "$dir"
white_until_escape "$name" "$dir"

# --- f, g, on the same screen: Esc ends the bunnymark; without bunny.spr it
# names the file and ends with status 1.
begin_case "bunnymark" f
cp "$UNPACKED/bunny.spr" "$dir"/
EXE=$UNPACKED/spritedemo-bunnymark.exe start_demo "$dir"
if ! wait_window 60; then
    fail "$name" "$dir" "$(describe_exit "$dir")"
else
    esc_ends "$name" "$dir"
fi
begin_case "bunnymark without bunny.spr" g
EXE=$UNPACKED/spritedemo-bunnymark.exe start_demo "$dir"
STATUS=""
if ! wait_exit 60 || [ "$STATUS" -ne 1 ] || ! grep -qF "bunny.spr: did not load (cannot open" "$dir/wine.log"; then
    fail "$name" "$dir" "no end with status 1 (${STATUS:-still running after 60 s}) naming bunny.spr on stderr"
else
    pass "$name"
fi
stop_session

# --- b: a 24-bit screen refuses the 16-bit mode; the log names the step and code.
begin_case "mode set fails" b
if ! start_xvfb 1024x768x24; then
    fail "$name" "$dir" "no X server"
else
    start_demo "$dir"
    log=$dir/ErrLog.txt
    if ! ended_cleanly "$dir" 60 "after its start"; then
        fail "$name" "$dir" "$REASON"
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

    # --- e, on the same screen: the log cannot be written, a directory of
    # its name is in the way; the failure costs only the log.
    begin_case "mode set fails, log blocked" e
    mkdir "$dir/ErrLog.txt"
    start_demo "$dir"
    if ! ended_cleanly "$dir" 60 "after its start"; then
        fail "$name" "$dir" "$REASON"
    elif [ ! -d "$dir/ErrLog.txt" ] || [ -n "$(ls -A "$dir/ErrLog.txt")" ]; then
        fail "$name" "$dir" "the ErrLog.txt directory was replaced or written into"
    else
        pass "$name"
    fi
fi
stop_session

# --- c: the real screen equals the headless render of the same scene.
name="matches the headless render"
if [ -z "$RENDER_TOOL" ]; then
    echo "SKIP: $name (give RENDER_TOOL to run it)"
else
    case_start=$(date +%s)
    dir=$WORK/c
    render=$WORK/c-render
    mkdir "$dir" "$render"
    if ! copy_sprites "$render"; then
        fail "$name" "$dir" "girl.spr and bg.spr are not both in $SPRITE_DIR"
    elif ! render_expected "$render" "$dir/render.log"; then
        fail "$name" "$dir" "$RENDER_TOOL failed: $(tail -n 5 "$dir/render.log")"
    elif ! cp "$render/expected.png" "$dir/" || ! start_xvfb 1024x768x24; then
        fail "$name" "$dir" "no expected.png or no X server"
    else
        # The README's command, in the unpacked folder; its output goes to dir.
        (cd "$UNPACKED" && exec timeout -k 5 150 wine explorer /desktop=spritedemo,640x480 spritedemo.exe) \
            </dev/null >"$dir/wine.log" 2>&1 &
        DEMO_PID=$!
        if ! wait_window 60; then
            fail "$name" "$dir" "$(describe_exit "$dir")"
        else
            point_at 300 200
            sleep 2
            matched=true
            # The screen is larger than the virtual desktop: the shots are of the window.
            SHOT_WINDOW=$WINDOW retry_shots "$dir" 8 matches_render "$dir" "$dir/shot.png" || matched=false
            grep -v '^diff picture:' "$dir/compare.txt" | sed 's/^/    /' || true
            if ! $matched; then
                fail "$name" "$dir" "the screen (shot.png) differs from the render (expected.png) outside $TEXT_BOX"
                echo "    diff picture, differing pixels in red: $KEPT/diff.png"
            else
                press_escape
                # The virtual desktop closes a few seconds after its last program.
                if ! ended_cleanly "$dir" 30 "after Esc"; then
                    fail "$name" "$dir" "$REASON"
                elif [ -e "$UNPACKED/ErrLog.txt" ]; then
                    fail "$name" "$dir" "ErrLog.txt appeared: $(errlog_text "$UNPACKED")"
                else
                    pass "$name"
                fi
            fi
        fi
    fi
    stop_session
fi

e2e_end
