#!/usr/bin/python3
"""Module-mode journeys through the real kovalt05.exe under Xvfb, against the MariaDB fixture.

Usage: modules_e2e.py --exe <kovalt05.exe> --fixtures <dir> --artifacts <dir> --argdump <argdump.exe>
Env: KOVALT_MARIADB_INFO, the fixture server's info file.
"""
import os
import shutil
import sys
import time

import bar_e2e as h

PITCH = 47


def module_dir(ctx, count, reachable=True):
    bar = h.Bar(ctx.display, ctx.exe, ctx.fixture, ctx.tmp())
    shutil.copy2(ctx.argdump, os.path.join(bar.dir, "argdump.exe"))
    db = ctx.db
    port = db["PORT"] if reachable else str(h.closed_port())
    with open(os.path.join(bar.dir, "kovalt05.ini"), "w", newline="\r\n") as f:
        f.write("[LogON]\n;Alfa\nIP=127.0.0.1\nUser=%s\nPassword=%s\nDatabase=%s\nSQLport=%s\n"
                % (db["USER"], db["PASSWORD"], db["DATABASE"], port))
    with open(os.path.join(bar.dir, "moduly.ini"), "w", newline="\r\n") as f:
        for j in range(1, count + 1):
            f.write('[%02d]\nModulnazev=Modul %d\nModulexe={path}argdump.exe" "tile %d\nModulpopis=Popis %d\n'
                    % (j, j, j, j))
    return bar


def is_tile(rgb):
    # The gradient starts at RGB 0,128,0.
    return rgb[0] < 40 and 100 < rgb[1] < 160 and rgb[2] < 40


def arrow_drawn(display, shot, x, y):
    out = display.run("convert", shot, "-crop", "16x16+%d+%d" % (x, y), "-depth", "8", "txt:-")
    return any("(183,255,183)" not in line.replace(" ", "") for line in out.splitlines()[1:])


def journey_twenty_five_modules_show_twenty_tiles(ctx):
    bar = module_dir(ctx, 25)
    p = bar.start()
    wid = bar.window()
    x, y, w, hgt = ctx.display.geometry(wid)
    assert (w, hgt) == (230, 975), "bar size %dx%d" % (w, hgt)
    assert y == 52, "bar top %d" % y
    shot = os.path.join(ctx.artifacts, "modules-25.png")
    time.sleep(0.5)
    ctx.display.screenshot(shot)
    ctx.display.run("convert", shot, "-crop", "%dx%d+%d+%d" % (w, hgt, x, y), "+repage",
                    os.path.join(ctx.artifacts, "modules-25-column.png"))
    tiles = [is_tile(ctx.display.pixel(shot, x + 3, y + 20 + (j - 1) * PITCH + 21)) for j in range(1, 21)]
    assert all(tiles), tiles
    # Below the twentieth tile only Panel1 with the down arrow shows.
    below = 20 + 20 * PITCH
    assert not is_tile(ctx.display.pixel(shot, x + 100, y + below + 2))
    assert arrow_drawn(ctx.display, shot, x + 20 + 3, y + hgt - 19), "down arrow not shown"
    assert p.poll() is None
    h.stop(p)


def journey_tile_click_starts_module_and_minimises(ctx):
    # Minimising needs a window manager, as on the users' desktops.
    ctx.display.start_window_manager()
    try:
        bar = module_dir(ctx, 3)
        p = bar.start()
        wid = bar.window()
        x, y, _, _ = ctx.display.geometry(wid)
        out = os.path.join(bar.dir, "argdump.out")
        # The panel waits for the ready indicator; keep clicking the heading of tile 2 until it starts.
        end = time.monotonic() + 15
        while not os.path.exists(out) and time.monotonic() < end:
            ctx.display.click(x + 60, y + 20 + PITCH + 8)
            time.sleep(0.5)
        assert os.path.exists(out), "no module started"
        lines = h.wait_until("argdump's record", lambda: open(out).read().splitlines(), 5)
        assert os.path.realpath(lines[0]) == os.path.realpath(bar.dir), lines
        assert lines[2:] == ["tile 2"], lines
        h.wait_until("the bar minimised", lambda: ctx.display.iconic(wid), 5)
        assert p.poll() is None
        h.stop(p)
    finally:
        ctx.display.stop_window_manager()


def journey_database_down_notice_once_then_exit_zero(ctx):
    bar = module_dir(ctx, 3, reachable=False)
    p = bar.start()
    notice = bar.window(timeout=20)
    _, _, w, hgt = ctx.display.geometry(notice)
    assert (w, hgt) != (230, 975)
    shot = os.path.join(ctx.artifacts, "modules-db-down.png")
    ctx.display.screenshot(shot)
    notices = ctx.display.windows(p.pid)
    assert len(notices) == 1, notices
    end = time.monotonic() + 10
    while p.poll() is None and time.monotonic() < end:
        ctx.display.run("xdotool", "key", "Return", check=False)
        time.sleep(0.3)
    assert p.wait(5) == 0, "exit code %s" % p.returncode
    ini = bar.read("kovalt05.ini")
    assert "[TForm3]" in ini, ini


JOURNEYS = [
    journey_twenty_five_modules_show_twenty_tiles,
    journey_tile_click_starts_module_and_minimises,
    journey_database_down_notice_once_then_exit_zero,
]


def setup(ctx):
    ctx.argdump = ctx.args.argdump
    ctx.db = h.mariadb_info()


if __name__ == "__main__":
    sys.exit(h.run(JOURNEYS, extra_args=["--argdump"], setup=setup))
