#!/usr/bin/python3
"""Makes the sample pictures of tests/data: small files of every file type the
picture loader reads, each beside the picture it must come out as.

Files come from the tools Debian packages (Pillow, ImageMagick, netpbm,
libtiff's tools, libjpeg's, libwebp's, libheif's and libavif's encoders) or,
for the types no tool writes (Autodesk, Dr. Halo, RLA, Photo-CD, metafiles,
a few layouts the tools never choose), are written here byte by byte. The
expected picture is a binary PPM (a PNG for the large Photo-CD), made from
the same source picture by this script, or by the encoding tool's own
decoder for the lossy types.

tests/data/samples.txt lists every sample, one a line:

    FILE EXPECTED BITS TOLERANCE CUT

FILE and EXPECTED relative to tests/data; BITS the reader's pixel format;
TOLERANCE the largest difference allowed in any colour component (0: exact);
CUT "fails" when a shortened copy must be refused (or, where only bytes the
reader does not use were cut, come out as the whole file does), "partial"
when it may give a picture of the whole one's size with what arrived: libjpeg
shows what it has, a GIF's rows beyond its data stay unfilled, a metafile
plays the records it holds, an icon without its whole mask is opaque.

Run with the system's Python: /usr/bin/python3 scripts/make_samples.py
(scripts/setup.sh installs the tools). It rewrites tests/data whole.
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile

from PIL import Image

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DATA = os.path.join(ROOT, "tests", "data")
W, H = 13, 7  # odd sizes, so row padding and partial bytes are exercised
CONVERT = "/usr/bin/convert"  # ImageMagick 6

entries = []  # (file, expected, bits, tolerance, cut)
work = tempfile.mkdtemp(prefix="lumora-samples-")


def run(*args, **kw):
    subprocess.run([str(a) for a in args], check=True, stdout=kw.get("stdout", subprocess.DEVNULL),
                   stderr=subprocess.PIPE)


def scratch(name):
    return os.path.join(work, name)


def target(rel):
    path = os.path.join(DATA, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    return path


def expect(rel, image):
    """Writes the expected picture of rel (RGB) beside it and returns its name."""
    name = rel + ".expected." + ("png" if image.width * image.height > 10000 else "ppm")
    image.convert("RGB").save(target(name))
    return name


def add(rel, expected_image, bits, tolerance=0, cut="fails"):
    entries.append((rel, expect(rel, expected_image), bits, tolerance, cut))


# Source pictures --------------------------------------------------------

def busy(w=W, h=H):
    """Many distinct colours: every component changes from pixel to pixel."""
    im = Image.new("RGB", (w, h))
    im.putdata([((x * 37 + y * 11) % 256, (x * 13 + y * 59) % 256, (x * y * 7 + 90) % 256)
                for y in range(h) for x in range(w)])
    return im


def smooth(w=W, h=H):
    """Gentle gradients, for the lossy types."""
    im = Image.new("RGB", (w, h))
    im.putdata([(40 + x * 12, 60 + y * 20, 200 - x * 6 - y * 5) for y in range(h) for x in range(w)])
    return im


def grey(w=W, h=H):
    im = Image.new("L", (w, h))
    im.putdata([(x * 19 + y * 31) % 256 for y in range(h) for x in range(w)])
    return im


def bilevel(w=W, h=H):
    im = Image.new("1", (w, h))
    im.putdata([0 if (x + 2 * y) % 3 == 0 else 255 for y in range(h) for x in range(w)])
    return im


PALETTE16 = [(0, 0, 0), (255, 255, 255), (200, 30, 40), (30, 160, 60), (20, 40, 200), (250, 220, 0),
             (0, 200, 220), (180, 0, 180), (120, 120, 120), (90, 50, 20), (255, 128, 0), (128, 255, 128),
             (64, 0, 128), (10, 90, 90), (230, 170, 190), (60, 60, 60)]


def palette_image(colours, w=W, h=H):
    im = Image.new("P", (w, h))
    flat = [c for rgb in colours for c in rgb]
    im.putpalette(flat + [0] * (768 - len(flat)))
    im.putdata([(x + 3 * y) % len(colours) for y in range(h) for x in range(w)])
    return im


PALETTE256 = [(i, (i * 3) % 256, 255 - i) for i in range(256)]


def palette256(w=W, h=H):
    im = palette_image(PALETTE256, w, h)
    im.putdata([(x * 7 + y * 29) % 256 for y in range(h) for x in range(w)])
    return im


def five_bit(w=W, h=H, green_bits=5):
    """Colours that 5-bit components (and a 6-bit green) hold exactly: the
    stored bits repeated to fill the byte, (v << 3) | (v >> 2)."""
    e = lambda v: (v << 3) | (v >> 2)
    e6 = lambda v: (v << 2) | (v >> 4)
    green = (lambda x, y: e((x + y * 9) % 32)) if green_bits == 5 else (lambda x, y: e6((x * 3 + y * 17) % 64))
    im = Image.new("RGB", (w, h))
    im.putdata([(e((x * 5 + y) % 32), green(x, y), e((x * y + 3) % 32)) for y in range(h) for x in range(w)])
    return im


def with_alpha(im):
    """RGBA with whole opacity and whole transparency on a pattern."""
    rgba = im.convert("RGBA")
    rgba.putalpha(Image.frombytes("L", im.size, bytes(0 if (x * 3 + y) % 5 == 0 else 255
                                                      for y in range(im.height) for x in range(im.width))))
    return rgba


def over_black(rgba):
    black = Image.new("RGBA", rgba.size, (0, 0, 0, 255))
    return Image.alpha_composite(black, rgba).convert("RGB")


def rgb_of(im):
    return im.convert("RGB")


def save_png(im, name):
    path = scratch(name)
    im.save(path)
    return path


def ppm_of(path, decoder_args):
    """A tool's decoding of path as an RGB image."""
    out = scratch("decoded.ppm")
    run(*decoder_args(path, out))
    return Image.open(out).convert("RGB")


# Byte writers for what no tool makes -----------------------------------

def le16(v):
    return struct.pack("<H", v & 0xFFFF)


def le32(v):
    return struct.pack("<I", v & 0xFFFFFFFF)  # negative numbers as two's complement


def be16(v):
    return struct.pack(">H", v & 0xFFFF)


