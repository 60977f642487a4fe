"""Wayland compositors for end-to-end tests: sway on its headless back end
and mutter headless in a D-Bus session of its own.

Compositors refuse to run as root. Run as root, this module runs them (and
every client a test starts through it) as a throwaway user, `lumora-e2e`
(made once with `useradd -m`; override the name with LUMORA_E2E_USER). Run
as anyone else, it uses the current user.

What the throwaway user must be able to reach: every directory on the way to
the programs under test (the build tree, e.g. /work/wt/x/build/lumora) must be
traversable by others (o+x) and the programs readable and executable by them
(CMake's defaults give that; a home or worktree of mode 0700 does not):
`check_reachable(path)` says which directory is missing it, and
`runnable(path)` gives a copy of a single program in a place the user can
reach when the build tree is not (a program that needs files beside it must
have its tree reachable instead; sanitizer suppression files named in
ASAN_OPTIONS/LSAN_OPTIONS are copied so by themselves). Files the user writes
or reads, such as a LUMORA_HOME made by scripts/make_home.py, are handed over
with `give(path)` (chown -R to the user).

    with Sway(outputs=2) as sway:            # HEADLESS-1, HEADLESS-2
        proc = sway.spawn([LUMORA, "/S"], env={"LUMORA_HOME": home})
        shot = sway.screenshot("HEADLESS-1")  # (width, height, RGB bytes)
        sway.key("space")
    with Mutter(1280, 800) as mutter:        # mutter.env has its bus address
        mutter.call("org.gnome.Mutter.IdleMonitor", "/org/gnome/Mutter/IdleMonitor/Core",
                    "org.gnome.Mutter.IdleMonitor.GetIdletime")   # "(uint64 1234,)"

`env` is the environment for clients: WAYLAND_DISPLAY, XDG_RUNTIME_DIR (a
private directory of mode 0700 owned by the user), HOME, USER, and SWAYSOCK
(sway) or DBUS_SESSION_BUS_ADDRESS (mutter); DISPLAY and the caller's own
session variables are removed. `spawn` and `run` start a program as the user
in that environment (the `env` argument adds to it), in a process group of its
own; `close` (or leaving the `with`) ends the compositor and everything
started through `spawn`, group by group.
"""
import atexit
import glob
import json
import os
import pwd
import shutil
import signal
import subprocess
import tempfile
import time

E2E_USER = os.environ.get("LUMORA_E2E_USER", "lumora-e2e")

# Variables of the caller's own session that must not reach the clients.
_SESSION_VARS = ("DISPLAY", "WAYLAND_DISPLAY", "WAYLAND_SOCKET", "XDG_RUNTIME_DIR", "SWAYSOCK",
                 "DBUS_SESSION_BUS_ADDRESS", "XDG_SESSION_TYPE", "XDG_CURRENT_DESKTOP",
                 "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME",
                 "QT_QPA_PLATFORM", "XAUTHORITY", "HOME", "USER", "LOGNAME", "I3SOCK")


def available(*programs):
    """True when every program is on PATH (tests skip without them)."""
    return all(shutil.which(p) for p in programs)


def user():
    """The account clients run as: a pwd entry. As root, the throwaway user,
    made on first use; otherwise the current user."""
    if os.geteuid() != 0:
        return pwd.getpwuid(os.geteuid())
    try:
        return pwd.getpwnam(E2E_USER)
    except KeyError:
        subprocess.run(["useradd", "-m", "-s", "/bin/sh", "-c", "Lumora end-to-end tests", E2E_USER],
                       check=True, stdout=subprocess.DEVNULL)
        return pwd.getpwnam(E2E_USER)


def give(path):
    """Hands a file or a tree (e.g. a scratch LUMORA_HOME) to the user;
    nothing to do when not root. Returns path."""
    if os.geteuid() == 0:
        account = user()
        for root, dirs, files in os.walk(path):
            for name in [root] + [os.path.join(root, n) for n in dirs + files]:
                os.lchown(name, account.pw_uid, account.pw_gid)
        os.lchown(path, account.pw_uid, account.pw_gid)
    return path


