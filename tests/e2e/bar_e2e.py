#!/usr/bin/python3
"""Journeys through the real kovalt05.exe under Xvfb, driven with xdotool.

Usage: bar_e2e.py --exe <kovalt05.exe> --fixtures <dir of fixture program dirs> --artifacts <dir>
Every process started here is stopped here, by its PID, also when a journey fails.
"""
import argparse
import ctypes
import os
import random
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import traceback

STARTED = []  # every Popen we made, stopped in stop_all()
ARTIFACTS = "."


def log(*args):
    print(*args, flush=True)


def spawn(cmd, **kw):
    p = subprocess.Popen(cmd, stdout=kw.pop("stdout", subprocess.DEVNULL),
                         stderr=kw.pop("stderr", subprocess.DEVNULL), **kw)
    STARTED.append(p)
    return p


def stop(p):
    if p.poll() is None:
        p.terminate()
        try:
            p.wait(3)
        except subprocess.TimeoutExpired:
            p.kill()
            p.wait(3)


def stop_all():
    for p in reversed(STARTED):
        try:
            stop(p)
        except Exception:  # noqa: BLE001 - keep stopping the others
            pass


def wait_until(what, probe, timeout=10.0, step=0.05):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        value = probe()
        if value:
            return value
        time.sleep(step)
    raise AssertionError("timed out waiting for " + what)


