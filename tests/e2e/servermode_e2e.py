#!/usr/bin/python3
"""Server mode of the real kovalt05.exe under Xvfb: choosing a server by a double click.

Usage: servermode_e2e.py --exe <kovalt05.exe> --fixtures <dir of fixture program dirs> --artifacts <dir>
Needs the MariaDB fixture (env KOVALT_MARIADB_INFO): one block points at it, one at a closed port.
Every process started here is stopped here, by its PID, also when a journey fails.
"""
import os
import sys
import time

# The harness is shared with bar_e2e.py; importing it must not leave compiled files in the tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bar_e2e as h  # noqa: E402

TILE_PITCH = 47
TILE_TOP = 20
RED = (255, 0, 0)
BLACK = (0, 0, 0)


def block(name, active, host, port, db):
    mark = "" if active else ";"
    return [";" + name] + [mark + k for k in ("IP=" + host, "User=" + db["USER"], "Password=" + db["PASSWORD"],
                                              "Database=" + db["DATABASE"], "SQLport=" + str(port))]


def settings(blocks):
    return ["[LogON]"] + blocks + ["FTP=127.0.0.1", "FTPport=1"]


def write_lines(bar, lines):
    with open(os.path.join(bar.dir, "kovalt05.ini"), "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp1250"))


def server_part(bar):
    """The settings file's lines up to its update part."""
    lines = bar.read("kovalt05.ini").split("\r\n")
    return lines[:next(i for i, l in enumerate(lines) if l.startswith("FTP"))]


def ready(display, wid, shot):
    # The ready indicator sits at the bottom of the bar, which grows with the tiles.
    x, y, _, hgt = display.geometry(wid)
    display.screenshot(shot)
    return display.pixel(shot, x + h.READY[0], y + hgt - 47 + h.READY[1]) != h.PANEL_COLOUR


def tile_point(wid, display, j, dx=150, dy=30):
    x, y, _, _ = display.geometry(wid)
    return x + dx, y + TILE_TOP + (j - 1) * TILE_PITCH + dy


def double_click(display, point):
    display.run("xdotool", "mousemove", "--sync", str(point[0]), str(point[1]), "click", "--repeat", "2",
                "--delay", "80", "1")


def double_click_until(display, point, what, done, tries=3, wait=8):
    """Double-clicks until done() gives something. On a loaded machine xdotool's two clicks can
    come further apart than the double-click interval, and the bar then sees two single clicks."""
    for _ in range(tries):
        double_click(display, point)
        try:
            return h.wait_until(what, done, wait, 0.1)
        except AssertionError:
            continue
    raise AssertionError("timed out waiting for " + what)


def journey_closed_server_shows_notice_reachable_one_switches_to_modules(ctx):
    db = h.mariadb_info()
    bar = h.Bar(ctx.display, ctx.exe, ctx.fixture, ctx.tmp())
    # Sorted by name: tile 1 the fixture's server (active at the start), tile 2 the closed port.
    reachable = block("Lokální", True, db["HOST"], db["PORT"], db)
    closed = block("Zavřený", False, "127.0.0.1", h.closed_port(), db)
    write_lines(bar, settings(reachable + closed))
    p = bar.start("/V")
    wid = bar.window(p)
    shot = os.path.join(ctx.artifacts, "servers-ready.png")
    h.wait_until("the ready indicator", lambda: ready(ctx.display, wid, shot), 15, 0.2)
    x, y, w, hgt = ctx.display.geometry(wid)
    assert (w, hgt) == (280, 2 * TILE_PITCH + 35), "server column %dx%d" % (w, hgt)
    assert (x, y) == (0, 10), "server column at %d,%d" % (x, y)
    # The frames: the active server's red, the other black.
    h.expect_pixel(ctx.display, shot, x + 140, y + TILE_TOP, RED, "frame of tile 1")
    h.expect_pixel(ctx.display, shot, x + 140, y + TILE_TOP + 1, RED, "inner frame line of tile 1")
    h.expect_pixel(ctx.display, shot, x + 140, y + TILE_TOP + TILE_PITCH, BLACK, "frame of tile 2")
    left = ctx.display.pixel(shot, x + 3, y + TILE_TOP + TILE_PITCH + 20)
    assert left[1] > 100 and left[0] < 40 and left[2] < 40, "tile 2 starts dark green: %s" % (left,)
    ctx.display.run("convert", shot, "-crop", "300x140+0+0", "+repage", "-scale", "300%",
                    os.path.join(ctx.artifacts, "servers-zoom.png"))

    # The closed server: the file names it, the notice tells, server mode stays.
    box = double_click_until(ctx.display, tile_point(wid, ctx.display, 2), "the notice",
                             lambda: [v for v in ctx.display.windows(p.pid) if v != wid])[0]
    time.sleep(0.5)
    ctx.display.screenshot(os.path.join(ctx.artifacts, "servers-notice.png"))
    part = server_part(bar)
    assert part == ["[LogON]", ";Lokální"] + [";" + l for l in reachable[1:]] + [";Zavřený"] + \
        [l.lstrip(";") for l in closed[1:]], part
    ctx.display.close_window(box)
    h.wait_until("the notice to close", lambda: ctx.display.windows(p.pid) == [wid], 10)
    assert p.poll() is None, "the bar ended after the failed activation"
    assert ctx.display.geometry(wid)[2:] == (280, 2 * TILE_PITCH + 35), "server column changed"

    # The reachable one: the file names it again and the module tiles come.
    double_click_until(ctx.display, tile_point(wid, ctx.display, 1), "the module column",
                       lambda: ctx.display.geometry(wid)[2] != 280)
    time.sleep(0.5)
    ctx.display.screenshot(os.path.join(ctx.artifacts, "servers-then-modules.png"))
    assert server_part(bar) == ["[LogON]"] + reachable + closed, bar.read("kovalt05.ini")
    assert ctx.display.windows(p.pid) == [wid], "a notice after the reachable server"
    x, y, w, hgt = ctx.display.geometry(wid)
    icon = (w - 70) // 5
    assert hgt == icon + 15 + 35, "one module tile: %dx%d" % (w, hgt)
    assert p.poll() is None
    ctx.display.close_window(wid)
    assert p.wait(10) == 0


JOURNEYS = [journey_closed_server_shows_notice_reachable_one_switches_to_modules]


class Context(h.Context):
    fixture_name = "servers"


if __name__ == "__main__":
    sys.exit(h.run(JOURNEYS, Context))
