#!/usr/bin/env bash
# spritetool end to end: pack/unpack round trips, exact file bytes, info on
# good and broken files, usage errors, and no partial output on failure; and
# that spritedemo-render and spritedemo-bunnymark take options and report
# errors the same way.
# Usage: spritetool.sh BINARY_DIR SOURCE_DIR [EMULATOR...]
set -u

TOOL="$1/tools/spritetool/spritetool"
HELPER="$2/tests/tools/spritetool_helper.py"
PYTHON=${PYTHON:-/usr/bin/python3} # Debian's, with Pillow (scripts/setup.sh)
EMULATOR=("${@:3}") # what runs a cross build's tools here, if anything
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
cd "$WORK" || exit 1
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# run EXPECTED_STATUS ARGS...: runs the tool, keeping stdout in out.txt and
# stderr in err.txt; complains when the exit status differs.
run() {
    local expected=$1
    shift
    "${EMULATOR[@]}" "$TOOL" "$@" >out.txt 2>err.txt
    local status=$?
    if [ "$status" -ne "$expected" ]; then
        fail "${TOOL##*/} $* exited $status, expected $expected"
        sed 's/^/    stdout: /' out.txt
        sed 's/^/    stderr: /' err.txt
        return 1
    fi
    return 0
}

expect_in() {  # FILE TEXT WHAT
    grep -qF -- "$2" "$1" || { fail "$3: \"$2\" not in $1:"; sed 's/^/    /' "$1"; }
}

same() {  # A B WHAT
    cmp -s "$1" "$2" || fail "$3: $1 and $2 differ"
}

no_leftovers() {  # WHAT
    local left
    left=$(ls -A | grep -F '.tmp-')
    [ -z "$left" ] || fail "$1: temporary files left behind: $left"
}

[ -x "$TOOL" ] || { echo "FAIL: $TOOL not built"; exit 1; }
"$PYTHON" "$HELPER" fixtures . || { echo "FAIL: cannot write the fixtures"; exit 1; }

# --- Exact bytes: a packed file matches one written independently.
run 0 pack alpha.png -o alpha.spr --hotspot 1,2 --offset=-3,4 --fixed -1,5 --key 0x001F &&
    same alpha.spr alpha.expected.spr "pack with alpha and every placement option"
expect_in err.txt "1 visible pixel" "the visible blue pixel on key 0x001F is reported"

# --- Round trips: pack -> unpack -> pack gives the same file.
roundtrip() {  # NAME PACK-OPTIONS...
    local name=$1
    shift
    run 0 pack "$name.png" -o "$name.a.spr" "$@" &&
        run 0 unpack "$name.a.spr" "$name.back.png" &&
        run 0 pack "$name.back.png" -o "$name.b.spr" "$@" &&
        same "$name.a.spr" "$name.b.spr" "round trip of $name.png with options: $*"
}
roundtrip alpha
roundtrip alpha --no-alpha
roundtrip alpha --key 0xffff --hotspot -32768,32767
roundtrip opaque
roundtrip palette --fixed 7,-1
roundtrip grey16
roundtrip greyalpha --no-alpha --offset 2,2
roundtrip keyed
roundtrip latealpha

# Several frames with options; each frame unpacked and all packed again.
opts=(--hotspot 3,-4 --offset -5,6 --fixed 7,-1 --key 0x07e0)
if run 0 pack alpha.png opaque.png palette.png keyed.png -o multi.spr "${opts[@]}"; then
    expect_in out.txt "wrote multi.spr: 4 frames, the first 4×3, 3 with alpha (spritedemo draws only the first)" \
        "the line after packing several frames"
    for n in 0 1 2 3; do run 0 unpack multi.spr "multi$n.png" --frame "$n"; done
    run 0 pack multi0.png multi1.png multi2.png multi3.png -o multi2.spr "${opts[@]}" &&
        same multi.spr multi2.spr "round trip of four frames"
fi