def check_reachable(path):
    """None when the user can run or read path; else a sentence naming the
    directory or file that stops it (a directory without o+x, say)."""
    account = user()
    if account.pw_uid == os.geteuid():
        return None if os.access(path, os.R_OK) else "%s is not readable" % path
    path = os.path.abspath(path)
    parts = path.split(os.sep)
    for i in range(2, len(parts)):
        directory = os.sep.join(parts[:i])
        st = os.stat(directory)
        if st.st_uid != account.pw_uid and not st.st_mode & 0o001:
            return "%s is not traversable by others (chmod o+x)" % directory
    st = os.stat(path)
    if st.st_uid != account.pw_uid and not st.st_mode & 0o004:
        return "%s is not readable by others (chmod o+r)" % path
    return None


_copies = []


def runnable(path):
    """path when the user can run it; otherwise a copy in a fresh directory
    of mode 0755 (removed when the test process ends)."""
    if check_reachable(path) is None:
        return path
    if not _copies:
        _copies.append(tempfile.mkdtemp(prefix="lumora-e2e-bin-"))
        os.chmod(_copies[0], 0o755)
        atexit.register(shutil.rmtree, _copies[0], True)
    copy = os.path.join(_copies[0], os.path.basename(path))
    shutil.copy2(path, copy)
    os.chmod(copy, 0o755)
    return copy


def _reachable_sanitizer_files(env):
    """A sanitizer build's suppression files (ASAN_OPTIONS, LSAN_OPTIONS,
    UBSAN_OPTIONS) must be readable by the user, or every program dies at its
    start: unreachable ones are copied (runnable)."""
    for name in ("ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"):
        if name not in env:
            continue
        options = []
        for option in env[name].split(":"):
            key, _, value = option.partition("=")
            if key == "suppressions" and value and os.path.exists(value):
                option = "suppressions=" + runnable(value)
            options.append(option)
        env[name] = ":".join(options)


def _demote(account):
    """Popen arguments that run the child as account (none when it is us)."""
    if account.pw_uid == os.geteuid():
        return {}
    return {"user": account.pw_uid, "group": account.pw_gid, "extra_groups": []}


def ppm_pixels(data):
    """A binary PPM ("P6", width, height, 255, then RGB triples; grim and
    ImageMagick write one header item per line) as (width, height, bytes)."""
    fields = []
    pos = 0
    while len(fields) < 4:
        while data[pos:pos + 1].isspace():
            pos += 1
        if data[pos:pos + 1] == b"#":
            pos = data.index(b"\n", pos)
            continue
        end = pos
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[pos:end])
        pos = end
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError("not an 8-bit binary PPM")
    w, h = int(fields[1]), int(fields[2])
    pixels = data[pos + 1:pos + 1 + w * h * 3]
    if len(pixels) != w * h * 3:
        raise ValueError("PPM data ends early")
    return w, h, pixels


def pixel(shot, x, y):
    """The (r, g, b) of a screenshot at (x, y)."""
    w, _, rgb = shot
    i = (y * w + x) * 3
    return tuple(rgb[i:i + 3])