class Display:
    """Xvfb on a free display number, optionally with the xcompmgr compositor."""

    def __init__(self):
        # A random display number, so two harnesses on one machine (a developer's and a build's)
        # do not both try the low numbers; one taken already makes Xvfb end and the next is tried.
        # Xvfb tells through the pipe when it accepts connections. -noreset: by default the server
        # resets whenever its last client leaves and refuses the connections that arrive meanwhile,
        # which made a program started right then fail with "could not connect to display".
        rng = random.Random()
        for _ in range(10):
            number = rng.randrange(20, 900)
            said = self._start_xvfb(number)
            if said.strip().isdigit():
                break
            stop(self.xvfb)
        else:
            raise RuntimeError("Xvfb gave no display number")
        self.number = int(said)
        self.name = ":%d" % self.number
        self.env = dict(os.environ, DISPLAY=self.name, QT_QPA_PLATFORM="xcb")
        self.env.pop("WAYLAND_DISPLAY", None)
        wait_until("Xvfb", lambda: subprocess.run(["xdpyinfo"], env=self.env, stdout=subprocess.DEVNULL,
                                                  stderr=subprocess.DEVNULL).returncode == 0 or
                   self.xvfb.poll() is not None)
        if self.xvfb.poll() is not None:
            raise RuntimeError("Xvfb did not start")
        self.compositor = None
        self.window_manager = None

    def _start_xvfb(self, number):
        read_end, write_end = os.pipe()
        said = b""
        try:
            self.xvfb = spawn(["Xvfb", ":%d" % number, "-displayfd", str(write_end), "-screen", "0",
                               "1920x1080x24", "-nolisten", "tcp", "-noreset", "-wr"], pass_fds=(write_end,))
            os.close(write_end)
            write_end = None
            end = time.monotonic() + 20
            while not said.endswith(b"\n") and time.monotonic() < end:
                ready, _, _ = select.select([read_end], [], [], 0.2)
                if ready:
                    chunk = os.read(read_end, 64)
                    if not chunk:
                        break
                    said += chunk
        finally:
            if write_end is not None:
                os.close(write_end)
            os.close(read_end)
        return said.decode(errors="replace")

    def start_compositor(self):
        self.compositor = spawn(["xcompmgr", "-n"], env=self.env)
        time.sleep(0.5)

    def stop_compositor(self):
        if self.compositor:
            stop(self.compositor)
            self.compositor = None

    def start_window_manager(self):
        """openbox with its stock configuration: it moves, frames and iconifies windows as a desktop does."""
        env = dict(self.env, XDG_CACHE_HOME=os.path.join(ARTIFACTS, "openbox-cache"))
        log_path = os.path.join(ARTIFACTS, "openbox-stderr.txt")
        with open(log_path, "wb") as err:
            self.window_manager = spawn(["openbox", "--sm-disable"], env=env, stderr=err)
        wait_until("the window manager", lambda: "window id" in self.run(
            "xprop", "-root", "_NET_SUPPORTING_WM_CHECK", check=False) or self.window_manager.poll() is not None)
        if self.window_manager.poll() is not None:
            with open(log_path, errors="replace") as f:
                raise AssertionError("openbox did not start: " + f.read()[-1000:])

    def stop_window_manager(self):
        if self.window_manager:
            stop(self.window_manager)
            self.window_manager = None

    def own(self):
        """The display's own processes, which outlive a journey."""
        return [p for p in (self.xvfb, self.compositor, self.window_manager) if p is not None]

    def iconic(self, wid):
        """Whether the window manager shows the window as an icon (minimised)."""
        return "Iconic" in self.run("xprop", "-id", str(wid), "WM_STATE", check=False)

    def run(self, *cmd, check=True):
        r = subprocess.run(list(cmd), env=self.env, capture_output=True, text=True, timeout=20)
        if check and r.returncode != 0:
            raise AssertionError("%s failed: %s" % (" ".join(cmd), r.stderr.strip()))
        return r.stdout

    def windows(self, pid=None):
        cmd = ["xdotool", "search", "--onlyvisible", "--name", "^Kovalt05$"]
        if pid is not None:
            cmd[2:2] = ["--all", "--pid", str(pid)]
        return [int(w) for w in self.run(*cmd, check=False).split()]

    def geometry(self, wid):
        values = {}
        for line in self.run("xdotool", "getwindowgeometry", "--shell", str(wid)).splitlines():
            k, _, v = line.partition("=")
            values[k] = int(v)
        return values["X"], values["Y"], values["WIDTH"], values["HEIGHT"]

    def click(self, x, y):
        self.run("xdotool", "mousemove", "--sync", str(x), str(y), "click", "1")

    def screenshot(self, path):
        self.run("import", "-window", "root", path)

    def pixel(self, path, x, y):
        out = self.run("convert", path, "-crop", "1x1+%d+%d" % (x, y), "-depth", "8", "txt:-")
        # "0,0: (183,255,183)  #B7FFB7  srgb(183,255,183)"
        rgb = out.splitlines()[1].split("(")[1].split(")")[0]
        return tuple(int(float(c)) for c in rgb.split(",")[:3])

    def close_window(self, wid):
        """Sends WM_DELETE_WINDOW, the window system's close command, as a window manager would."""
        x = ctypes.CDLL("libX11.so.6")
        x.XOpenDisplay.restype = ctypes.c_void_p
        x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        x.XInternAtom.restype = ctypes.c_ulong
        x.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
        x.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long, ctypes.c_void_p]
        x.XFlush.argtypes = [ctypes.c_void_p]
        x.XCloseDisplay.argtypes = [ctypes.c_void_p]

        class ClientMessage(ctypes.Structure):
            _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                        ("display", ctypes.c_void_p), ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                        ("format", ctypes.c_int), ("data", ctypes.c_long * 5), ("pad", ctypes.c_char * 96)]

        dpy = x.XOpenDisplay(self.name.encode())
        if not dpy:
            raise AssertionError("cannot open display")
        try:
            ev = ClientMessage()
            ev.type = 33  # ClientMessage
            ev.window = wid
            ev.message_type = x.XInternAtom(dpy, b"WM_PROTOCOLS", 0)
            ev.format = 32
            ev.data[0] = x.XInternAtom(dpy, b"WM_DELETE_WINDOW", 0)
            ev.data[1] = 0  # CurrentTime
            x.XSendEvent(dpy, wid, 0, 0, ctypes.byref(ev))
            x.XFlush(dpy)
        finally:
            x.XCloseDisplay(dpy)

    def close(self):
        self.stop_window_manager()
        self.stop_compositor()
        stop(self.xvfb)


class Bar:
    """A copy of a fixture program directory with the real program in it."""

    def __init__(self, display, exe, fixture, root, name="bar"):
        self.display = display
        self.dir = os.path.join(root, name)
        shutil.copytree(fixture, self.dir)
        self.exe = os.path.join(self.dir, "kovalt05.exe")
        shutil.copy2(exe, self.exe)
        self.proc = None

    def start(self, *args):
        err_path = os.path.join(ARTIFACTS, "bar-stderr-%03d.txt" % len(STARTED))
        with open(err_path, "wb") as err:
            p = spawn([self.exe, *args], cwd=self.dir, env=self.display.env, stderr=err)
        p.err_path = err_path
        if self.proc is None:
            self.proc = p
        return p

    def window(self, p=None, timeout=10.0):
        p = p or self.proc
        try:
            return wait_until("the bar's window", lambda: (self.display.windows(p.pid) or [None])[0], timeout)
        except AssertionError:
            with open(p.err_path, errors="replace") as f:
                said = f.read()[-2000:]
            raise AssertionError("no window of pid %d (exit code %s): %s" % (p.pid, p.poll(), said)) from None

    def read(self, name):
        with open(os.path.join(self.dir, name), "rb") as f:
            return f.read().decode("cp1250")