# --- What pack stores and unpack shows.
run 0 unpack alpha.spr alpha.out.png
run 0 pack keyed.png -o keyed.spr
expect_in err.txt "2 visible pixels" "visible pixels on the default key are reported"
"$PYTHON" "$HELPER" dump alpha.out.png keyed.spr || fail "cannot read alpha.out.png or keyed.spr back"
# (200,100,50) -> 0xCB26 -> widened 206,101,49; transparent and key pixels
# have alpha 0; every other pixel keeps its alpha, even 1 and 7.
for expected in "206,101,49,255" "0,0,255,0" "255,255,255,128" "8,20,24,7" "0,4,255,1" "123,44,66,254"; do
    expect_in alpha.out.png.txt "$expected" "unpacked alpha.spr"
done
[ "$(sed -n 2p alpha.out.png.txt)" = "0,0,255,0" ] || fail "pixel 1 of alpha.spr is not the transparent key"

[ "$(tr '\n' ' ' <keyed.spr.txt)" = "F83F F81E F81F 0000 " ] ||
    fail "keyed.spr pixels: expected F83F F81E F81F 0000, got $(tr '\n' ' ' <keyed.spr.txt)"

run 0 pack opaque.png -o opaque.spr
[ -s err.txt ] && fail "pack of an opaque PNG wrote to stderr: $(cat err.txt)"
expect_in out.txt "wrote opaque.spr: 1 frame, 3×2, without alpha" "the line after packing"
run 0 info opaque.spr
expect_in out.txt "3x2, colour key 0xF81F, hotspot 0,0, offset 0,0, fixed none" "info of opaque.spr"
expect_in out.txt "pixel 12 bytes, alpha 0 bytes, extra 0 bytes" "an opaque PNG gets no alpha block"
run 0 pack palette.png -o palette.spr --hotspot center
expect_in out.txt "wrote palette.spr: 1 frame, 5×2, with alpha" "the line after packing with alpha"
run 0 info palette.spr
expect_in out.txt "alpha 10 bytes" "a PNG with transparent pixels keeps its alpha block"
expect_in out.txt "hotspot 2,1," "--hotspot center of a 5x2 frame"
run 0 pack alpha.png -o bottom.spr --hotspot bottom && run 0 info bottom.spr
expect_in out.txt "hotspot 2,2," "--hotspot bottom of a 4x3 frame"
run 0 pack alpha.png -o noalpha.spr --no-alpha
run 0 info noalpha.spr
expect_in out.txt "alpha 0 bytes" "--no-alpha stores no alpha block"
# Alpha 128 stays visible, 127 becomes the key.
"$PYTHON" "$HELPER" dump noalpha.spr || fail "cannot read noalpha.spr back"
[ "$(sed -n '3p;11p' noalpha.spr.txt | tr '\n' ' ')" = "FFFF F81F " ] ||
    fail "--no-alpha: alpha 128 and 127 gave $(sed -n '3p;11p' noalpha.spr.txt | tr '\n' ' ')"

# --- info
if run 0 info multi.spr; then
    expect_in out.txt "frame count: 4" "info of multi.spr"
    expect_in out.txt "frame 2: 5x2, colour key 0x07E0, hotspot 3,-4, offset -5,6, fixed 7,none" "info of multi.spr"
    expect_in out.txt "frame 0: 4x3" "info of multi.spr"
    expect_in out.txt "pixel 24 bytes, alpha 12 bytes, extra 0 bytes" "info of multi.spr"
    grep -qE "warning|after the last frame" out.txt && fail "info of a packed file warns: $(cat out.txt)"
fi
run 0 info misfit.spr
expect_in out.txt "header values: 0x00000007 0x00000009" "info of misfit.spr"
expect_in out.txt "warning: pixel block is 6 bytes, 2x2 needs 8" "info warns about a short pixel block"
expect_in out.txt "warning: alpha block is 3 bytes, 2x2 needs 0 or 4" "info warns about a short alpha block"
run 1 unpack misfit.spr misfit.png
expect_in err.txt "pixel block holds 6 bytes" "unpack refuses a short pixel block"
[ -e misfit.png ] && fail "unpack of misfit.spr left misfit.png"

