#!/usr/bin/env python3
"""Presses keys on KWin through its fake input device (org_kde_kwin_fake_input,
which KWin offers with KWIN_WAYLAND_NO_PERMISSION_CHECKS=1), so they pass
KWin's input handling and global shortcuts as a keyboard's would. Spoken on
the Wayland wire (no bindings needed). Run as the compositor's client: KWin
must be able to read the process's /proc entry, or it hides the interface.

    kwin_fake_keys.py CODE:STATE ...    # Linux key codes, 1 pressed, 0 let go
"""
import os
import socket
import struct
import sys

FAKE_INPUT = b"org_kde_kwin_fake_input"


def wayland_string(text):
    data = text.encode() + b"\0"
    return struct.pack("<I", len(data)) + data + b"\0" * (-len(data) % 4)


class Wire:
    def __init__(self, path):
        self.conn = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.conn.connect(path)
        self.conn.settimeout(10)
        self.buffered = b""

    def send(self, obj, opcode, payload=b""):
        self.conn.sendall(struct.pack("<II", obj, (8 + len(payload)) << 16 | opcode) + payload)

    def events_until_done(self, callback):
        """The events (object, opcode, body) up to wl_callback `callback`'s
        done."""
        while True:
            while len(self.buffered) < 8 or len(self.buffered) < struct.unpack("<II", self.buffered[:8])[1] >> 16:
                chunk = self.conn.recv(4096)
                if not chunk:
                    raise RuntimeError("kwin closed the connection")
                self.buffered += chunk
            obj, word = struct.unpack("<II", self.buffered[:8])
            size, opcode = word >> 16, word & 0xFFFF
            body, self.buffered = self.buffered[8:size], self.buffered[size:]
            if obj == 1 and opcode == 0:
                raise RuntimeError("Wayland error: %r" % body)
            yield obj, opcode, body
            if obj == callback and opcode == 0:
                return


def main(events):
    wire = Wire(os.path.join(os.environ["XDG_RUNTIME_DIR"], os.environ["WAYLAND_DISPLAY"]))
    wire.send(1, 1, struct.pack("<I", 2))  # wl_display.get_registry -> 2
    wire.send(1, 0, struct.pack("<I", 3))  # wl_display.sync -> 3
    fake, offered = None, []
    for obj, opcode, body in wire.events_until_done(3):
        if obj == 2 and opcode == 0:  # wl_registry.global
            name, length = struct.unpack("<II", body[:8])
            offered.append(body[8:8 + length - 1].decode())
            if body[8:8 + length - 1] == FAKE_INPUT:
                fake = name
    if fake is None:
        sys.exit("kwin offers no org_kde_kwin_fake_input, only " + " ".join(offered))
    wire.send(2, 0, struct.pack("<I", fake) + wayland_string(FAKE_INPUT.decode()) +
              struct.pack("<II", 4, 4))  # wl_registry.bind -> 4, version 4
    wire.send(4, 0, wayland_string("lumora e2e") + wayland_string("end-to-end test keys"))  # authenticate
    for code, pressed in events:
        wire.send(4, 10, struct.pack("<II", code, pressed))  # keyboard_key
    wire.send(1, 0, struct.pack("<I", 5))
    for _ in wire.events_until_done(5):
        pass


if __name__ == "__main__":
    main([tuple(int(n) for n in arg.split(":")) for arg in sys.argv[1:]])
