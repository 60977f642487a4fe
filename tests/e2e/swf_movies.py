"""Flash movies written byte by byte for the end-to-end tests: shapes with a
solid, a gradient and a bitmap fill, a moving rectangle and a stop action,
as uncompressed (FWS) or zlib-compressed (CWS) files."""
import struct
import zlib

TWIPS = 20


class Bits:
    """Bit fields from the most significant bit down, as SWF records hold them."""

    def __init__(self):
        self.bits = []

    def u(self, value, n):
        self.bits += [(value >> (n - 1 - i)) & 1 for i in range(n)]
        return self

    def s(self, value, n):
        return self.u(value & ((1 << n) - 1), n)

    def bytes(self):
        b = self.bits + [0] * (-len(self.bits) % 8)
        return bytes(int("".join(map(str, b[i:i + 8])), 2) for i in range(0, len(b), 8))


def sbits(*values):
    """Bits that hold every value as a signed field."""
    return max(max(abs(v) for v in values).bit_length() + 1, 2)


def rect(x0, x1, y0, y1):
    n = sbits(x0, x1, y0, y1)
    return Bits().u(n, 5).s(x0, n).s(x1, n).s(y0, n).s(y1, n).bytes()


def matrix(tx=0, ty=0, scale=None):
    b = Bits()
    if scale is None:
        b.u(0, 1)
    else:
        sx, sy = (int(round(v * 65536)) for v in scale)
        n = sbits(sx, sy)
        b.u(1, 1).u(n, 5).s(sx, n).s(sy, n)
    n = sbits(tx, ty)
    b.u(0, 1).u(n, 5).s(tx, n).s(ty, n)
    return b.bytes()


def tag(code, data=b""):
    if len(data) < 63:
        return struct.pack("<H", code << 6 | len(data)) + data
    return struct.pack("<HI", code << 6 | 63, len(data)) + data


def rectangle_shape(shape_id, x0, y0, x1, y1, fill):
    """DefineShape: one filled rectangle (pixels), `fill` the FILLSTYLE bytes."""
    x0, y0, x1, y1 = (v * TWIPS for v in (x0, y0, x1, y1))
    data = struct.pack("<H", shape_id) + rect(x0, x1, y0, y1)
    data += b"\x01" + fill + b"\x00"                  # one fill style, no line styles
    b = Bits().u(1, 4).u(0, 4)                          # NumFillBits 1, NumLineBits 0
    n = sbits(x0, y0)
    b.u(0, 1).u(0, 1).u(0, 1).u(1, 1).u(0, 1).u(1, 1)   # style change: fill style 1, move to
    b.u(n, 5).s(x0, n).s(y0, n).u(1, 1)
    for dx, dy in ((x1 - x0, 0), (0, y1 - y0), (x0 - x1, 0), (0, y0 - y1)):
        n = sbits(dx, dy)
        b.u(1, 1).u(1, 1).u(n - 2, 4).u(0, 1)           # straight edge, horizontal or vertical
        if dx:
            b.u(0, 1).s(dx, n)
        else:
            b.u(1, 1).s(dy, n)
    b.u(0, 6)                                           # end of shape
    return tag(2, data + b.bytes())


def solid(rgb):
    return b"\x00" + bytes(rgb)


def linear_gradient(x0, x1, rgb0, rgb1):
    """A left-to-right gradient across x0..x1 (pixels)."""
    width = (x1 - x0) * TWIPS
    m = matrix(tx=(x0 * TWIPS + width // 2), ty=0, scale=(width / 32768, width / 32768))
    return b"\x10" + m + bytes([2, 0]) + bytes(rgb0) + bytes([255]) + bytes(rgb1)


def bitmap_fill(bitmap_id, x0, y0):
    return b"\x41" + struct.pack("<H", bitmap_id) + matrix(tx=x0 * TWIPS, ty=y0 * TWIPS, scale=(TWIPS, TWIPS))


def place(depth, char_id=None, tx=0, ty=0, move=False):
    flags = 0x04 | (0x02 if char_id is not None else 0) | (0x01 if move else 0)
    data = bytes([flags]) + struct.pack("<H", depth)
    if char_id is not None:
        data += struct.pack("<H", char_id)
    return tag(26, data + matrix(tx * TWIPS, ty * TWIPS))


SHOW_FRAME = tag(1)
END = tag(0)


def movie(tags, frames, fps=30, size=(400, 300), background=(255, 0, 0), compressed=False, version=6):
    body = rect(0, size[0] * TWIPS, 0, size[1] * TWIPS) + struct.pack("<HH", int(fps * 256), frames)
    body += tag(9, bytes(background)) + b"".join(tags) + END
    header = struct.pack("<I", len(body) + 8)
    if compressed:
        return b"CWS" + bytes([version]) + header + zlib.compress(body)
    return b"FWS" + bytes([version]) + header + body


def blue_on_red(compressed=False, frames=1):
    """A blue rectangle (100,75)-(300,225) on a red 400 x 300 stage."""
    return movie([rectangle_shape(1, 100, 75, 300, 225, solid((0, 0, 255))), place(1, 1)] + [SHOW_FRAME] * frames,
                 frames, compressed=compressed)


def moving(compressed=False, stop_in_first_frame=False, frames=120, fps=30):
    """A 50 x 50 yellow square moving from x 0 to 350 over `frames` frames."""
    tags = [rectangle_shape(1, 0, 125, 50, 175, solid((255, 255, 0)))]
    for f in range(frames):
        x = 350 * f // max(frames - 1, 1)
        tags.append(place(1, 1) if f == 0 else place(1, None, tx=x, move=True))
        if f == 0 and stop_in_first_frame:
            tags.append(tag(12, b"\x07\x00"))  # DoAction: Stop
        tags.append(SHOW_FRAME)
    return movie(tags, frames, fps=fps, background=(0, 0, 0), compressed=compressed)


def gradient(compressed=False, frames=1):
    """The whole stage filled left to right from black to white."""
    return movie([rectangle_shape(1, 0, 0, 400, 300, linear_gradient(0, 400, (0, 0, 0), (255, 255, 255))),
                  place(1, 1)] + [SHOW_FRAME] * frames, frames, background=(255, 0, 0), compressed=compressed)


def jpeg_bitmap(jpeg, width, height, compressed=False, frames=1):
    """DefineBitsJPEG2 drawn at (100, 75) at its own size."""
    tags = [tag(21, struct.pack("<H", 1) + jpeg),
            rectangle_shape(2, 100, 75, 100 + width, 75 + height, bitmap_fill(1, 100, 75)), place(1, 2)]
    return movie(tags + [SHOW_FRAME] * frames, frames, background=(255, 0, 0), compressed=compressed, version=8)