# The fixture's bar holds one module tile with a 32-pixel icon: 5 * 32 + 70 = 230 wide, its one tile
# (42 high, at top 20) and the foot make it 82 high. Panel1 spans it from left 20 with 50 pixels less
# than the design's 280 x 47, so pictures anchored right move 50 to the left, those anchored to the
# foot sit at Panel1's height - 20.
BAR_SIZE = (230, 82)
SHRINK = 280 - BAR_SIZE[0]
# Where things are on the bar, from its top-left corner: Panel1 at 20,0 with a 1-pixel border.
CLOSE = (20 + 1 + 160 - SHRINK + 8, 1 + 2 + 8)
MINIMISE = (20 + 1 + 180 - SHRINK + 8, 1 + 2 + 8)
READY = (20 + 1 + 50 - SHRINK + 41, 1 + BAR_SIZE[1] - 20 + 7)  # the middle of the ready indicator, once shown
BODY = (20 + 1 + 180 - SHRINK - 30, BAR_SIZE[1] - 5)         # plain Panel1, right of the ready indicator
OUTSIDE = (8, 10)  # the bar's transparent background, left of Panel1 and above the tile

PANEL_COLOUR = (183, 255, 183)


def mariadb_info():
    """The MariaDB fixture's info file (KOVALT_MARIADB_INFO): HOST, PORT, USER, PASSWORD, DATABASE."""
    values = {}
    with open(os.environ["KOVALT_MARIADB_INFO"]) as f:
        for line in f:
            k, _, v = line.strip().partition("=")
            values[k] = v
    return values


def closed_port():
    """A port of 127.0.0.1 where nobody listens."""
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def write_fixture_settings(bar):
    """A settings file whose one server block points at the fixture's server; no update server."""
    db = mariadb_info()
    lines = ["[LogON]", ";Test", "IP=" + db["HOST"], "User=" + db["USER"], "Password=" + db["PASSWORD"],
             "Database=" + db["DATABASE"], "SQLport=" + db["PORT"], "FTP=127.0.0.1", "FTPport=1"]
    with open(os.path.join(bar.dir, "kovalt05.ini"), "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp1250"))


def point_at_fixture_db(bar_dir):
    """Rewrites the LogON block of kovalt05.ini onto the MariaDB fixture; other keys stay."""
    db = mariadb_info()
    wanted = {"user": db["USER"], "password": db["PASSWORD"], "database": db["DATABASE"],
              "sqlport": db["PORT"], "ip": "127.0.0.1"}
    path = os.path.join(bar_dir, "kovalt05.ini")
    with open(path, encoding="cp1250", newline="") as f:
        lines = f.read().splitlines()
    out, section = [], None
    for line in lines:
        t = line.strip()
        if t.startswith("["):
            section = t.lower()
        key = t.partition("=")[0].strip().lower()
        if section == "[logon]" and key in wanted:
            line = "%s=%s" % (t.partition("=")[0].strip(), wanted.pop(key))
        out.append(line)
    with open(path, "w", encoding="cp1250", newline="") as f:
        f.write("".join(l + "\r\n" for l in out))


class DbBar(Bar):
    """A bar whose module mode connects to the MariaDB fixture."""

    def __init__(self, *args, **kw):
        super().__init__(*args, **kw)
        point_at_fixture_db(self.dir)


def expect_pixel(display, shot, x, y, rgb, what):
    got = display.pixel(shot, x, y)
    assert got == rgb, "%s at %d,%d: %s, expected %s" % (what, x, y, got, rgb)


def shows_ready(display, wid, shot):
    x, y, _, _ = display.geometry(wid)
    display.screenshot(shot)
    return display.pixel(shot, x + READY[0], y + READY[1]) != PANEL_COLOUR


