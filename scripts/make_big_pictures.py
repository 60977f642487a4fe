#!/usr/bin/env python3
"""Writes small files that decode to huge pictures, to measure what showing
them costs in memory:

    scripts/make_big_pictures.py DIR
    /usr/bin/time -v build/tool/lumora-tool compose DIR/big.png --screen 1920x1080

- big.png: 16384 x 16383 RGB (just under the loader's 2^28 pixels), a
  gradient with a diagonal line, about 800 KB;
- big_interlaced.png: the same size, Adam7 interlaced;
- big_canvas.webp: an animation of one 2 x 2 frame on an 11500 x 11500
  canvas, about 200 bytes;
- big_still.webp: a lossless still picture of 16000 x 16000 (cwebp).

The files are generated, never committed: the PNGs take a few seconds of
zlib, the WebPs need cwebp (installed by scripts/setup.sh).
"""
import os
import struct
import subprocess
import sys
import tempfile
import zlib


def chunk(kind, data):
    body = kind + data
    return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)


def png(path, width, height, interlaced):
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 1 if interlaced else 0)
    packer = zlib.compressobj(9)
    out = [packer.compress(b"")]

    def rows(w, ys):
        # A horizontal gradient whose shade changes every 256 rows: the first
        # row of a shade stored with filter 1 (Sub), the rest with filter 2
        # (Up), all zeros, so that the file stays small and quick to make.
        base = bytes((x * 255 // max(w - 1, 1)) for x in range(w))
        same = b"\x02" + bytes(3 * w)
        shade = None
        for y in ys:
            if (y >> 8) != shade:
                shade = y >> 8
                row = bytearray(3 * w)
                row[0::3] = base
                row[1::3] = bytes([shade & 0xFF]) * w
                yield b"\x01" + bytes(row[:3]) + bytes((row[i] - row[i - 3]) & 0xFF for i in range(3, len(row)))
            else:
                yield same

    if interlaced:
        passes = [(0, 0, 8, 8), (4, 0, 8, 8), (0, 4, 4, 8), (2, 0, 4, 4), (0, 2, 2, 4), (1, 0, 2, 2), (0, 1, 1, 2)]
        for x0, y0, dx, dy in passes:
            w = (width - x0 + dx - 1) // dx
            ys = range(y0, height, dy)
            if w == 0 or len(ys) == 0:
                continue
            for row in rows(w, ys):
                out.append(packer.compress(row))
    else:
        for row in rows(width, range(height)):
            out.append(packer.compress(row))
    out.append(packer.flush())
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", b"".join(out)) + chunk(b"IEND", b""))


def riff(kind, data):
    pad = b"\x00" if len(data) % 2 else b""
    return kind + struct.pack("<I", len(data)) + data + pad


def u24(v):
    return struct.pack("<I", v)[:3]


def webp_frame(scratch):
    """The VP8L chunk of a 2 x 2 lossless picture, made by cwebp."""
    ppm = os.path.join(scratch, "frame.ppm")
    with open(ppm, "wb") as f:
        f.write(b"P6\n2 2\n255\n" + b"\xff\x00\x00\x00\xff\x00\x00\x00\xff\xff\xff\xff")
    webp = os.path.join(scratch, "frame.webp")
    subprocess.run(["cwebp", "-quiet", "-lossless", ppm, "-o", webp], check=True)
    data = open(webp, "rb").read()
    assert data[12:16] == b"VP8L", "cwebp wrote no lossless chunk"
    return data[12:]


def animated_webp(path, canvas, frame_chunk):
    vp8x = riff(b"VP8X", bytes([0x02, 0, 0, 0]) + u24(canvas - 1) + u24(canvas - 1))
    anim = riff(b"ANIM", struct.pack("<IH", 0xFF000000, 0))
    anmf = riff(b"ANMF", u24(0) + u24(0) + u24(1) + u24(1) + u24(100) + bytes([0]) + frame_chunk)
    body = b"WEBP" + vp8x + anim + anmf
    with open(path, "wb") as f:
        f.write(b"RIFF" + struct.pack("<I", len(body)) + body)


def still_webp(path, side, scratch):
    pgm = os.path.join(scratch, "still.pgm")
    with open(pgm, "wb") as f:
        f.write(b"P5\n%d %d\n255\n" % (side, side))
        row = bytes((x * 255 // (side - 1)) for x in range(side))
        for _ in range(side):
            f.write(row)
    subprocess.run(["cwebp", "-quiet", "-lossless", "-z", "0", pgm, "-o", path], check=True)


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else "."
    os.makedirs(folder, exist_ok=True)
    png(os.path.join(folder, "big.png"), 16384, 16383, False)
    png(os.path.join(folder, "big_interlaced.png"), 16384, 16383, True)
    with tempfile.TemporaryDirectory() as scratch:
        animated_webp(os.path.join(folder, "big_canvas.webp"), 11500, webp_frame(scratch))
        still_webp(os.path.join(folder, "big_still.webp"), 16000, scratch)
    for name in sorted(os.listdir(folder)):
        print(name, os.path.getsize(os.path.join(folder, name)))


if __name__ == "__main__":
    main()
