"""PNG and SPRITE fixtures for spritetool.sh, and the tests' PNG writer by hand
(raw_png, scanlines); needs Pillow (python3-pil).

  fixtures DIR          write the input PNGs and the expected SPRITE file
  dump FILE...          for each FILE.png, FILE.png.txt with its pixels (8-bit
                        RGBA), one r,g,b,a per line; for each FILE.spr,
                        FILE.spr.txt with frame 0's pixel words in hex
"""
import io
import struct
import sys
import zlib

from PIL import Image


def png(mode, size, pixels, **options):
    """PNG bytes of a picture in Pillow's mode, pixels row after row."""
    image = Image.new(mode, size)
    image.putdata(pixels)
    out = io.BytesIO()
    image.save(out, "PNG", **options)
    return out.getvalue()


def rgba_png(width, pixels):
    return png("RGBA", (width, len(pixels) // width), pixels)


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def raw_png(width, height, depth, colour_type, interlace, scanlines, palette=None, transparency=None):
    """A PNG written by hand: what Pillow will not make (interlaced, any depth
    of any colour type, or lying about its size). scanlines: bytes, or rows
    of bytes compressed as they come."""
    header = struct.pack(">IIBBBBB", width, height, depth, colour_type, 0, 0, interlace)
    z = zlib.compressobj()
    data = b"".join(map(z.compress, [scanlines] if isinstance(scanlines, bytes) else scanlines)) + z.flush()
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + (chunk(b"PLTE", palette) if palette else b"")
            + (chunk(b"tRNS", transparency) if transparency else b"") + chunk(b"IDAT", data) + chunk(b"IEND", b""))


def scanlines(width, height, interlaced, row):
    """The image data, whole or as the seven Adam7 passes: row(y, xs) gives
    the filtered scanline of columns xs of row y."""
    data = b""
    for x0, y0, dx, dy in ([(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2),
                            (0, 1, 1, 2)] if interlaced else [(0, 0, 1, 1)]):
        if x0 < width:  # a pass without columns has no rows either
            data += b"".join(row(y, range(x0, width, dx)) for y in range(y0, height, dy))
    return data


def adam7_rgba_png(width, pixels):
    """pixels as an interlaced 8-bit RGBA PNG, each row unfiltered."""
    height = len(pixels) // width
    return raw_png(width, height, 8, 6, 1, scanlines(
        width, height, True, lambda y, xs: b"\0" + bytes(v for x in xs for v in pixels[y * width + x])))


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
    write("opaque.png", png("RGB", (3, 2), [(255, 0, 0), (0, 255, 0), (0, 0, 255),
                                            (7, 7, 7), (8, 8, 8), (255, 255, 255)]))
    # 2-bit palette, index 0 fully transparent through tRNS, 5x2.
    palette = [(0, 0, 0), (255, 128, 0), (0, 128, 255), (90, 90, 90)]
    write("palette.png", png("P", (5, 2), [0, 1, 2, 3, 0, 3, 2, 1, 0, 1], bits=2, transparency=0,
                             palette=bytes(v for c in palette for v in c)))
    # 16-bit grey, 3x1: only the high byte of each sample counts.
    write("grey16.png", png("I;16", (3, 1), [0x0000, 0x80FF, 0xFFFF]))
    # 8-bit grey with alpha, 2x1.
    write("greyalpha.png", png("LA", (2, 1), [(100, 255), (200, 50)]))
    # Visible pixels that fall on the default key 0xF81F, and one transparent.
    write("keyed.png", rgba_png(4, [(255, 0, 255, 255), (250, 3, 250, 255), (0, 0, 0, 0), (1, 1, 1, 255)]))
    # One pixel too wide for a frame (1-bit grey keeps it small).
    write("wide.png", png("1", (32768, 1), [0] * 32768))
    write("notpng.png", b"GIF89a this is not a PNG at all")
    write("cut.png", rgba_png(4, ALPHA)[:60])
    # ALPHA as 2x6 and 12x1, plain and interlaced: each interlaced one must
    # pack like its plain one. The 2x6 rows arrive out of order (0, 4, 2, then
    # the odd ones), the 12x1 row in parts of columns 8, 4 and 2 apart.
    for width in (2, 12):
        write(f"alpha{width}.png", rgba_png(width, ALPHA))
        write(f"interlaced{width}.png", adam7_rgba_png(width, ALPHA))
    # 32x32 of little order: unpacked, a PNG of 1-4 KiB, which the C library
    # holds until the file is closed.
    write("noise.png", png("RGB", (32, 32), [(i * 2654435761 >> 5 & 255, i * 40503 >> 3 & 255,
                                              i * 2246822519 >> 11 & 255) for i in range(1024)]))
    # Opaque rows before the first translucent pixel, in the last row.
    write("latealpha.png", rgba_png(3, [(9, 99, 199, 255)] * 9 + [(1, 2, 3, 255), (4, 5, 6, 100), (7, 8, 9, 255)]))
    # A few dozen bytes whose header claims 32767x32767 pixels; the data holds one row.
    write("huge.png", raw_png(32767, 32767, 1, 0, 0, bytes(4097)))
    # A loadable file whose blocks do not fit its 2x2 frame.
    bad = b"SPRITE\0" + struct.pack("<IIi", 7, 9, 1)
    bad += struct.pack("<4sH2shhhhhhhh", b"\0" * 4, 0xF81F, b"\0" * 2, 0, 0, 0, 0, -1, -1, 2, 2)
    bad += struct.pack("<I", 6) + b"\0" * 6 + struct.pack("<I", 3) + b"\0" * 3 + struct.pack("<I", 0)
    write("misfit.spr", bad)


def read_rgba(path):
    with Image.open(path) as image:
        assert image.mode == "RGBA", "expected RGBA, not " + image.mode
        return list(image.getdata())


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