class Compositor:
    """What both compositors share: the user, the runtime directory, clients
    and teardown. Not used directly."""

    def __init__(self):
        self.user = user()
        self._runtime = tempfile.mkdtemp(prefix="lumora-e2e-run-")
        os.chmod(self._runtime, 0o700)
        give(self._runtime)
        self.env = {k: v for k, v in os.environ.items() if k not in _SESSION_VARS}
        self.env.update(XDG_RUNTIME_DIR=self._runtime, HOME=self.user.pw_dir, USER=self.user.pw_name,
                        LOGNAME=self.user.pw_name)
        _reachable_sanitizer_files(self.env)
        self.server = None
        self._clients = []

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    @property
    def runtime_dir(self):
        return self._runtime

    def spawn(self, args, env=None, **kw):
        """Starts args as the user in the clients' environment (plus env), in a
        process group of its own, stdout and stderr piped unless given.
        Ended by close()."""
        kw.setdefault("stdout", subprocess.PIPE)
        kw.setdefault("stderr", subprocess.PIPE)
        proc = subprocess.Popen(list(args), env=dict(self.env, **(env or {})), start_new_session=True,
                                cwd=self.user.pw_dir if os.path.isdir(self.user.pw_dir) else "/",
                                **_demote(self.user), **kw)
        self._clients.append(proc)
        return proc

    def run(self, args, env=None, timeout=30, **kw):
        """Runs args as the user to its end; a CompletedProcess with output
        captured as bytes (unless stdout/stderr are given)."""
        if "stdout" not in kw and "stderr" not in kw:
            kw["capture_output"] = True
        return subprocess.run(list(args), env=dict(self.env, **(env or {})), timeout=timeout,
                              cwd=self.user.pw_dir if os.path.isdir(self.user.pw_dir) else "/",
                              **_demote(self.user), **kw)

    def _start_server(self, args, log_name):
        self._log = open(os.path.join(self._runtime, log_name), "wb")
        self.server = subprocess.Popen(list(args), env=self.env, start_new_session=True,
                                       stdout=self._log, stderr=subprocess.STDOUT,
                                       cwd=self.user.pw_dir if os.path.isdir(self.user.pw_dir) else "/",
                                       **_demote(self.user))

    def log(self):
        """What the compositor wrote so far (for failure messages)."""
        try:
            with open(self._log.name, "rb") as f:
                return f.read().decode(errors="replace")
        except (OSError, AttributeError):
            return ""

    def _await(self, ready, timeout, what):
        end = time.time() + timeout
        while time.time() < end:
            if self.server.poll() is not None:
                break
            if ready():
                return
            time.sleep(0.1)
        log = self.log()
        self.close()
        raise RuntimeError("%s did not start:\n%s" % (what, log[-3000:]))

    def _wayland_socket(self):
        sockets = [p for p in glob.glob(os.path.join(self._runtime, "wayland-*")) if not p.endswith(".lock")]
        return os.path.basename(sockets[0]) if sockets else None

    def close(self):
        """Ends every client started by spawn, then the compositor (each by
        its process group: SIGTERM, then SIGKILL after 5 s), and removes the
        runtime directory."""
        for proc in self._clients + ([self.server] if self.server else []):
            _end_group(proc)
        self._clients = []
        self.server = None
        if getattr(self, "_log", None):
            self._log.close()
        shutil.rmtree(self._runtime, ignore_errors=True)