def be32(v):
    return struct.pack(">I", v & 0xFFFFFFFF)


def write(rel, data):
    with open(target(rel), "wb") as f:
        f.write(data)


def bmp_file(info, palette, rows):
    body = info + palette + rows
    return b"BM" + le32(14 + len(body)) + le32(0) + le32(14 + len(info) + len(palette)) + body


def bmp_rows24(im, top_down):
    px = im.load()
    out = bytearray()
    ys = range(im.height) if top_down else range(im.height - 1, -1, -1)
    for y in ys:
        row = bytearray()
        for x in range(im.width):
            r, g, b = px[x, y]
            row += bytes((b, g, r))
        row += bytes(-len(row) % 4)
        out += row
    return bytes(out)


def bmp_info(bits, compression, top_down=False):
    return le32(40) + le32(W) + le32(-H if top_down else H) + le16(1) + le16(bits) + le32(compression) + le32(0) * 5


def bmp_rows16(im, green_bits):
    """Bottom-up rows of 16-bit pixels, red and blue 5 bits, green 5 or 6."""
    px = im.load()
    out = bytearray()
    for y in range(im.height - 1, -1, -1):
        row = bytearray()
        for x in range(im.width):
            r, g, b = px[x, y]
            row += le16((r >> 3) << (5 + green_bits) | (g >> (8 - green_bits)) << 5 | b >> 3)
        out += row + bytes(-len(row) % 4)
    return bytes(out)


