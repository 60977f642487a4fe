#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target into fuzz/corpus/<name>/.

Each target gets small valid files built here byte by byte (the same layouts
the reader tests build), so that the fuzzer starts past every signature
check, the committed sample pictures of its types in tests/data (made by
scripts/make_samples.py), and, where a further folder of pictures is there
(../shared/testimages, or --images DIR), a few of the smallest of those too.
The files are committed; run this again after changing a reader's layouts, a
target's input format or the samples.

    scripts/make_fuzz_seeds.py [--images DIR]
"""
import argparse
import lzma
import os
import shutil
import struct
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "fuzz", "corpus")
SAMPLES = os.path.join(ROOT, "tests", "data")

# Sample pictures taken per target: at most this many, each at most this big.
MAX_SAMPLES = 10
MAX_SAMPLE_BYTES = 8192

SAMPLE_EXTENSIONS = {
    "autodesk": ["pic", "cel"],
    "avif": ["avif"],
    "bmp": ["bmp", "dib", "rle"],
    "drhalo": ["cut"],
    "gif": ["gif"],
    "icon": ["ico"],
    "jpeg": ["jpg", "jpeg"],
    "pcx": ["pcx", "pcc", "scr"],
    "photoshop": ["psd", "pdd"],
    "portable_map": ["pbm", "pgm", "ppm"],
    "rla": ["rla", "rpf"],
    "sgi": ["sgi", "rgb", "rgba", "bw"],
    "targa": ["tga", "vst", "vda", "icb", "win"],
    "tiff": ["tif", "tiff"],
    "emf": ["emf"],
    "wmf": ["wmf"],
    "png": ["png"],
    "webp": ["webp"],
    "heif": ["heic", "heif", "avif"],
}


def le16(v): return struct.pack("<H", v & 0xFFFF)
def be16(v): return struct.pack(">H", v & 0xFFFF)
def le32(v): return struct.pack("<I", v & 0xFFFFFFFF)
def be32(v): return struct.pack(">I", v & 0xFFFFFFFF)


def ramp(n, step=37):
    return bytes((i * step + 11) & 0xFF for i in range(n))


# --- run-length and LZW coders, as simple as the formats allow ---------------

def pcx_rle(data):
    out = bytearray()
    i = 0
    while i < len(data):
        run = 1
        while i + run < len(data) and data[i + run] == data[i] and run < 63:
            run += 1
        if run > 1 or data[i] >= 0xC0:
            out += bytes([0xC0 | run, data[i]])
        else:
            out.append(data[i])
        i += run
    return bytes(out)


def packbits(data):
    out = bytearray()
    i = 0
    while i < len(data):
        run = 1
        while i + run < len(data) and data[i + run] == data[i] and run < 128:
            run += 1
        if run > 1:
            out += bytes([(257 - run) & 0xFF, data[i]])
            i += run
        else:
            j = i
            while j < len(data) and j - i < 128 and (j + 1 >= len(data) or data[j + 1] != data[j]):
                j += 1
            j = max(j, i + 1)
            out.append(j - i - 1)
            out += data[i:j]
            i = j
    return bytes(out)


def lzw(data, msb_first, literal_bits, early_change):
    """Literal codes only, with a clear code often enough that the width
    stays at its first value: valid for either variant."""
    clear = 1 << literal_bits
    width = literal_bits + 1
    codes = [clear]
    since_clear = 0
    for b in data:
        if since_clear == (1 << width) - (clear + 2) - 1:
            codes.append(clear)
            since_clear = 0
        codes.append(b)
        since_clear += 1
    codes.append(clear + 1)
    acc = 0
    nbits = 0
    out = bytearray()
    for c in codes:
        if msb_first:
            acc = (acc << width) | c
            nbits += width
            while nbits >= 8:
                out.append((acc >> (nbits - 8)) & 0xFF)
                nbits -= 8
                acc &= (1 << nbits) - 1
        else:
            acc |= c << nbits
            nbits += width
            while nbits >= 8:
                out.append(acc & 0xFF)
                acc >>= 8
                nbits -= 8
    if nbits:
        out.append((acc << (8 - nbits)) & 0xFF if msb_first else acc & 0xFF)
    return bytes(out)


# --- files of each format ----------------------------------------------------

def targa(image_type, width, height, depth, descriptor=0, colour_map=None):
    bpp = {8: 1, 15: 2, 16: 2, 24: 3, 32: 4}[depth]
    header = bytes([0, 1 if colour_map else 0, image_type]) + le16(0)
    header += le16(len(colour_map) // 3 if colour_map else 0) + bytes([24 if colour_map else 0])
    header += le16(0) + le16(0) + le16(width) + le16(height) + bytes([depth, descriptor])
    pixels = ramp(width * height * bpp)
    if image_type >= 9:
        body = bytearray()
        for i in range(0, len(pixels), bpp * 2):
            body += bytes([0x81]) + pixels[i:i + bpp]  # a run of two pixels
        pixels = bytes(body)
    return header + (colour_map or b"") + pixels


def pcx(bits, planes, width, height, rle=True, version=5):
    line = ((width * bits + 7) // 8 + 1) // 2 * 2
    header = bytes([10, version, 1 if rle else 0, bits]) + le16(0) + le16(0) + le16(width - 1) + le16(height - 1)
    header += le16(72) + le16(72) + ramp(48) + bytes([0, planes]) + le16(line) + le16(1)
    header += bytes(128 - len(header))
    data = bytes((y * 7 + x // 3) & 0xFF for y in range(height) for x in range(planes * line))
    body = pcx_rle(data) if rle else data
    tail = bytes([12]) + ramp(768) if bits == 8 and planes == 1 else b""
    return header + body + tail


def autodesk(width, height):
    return le16(0x9119) + le16(width) + le16(height) + bytes(26) + bytes(i % 64 for i in range(768)) + ramp(width * height)


def drhalo(width, height):
    out = bytearray(le16(width) + le16(height) + le16(0))
    for y in range(height):
        row = bytes([0x80 | width // 2, y]) + bytes([width - width // 2]) + ramp(width - width // 2) + b"\0"
        out += le16(len(row)) + row
    return bytes(out)


def drhalo_palette():
    block = bytearray(512)
    block[12:14] = le16(3)
    for i in range(4):
        block[40 + 6 * i:46 + 6 * i] = le16(60 * i) + le16(255 - 60 * i) + le16(30 * i)
    return bytes(block)


def sgi(width, height, channels, rle, bps=1):
    header = be16(474) + bytes([1 if rle else 0, bps]) + be16(3) + be16(width) + be16(height) + be16(channels)
    header += bytes(512 - len(header))
    if not rle:
        return header + ramp(width * height * channels * bps)
    rows = []
    for k in range(channels):
        for y in range(height):
            samples = ramp(width, 13 + k + y)
            if bps == 1:
                rows.append(bytes([0x80 | width]) + samples + b"\0")
            else:
                rows.append(be16(0x80 | width) + b"".join(bytes([s, 0]) for s in samples) + be16(0))
    table_end = 512 + 8 * len(rows)
    offsets, at = [], table_end
    for r in rows:
        offsets.append(at)
        at += len(r)
    return header + b"".join(be32(o) for o in offsets) + b"".join(be32(len(r)) for r in rows) + b"".join(rows)


def portable(fmt, width, height):
    if fmt in (1, 4):
        head = b"P%d\n# seed\n%d %d\n" % (fmt, width, height)
    else:
        head = b"P%d\n%d %d\n255\n" % (fmt, width, height)
    count = width * height * (3 if fmt in (3, 6) else 1)
    if fmt == 1:
        return head + b" ".join(b"%d" % (i % 2) for i in range(count)) + b"\n"
    if fmt in (2, 3):
        return head + b" ".join(b"%d" % v for v in ramp(count)) + b"\n"
    if fmt == 4:
        return head + ramp(((width + 7) // 8) * height)
    return head + ramp(count)


def gif(width, height, interlaced=False):
    palette = ramp(3 * 256)
    data = bytes((x + y) % 256 for y in range(height) for x in range(width))
    out = b"GIF89a" + le16(width) + le16(height) + bytes([0xF7, 0, 0]) + palette
    out += b"!\xf9\x04\x00\x00\x00\x00\x00"  # graphic control extension
    out += b"," + le16(0) + le16(0) + le16(width) + le16(height) + bytes([0x40 if interlaced else 0])
    packed = lzw(data, False, 8, False)
    out += bytes([8])
    for i in range(0, len(packed), 255):
        chunk = packed[i:i + 255]
        out += bytes([len(chunk)]) + chunk
    return out + b"\0;"


def tiff(width, height, bps, spp, photometric, compression=1, big=False, predictor=1):
    e = ">" if big else "<"
    row = (width * bps * spp + 7) // 8
    raw = bytes((y * 5 + x) & 0xFF for y in range(height) for x in range(row))
    strips = [raw[i:i + row * 2] for i in range(0, len(raw), row * 2)]  # two rows each
    if compression == 5:
        strips = [lzw(s, True, 8, True) for s in strips]
    elif compression == 32773:
        strips = [packbits(s) for s in strips]
    entries = [(256, 3, 1, width), (257, 3, 1, height), (258, 3, 1, bps), (259, 3, 1, compression),
               (262, 3, 1, photometric), (273, 4, len(strips), None), (277, 3, 1, spp), (278, 3, 1, 2),
               (279, 4, len(strips), None)]
    if predictor != 1:
        entries.append((317, 3, 1, predictor))
    if photometric == 3:
        entries.append((320, 3, 3 << bps, None))
    entries.sort()
    dir_size = 2 + 12 * len(entries) + 4
    at = 8 + dir_size
    extra = bytearray()

    def place(blob):
        nonlocal extra
        off = at + len(extra)
        extra += blob
        if len(extra) % 2:
            extra += b"\0"
        return off

    strip_offsets = []
    for s in strips:
        strip_offsets.append(place(s))
    fields = []
    for tag, typ, count, value in entries:
        if tag == 273:
            field = place(b"".join(struct.pack(e + "I", o) for o in strip_offsets)) if count > 1 else strip_offsets[0]
            fields.append((tag, typ, count, struct.pack(e + "I", field)))
        elif tag == 279:
            field = place(b"".join(struct.pack(e + "I", len(s)) for s in strips)) if count > 1 else len(strips[0])
            fields.append((tag, typ, count, struct.pack(e + "I", field)))
        elif tag == 320:
            field = place(b"".join(struct.pack(e + "H", (i * 4099) & 0xFFFF) for i in range(count)))
            fields.append((tag, 3, count, struct.pack(e + "I", field)))
        else:
            fields.append((tag, typ, count, struct.pack(e + "H", value) + b"\0\0"))
    head = (b"MM" if big else b"II") + struct.pack(e + "HI", 42, 8)
    directory = struct.pack(e + "H", len(fields))
    for tag, typ, count, field in fields:
        directory += struct.pack(e + "HHI", tag, typ, count) + field
    directory += b"\0\0\0\0"
    return head + directory + bytes(extra)


def psd(mode, channels, width, height, depth=8, rle=False, colour_table=b""):
    out = b"8BPS" + be16(1) + bytes(6) + be16(channels) + be32(height) + be32(width) + be16(depth) + be16(mode)
    out += be32(len(colour_table)) + colour_table + be32(0) + be32(0)
    row = (width + 7) // 8 if depth == 1 else width * depth // 8
    rows = [bytes((c * 50 + y * 9 + x) & 0xFF for x in range(row)) for c in range(channels) for y in range(height)]
    if rle:
        packed = [packbits(r) for r in rows]
        return out + be16(1) + b"".join(be16(len(p)) for p in packed) + b"".join(packed)
    return out + be16(0) + b"".join(rows)


def rla(width, height, channels, mattes):
    header = bytearray(740)
    header[8:16] = be16(0) + be16(width - 1) + be16(0) + be16(height - 1)
    header[20:24] = be16(channels) + be16(mattes)
    planes = 4 if mattes else 3
    rows = []
    for y in range(height):
        row = bytearray()
        for c in range(planes):
            packed = bytes([0x100 - width]) + ramp(width, 3 + c + y) if c % 2 == 0 else bytes([width - 1, y * 40 + c])
            row += be16(len(packed)) + packed
        rows.append(bytes(row))
    offsets, at = [], 740 + 4 * height
    for r in rows:
        offsets.append(at)
        at += len(r)
    return bytes(header) + b"".join(be32(o) for o in offsets) + b"".join(rows)


def swf(compression):
    body = bytes([0x50, 0x00, 0x05, 0xDC, 0x00, 0x03, 0x84]) + le16(0x0C00) + le16(3)  # rect, 12 fps, 3 frames
    body += le16((9 << 6) | 3) + bytes([255, 255, 255])  # SetBackgroundColor
    body += le16(1 << 6) * 3 + le16(0)  # ShowFrame x3, End
    length = 8 + len(body)
    if compression == "F":
        return b"FWS" + bytes([8]) + le32(length) + body
    if compression == "C":
        return b"CWS" + bytes([10]) + le32(length) + zlib.compress(body)
    alone = lzma.compress(body, format=lzma.FORMAT_ALONE)
    props, data = alone[:5], alone[13:]
    return b"ZWS" + bytes([13]) + le32(length) + le32(len(data)) + props + data


def decoders():
    """Inputs of the decoder target: decoder, parameter, output size (16
    bits), packed bytes."""
    data = ramp(300, 7) + bytes(40) + ramp(60, 1)
    def seed(which, param, out, packed):
        return bytes([which, param]) + le16(out) + packed
    return {
        "pcx": seed(0, 0, len(data), pcx_rle(data)),
        "packbits": seed(1, 200, len(data), packbits(data)),
        "sgi1": seed(2, 0, 64, bytes([0x80 | 40]) + ramp(40) + bytes([24, 9, 0])),
        "sgi2": seed(2, 1, 64, be16(0x80 | 20) + ramp(40) + be16(24) + be16(0x900) + be16(0)),
        "drhalo": seed(3, 0, 64, le16(40) + bytes([0x90, 7, 20]) + ramp(20) + b"\0"),
        "rla": seed(4, 20, 80, bytes([0x100 - 30]) + ramp(30) + bytes([49, 5])),
        "targa": seed(5, 24, 60, bytes([0x84, 1, 2, 3, 0x02]) + ramp(9) + bytes([0x85, 9, 8, 7])),
        "tifflzw": seed(6, 0, len(data), lzw(data, True, 8, True)),
        "giflzw": seed(7, 8, len(data), lzw(data, False, 8, False)),
        "giflzw2": seed(7, 2, 40, lzw(bytes(i % 4 for i in range(40)), False, 2, False)),
    }


def made_seeds():
    grey = b"".join(bytes([i, i, i]) for i in range(256))
    return {
        "targa": {
            "rgb-bottom-up.tga": targa(2, 5, 3, 24),
            "rgba-top-down-rle.tga": targa(10, 4, 3, 32, 0x20),
            "grey-rle.tga": targa(11, 6, 2, 8),
            "mapped.tga": targa(1, 4, 4, 8, 0, ramp(3 * 16)),
            "15-bit-rle.tga": targa(10, 3, 3, 15),
        },
        "pcx": {
            "8-bit-rle.pcx": pcx(8, 1, 9, 4),
            "24-bit-rle.pcx": pcx(8, 3, 7, 3),
            "4-bit-planes.pcx": pcx(1, 4, 13, 3),
            "1-bit-plain.pcx": pcx(1, 1, 19, 3, rle=False),
            "version-3.pcx": pcx(1, 4, 8, 2, version=3),
        },
        "autodesk": {"8x4.pic": autodesk(8, 4), "3x3.cel": autodesk(3, 3)},
        "drhalo": {
            "grey.cut": drhalo(6, 3),
            # Odd first byte: a palette file of the next two bytes' length comes first.
            "with-palette": bytes([1]) + le16(512) + drhalo_palette() + drhalo(4, 2),
        },
        "sgi": {
            "rgb-rle.sgi": sgi(5, 3, 3, True),
            "rgba-rle-16.sgi": sgi(4, 2, 4, True, 2),
            "grey-plain.bw": sgi(6, 2, 1, False),
            "rgb-plain-16.rgb": sgi(3, 2, 3, False, 2),
        },
        "portable_map": {"p%d" % f: portable(f, 5 if f != 4 else 11, 3) for f in range(1, 7)},
        "gif": {"ramp.gif": gif(9, 5), "interlaced.gif": gif(7, 10, True)},
        "tiff": {
            "grey-lzw.tif": tiff(6, 5, 8, 1, 1, 5),
            "rgb-packbits-be.tif": tiff(5, 4, 8, 3, 2, 32773, big=True),
            "rgba-predictor.tif": tiff(4, 3, 8, 4, 2, 5, predictor=2),
            "palette-4bit.tif": tiff(7, 3, 4, 1, 3),
            "cmyk.tif": tiff(3, 3, 8, 4, 5),
            "lab.tif": tiff(3, 2, 8, 3, 8),
            "bilevel-white-is-zero.tif": tiff(17, 4, 1, 1, 0),
            "rgb-16.tif": tiff(3, 2, 16, 3, 2, big=True),
        },
        "photoshop": {
            "rgb-raw.psd": psd(3, 3, 5, 3),
            "rgb-rle.psd": psd(3, 4, 6, 2, rle=True),
            "cmyk-16.psd": psd(4, 4, 3, 2, depth=16),
            "lab-rle.psd": psd(9, 3, 4, 2, rle=True),
            "bitmap.psd": psd(0, 1, 12, 3, depth=1),
            "indexed-rle.psd": psd(2, 1, 5, 3, rle=True, colour_table=ramp(768)),
            "grey-16.psd": psd(1, 1, 4, 2, depth=16),
        },
        "rla": {"rgb.rla": rla(6, 3, 3, 0), "rgb-matte.rla": rla(5, 2, 3, 1), "four-channels.rla": rla(4, 2, 4, 0)},
        # Orientation byte, then the start of the base picture (the target pads it).
        "photocd": {"o%d" % o: bytes([o]) + ramp(768 * 4) for o in range(4)} | {"cut": bytes([0x40]) + ramp(900)},
        "swf": {"plain.swf": swf("F"), "zlib.swf": swf("C"), "lzma.swf": swf("Z")},
        "swf_frame_reports": {"plain.swf": swf("F"), "zlib.swf": swf("C"), "lzma.swf": swf("Z")},
        "decoders": decoders(),
        "bmp": {"grey.bmp": b"BM" + le32(0) + le32(0) + le32(14 + 40 + 1024) + le32(40) + le32(3) + le32(2)
                + le16(1) + le16(8) + le32(0) + le32(0) + le32(0) + le32(0) + le32(0) + le32(0)
                + b"".join(bytes([i, i, i, 0]) for i in range(256)) + ramp(8)},
    }


def sample_files(images, name):
    """Up to MAX_SAMPLES pictures of the target's types under `images`, each
    at most MAX_SAMPLE_BYTES; never the pictures the samples must come out
    as (NAME.expected.ppm)."""
    found = []
    for ext in SAMPLE_EXTENSIONS.get(name, []):
        for folder, _, files in os.walk(images):
            for f in files:
                path = os.path.join(folder, f)
                if (f.lower().endswith("." + ext) and ".expected." not in f
                        and os.path.getsize(path) <= MAX_SAMPLE_BYTES):
                    found.append(path)
    found.sort(key=lambda p: (os.path.getsize(p), p))
    # Spread the choice over the sizes rather than taking only the smallest.
    if len(found) > MAX_SAMPLES:
        step = len(found) / MAX_SAMPLES
        found = [found[int(i * step)] for i in range(MAX_SAMPLES)]
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--images", default=os.path.join(ROOT, "..", "shared", "testimages"),
                        help="a further folder of pictures, used when it exists")
    args = parser.parse_args()
    targets = sorted(f[len("fuzz_"):-len(".cpp")] for f in os.listdir(os.path.join(ROOT, "fuzz"))
                     if f.startswith("fuzz_") and f.endswith(".cpp"))
    made = made_seeds()
    for name in targets:
        folder = os.path.join(OUT, name)
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)
        for file_name, data in made.get(name, {}).items():
            with open(os.path.join(folder, "made-" + file_name), "wb") as f:
                f.write(data)
        # The committed samples, named by their folder (two types share
        # file names), then the further pictures when they are there.
        for path in sample_files(SAMPLES, name):
            kind = os.path.basename(os.path.dirname(path))
            shutil.copyfile(path, os.path.join(folder, "data-%s-%s" % (kind, os.path.basename(path))))
        if os.path.isdir(args.images):
            for path in sample_files(args.images, name):
                shutil.copyfile(path, os.path.join(folder, "sample-" + os.path.basename(path)))
        count = len(os.listdir(folder))
        print("%-14s %3d seeds" % (name, count))
        if count == 0:
            print("  warning: no seeds for %s" % name)


if __name__ == "__main__":
    main()
