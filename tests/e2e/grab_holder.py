#!/usr/bin/env python3
"""Another program holding the keyboard grab, as an open menu or a virtual
machine's window does: maps a small window, gives it the focus, grabs the
keyboard on it (again and again until the grab is had), prints "grabbed",
then "key" for every key it is sent. The line "release" on standard input
lets the grab go (the window keeps the focus) and prints "released"."""
import ctypes
import ctypes.util
import select
import sys

KEY_PRESS, KEY_PRESS_MASK = 2, 1
GRAB_MODE_ASYNC, GRAB_SUCCESS, CURRENT_TIME = 1, 0, 0


class XSetWindowAttributes(ctypes.Structure):
    _fields_ = [("background_pixmap", ctypes.c_ulong), ("background_pixel", ctypes.c_ulong),
                ("border_pixmap", ctypes.c_ulong), ("border_pixel", ctypes.c_ulong),
                ("bit_gravity", ctypes.c_int), ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
                ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong),
                ("save_under", ctypes.c_int), ("event_mask", ctypes.c_long),
                ("do_not_propagate_mask", ctypes.c_long), ("override_redirect", ctypes.c_int),
                ("colormap", ctypes.c_ulong), ("cursor", ctypes.c_ulong)]


def xlib():
    x = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x.XOpenDisplay.restype = ctypes.c_void_p
    x.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x.XDefaultRootWindow.restype = ctypes.c_ulong
    x.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x.XCreateWindow.restype = ctypes.c_ulong
    x.XCreateWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_uint,
                                ctypes.c_uint, ctypes.c_uint, ctypes.c_int, ctypes.c_uint, ctypes.c_void_p,
                                ctypes.c_ulong, ctypes.POINTER(XSetWindowAttributes)]
    for name, args in (("XMapRaised", [ctypes.c_void_p, ctypes.c_ulong]),
                       ("XSetInputFocus", [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_ulong]),
                       ("XGrabKeyboard", [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                                          ctypes.c_int, ctypes.c_ulong]),
                       ("XUngrabKeyboard", [ctypes.c_void_p, ctypes.c_ulong]),
                       ("XSync", [ctypes.c_void_p, ctypes.c_int]),
                       ("XPending", [ctypes.c_void_p]),
                       ("XNextEvent", [ctypes.c_void_p, ctypes.c_void_p]),
                       ("XConnectionNumber", [ctypes.c_void_p])):
        getattr(x, name).argtypes = args
    return x


def main():
    x = xlib()
    display = x.XOpenDisplay(None)
    if not display:
        sys.exit("grab_holder: cannot open the display")
    attributes = XSetWindowAttributes(background_pixel=0x00FF00, override_redirect=1, event_mask=KEY_PRESS_MASK)
    # CWBackPixel | CWOverrideRedirect | CWEventMask; CopyFromParent depth,
    # class and visual.
    window = x.XCreateWindow(display, x.XDefaultRootWindow(display), 0, 0, 64, 64, 0, 0, 0, None,
                             (1 << 1) | (1 << 9) | (1 << 11), ctypes.byref(attributes))
    x.XMapRaised(display, window)
    x.XSync(display, 0)
    while x.XGrabKeyboard(display, window, 0, GRAB_MODE_ASYNC, GRAB_MODE_ASYNC, CURRENT_TIME) != GRAB_SUCCESS:
        select.select([], [], [], 0.02)
    x.XSetInputFocus(display, window, 2, CURRENT_TIME)  # RevertToParent
    x.XSync(display, 0)
    print("grabbed", flush=True)
    event = ctypes.create_string_buffer(192)  # an XEvent
    fd = x.XConnectionNumber(display)
    while True:
        while x.XPending(display):
            x.XNextEvent(display, event)
            if ctypes.c_int.from_buffer(event).value == KEY_PRESS:
                print("key", flush=True)
        ready, _, _ = select.select([fd, sys.stdin], [], [])
        if sys.stdin in ready:
            line = sys.stdin.readline()
            if not line:
                return
            if line.strip() == "release":
                x.XUngrabKeyboard(display, CURRENT_TIME)
                x.XSync(display, 0)
                print("released", flush=True)


if __name__ == "__main__":
    main()
