"""A virtual X server for end-to-end tests, with screenshots and xdotool."""
import ctypes
import ctypes.util
import os
import subprocess
import sys
import tempfile
import time


def make_home(*args, prefix="lumora-e2e-"):
    """A scratch LUMORA_HOME prepared by scripts/make_home.py (its arguments)."""
    home = tempfile.mkdtemp(prefix=prefix)
    source = os.environ["LUMORA_SOURCE_DIR"]
    subprocess.run([sys.executable, os.path.join(source, "scripts", "make_home.py"), home, *args],
                   check=True, stdout=subprocess.DEVNULL)
    return home


def start_xvfb(*args):
    """Starts Xvfb on a display number it picks itself among the free ones
    (-displayfd), so that tests running side by side never share a server.
    -noreset: without it the server resets whenever its last client
    disconnects (xdpyinfo, or a program a test has just ended), and a program
    that connects during the reset is refused; Qt then aborts with "could not
    connect to display". Returns (process, ":N")."""
    read, write = os.pipe()
    server = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-noreset", *args], pass_fds=(write,),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write)
    with os.fdopen(read) as f:
        number = f.readline().strip()
    if not number:
        server.kill()
        raise RuntimeError("Xvfb did not start")
    return server, ":" + number


def ppm_pixels(data):
    """A binary PPM ("P6\n<w> <h>\n255\n" then RGB triples) as (width,
    height, bytes)."""
    parts = data.split(b"\n", 3)
    w, h = map(int, parts[1].split())
    return w, h, parts[3]


def write_png(shot, path, scale=100):
    """Writes a screenshot ((width, height, RGB bytes)) as PNG, scaled to
    scale percent (ImageMagick)."""
    w, h, rgb = shot
    subprocess.run(["convert", "ppm:-", "-resize", "%d%%" % scale, path],
                   input=b"P6\n%d %d\n255\n" % (w, h) + rgb, check=True)


class XSession:
    def __init__(self, width=1024, height=768, screens=None):
        """One screen of width x height, or the Xvfb screen arguments given."""
        self.width, self.height = width, height
        screens = screens or ["-screen", "0", "%dx%dx24" % (width, height)]
        self.server, self.display = start_xvfb(*screens, "-nolisten", "tcp")
        self.env = dict(os.environ, DISPLAY=self.display, LUMORA_SHUTDOWN="print")
        self.env.pop("QT_QPA_PLATFORM", None)
        self.env.pop("WAYLAND_DISPLAY", None)
        for _ in range(100):
            if self.server.poll() is not None:
                break
            if subprocess.run(["xdpyinfo"], env=self.env, stdout=subprocess.DEVNULL,
                              stderr=subprocess.DEVNULL).returncode == 0:
                return
            time.sleep(0.1)
        raise RuntimeError("Xvfb did not start")

    def close(self):
        self.server.terminate()
        self.server.wait()

    def run(self, *args, **kw):
        return subprocess.run(list(args), env=self.env, check=False, **kw)

    def key(self, *keys):
        self.run("xdotool", "key", "--clearmodifiers", *keys)

    def type(self, text):
        self.run("xdotool", "type", "--delay", "30", text)

    def window_named(self, name, timeout=10):
        """Waits for a visible window of that title and gives it the keyboard
        (there is no window manager to do it)."""
        end = time.time() + timeout
        while time.time() < end:
            out = self.run("xdotool", "search", "--onlyvisible", "--name", "^%s$" % name,
                           capture_output=True, text=True).stdout.split()
            if out:
                self.run("xdotool", "windowfocus", "--sync", out[-1])
                return out[-1]
            time.sleep(0.2)
        return None

    def keyboard_grabbed(self):
        """True while another client holds the keyboard grab (a show that
        has taken the keyboard): asking for it ourselves is then refused.
        When we get it, it is let go at once."""
        xlib = _xlib()
        display = xlib.XOpenDisplay(self.display.encode())
        if not display:
            raise RuntimeError("cannot open the display " + self.display)
        try:
            # GrabModeAsync = 1, CurrentTime = 0; GrabSuccess = 0.
            status = xlib.XGrabKeyboard(display, xlib.XDefaultRootWindow(display), 0, 1, 1, 0)
            if status == 0:
                xlib.XUngrabKeyboard(display, 0)
            xlib.XSync(display, 0)
            return status != 0
        finally:
            xlib.XCloseDisplay(display)

    def screenshot(self):
        """The screen as (width, height, bytes of RGB triples)."""
        return ppm_pixels(self.run("import", "-silent", "-window", "root", "-depth", "8", "ppm:-",
                                   capture_output=True).stdout)

    def pixel(self, shot, x, y):
        w, _, rgb = shot
        i = (y * w + x) * 3
        return tuple(rgb[i:i + 3])

    def save_png(self, path):
        self.run("import", "-silent", "-window", "root", path)


_libx11 = []


def _xlib():
    """libX11 through ctypes, loaded once."""
    if not _libx11:
        xlib = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
        xlib.XOpenDisplay.restype = ctypes.c_void_p
        xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
        xlib.XDefaultRootWindow.restype = ctypes.c_ulong
        xlib.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
        xlib.XGrabKeyboard.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                       ctypes.c_ulong]
        xlib.XUngrabKeyboard.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
        xlib.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
        _libx11.append(xlib)
    return _libx11[0]


def wait_exit(proc, timeout):
    try:
        return proc.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        return None