head -c 50 multi.spr >cut.spr
run 1 info cut.spr
expect_in err.txt "cut.spr: byte 43: block is larger than the rest of the file" "info of a truncated file"
cp multi.spr extra.spr && printf 'tail' >>extra.spr
run 0 info extra.spr
expect_in out.txt "4 bytes after the last frame" "info of a file with trailing bytes"
run 1 info notpng.png
expect_in err.txt "not a SPRITE file" "info of a file with the wrong magic"
[ -s out.txt ] && fail "info of a wrong-magic file wrote to stdout: $(cat out.txt)"
run 1 info missing.spr
expect_in err.txt "cannot open" "info of a missing file"
run 1 unpack cut.spr cut.out.png
expect_in err.txt "byte 43: block is larger" "unpack of a truncated file"
run 1 unpack multi.spr far.png --frame 4
expect_in err.txt "no frame 4" "unpack of a frame that does not exist"

# --- Failures leave nothing behind and keep an existing output.
run 1 pack alpha.png notpng.png -o broken.spr
expect_in err.txt "notpng.png: not a PNG file" "pack of a non-PNG"
[ -e broken.spr ] && fail "failed pack left broken.spr"
echo old >kept.spr
run 1 pack alpha.png cut.png -o kept.spr
expect_in err.txt "cut.png: bad PNG" "pack of a truncated PNG"
[ "$(cat kept.spr)" = old ] || fail "failed pack changed the existing kept.spr"
run 1 pack wide.png -o wide.spr
expect_in err.txt "32768x1" "pack of a PNG too wide for a frame"
expect_in err.txt "32767" "pack of a PNG too wide for a frame"
# A header claiming 32767x32767 pixels (4 GiB as RGBA) costs no more than the
# rows it holds: refused as damaged inside 512 MiB of address space (room for
# qemu's own mappings), not for lack of memory. AddressSanitizer reserves
# terabytes of address space, so under it the limit is its cap on one
# allocation instead.
if grep -q '^SPRITEDEMO_SANITIZE:BOOL=ON' "$1/CMakeCache.txt" 2>/dev/null; then
    ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}max_allocation_size_mb=256:allocator_may_return_null=1 \
        run 1 pack huge.png -o huge.spr
else
    (ulimit -v 524288 && run 1 pack huge.png -o huge.spr) || failures=$((failures + 1))
fi
expect_in err.txt "huge.png: bad PNG: Not enough image data" "pack of a PNG that claims more rows than it has"
for width in 2 12; do
    run 0 pack "alpha$width.png" -o "alpha$width.spr" && run 0 pack "interlaced$width.png" -o "interlaced$width.spr" &&
        same "alpha$width.spr" "interlaced$width.spr" "an interlaced PNG $width wide packs like the plain one"
done
run 1 pack missing.png -o missing.spr
expect_in err.txt "missing.png: cannot open" "pack of a missing PNG"
run 1 pack alpha.png -o no/such/dir/out.spr
run 1 unpack alpha.spr no/such/dir/out.png
# A write that fails part-way, or only as the file is closed (the file size
# limit in KiB, as a full disk would).
run 0 pack noise.png -o noise.spr
for cut in "4 $1/demo/bg.spr" "1 noise.spr"; do
    (ulimit -f "${cut%% *}" && trap '' XFSZ && run 1 unpack "${cut#* }" big.png) || failures=$((failures + 1))
    expect_in err.txt "big.png" "a write cut short names the file"
    [ -e big.png ] && fail "a write cut short left big.png"
done
no_leftovers "after the failures"
# Outputs get the mode any new file gets under the umask, not mkstemp's 0600.
(umask 027 && run 0 pack alpha.png -o mode.spr && touch mode.ref) || failures=$((failures + 1))
[ "$(stat -c %a mode.spr)" = "$(stat -c %a mode.ref)" ] ||
    fail "pack under umask 027 made mode $(stat -c %a mode.spr), not $(stat -c %a mode.ref)"

