#!/usr/bin/env bash
# A FIFO, a socket, a directory or a device given as an input is refused at
# once by every tool, with the reason, and never waited on.
# Usage: special_files.sh BINARY_DIR SOURCE_DIR [EMULATOR...]
set -u

EMULATOR=("${@:3}")
SPRITETOOL="$1/tools/spritetool/spritetool"
RENDER="$1/tools/render/spritedemo-render"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" && mkfifo fifo && mkdir dir || exit 1
/usr/bin/python3 -c 'import socket; socket.socket(socket.AF_UNIX).bind("socket")' || exit 1
failures=0

# check KIND FILE EXPECTED_STATUS TOOL ARGS...: the tool ends within seconds
# with the status, saying on standard error that FILE is KIND.
check() {
    local kind=$1 file=$2 expected=$3
    shift 3
    timeout 10 "${EMULATOR[@]}" "$@" >out.txt 2>err.txt
    local status=$? run="${1##*/} ${*:2}"
    if [ "$status" -ne "$expected" ]; then
        echo "FAIL: $run exited $status (124: still waiting after 10 s), expected $expected"
        failures=$((failures + 1))
    elif ! grep -F -- "$file" err.txt | grep -qF "$kind, not a regular file"; then
        echo "FAIL: $run: no \"$file\" and \"$kind, not a regular file\" on stderr:"
        sed 's/^/    /' err.txt
        failures=$((failures + 1))
    fi
}

for special in "a FIFO:fifo" "a socket:socket" "a directory:dir" "a device:/dev/null"; do
    kind=${special%%:*} file=${special#*:}
    check "$kind" "$file" 1 "$SPRITETOOL" info "$file"
    check "$kind" "$file" 1 "$SPRITETOOL" unpack "$file" out.png
    check "$kind" "$file" 1 "$SPRITETOOL" pack "$file" -o out.spr
    # The demo's own loader skips it as a missing file and goes on.
    check "$kind" "$file" 0 "$RENDER" --girl "$file" --bg "$file" -o frame.png
done
[ "$failures" -eq 0 ] && echo "special files: all checks passed"