def journey_starts_and_shows_body(ctx):
    bar = DbBar(ctx.display, ctx.exe, ctx.fixture, ctx.tmp())
    bar.start()
    wid = bar.window()
    x, y, w, h = ctx.display.geometry(wid)
    assert (w, h) == BAR_SIZE, "bar size %dx%d" % (w, h)
    shot = os.path.join(ctx.artifacts, "bar-plain.png")
    wait_until("the ready indicator", lambda: shows_ready(ctx.display, wid, shot), 10, 0.2)
    expect_pixel(ctx.display, shot, x + BODY[0], y + BODY[1], PANEL_COLOUR, "Panel1")
    # Without a compositor the transparent background comes out black.
    expect_pixel(ctx.display, shot, x + OUTSIDE[0], y + OUTSIDE[1], (0, 0, 0), "background")
    stop(bar.proc)


def journey_compositor_shows_transparency(ctx):
    ctx.display.start_compositor()
    try:
        bar = DbBar(ctx.display, ctx.exe, ctx.fixture, ctx.tmp())
        bar.start()
        wid = bar.window()
        x, y, _, _ = ctx.display.geometry(wid)
        shot = os.path.join(ctx.artifacts, "bar-composited.png")
        wait_until("the ready indicator", lambda: shows_ready(ctx.display, wid, shot), 10, 0.2)
        ctx.display.run("convert", shot, "-crop", "320x80+%d+%d" % (max(0, x - 20), max(0, y - 16)),
                        "+repage", "-scale", "400%", os.path.join(ctx.artifacts, "bar-composited-zoom.png"))
        # What lies behind (xcompmgr paints a bare root grey) shows through the bar's own background.
        behind = ctx.display.pixel(shot, 1900, 1000)
        assert behind != (0, 0, 0)
        expect_pixel(ctx.display, shot, x + OUTSIDE[0], y + OUTSIDE[1], behind, "background")
        expect_pixel(ctx.display, shot, x + BODY[0], y + BODY[1], PANEL_COLOUR, "Panel1")
        stop(bar.proc)
    finally:
        ctx.display.stop_compositor()


def journey_close_picture_gated_until_ready(ctx):
    # The click has to land in the second before the indicator shows; a slow start gets retries.
    for attempt in range(3):
        bar = DbBar(ctx.display, ctx.exe, ctx.fixture, ctx.tmp(), "bar%d" % attempt)
        p = bar.start()
        wid = bar.window()
        x, y, _, _ = ctx.display.geometry(wid)
        ctx.display.click(x + CLOSE[0], y + CLOSE[1])
        shot = os.path.join(ctx.tmp(), "early.png")
        early = not shows_ready(ctx.display, wid, shot)
        time.sleep(0.3)
        if not early:
            stop(p)
            continue
        assert p.poll() is None, "the close picture closed the bar before it was ready"
        wait_until("the ready indicator", lambda: shows_ready(ctx.display, wid, shot), 10, 0.2)
        ctx.display.click(x + CLOSE[0], y + CLOSE[1])
        assert p.wait(10) == 0, "exit code after the close picture"
        ini = bar.read("kovalt05.ini")
        assert "AlphaBlendValue=255" in ini and "FontColor=16777215" in ini, ini
        return
    raise AssertionError("the bar never showed before its ready indicator")


def journey_window_system_close_before_ready(ctx):
    bar = DbBar(ctx.display, ctx.exe, ctx.fixture, ctx.tmp())
    p = bar.start()
    wid = bar.window()
    ctx.display.close_window(wid)
    assert p.wait(10) == 0, "exit code after the window system's close"
    assert "AlphaBlendValue=255" in bar.read("kovalt05.ini")


def journey_second_start_activates_first(ctx):
    bar = DbBar(ctx.display, ctx.exe, ctx.fixture, ctx.tmp())
    first = bar.start()
    bar.window()
    before = sorted(os.listdir(bar.dir))
    second = bar.start()
    assert second.wait(10) == 0, "exit code of the second start"
    assert first.poll() is None, "the first instance ended"
    assert ctx.display.windows(second.pid) == [], "the second start showed a window"
    assert len(ctx.display.windows()) == 1
    assert sorted(os.listdir(bar.dir)) == before, "the second start wrote a file"
    stop(first)