# --- An output that is an input is refused, whatever its name, and the input kept.
cp alpha.png kept.png && cp alpha.spr kept.spr && ln kept.spr linked.spr
run 1 pack opaque.png kept.png -o ./kept.png
expect_in err.txt "spritetool: ./kept.png: is the same file as the input kept.png" "pack onto its input"
run 1 unpack kept.spr linked.spr
expect_in err.txt "spritetool: linked.spr: is the same file as the input kept.spr" "unpack onto its input"
same kept.png alpha.png "pack onto its input"
same kept.spr alpha.spr "unpack onto its input"

# --- Usage errors and help.
run 2
run 2 frobnicate
expect_in err.txt "unknown command" "an unknown command"
run 2 pack alpha.png -o x.spr --hotspot 1
expect_in err.txt "--hotspot" "--hotspot 1"
run 2 pack alpha.png -o x.spr --offset 1,40000
run 2 pack alpha.png -o x.spr --fixed 1,2,3
run 2 pack alpha.png -o x.spr --key 0xZZ
expect_in err.txt "--key" "--key 0xZZ"
run 2 pack alpha.png -o x.spr --key 0x10000
run 2 pack alpha.png -o x.spr --bogus
expect_in err.txt "unknown option --bogus" "an unknown option"
run 2 pack alpha.png -o
run 2 pack alpha.png
expect_in err.txt "-o OUT.spr" "pack without -o"
run 2 pack -o x.spr
run 2 unpack alpha.spr
run 2 unpack alpha.spr x.png --frame -1
run 2 info
run 2 info a.spr b.spr
[ -e x.spr ] || [ -e x.png ] && fail "a usage error left an output file"
for command in "" info pack unpack; do
    run 0 $command --help && expect_in out.txt "usage: spritetool $command" "spritetool $command --help"
done
run 0 pack --help && expect_in out.txt "below 128" "pack --help explains --no-alpha"
expect_in out.txt "draws only the first frame" "pack --help says which frame is drawn"
run 2 pack alpha.png -o x.spr --key=0x001F --key 0x07E0
expect_in err.txt "--key given more than once" "a repeated option"
expect_in err.txt "usage: spritetool pack" "a usage error shows the usage line"

# --- spritedemo-render: the same options and messages.
TOOL="$1/tools/render/spritedemo-render"
cp "$1/demo/girl.spr" "$1/demo/bg.spr" .
run 0 --mouse=300,200 --frames 2 --output=frame.png && { [ -s frame.png ] || fail "render wrote no frame.png"; }
run 2 -o a.png --output b.png
expect_in err.txt "spritedemo-render: --output given more than once" "render: a repeated option"
expect_in err.txt "usage: spritedemo-render" "render: a usage error shows the usage line"
run 2 --frames=0 -o a.png
run 2 frame.png
run 1 -o no/such/dir/frame.png
expect_in err.txt "spritedemo-render: no/such/dir/frame.png: cannot" "render: a failed write names the file"
cp girl.spr girl.copy
run 1 -o girl.spr
expect_in err.txt "spritedemo-render: girl.spr: is the same file as the input girl.spr" "render onto its input"
same girl.spr girl.copy "render onto its input"
run 0 --help && expect_in out.txt "usage: spritedemo-render" "render --help"

# --- spritedemo-bunnymark: a bunny.spr it cannot draw is named, with why.
TOOL="$1/bunnymark/spritedemo-bunnymark"
for bunny in "missing.spr:cannot open: No such file or directory" "cut.spr:byte 43: block is larger" \
    "$2/tests/fuzz/corpus/sprite_read/no-frames.spr:it holds no frame"; do
    rm -f bunny.spr && { [ "${bunny%%:*}" = missing.spr ] || cp "${bunny%%:*}" bunny.spr; }
    run 1 -o bunny.png
    expect_in err.txt "spritedemo-bunnymark: bunny.spr: did not load (${bunny#*:}" "bunnymark with ${bunny%%:*}"
done
[ -e bunny.png ] && fail "a bunnymark that did not start left bunny.png"
run 2 --bunnies 200001 -o bunny.png
expect_in err.txt "--bunnies needs a whole number 0..200000" "bunnymark: too many bunnies"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "spritetool: all checks passed"