def _end_group(proc):
    if proc.poll() is None:
        try:
            os.killpg(proc.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
        try:
            proc.wait(timeout=5)
        except subprocess.TimeoutExpired:
            pass
    # Whatever the group left behind (children of a client that ended).
    try:
        os.killpg(proc.pid, signal.SIGKILL)
    except (ProcessLookupError, PermissionError):
        pass
    if proc.poll() is None:
        proc.wait()
    for stream in (proc.stdout, proc.stderr):
        if stream:
            stream.close()


class Sway(Compositor):
    """sway 1.7 on wlroots' headless back end, with outputs HEADLESS-1 ..
    HEADLESS-n of width x height side by side, no input devices (so the seat
    is idle from the start), no Xwayland. Screenshots with grim, keys with
    wtype (a virtual keyboard: it counts as the seat's input)."""

    def __init__(self, outputs=1, width=1280, height=720, config_extra=""):
        super().__init__()
        self.outputs = ["HEADLESS-%d" % (i + 1) for i in range(outputs)]
        self.width, self.height = width, height
        config = os.path.join(self._runtime, "sway.config")
        with open(config, "w") as f:
            f.write("xwayland disable\n")
            for i, name in enumerate(self.outputs):
                f.write("output %s mode %dx%d position %d 0 bg #000000 solid_color\n" %
                        (name, width, height, i * width))
            f.write(config_extra)
        give(config)
        self.env.update(WLR_BACKENDS="headless", WLR_HEADLESS_OUTPUTS=str(outputs),
                        WLR_LIBINPUT_NO_DEVICES="1", WLR_RENDERER=os.environ.get("WLR_RENDERER", "pixman"))
        self._start_server(["sway", "--config", config], "sway.log")

        def ready():
            socks = glob.glob(os.path.join(self._runtime, "sway-ipc.*.sock"))
            wayland = self._wayland_socket()
            if not socks or not wayland:
                return False
            self.env.update(SWAYSOCK=socks[0], WAYLAND_DISPLAY=wayland)
            try:
                return len(self.get_outputs()) == outputs
            except (subprocess.SubprocessError, ValueError):
                return False

        self._await(ready, 30, "sway")
        # The clients' environment; the back-end variables were sway's own.
        for name in ("WLR_BACKENDS", "WLR_HEADLESS_OUTPUTS", "WLR_LIBINPUT_NO_DEVICES", "WLR_RENDERER"):
            self.env.pop(name)

    def swaymsg(self, *args):
        """swaymsg's answer, parsed from JSON."""
        out = self.run(["swaymsg", "-r", *args], timeout=10)
        if out.returncode != 0:
            raise subprocess.SubprocessError(out.stderr.decode(errors="replace"))
        return json.loads(out.stdout)

    def get_outputs(self):
        return self.swaymsg("-t", "get_outputs")

    def screenshot(self, output=None):
        """One output (by name) or the whole layout as (width, height, RGB
        bytes)."""
        args = ["grim", "-t", "ppm"] + (["-o", output] if output else []) + ["-"]
        out = self.run(args, timeout=20)
        if out.returncode != 0:
            raise RuntimeError("grim: " + out.stderr.decode(errors="replace"))
        return ppm_pixels(out.stdout)

    def key(self, *keys):
        """Presses and releases each key (xkb names: space, Escape, a)."""
        args = ["wtype"]
        for k in keys:
            args += ["-k", k]
        self.run(args, timeout=10, check=True)

    def type(self, text):
        self.run(["wtype", "-d", "30", text], timeout=30, check=True)


class BusCompositor(Compositor):
    """A compositor run inside a `dbus-run-session` of its own; env carries
    that bus's DBUS_SESSION_BUS_ADDRESS once it is ready."""

    def _start_on_own_bus(self, command, what, server_env, ready_name):
        """Starts command on a bus of its own (server_env for it alone) and
        waits until its Wayland socket is there and it owns ready_name."""
        address_file = os.path.join(self._runtime, "bus-address")
        # dbus-run-session hands the address to its child only: the child
        # writes it down for the clients, then becomes the compositor.
        script = 'printf %s "$DBUS_SESSION_BUS_ADDRESS" > "$0.tmp" && mv "$0.tmp" "$0" && exec "$@"'
        saved = dict(self.env)
        self.env.update(server_env)
        self._start_server(["dbus-run-session", "--", "sh", "-c", script, address_file, *command], what + ".log")
        self.env = saved

        def ready():
            if not os.path.exists(address_file) or not self._wayland_socket():
                return False
            with open(address_file) as f:
                self.env.update(DBUS_SESSION_BUS_ADDRESS=f.read(), WAYLAND_DISPLAY=self._wayland_socket())
            return self.has_name(ready_name)

        self._await(ready, 60, what)

    def has_name(self, name):
        """True when name has an owner on the compositor's session bus."""
        out = self.run(["gdbus", "call", "--session", "--dest", "org.freedesktop.DBus", "--object-path",
                        "/org/freedesktop/DBus", "--method", "org.freedesktop.DBus.NameHasOwner", name],
                       timeout=10)
        return out.returncode == 0 and b"true" in out.stdout


class Mutter(BusCompositor):
    """mutter as a headless Wayland compositor (no Xwayland) with one virtual
    monitor of width x height, run inside a `dbus-run-session` of its own;
    env carries that bus's DBUS_SESSION_BUS_ADDRESS. Ready when its Wayland
    socket is there and it owns org.gnome.Mutter.IdleMonitor on the bus.
    mutter_env adds variables for mutter alone (e.g. its debug switches)."""

    def __init__(self, width=1280, height=800, mutter_env=None):
        super().__init__()
        self.width, self.height = width, height
        self._start_on_own_bus(["mutter", "--headless", "--wayland", "--no-x11", "--wayland-display", "wayland-e2e",
                                "--virtual-monitor", "%dx%d" % (width, height)],
                               "mutter", mutter_env or {}, "org.gnome.Mutter.IdleMonitor")

    def call(self, dest, path, method, *args):
        """A D-Bus method call on mutter's session bus with gdbus; its answer
        as text (GVariant notation)."""
        out = self.run(["gdbus", "call", "--session", "--dest", dest, "--object-path", path, "--method",
                        method, *[str(a) for a in args]], timeout=10)
        if out.returncode != 0:
            raise RuntimeError("gdbus %s: %s" % (method, out.stderr.decode(errors="replace")))
        return out.stdout.decode().strip()



# Linux key codes of the keys KWin.key presses.
KEY_CODES = {"BackSpace": 14, "Return": 28, "space": 57, "Super_L": 125, "Next": 109, "a": 30, "b": 48,
             "c": 46}
# The user cannot reach a Python of root's own (pyenv's under /root).
_SYSTEM_PYTHON = "/usr/bin/python3"
_FAKE_KEYS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "kwin_fake_keys.py")


