"""PNG and SPRITE fixtures for spritetool.sh, Python standard library only.

  fixtures DIR          write the input PNGs and the expected SPRITE file
  dump FILE...          for each FILE.png, FILE.png.txt with its pixels (8-bit
                        RGBA), one r,g,b,a per line; for each FILE.spr,
                        FILE.spr.txt with frame 0's pixel words in hex
"""
import struct
import sys
import zlib


def chunk(kind, data):
    return (struct.pack(">I", len(data)) + kind + data +
            struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))


def png(width, height, colour_type, depth, rows, palette=None, trns=None):
    """rows: raw bytes of each row without the filter byte."""
    out = b"\x89PNG\r\n\x1a\n"
    out += chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, 0))
    if palette:
        out += chunk(b"PLTE", b"".join(bytes(c) for c in palette))
    if trns is not None:
        out += chunk(b"tRNS", trns)
    out += chunk(b"IDAT", zlib.compress(b"".join(b"\0" + r for r in rows)))
    return out + chunk(b"IEND", b"")


def rgba_png(width, pixels):
    rows = [b"".join(bytes(p) for p in pixels[i:i + width]) for i in range(0, len(pixels), width)]
    return png(width, len(rows), 6, 8, rows)


# 4x3, every kind of alpha: transparent, barely visible, partial, opaque.
ALPHA = [
    (200, 100, 50, 255), (0, 0, 0, 0), (255, 255, 255, 128), (10, 20, 30, 7),
    (255, 0, 0, 255), (0, 255, 0, 200), (0, 0, 255, 1), (123, 45, 67, 254),
    (1, 2, 3, 0), (250, 250, 250, 255), (64, 128, 192, 127), (255, 255, 0, 255),
]


def rgb565(r, g, b):
    return (r >> 3) << 11 | (g >> 2) << 5 | (b >> 3)


def expected_alpha_spr():
    """ALPHA packed with --hotspot 1,2 --offset -3,4 --fixed -1,5 --key 0x001F."""
    key = 0x001F
    out = b"SPRITE\0" + struct.pack("<IIi", 0, 0, 1)
    out += struct.pack("<4sH2shhhhhhhh", b"\0" * 4, key, b"\0" * 2, 1, 2, -3, 4, -1, 5, 4, 3)
    words = [rgb565(*p[:3]) if p[3] else key for p in ALPHA]
    # (0, 0, 255) is the key and visible: it moves to the nearest other value.
    words = [0x003F if (w == key and p[3]) else w for w, p in zip(words, ALPHA)]
    out += struct.pack("<I", 24) + struct.pack("<12H", *words)
    out += struct.pack("<I", 12) + bytes(p[3] for p in ALPHA)
    return out + struct.pack("<I", 0)


def fixtures(directory):
    def write(name, data):
        with open(f"{directory}/{name}", "wb") as f:
            f.write(data)

    write("alpha.png", rgba_png(4, ALPHA))
    write("alpha.expected.spr", expected_alpha_spr())
    # RGB without alpha, 3x2.
    write("opaque.png", png(3, 2, 2, 8, [bytes([255, 0, 0, 0, 255, 0, 0, 0, 255]),
                                          bytes([7, 7, 7, 8, 8, 8, 255, 255, 255])]))
    # 2-bit palette, index 0 fully transparent through tRNS, 5x2.
    write("palette.png", png(5, 2, 3, 2, [bytes([0b00011011, 0b00000000]), bytes([0b11100100, 0b01000000])],
                             palette=[(0, 0, 0), (255, 128, 0), (0, 128, 255), (90, 90, 90)],
                             trns=b"\x00"))
    # 16-bit grey, 3x1: only the high byte of each sample counts.
    write("grey16.png", png(3, 1, 0, 16, [struct.pack(">3H", 0x0000, 0x80FF, 0xFFFF)]))
    # 8-bit grey with alpha, 2x1.
    write("greyalpha.png", png(2, 1, 4, 8, [bytes([100, 255, 200, 50])]))
    # Visible pixels that fall on the default key 0xF81F, and one transparent.
    write("keyed.png", rgba_png(4, [(255, 0, 255, 255), (250, 3, 250, 255), (0, 0, 0, 0), (1, 1, 1, 255)]))
    # One pixel too wide for a frame (1-bit grey keeps it small).
    write("wide.png", png(32768, 1, 0, 1, [bytes(4096)]))
    write("notpng.png", b"GIF89a this is not a PNG at all")
    write("cut.png", rgba_png(4, ALPHA)[:60])
    # A loadable file whose blocks do not fit its 2x2 frame.
    bad = b"SPRITE\0" + struct.pack("<IIi", 7, 9, 1)
    bad += struct.pack("<4sH2shhhhhhhh", b"\0" * 4, 0xF81F, b"\0" * 2, 0, 0, 0, 0, -1, -1, 2, 2)
    bad += struct.pack("<I", 6) + b"\0" * 6 + struct.pack("<I", 3) + b"\0" * 3 + struct.pack("<I", 0)
    write("misfit.spr", bad)


def paeth(a, b, c):
    p = a + b - c
    pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
    return a if pa <= pb and pa <= pc else (b if pb <= pc else c)


def read_rgba(path):
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour_type, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert (depth, colour_type, interlace) == (8, 6, 0), "expected 8-bit RGBA, not interlaced"
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    raw, stride, prev, pixels = zlib.decompress(idat), width * 4, bytearray(width * 4), []
    for y in range(height):
        kind, line = raw[y * (stride + 1)], bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - 4] if i >= 4 else 0
            c = prev[i - 4] if i >= 4 else 0
            line[i] = (line[i] + [0, a, prev[i], (a + prev[i]) // 2, paeth(a, prev[i], c)][kind]) & 255
        pixels += [tuple(line[i:i + 4]) for i in range(0, stride, 4)]
        prev = line
    return pixels


def frame0_words(path):
    data = open(path, "rb").read()
    width, height = struct.unpack("<hh", data[19 + 20:19 + 24])
    size = struct.unpack("<I", data[19 + 24:19 + 28])[0]
    return struct.unpack(f"<{size // 2}H", data[19 + 28:19 + 28 + size])[:width * height]


if __name__ == "__main__":
    if sys.argv[1] == "fixtures":
        fixtures(sys.argv[2])
    elif sys.argv[1] == "dump":
        for path in sys.argv[2:]:
            if path.endswith(".png"):
                lines = [",".join(map(str, p)) for p in read_rgba(path)]
            else:
                lines = [f"{w:04X}" for w in frame0_words(path)]
            with open(path + ".txt", "w") as f:
                f.write("\n".join(lines) + "\n")