def journey_copy_in_other_folder_runs_too(ctx):
    root = ctx.tmp()
    a = DbBar(ctx.display, ctx.exe, ctx.fixture, root, "one")
    b = DbBar(ctx.display, ctx.exe, ctx.fixture, root, "two")
    pa = a.start()
    a.window()
    pb = b.start()
    b.window()
    assert pa.poll() is None and pb.poll() is None
    assert len(ctx.display.windows()) == 2, ctx.display.windows()
    stop(pa)
    stop(pb)


def journey_killed_instance_does_not_block(ctx):
    bar = DbBar(ctx.display, ctx.exe, ctx.fixture, ctx.tmp())
    first = bar.start()
    bar.window()
    first.send_signal(signal.SIGKILL)
    first.wait(5)
    again = bar.start()
    bar.window(again)
    assert again.poll() is None
    stop(again)


def journey_twenty_starts_leave_one(ctx):
    bar = DbBar(ctx.display, ctx.exe, ctx.fixture, ctx.tmp())
    procs = [bar.start() for _ in range(20)]
    wait_until("all but one to end", lambda: sum(p.poll() is None for p in procs) <= 1, 30, 0.1)
    running = [p for p in procs if p.poll() is None]
    assert len(running) == 1, "%d instances running" % len(running)
    assert all(p.returncode == 0 for p in procs if p not in running)
    bar.window(running[0])
    time.sleep(0.5)
    assert len(ctx.display.windows()) == 1
    stop(running[0])


def journey_small_v_starts_server_mode(ctx):
    bar = DbBar(ctx.display, ctx.exe, ctx.fixture, ctx.tmp())
    p = bar.start("/v")
    wid = bar.window()
    shot = os.path.join(ctx.artifacts, "bar-server-mode.png")
    wait_until("the ready indicator", lambda: shows_ready(ctx.display, wid, shot), 10, 0.2)
    assert p.poll() is None
    ctx.display.close_window(wid)
    assert p.wait(10) == 0


JOURNEYS = [
    journey_starts_and_shows_body,
    journey_compositor_shows_transparency,
    journey_close_picture_gated_until_ready,
    journey_window_system_close_before_ready,
    journey_second_start_activates_first,
    journey_copy_in_other_folder_runs_too,
    journey_killed_instance_does_not_block,
    journey_twenty_starts_leave_one,
    journey_small_v_starts_server_mode,
]


class Context:
    """What a journey gets: the program, its fixture directory, the display and fresh folders."""

    fixture_name = "bar"

    def __init__(self, args, display, workdir):
        self.args = args
        self.exe = args.exe
        self.fixture = os.path.join(args.fixtures, self.fixture_name) if args.fixtures else None
        self.artifacts = args.artifacts
        self.display = display
        self._workdir = workdir
        self._n = 0

    def tmp(self):
        self._n += 1
        d = os.path.join(self._workdir, "j%02d" % self._n)
        os.makedirs(d)
        return d


def run(journeys, context=Context, extra_args=(), setup=None):
    """Runs the journeys on one display; the program's exit code. Every journey runs, also after a
    failed one; what a journey started is stopped after it, the display at the end."""
    ap = argparse.ArgumentParser()
    ap.add_argument("--exe", required=True)
    ap.add_argument("--fixtures")
    ap.add_argument("--artifacts", required=True)
    ap.add_argument("--only", default="", help="comma-separated parts of journey names")
    for name in extra_args:
        ap.add_argument(name, required=True)
    args = ap.parse_args()
    os.makedirs(args.artifacts, exist_ok=True)
    global ARTIFACTS
    ARTIFACTS = args.artifacts
    failures = 0
    with tempfile.TemporaryDirectory(prefix="kovalt-e2e-") as workdir:
        try:
            display = Display()
            ctx = context(args, display, workdir)
            if setup:
                setup(ctx)
            for journey in journeys:
                if args.only and not any(o in journey.__name__ for o in args.only.split(",")):
                    continue
                try:
                    journey(ctx)
                    log("PASS", journey.__name__)
                except Exception:  # noqa: BLE001 - report every journey
                    failures += 1
                    log("FAIL", journey.__name__)
                    traceback.print_exc()
                finally:
                    own = display.own()
                    for p in STARTED:
                        if p not in own:
                            stop(p)
        finally:
            stop_all()
    log("%d journey(s) failed" % failures if failures else "all journeys passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(run(JOURNEYS))