def bmp_rle4(im):
    """RLE4 rows, bottom-up: runs of up to 8 pixels (two colours
    alternating in one byte), each row ended by 0 0, the picture by 0 1."""
    px = im.load()
    out = bytearray()
    for y in range(im.height - 1, -1, -1):
        row = [px[x, y] for x in range(im.width)]
        for start in range(0, len(row), 8):
            part = row[start:start + 8]
            second = part[1] if len(part) > 1 else 0
            if all(v == part[i % 2] for i, v in enumerate(part)):
                out += bytes((len(part), part[0] << 4 | second))
            else:  # absolute mode: the pixels as they are, padded to 2 bytes
                packed = bytearray((len(part) + 1) // 2)
                for i, v in enumerate(part):
                    packed[i // 2] |= v << (4 if i % 2 == 0 else 0)
                out += bytes((0, len(part))) + packed + bytes(len(packed) % 2)
        out += b"\0\0"
    return bytes(out[:-2]) + b"\0\1"


# BMP, DIB, RLE ---------------------------------------------------------

def make_bmp():
    src = busy()
    bilevel().save(target("bmp/bits1.bmp"))
    add("bmp/bits1.bmp", rgb_of(bilevel()), 1)
    p16 = palette_image(PALETTE16)
    p16_ppm = scratch("p16.ppm")
    rgb_of(p16).save(p16_ppm)
    with open(target("bmp/bits4.bmp"), "wb") as out:
        run("ppmtobmp", "-bpp=4", p16_ppm, stdout=out)
    add("bmp/bits4.bmp", rgb_of(p16), 4)
    write("bmp/rle4.bmp", bmp_file(bmp_info(4, 2), b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE16),
                                   bmp_rle4(p16)))
    add("bmp/rle4.bmp", rgb_of(p16), 4)
    p256 = palette256()
    p256.save(target("bmp/bits8.bmp"))
    add("bmp/bits8.bmp", rgb_of(p256), 8)
    run(CONVERT, save_png(p256, "p256.png"), "-type", "Palette", "-compress", "RLE", "BMP3:" + target("bmp/rle8.bmp"))
    add("bmp/rle8.bmp", rgb_of(p256), 8)
    shutil.copy(target("bmp/rle8.bmp"), target("bmp/rle8.rle"))
    add("bmp/rle8.rle", rgb_of(p256), 8)
    src.save(target("bmp/bits24.bmp"))
    add("bmp/bits24.bmp", src, 24)
    # 16-bit pixels, written here: 5-5-5 without masks, 5-6-5 with them.
    five = five_bit()
    write("bmp/rgb555.bmp", bmp_file(bmp_info(16, 0), b"", bmp_rows16(five, 5)))
    add("bmp/rgb555.bmp", five, 15)
    six = five_bit(green_bits=6)
    masks = le32(0xF800) + le32(0x07E0) + le32(0x001F)
    write("bmp/rgb565.bmp", bmp_file(bmp_info(16, 3), masks, bmp_rows16(six, 6)))
    add("bmp/rgb565.bmp", six, 24)
    rgba = with_alpha(src)
    run(CONVERT, save_png(rgba, "rgba.png"), "BMP:" + target("bmp/bits32.bmp"))
    add("bmp/bits32.bmp", src, 32)
    # Written here: top-down rows, the 12-byte core header, and a .dib
    # without the file header.
    info = bmp_info(24, 0, top_down=True)
    write("bmp/top_down.bmp", bmp_file(info, b"", bmp_rows24(src, True)))
    add("bmp/top_down.bmp", src, 24)
    core = le32(12) + le16(W) + le16(H) + le16(1) + le16(8)
    pal = b"".join(bytes((b, g, r)) for r, g, b in PALETTE256)
    px = p256.load()
    rows = b"".join(bytes(px[x, y] for x in range(W)) + bytes(-W % 4) for y in range(H - 1, -1, -1))
    write("bmp/core_header.bmp", bmp_file(core, pal, rows))
    add("bmp/core_header.bmp", rgb_of(p256), 8)
    with open(target("bmp/bits24.bmp"), "rb") as f:
        write("bmp/no_file_header.dib", f.read()[14:])
    add("bmp/no_file_header.dib", src, 24)


# Icons -----------------------------------------------------------------

def icon_file(w, h, bits, palette, colour_rows, mask_rows):
    info = le32(40) + le32(w) + le32(2 * h) + le16(1) + le16(bits) + le32(0) * 6
    image = info + palette + colour_rows + mask_rows
    entry = bytes((w % 256, h % 256, len(palette) // 4 % 256, 0)) + le16(1) + le16(bits) + le32(len(image)) + le32(22)
    return le16(0) + le16(1) + le16(1) + entry + image


def mask_of(alpha_at, w, h):
    out = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray((w + 7) // 8)
        for x in range(w):
            if alpha_at(x, y) == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row + bytes(-len(row) % 4)
    return bytes(out)


def make_icon():
    transparent = lambda x, y: 0 if (x + y) % 4 == 0 else 255
    # 4 and 8 bits with an AND mask; masked pixels come out black.
    for bits, im, colours in ((4, palette_image(PALETTE16), PALETTE16), (8, palette256(), PALETTE256)):
        pal = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
        px = im.load()
        rows = bytearray()
        for y in range(H - 1, -1, -1):
            if bits == 8:
                row = bytearray(px[x, y] for x in range(W))
            else:
                row = bytearray((W + 1) // 2)
                for x in range(W):
                    row[x // 2] |= px[x, y] << (4 if x % 2 == 0 else 0)
            rows += row + bytes(-len(row) % 4)
        write(f"ico/bits{bits}_mask.ico", icon_file(W, H, bits, pal, bytes(rows), mask_of(transparent, W, H)))
        expected = rgb_of(im)
        ep = expected.load()
        for y in range(H):
            for x in range(W):
                if transparent(x, y) == 0:
                    ep[x, y] = (0, 0, 0)
        add(f"ico/bits{bits}_mask.ico", expected, 32, 0, "partial")
    # ImageMagick's icon: 32 bits with alpha.
    rgba = with_alpha(busy(16, 16))
    run(CONVERT, save_png(rgba, "icon.png"), target("ico/bits32_alpha.ico"))
    add("ico/bits32_alpha.ico", over_black(rgba), 32)


# JPEG ------------------------------------------------------------------

def djpeg(path, out):
    return ["djpeg", "-ppm", "-outfile", out, path]


def make_jpeg():
    src = smooth()
    ppm = scratch("smooth.ppm")
    src.save(ppm)
    for name, args, bits in (("colour", [], 24), ("progressive", ["-progressive"], 24),
                             ("grey", ["-grayscale"], 8), ("colour_444", ["-sample", "1x1"], 24),
                             ("restart_markers", ["-restart", "1B"], 24)):
        rel = f"jpeg/{name}.jpg"
        run("cjpeg", "-quality", "90", *args, "-outfile", target(rel), ppm)
        add(rel, ppm_of(target(rel), djpeg), bits, 0, "partial")
    shutil.copy(target("jpeg/colour.jpg"), target("jpeg/colour.jpeg"))
    add("jpeg/colour.jpeg", ppm_of(target("jpeg/colour.jpg"), djpeg), 24, 0, "partial")
    # Exif orientations: the photograph is stored turned, the reader turns it
    # upright again.
    upright = smooth(16, 8)
    upright.save(target("jpeg/upright.jpg"), quality=90)
    add("jpeg/upright.jpg", ppm_of(target("jpeg/upright.jpg"), djpeg), 24, 0, "partial")
    for orientation, stored in ((3, upright.transpose(Image.Transpose.ROTATE_180)),
                                (6, upright.transpose(Image.Transpose.ROTATE_90)),
                                (8, upright.transpose(Image.Transpose.ROTATE_270))):
        rel = f"jpeg/orientation_{orientation}.jpg"
        exif = Image.Exif()
        exif[0x0112] = orientation
        stored.save(target(rel), quality=90, exif=exif.tobytes())
        decoded = ppm_of(target(rel), djpeg)
        back = {3: Image.Transpose.ROTATE_180, 6: Image.Transpose.ROTATE_270, 8: Image.Transpose.ROTATE_90}
        add(rel, decoded.transpose(back[orientation]), 24, 0, "partial")
    # CMYK (Adobe's inverted samples), through ImageMagick.
    rel = "jpeg/cmyk.jpg"
    run(CONVERT, save_png(src, "smooth.png"), "-colorspace", "CMYK", "-quality", "95", target(rel))
    add(rel, src, 24, 12, "partial")


# PNG -------------------------------------------------------------------

def make_png():
    src = busy()
    bilevel().save(target("png/bits1.png"))
    add("png/bits1.png", rgb_of(bilevel()), 24)
    grey().save(target("png/grey8.png"))
    add("png/grey8.png", rgb_of(grey()), 24)
    grey_alpha = with_alpha(grey()).convert("LA")
    grey_alpha.save(target("png/grey_alpha.png"))
    add("png/grey_alpha.png", over_black(grey_alpha.convert("RGBA")), 24)
    run(CONVERT, save_png(grey(), "grey.png"), "-depth", "16", "-define", "png:color-type=0",
        "-define", "png:bit-depth=16", "-strip", target("png/grey16.png"))
    add("png/grey16.png", rgb_of(grey()), 24)
    p16 = palette_image(PALETTE16)
    p16.save(target("png/palette4.png"), bits=4)
    add("png/palette4.png", rgb_of(p16), 24)
    src.save(target("png/rgb8.png"))
    add("png/rgb8.png", src, 24)
    rgba = with_alpha(src)
    rgba.save(target("png/rgba8.png"))
    add("png/rgba8.png", over_black(rgba), 24)
    run(CONVERT, save_png(src, "busy.png"), "-depth", "16", "-strip", "PNG48:" + target("png/rgb16.png"))
    add("png/rgb16.png", src, 24)
    run(CONVERT, save_png(src, "busy.png"), "-interlace", "PNG", "-strip", target("png/interlaced.png"))
    add("png/interlaced.png", src, 24)
    # A palette with one transparent entry (tRNS).
    tp = palette_image(PALETTE16)
    tp.save(target("png/palette_trns.png"), transparency=2)
    expected = rgb_of(tp)
    ep, ip = expected.load(), tp.load()
    for y in range(H):
        for x in range(W):
            if ip[x, y] == 2:
                ep[x, y] = (0, 0, 0)
    add("png/palette_trns.png", expected, 24)


# WebP, HEIF, AVIF ------------------------------------------------------

def make_webp():
    src = busy()
    rel = "webp/lossless.webp"
    run("cwebp", "-quiet", "-lossless", save_png(src, "busy.png"), "-o", target(rel))
    add(rel, src, 24)
    rgba = with_alpha(src)
    rel = "webp/lossless_alpha.webp"
    run("cwebp", "-quiet", "-lossless", "-exact", save_png(rgba, "rgba.png"), "-o", target(rel))
    add(rel, over_black(rgba), 24)
    rel = "webp/animated.webp"
    src.save(target(rel), save_all=True, append_images=[smooth()], lossless=True, duration=200)
    add(rel, src, 24)
    rel = "webp/lossy.webp"
    run("cwebp", "-quiet", "-q", "90", save_png(smooth(), "smooth.png"), "-o", target(rel))
    add(rel, ppm_of(target(rel), lambda p, o: ["dwebp", "-quiet", p, "-ppm", "-o", o]), 24, 2)


def make_heif():
    src = smooth()
    for rel, args in (("heif/lossy.heic", []), ("heif/lossy.avif", ["-A"])):
        run("heif-enc", "-q", "90", *args, "-o", target(rel), save_png(src, "smooth.png"))
        decoded = scratch("heif.png")
        run("heif-convert", target(rel), decoded)
        add(rel, Image.open(decoded).convert("RGB"), 24, 3, "fails")
    shutil.copy(target("heif/lossy.heic"), target("heif/lossy.heif"))
    decoded = scratch("heif.png")
    run("heif-convert", target("heif/lossy.heif"), decoded)
    add("heif/lossy.heif", Image.open(decoded).convert("RGB"), 24, 3, "fails")
    rel = "heif/avifenc.avif"
    run("avifenc", "--min", "8", "--max", "12", save_png(src, "smooth.png"), target(rel), stdout=subprocess.DEVNULL)
    decoded = scratch("avif.png")
    run("avifdec", target(rel), decoded, stdout=subprocess.DEVNULL)
    add(rel, Image.open(decoded).convert("RGB"), 24, 3, "fails")


# GIF -------------------------------------------------------------------

def make_gif():
    p16 = palette_image(PALETTE16)
    p16.save(target("gif/palette16.gif"), interlace=False, optimize=False)
    add("gif/palette16.gif", rgb_of(p16), 8, 0, "partial")
    p256 = palette256(W, 21)
    p256.save(target("gif/interlaced.gif"), interlace=True, optimize=False)
    add("gif/interlaced.gif", rgb_of(p256), 8, 0, "partial")
    # A graphic control extension (its transparency is not used) and a
    # comment before the image.
    p16.save(target("gif/extensions.gif"), interlace=False, optimize=False, transparency=3, duration=100,
             comment=b"made by make_samples.py")
    add("gif/extensions.gif", rgb_of(p16), 8, 0, "partial")
    two = palette_image([(0, 0, 0), (255, 255, 255)])
    two.save(target("gif/two_colours.gif"), interlace=False, optimize=False)
    add("gif/two_colours.gif", rgb_of(two), 8, 0, "partial")
    run(CONVERT, save_png(busy(), "busy.png"), "-colors", "200", "+dither", target("gif/magick.gif"))
    add("gif/magick.gif", Image.open(target("gif/magick.gif")).convert("RGB"), 8, 0, "partial")


# TIFF ------------------------------------------------------------------

def cmyk_to_rgb(c, m, y, k):
    muldiv = lambda a, b: (a * b + 127) // 255
    clamp = lambda v: max(0, min(255, v))
    return (clamp(255 - c - k + muldiv(c, k)), clamp(255 - m - k + muldiv(m, k)), clamp(255 - y - k + muldiv(y, k)))


def cmyk_source(w=W, h=H):
    return [((x * 20) % 256, (y * 36) % 256, (x * y * 3) % 256, (x + y) * 6) for y in range(h) for x in range(w)]


def small_tiff(photometric, bits, strip):
    """A little-endian TIFF of one uncompressed strip, written here for the
    layouts the tools do not write."""
    spp = len(bits)
    tags = {256: (3, [W]), 257: (3, [H]), 258: (3, bits), 259: (3, [1]), 262: (3, [photometric]),
            273: (4, [0]), 277: (3, [spp]), 278: (3, [H]), 279: (4, [len(strip)])}
    ifd_size = 2 + 12 * len(tags) + 4
    extra_at = 8 + ifd_size
    extra = b"".join(le16(v) for v in bits) if spp > 2 else b""
    tags[273] = (4, [extra_at + len(extra)])
    ifd = le16(len(tags))
    for tag, (kind, values) in sorted(tags.items()):
        if kind == 3 and len(values) > 2:
            value = le32(extra_at)
        elif kind == 3:
            value = b"".join(le16(v) for v in values).ljust(4, b"\0")
        else:
            value = le32(values[0])
        ifd += le16(tag) + le16(kind) + le32(len(values)) + value
    return b"II*\0" + le32(8) + ifd + le32(0) + extra + strip


def lab_to_rgb(L, a, b):
    """8-bit CIE L*a*b* (a and b signed) to red, green, blue."""
    l = L / 2.55
    if l < 7.9996:
        y = l / 903.3
        x, z = y + a / 3893.5, y - b / 1557.4
    else:
        f = (l + 16) / 116
        x, y, z = (f + a / 500) ** 3, f ** 3, (f - b / 200) ** 3
    blue = 0.099 * x - 0.198 * y + 1.099 * z
    green = -0.952 * x + 1.893 * y + 0.059 * z
    red = 2.998 * x - 1.458 * y - 0.541 * z
    return tuple(max(0, min(255, round(v * 255))) for v in (red, green, blue))


def make_tiff():
    src = busy()
    for compression in ("raw", "tiff_lzw", "packbits", "tiff_adobe_deflate"):
        rel = f"tiff/rgb_{compression.replace('tiff_', '')}.tif"
        src.save(target(rel), compression=compression)
        add(rel, src, 24)
    shutil.copy(target("tiff/rgb_raw.tif"), target("tiff/rgb_raw.tiff"))
    add("tiff/rgb_raw.tiff", src, 24)
    grey().save(target("tiff/grey8.tif"))
    add("tiff/grey8.tif", rgb_of(grey()), 8)
    bilevel().save(target("tiff/bits1.tif"))
    add("tiff/bits1.tif", rgb_of(bilevel()), 1)
    palette256().save(target("tiff/palette8.tif"))
    add("tiff/palette8.tif", rgb_of(palette256()), 8)
    rgba = with_alpha(src)
    rgba.save(target("tiff/rgba.tif"))
    add("tiff/rgba.tif", src, 32)
    cmyk = Image.new("CMYK", (W, H))
    cmyk.putdata(cmyk_source())
    cmyk.save(target("tiff/cmyk.tif"))
    expected = Image.new("RGB", (W, H))
    expected.putdata([cmyk_to_rgb(*p) for p in cmyk_source()])
    add("tiff/cmyk.tif", expected, 24)
    # libtiff's tools: big-endian, predictor 2, rows per strip, 16 bits.
    run("tiffcp", "-B", "-c", "none", target("tiff/rgb_raw.tif"), target("tiff/rgb_big_endian.tif"))
    add("tiff/rgb_big_endian.tif", src, 24)
    run("tiffcp", "-c", "lzw:2", "-r", "2", target("tiff/rgb_raw.tif"), target("tiff/lzw_predictor_strips.tif"))
    add("tiff/lzw_predictor_strips.tif", src, 24)
    run("tiffcp", "-B", "-c", "zip", target("tiff/grey8.tif"), target("tiff/grey_deflate_big_endian.tif"))
    add("tiff/grey_deflate_big_endian.tif", rgb_of(grey()), 8)
    run(CONVERT, save_png(src, "busy.png"), "-depth", "16", "-compress", "None", target("tiff/rgb16.tif"))
    add("tiff/rgb16.tif", src, 24)
    # Written here: 4-bit grey where white is zero, and CIE L*a*b*.
    values = [(x + 2 * y) % 16 for y in range(H) for x in range(W)]
    strip = bytearray()
    for y in range(H):
        row = bytearray((W + 1) // 2)
        for x in range(W):
            row[x // 2] |= values[y * W + x] << (4 if x % 2 == 0 else 0)
        strip += row
    write("tiff/grey4_white_is_zero.tif", small_tiff(0, [4], bytes(strip)))
    white_is_zero = Image.frombytes("L", (W, H), bytes(16 * (15 - v) for v in values))
    add("tiff/grey4_white_is_zero.tif", rgb_of(white_is_zero), 4)
    lab = [((x * 19 + y * 7) % 256, (x * 11 - 64) % 256 - 256 * ((x * 11 - 64) % 256 > 127),
            (y * 23 - 70) % 256 - 256 * ((y * 23 - 70) % 256 > 127)) for y in range(H) for x in range(W)]
    write("tiff/lab.tif", small_tiff(8, [8, 8, 8], bytes(v & 0xFF for p in lab for v in p)))
    expected = Image.new("RGB", (W, H))
    expected.putdata([lab_to_rgb(*p) for p in lab])
    add("tiff/lab.tif", expected, 24, 1)  # 1: the formula's last bit may round either way
    # Orientation 6: stored turned, shown upright.
    upright = busy()
    upright.transpose(Image.Transpose.ROTATE_90).save(target("tiff/orientation_6.tif"))
    run("tiffset", "-s", "274", "6", target("tiff/orientation_6.tif"))
    add("tiff/orientation_6.tif", upright, 24)


# Targa -----------------------------------------------------------------

def targa16(im, top_down, rle, depth=16):
    """15-bit Targa (depth 15 or 16, two bytes a pixel either way): words
    0RRRRRGGGGGBBBBB."""
    px = im.load()
    header = bytes((0, 0, 10 if rle else 2)) + bytes(5) + le16(0) + le16(0) + le16(im.width) + le16(im.height)
    header += bytes((depth, 0x20 if top_down else 0))
    out = bytearray(header)
    ys = range(im.height) if top_down else range(im.height - 1, -1, -1)
    for y in ys:
        words = [le16(((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3)) for r, g, b in (px[x, y] for x in range(im.width))]
        if not rle:
            out += b"".join(words)
            continue
        x = 0
        while x < len(words):  # a run where pixels repeat, else a literal of up to 3
            if x + 1 < len(words) and words[x] == words[x + 1]:
                n = 2
                while x + n < len(words) and words[x + n] == words[x] and n < 128:
                    n += 1
                out += bytes((0x80 | (n - 1),)) + words[x]
            else:
                n = min(3, len(words) - x)
                out += bytes((n - 1,)) + b"".join(words[x:x + n])
            x += n
    return bytes(out)


def make_targa():
    src = busy()
    for rle in (False, True):
        compression = "tga_rle" if rle else None
        suffix = "_rle" if rle else ""
        for kind, im, expected, bits in (("rgb", src, src, 24), ("rgba", with_alpha(src), src, 32),
                                         ("grey", grey(), rgb_of(grey()), 8),
                                         ("palette", palette256(), rgb_of(palette256()), 8)):
            for orientation, name in ((-1, "bottom_up"), (1, "top_down")):
                rel = f"targa/{kind}_{name}{suffix}.tga"
                im.save(target(rel), compression=compression, orientation=orientation)
                add(rel, expected, bits)
    # Repeated pixels so the run packets are used.
    runs = Image.new("RGB", (W, H))
    runs.putdata([five_bit().getpixel((x // 4, y)) for y in range(H) for x in range(W)])
    for name, top_down, rle, depth in (("bits15_bottom_up", False, False, 16),
                                       ("bits15_top_down_rle", True, True, 16),
                                       ("depth15_bottom_up", False, False, 15)):
        write(f"targa/{name}.tga", targa16(runs, top_down, rle, depth))
        add(f"targa/{name}.tga", runs, 15)
    # A colour map of 16-bit entries: each 5-bit component shifted up by 3.
    colours = [((i * 7) % 32, (i * 13 + 5) % 32, (31 - i * 2) % 32) for i in range(16)]
    header = bytes((0, 1, 1)) + le16(0) + le16(len(colours)) + bytes((16,)) + le16(0) + le16(0) + le16(W) + le16(H)
    header += bytes((8, 0x20))
    cmap = b"".join(le16(r << 10 | g << 5 | b) for r, g, b in colours)
    indices = palette_image(PALETTE16)
    write("targa/map16_top_down.tga", header + cmap + indices.tobytes())
    expected = Image.new("RGB", (W, H))
    expected.putdata([tuple(c << 3 for c in colours[i]) for i in indices.getdata()])
    add("targa/map16_top_down.tga", expected, 8)
    for ext in ("vst", "vda", "icb", "win"):
        shutil.copy(target("targa/rgb_bottom_up.tga"), target(f"targa/rgb_bottom_up.{ext}"))
        add(f"targa/rgb_bottom_up.{ext}", src, 24)


# PCX -------------------------------------------------------------------

# The Windows 16-colour palette, in its order.
WINDOWS16 = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128),
             (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255),
             (255, 0, 255), (0, 255, 255), (255, 255, 255)]


def pcx_rle(data):
    """PCX run-length: runs of up to 63, and bytes from 192 up always as runs."""
    out, i = bytearray(), 0
    while i < len(data):
        n = 1
        while i + n < len(data) and data[i + n] == data[i] and n < 63:
            n += 1
        if n > 1 or data[i] >= 192:
            out += bytes((0xC0 | n, data[i]))
        else:
            out.append(data[i])
        i += n
    return bytes(out)


def pcx_planes4(im, version):
    """A PCX of four 1-bit planes, run-length coded, header palette black."""
    per_line = ((im.width + 7) // 8 + 1) // 2 * 2
    header = bytes((10, version, 1, 1)) + le16(0) + le16(0) + le16(im.width - 1) + le16(im.height - 1)
    header += le16(72) + le16(72) + bytes(48) + bytes((0, 4)) + le16(per_line) + le16(1)
    header = header.ljust(128, b"\0")
    px = im.load()
    data = bytearray()
    for y in range(im.height):
        for plane in range(4):
            row = bytearray(per_line)
            for x in range(im.width):
                if px[x, y] >> plane & 1:
                    row[x // 8] |= 0x80 >> (x % 8)
            data += row
    return header + pcx_rle(bytes(data))


def make_pcx():
    src = busy()
    for name, im, expected, bits in (("bits1", bilevel(), rgb_of(bilevel()), 1),
                                     ("palette8", palette256(), rgb_of(palette256()), 8),
                                     ("grey8", grey(), rgb_of(grey()), 8),
                                     ("rgb24", src, src, 24)):
        im.save(target(f"pcx/{name}.pcx"))
        add(f"pcx/{name}.pcx", expected, bits)
    # Four planes of one bit: netpbm's 16-colour form.
    p16 = rgb_of(palette_image(PALETTE16))
    ppm = scratch("p16.ppm")
    p16.save(ppm)
    with open(target("pcx/planes4.pcx"), "wb") as out:
        run("ppmtopcx", ppm, stdout=out)
    add("pcx/planes4.pcx", p16, 4)
    # Version 3: four planes with the system's 16 colours, not the header's.
    indices = palette_image(PALETTE16)
    write("pcx/version3_planes4.pcx", pcx_planes4(indices, version=3))
    expected = Image.new("RGB", (W, H))
    expected.putdata([WINDOWS16[i] for i in indices.getdata()])
    add("pcx/version3_planes4.pcx", expected, 4)
    for ext in ("pcc", "scr"):
        shutil.copy(target("pcx/palette8.pcx"), target(f"pcx/palette8.{ext}"))
        add(f"pcx/palette8.{ext}", rgb_of(palette256()), 8)


# SGI -------------------------------------------------------------------

def make_sgi():
    src = busy()
    # Pillow writes plain storage, netpbm and ImageMagick run-length coded.
    src.save(target("sgi/rgb_plain.sgi"))
    add("sgi/rgb_plain.sgi", src, 24)
    grey().save(target("sgi/grey_plain.bw"))
    add("sgi/grey_plain.bw", rgb_of(grey()), 8)
    with_alpha(src).save(target("sgi/rgba_plain.rgba"))
    add("sgi/rgba_plain.rgba", src, 32)
    ppm = scratch("busy.ppm")
    src.save(ppm)
    with open(target("sgi/rgb_rle.rgb"), "wb") as out:
        run("pnmtosgi", "-rle", ppm, stdout=out)
    add("sgi/rgb_rle.rgb", src, 24)
    pgm = scratch("grey.pgm")
    grey().save(pgm)
    with open(target("sgi/grey_rle.sgi"), "wb") as out:
        run("pnmtosgi", "-rle", pgm, stdout=out)
    add("sgi/grey_rle.sgi", rgb_of(grey()), 8)
    run(CONVERT, save_png(src, "busy.png"), "-depth", "16", "-compress", "RLE", "SGI:" + target("sgi/rgb16_rle.sgi"))
    run(CONVERT, save_png(with_alpha(src), "rgba.png"), "-compress", "RLE", "SGI:" + target("sgi/rgba_rle.sgi"))
    add("sgi/rgba_rle.sgi", src, 32)
    add("sgi/rgb16_rle.sgi", src, 24)


# Portable maps ---------------------------------------------------------

def make_portable_map():
    src = busy()
    for rel, im, expected, bits in (("pnm/binary.pbm", bilevel(), rgb_of(bilevel()), 1),
                                    ("pnm/binary.pgm", grey(), rgb_of(grey()), 8),
                                    ("pnm/binary.ppm", src, src, 24)):
        im.save(target(rel))
        add(rel, expected, bits)
        plain = rel.replace("binary", "plain")
        with open(target(plain), "wb") as out:
            run("pnmtoplainpnm", target(rel), stdout=out)
        add(plain, expected, bits)
    # A text bit map whose digits stand together, with no white space.
    bits = bilevel()
    digits = b"\n".join(b"".join(b"1" if bits.getpixel((x, y)) == 0 else b"0" for x in range(W)) for y in range(H))
    write("pnm/plain_digits_together.pbm", b"P1\n%d %d\n" % (W, H) + digits + b"\n")
    add("pnm/plain_digits_together.pbm", rgb_of(bits), 1)
    # Values are not scaled by the largest value: 15 is a dark grey. The
    # numbers share the first line, and comments stand between them.
    g = grey()
    pixels = bytes(v // 16 for v in g.tobytes())
    write("pnm/max15_comments.pgm", b"P5 # a comment\n%d # width\n# a line of its own\n%d\n15\n" % (W, H) + pixels)
    dark = Image.frombytes("L", (W, H), pixels)
    add("pnm/max15_comments.pgm", rgb_of(dark), 8)


# Photoshop -------------------------------------------------------------

def psd(mode, depth, channels, planes, colour_data=b""):
    header = b"8BPS" + be16(1) + bytes(6) + be16(channels) + be32(H) + be32(W) + be16(depth) + be16(mode)
    return header + be32(len(colour_data)) + colour_data + be32(0) + be32(0) + be16(0) + b"".join(planes)


def make_photoshop():
    src = busy()
    for name, args, expected, bits in (("rgb_rle", [], src, 24), ("rgb_raw", ["-compress", "None"], src, 24),
                                       ("grey_rle", ["-colorspace", "Gray"], None, 8)):
        run(CONVERT, save_png(src if name != "grey_rle" else grey(), "in.png"), *args, target(f"psd/{name}.psd"))
        add(f"psd/{name}.psd", expected if expected else rgb_of(grey()), bits)
    run(CONVERT, save_png(src, "in.png"), "-depth", "16", target("psd/rgb16_rle.psd"))
    add("psd/rgb16_rle.psd", src, 24)
    shutil.copy(target("psd/rgb_rle.psd"), target("psd/rgb_rle.pdd"))
    add("psd/rgb_rle.pdd", src, 24)
    # Written here: CMYK planes (stored inverted, 255 = no ink) and an
    # indexed picture with its colour table.
    values = cmyk_source()
    planes = [bytes(255 - p[c] for p in values) for c in range(4)]
    write("psd/cmyk_raw.psd", psd(4, 8, 4, planes))
    expected = Image.new("RGB", (W, H))
    expected.putdata([cmyk_to_rgb(*p) for p in values])
    add("psd/cmyk_raw.psd", expected, 24)
    p256 = palette256()
    table = bytes(c[0] for c in PALETTE256) + bytes(c[1] for c in PALETTE256) + bytes(c[2] for c in PALETTE256)
    write("psd/indexed_raw.psd", psd(2, 8, 1, [p256.tobytes()], table))
    add("psd/indexed_raw.psd", rgb_of(p256), 8)


# RLA -------------------------------------------------------------------

def rla_pack(data):
    """Literal packets of up to 128 bytes, runs where 3 or more repeat."""
    out, i = bytearray(), 0
    while i < len(data):
        n = 1
        while i + n < len(data) and data[i + n] == data[i] and n < 128:
            n += 1
        if n >= 3:
            out += bytes((n - 1, data[i]))
            i += n
            continue
        j = i
        while j < len(data) and j - i < 128 and not (j + 2 < len(data) and data[j] == data[j + 1] == data[j + 2]):
            j += 1
        out += bytes(((-(j - i)) & 0xFF,)) + data[i:j]
        i = j
    return bytes(out)


def rla_file(im, alpha, bottom_up):
    header = bytearray(740)
    bottom, top = (0, H - 1) if bottom_up else (H - 1, 0)
    header[8:16] = be16(0) + be16(W - 1) + be16(bottom) + be16(top)
    header[20:24] = be16(3) + be16(1 if alpha is not None else 0)
    rows = []
    px = im.load()
    order = range(H - 1, -1, -1) if bottom_up else range(H)
    for y in order:
        channels = [bytes(px[x, y][c] for x in range(W)) for c in range(3)]
        if alpha is not None:
            channels.append(bytes(alpha.getpixel((x, y)) for x in range(W)))
        rows.append(b"".join(be16(len(p)) + p for p in map(rla_pack, channels)))
    offsets, at = [], 740 + 4 * H
    for row in rows:
        offsets.append(at)
        at += len(row)
    return bytes(header) + b"".join(be32(o) for o in offsets) + b"".join(rows)


def make_rla():
    runs = Image.new("RGB", (W, H))
    runs.putdata([busy().getpixel((x // 3 * 3, y)) for y in range(H) for x in range(W)])
    write("rla/rgb_bottom_up.rla", rla_file(runs, None, True))
    add("rla/rgb_bottom_up.rla", runs, 24)
    alpha = with_alpha(runs).getchannel("A")
    write("rla/matte_top_down.rpf", rla_file(runs, alpha, False))
    add("rla/matte_top_down.rpf", runs, 32)


# Autodesk, Dr. Halo ----------------------------------------------------

def make_autodesk():
    six = [(r >> 2, g >> 2, b >> 2) for r, g, b in PALETTE256]
    im = palette256()
    header = le16(0x9119) + le16(W) + le16(H) + bytes(26)
    data = header + b"".join(bytes(c) for c in six) + im.tobytes()
    write("autodesk/palette.pic", data)
    write("autodesk/palette.cel", data)
    expected = Image.new("RGB", (W, H))
    expected.putdata([tuple(v * 4 for v in six[i]) for i in im.getdata()])
    for rel in ("autodesk/palette.pic", "autodesk/palette.cel"):
        add(rel, expected, 8)


def halo_row(row):
    out, i = bytearray(), 0
    while i < len(row):
        n = 1
        while i + n < len(row) and row[i + n] == row[i] and n < 127:
            n += 1
        if n >= 2:
            out += bytes((0x80 | n, row[i]))
        else:
            j = i
            while j < len(row) and j - i < 127 and not (j + 1 < len(row) and row[j] == row[j + 1]):
                j += 1
            n = j - i
            out += bytes((n,)) + row[i:j]
        i += n
    out += b"\0"
    return le16(len(out)) + bytes(out)


def halo_palette(colours):
    """The .pal file: 512-byte blocks, entries of three 16-bit values."""
    blocks, block = [], bytearray(512)
    block[12:14] = le16(len(colours) - 1)
    at = 40
    for r, g, b in colours:
        if at > 506:
            blocks.append(bytes(block))
            block, at = bytearray(512), 0
        block[at:at + 6] = le16(r) + le16(g) + le16(b)
        at += 6
    blocks.append(bytes(block))
    return b"".join(blocks)


def make_drhalo():
    im = Image.new("P", (W, H))
    im.putdata([(x // 3 * 40 + y * 9) % 256 for y in range(H) for x in range(W)])
    rows = b"".join(halo_row(im.tobytes()[y * W:(y + 1) * W]) for y in range(H))
    data = le16(W) + le16(H) + le16(0) + rows
    write("drhalo/with_palette.cut", data)
    write("drhalo/with_palette.pal", halo_palette(PALETTE256))
    im.putpalette([c for rgb in PALETTE256 for c in rgb])
    add("drhalo/with_palette.cut", rgb_of(im), 8)
    write("drhalo/grey.cut", data)
    add("drhalo/grey.cut", Image.frombytes("L", (W, H), im.tobytes()).convert("RGB"), 8)


# Photo-CD --------------------------------------------------------------

def make_photocd():
    """The base image (768 x 512) with one chroma pair everywhere, so the
    expected colours follow from the luma alone."""
    base, width, height = 0x30000, 768, 512
    c1, c2 = 170, 150
    data = bytearray(base + width * 3 * (height // 2))
    data[2048:2055] = b"PCD_IPI"
    data[194635] = 0
    luma = lambda x, y: (x // 3 + y // 2 * 3) % 188 + 10
    for p in range(height // 2):
        pair = base + p * width * 3
        for r in range(2):
            data[pair + r * width:pair + (r + 1) * width] = bytes(luma(x, 2 * p + r) for x in range(width))
        data[pair + 2 * width:pair + 2 * width + width // 2] = bytes((c1,)) * (width // 2)
        data[pair + 2 * width + width // 2:pair + 3 * width] = bytes((c2,)) * (width // 2)
    write("photocd/base.pcd", bytes(data))
    clamp = lambda v: max(0, min(255, round(v)))
    colour = {}
    for y in range(256):
        colour[y] = (clamp(1.3584 * y + 1.8215 * (c2 - 137)),
                     clamp(1.3584 * y - 0.9271435 * (c2 - 137) - 0.4302726 * (c1 - 156)),
                     clamp(1.3584 * y + 2.2179 * (c1 - 156)))
    expected = Image.new("RGB", (width, height))
    expected.putdata([colour[luma(x, y)] for y in range(height) for x in range(width)])
    add("photocd/base.pcd", expected, 24)


# Metafiles -------------------------------------------------------------

def wmf_record(function, params):
    body = b"".join(struct.pack("<h", p) for p in params)
    return le32(3 + len(body) // 2) + le16(function) + body


def make_metafile():
    """Filled rectangles on whole pixels, without outlines: the same picture
    as a placeable Windows metafile and as an enhanced metafile."""
    w, h = 24, 24  # whole hundredths of a millimetre in the frame: no fractional scale
    boxes = [((200, 30, 40), (2, 2, 12, 9)), ((20, 40, 200), (10, 6, 22, 15))]
    records = []
    records.append(le32(8) + le16(0x02FA) + le16(5) + le16(0) + le16(0) + le32(0))  # null pen
    records.append(wmf_record(0x012D, [0]))
    for i, ((r, g, b), (left, top, right, bottom)) in enumerate(boxes):
        records.append(le32(7) + le16(0x02FC) + le16(0) + bytes((r, g, b, 0)) + le16(0))
        records.append(wmf_record(0x012D, [i + 1]))
        records.append(wmf_record(0x041B, [bottom, right, top, left]))
    body = b"".join(records)
    max_record = max(struct.unpack("<I", r[:4])[0] for r in records)
    standard = le16(1) + le16(9) + le16(0x300) + le32(9 + len(body) // 2 + 3) + le16(8) + le32(max_record) + le16(0)
    placeable = le32(0x9AC6CDD7) + le16(0) + le16(0) + le16(0) + le16(w) + le16(h) + le16(96) + le32(0)
    checksum = 0
    for i in range(0, len(placeable), 2):
        checksum ^= struct.unpack("<H", placeable[i:i + 2])[0]
    write("metafile/boxes.wmf", placeable + le16(checksum) + standard + body + le32(3) + le16(0))
    expected = Image.new("RGB", (w, h), (255, 255, 255))
    for colour, (left, top, right, bottom) in boxes:
        expected.paste(colour, (left, top, right, bottom))
    add("metafile/boxes.wmf", expected, 32, 0, "partial")

    def emf_record(kind, *values):
        body = b"".join(struct.pack("<i", v - (1 << 32) if v >= 1 << 31 else v) for v in values)
        return le32(kind) + le32(8 + len(body)) + body

    records = [emf_record(37, 0x80000008)]  # stock null pen
    for i, ((r, g, b), (left, top, right, bottom)) in enumerate(boxes):
        records.append(emf_record(39, i + 1, 0, r | (g << 8) | (b << 16), 0))
        records.append(emf_record(37, i + 1))
        records.append(emf_record(43, left, top, right, bottom))
    body = b"".join(records)
    eof = le32(14) + le32(20) + le32(0) + le32(16) + le32(20)
    header = le32(1) + le32(108) + struct.pack("<4i", 0, 0, w - 1, h - 1)
    header += struct.pack("<4i", 0, 0, w * 2540 // 96, h * 2540 // 96)
    header += le32(0x464D4520) + le32(0x10000) + le32(108 + len(body) + 20) + le32(len(records) + 2)
    header += le16(4) + le16(0) + le32(0) * 3 + struct.pack("<4i", 960, 960, 254, 254)
    header += le32(0) * 3 + struct.pack("<2i", 254000, 254000)
    write("metafile/boxes.emf", header + body + eof)
    add("metafile/boxes.emf", expected, 32, 0, "partial")


MAKERS = [make_bmp, make_icon, make_jpeg, make_png, make_webp, make_heif, make_gif, make_tiff, make_targa,
          make_pcx, make_sgi, make_portable_map, make_photoshop, make_rla, make_autodesk, make_drhalo,
          make_photocd, make_metafile]


def main():
    if os.path.isdir(DATA):
        shutil.rmtree(DATA)
    os.makedirs(DATA)
    try:
        for maker in MAKERS:
            maker()
    except subprocess.CalledProcessError as e:
        sys.exit(f"{' '.join(e.cmd)}: {e.stderr.decode(errors='replace')}")
    finally:
        shutil.rmtree(work, ignore_errors=True)
    with open(os.path.join(DATA, "samples.txt"), "w") as f:
        f.write("# Made by scripts/make_samples.py: FILE EXPECTED BITS TOLERANCE CUT\n")
        for e in entries:
            f.write(" ".join(str(v) for v in e) + "\n")
    total = sum(os.path.getsize(os.path.join(d, n)) for d, _, names in os.walk(DATA) for n in names)
    print(f"{len(entries)} samples, {total} bytes in {DATA}")


if __name__ == "__main__":
    main()
