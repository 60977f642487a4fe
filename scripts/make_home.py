#!/usr/bin/env python3
"""Prepares a LUMORA_HOME for the demo or a test: the registry file with the
show's values, the list files and (optionally) generated pictures.

usage: make_home.py HOME [--value NAME=VALUE ...] [--desktop NAME=VALUE ...]
                         [--pictures N] [--caption TEXT] [--captions LINE ...]
Values: a number gives a dword, anything else a string; "label" and "mima"
are written in their stored form (each ANSI byte followed by "A").
"""
import argparse
import os
import struct
import zlib

STORED = {"label", "mima"}


def ansi(text):
    return text.encode("gb18030")


def stored(data):
    return b"".join(bytes([b]) + b"A" for b in data)


def reg_value(name, value):
    if isinstance(value, int):
        return b'"%s"=dword:%08x' % (name.encode(), value & 0xFFFFFFFF)
    data = ansi(value)
    if name.lower() in STORED:
        data = stored(data)
    data = data.replace(b"\\", b"\\\\").replace(b'"', b'\\"')
    return b'"' + name.encode() + b'"="' + data + b'"'


def parse_values(pairs):
    out = []
    for p in pairs or []:
        name, _, value = p.partition("=")
        try:
            out.append((name, int(value)))
        except ValueError:
            out.append((name, value))
    return out


def write_bmp(path, w, h, pixel):
    """A 24-bit bottom-up Windows bitmap; pixel(x, y) -> (r, g, b)."""
    stride = (w * 3 + 3) // 4 * 4
    rows = []
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = pixel(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - w * 3)
        rows.append(bytes(row))
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + data)


PICTURES = [
    # (size, colour function): a sunset, a sea of rings, a checker of warm tones
    ((800, 600), lambda x, y: (255 - y * 200 // 600, 80 + y * 120 // 600, 60 + x * 100 // 800)),
    ((640, 400), lambda x, y: ((x * y) % 256, 120, 255 - ((x - 320) ** 2 + (y - 200) ** 2) // 97 % 256)),
    ((1024, 768), lambda x, y: ((200, 60, 40) if (x // 64 + y // 64) % 2 else (250, 200, 90))),
    ((500, 700), lambda x, y: (30, 100 + x * 155 // 500, 200 - y * 150 // 700)),
]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("home")
    ap.add_argument("--value", action="append")
    ap.add_argument("--desktop", action="append")
    ap.add_argument("--pictures", type=int, default=0)
    ap.add_argument("--solid", type=int, default=0,
                    help="N small pictures of solid red, green, blue, ...")
    ap.add_argument("--captions", nargs="*", default=[])
    ap.add_argument("--fonts", nargs="*", default=[])
    args = ap.parse_args()

    home = os.path.abspath(args.home)
    lists = os.path.join(home, "Lumora_Studio")
    os.makedirs(lists, exist_ok=True)
    lines = [b"REGEDIT4", b"", b"[HKEY_CURRENT_USER\\software\\vistel]"]
    lines += [reg_value(n, v) for n, v in parse_values(args.value)]
    lines += [b"", b"[HKEY_CURRENT_USER\\Control Panel\\Desktop]"]
    lines += [reg_value(n, v) for n, v in parse_values(args.desktop)]
    reg = os.path.join(home, "registry.reg")
    with open(reg, "wb") as f:
        f.write(b"\r\n".join(lines) + b"\r\n")
    os.chmod(reg, 0o600)

    pics = []
    pic_dir = os.path.join(home, "pictures")
    os.makedirs(pic_dir, exist_ok=True)
    for i in range(args.pictures):
        (w, h), fn = PICTURES[i % len(PICTURES)]
        path = os.path.join(pic_dir, "picture%d.bmp" % (i + 1))
        write_bmp(path, w, h, fn)
        pics.append(path)

    def write_list(name, entries):
        with open(os.path.join(lists, name), "wb") as f:
            f.write(b"".join(ansi(e) + b"\r\n" for e in entries))

    solid = [(255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 0)]
    for i in range(args.solid):
        path = os.path.join(pic_dir, "solid%d.bmp" % (i + 1))
        colour = solid[i % len(solid)]
        write_bmp(path, 320, 240, lambda x, y, c=colour: c)
        pics.append(path)

    write_list("pic.txt", pics)
    write_list("label.txt", args.captions)
    write_list("fontn.txt", args.fonts)
    write_list("music.txt", [])
    print(home)


if __name__ == "__main__":
    main()