class KWin(BusCompositor):
    """kwin_wayland (Plasma 5.27) on its virtual back end with one output of
    width x height, in a `dbus-run-session` of its own like Mutter. The
    installed binary carries file capabilities, which a container refuses to
    exec: a plain copy (without them) runs instead; it must keep the name
    kwin_wayland, or KWin's own Qt platform plugin refuses to load.
    KWin offers neither wlr-screencopy (grim) nor the virtual keyboard
    (wtype): screenshots come through its ScreenShot2 D-Bus interface (the
    `screenshot_tool` program, tests/e2e/kwin_screenshot.cpp) and keys
    through its fake input device (kwin_fake_keys.py, run as the user: KWin
    hides the device from a process whose /proc entry it cannot read), both
    opened to any client by KWin's *_NO_PERMISSION_CHECKS switches."""

    def __init__(self, screenshot_tool, width=800, height=600):
        super().__init__()
        self.width, self.height = width, height
        self.screenshot_tool = screenshot_tool
        binary = os.path.join(self._runtime, "bin", "kwin_wayland")
        os.mkdir(os.path.dirname(binary))
        shutil.copy(shutil.which("kwin_wayland"), binary)  # no xattrs: no capabilities
        os.chmod(os.path.dirname(binary), 0o755)
        os.chmod(binary, 0o755)
        self._start_on_own_bus([binary, "--virtual", "--socket", "wayland-e2e", "--width", str(width),
                                "--height", str(height)], "kwin_wayland",
                               {"KWIN_WAYLAND_NO_PERMISSION_CHECKS": "1", "KWIN_SCREENSHOT_NO_PERMISSION_CHECKS": "1"},
                               "org.kde.KWin.ScreenShot2")

    def screenshot(self):
        """The whole workspace as (width, height, RGB bytes)."""
        out = self.run([self.screenshot_tool], timeout=20)
        if out.returncode != 0:
            raise RuntimeError("kwin_screenshot: " + out.stderr.decode(errors="replace"))
        return ppm_pixels(out.stdout)

    def key(self, *combos):
        """Presses each combination ("space", "Super_L+Next"): its keys held
        down in order, then let go in reverse."""
        events = []
        for combo in combos:
            codes = [KEY_CODES[name] for name in combo.split("+")]
            events += ["%d:1" % c for c in codes] + ["%d:0" % c for c in reversed(codes)]
        out = self.run([_SYSTEM_PYTHON, runnable(_FAKE_KEYS), *events], timeout=20)
        if out.returncode != 0:
            raise RuntimeError("kwin_fake_keys: " + out.stderr.decode(errors="replace"))

    def type(self, text):
        self.key(*text)

    def shortcut(self, name):
        """Runs one of KWin's global shortcuts by its action's name ("Window
        Minimize" is Meta+PgDown) through kglobalaccel, as its key would."""
        out = self.run(["gdbus", "call", "--session", "--dest", "org.kde.kglobalaccel", "--object-path",
                        "/component/kwin", "--method", "org.kde.kglobalaccel.Component.invokeShortcut", name],
                       timeout=10)
        if out.returncode != 0:
            raise RuntimeError("invokeShortcut %s: %s" % (name, out.stderr.decode(errors="replace")))
