#!/usr/bin/python3
"""Reordering module tiles by a right-button drag in the real kovalt05.exe under Xvfb.

Usage: reorder_e2e.py --exe <kovalt05.exe> --fixtures <dir of fixture program dirs> --artifacts <dir>
Needs the MariaDB fixture: module mode starts only with a reachable server (env KOVALT_MARIADB_INFO).
Every process started here is stopped here, by its PID, also when a journey fails.
"""
import os
import sys
import time

# The harness is shared with bar_e2e.py; importing it must not leave compiled files in the tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bar_e2e as h  # noqa: E402


def sections(text):
    """The module list as (section, name, command) in file order."""
    out = []
    current = None
    for line in text.splitlines():
        if line.startswith("["):
            current = [line.strip("[]"), None, None]
            out.append(current)
        elif current and line.startswith("Modulnazev="):
            current[1] = line[len("Modulnazev="):]
        elif current and line.startswith("Modulexe="):
            current[2] = line[len("Modulexe="):]
    return [tuple(s) for s in out]


class Column:
    """Where the captions of the module tiles lie on the screen."""

    def __init__(self, display, wid):
        self.display = display
        self.wid = wid

    def caption(self, j):
        x, y, w, _ = self.display.geometry(self.wid)
        icon = (w - 70) // 5          # the form is 5 icon widths + 70 wide
        top = 20 + (j - 1) * (icon + 15)
        return x + 60, y + top + icon - 10 + 6

    def title(self):
        x, y, _, _ = self.display.geometry(self.wid)
        return x + 20 + 1 + 80, y + 1 + 8


def right_drag(display, start, end, escape=False, pid=None):
    """Right button down at start, moves in small steps to end, (Escape,) right button up."""
    display.run("xdotool", "mousemove", "--sync", str(start[0]), str(start[1]))
    display.run("xdotool", "mousedown", "3")
    shown = []
    if pid is not None:
        # X11 sends the context menu at the press; nothing may open.
        time.sleep(0.3)
        shown = visible_windows(display, pid)
    steps = 12
    for i in range(1, steps + 1):
        x = start[0] + (end[0] - start[0]) * i // steps
        y = start[1] + (end[1] - start[1]) * i // steps
        display.run("xdotool", "mousemove", str(x), str(y))
        time.sleep(0.03)
    time.sleep(0.2)
    if escape:
        display.run("xdotool", "key", "Escape")
        time.sleep(0.2)
    display.run("xdotool", "mouseup", "3")
    time.sleep(0.3)
    return shown


def start_bar(ctx, bar):
    p = bar.start()
    wid = bar.window(p)
    h.wait_until("the module tiles", lambda: ctx.display.geometry(wid)[3] > 47, 15, 0.1)
    return p, wid


def visible_windows(display, pid):
    return [int(w) for w in display.run("xdotool", "search", "--all", "--onlyvisible", "--pid", str(pid),
                                        "--name", "", check=False).split()]


def journey_right_drag_reorders_and_next_start_keeps_it(ctx):
    bar = h.Bar(ctx.display, ctx.exe, ctx.fixture, ctx.tmp())
    h.write_fixture_settings(bar)
    original = open(os.path.join(bar.dir, "moduly.ini"), "rb").read()
    p, wid = start_bar(ctx, bar)
    column = Column(ctx.display, wid)
    ctx.display.screenshot(os.path.join(ctx.artifacts, "reorder-before.png"))

    # Escape, and a drop on the title, change nothing.
    right_drag(ctx.display, column.caption(3), column.caption(1), escape=True)
    right_drag(ctx.display, column.caption(3), column.title())
    assert open(os.path.join(bar.dir, "moduly.ini"), "rb").read() == original, "moduly.ini changed"
    assert not os.path.exists(os.path.join(bar.dir, "moduly.old"))

    shown = right_drag(ctx.display, column.caption(3), column.caption(1), pid=p.pid)
    assert shown == [wid], "windows shown at the right press: %s" % shown
    h.wait_until("moduly.ini rewritten",
                 lambda: open(os.path.join(bar.dir, "moduly.ini"), "rb").read() != original, 10, 0.1)
    ctx.display.screenshot(os.path.join(ctx.artifacts, "reorder-after-drop.png"))
    here = bar.dir + os.sep
    written = bar.read("moduly.ini")
    assert sections(written) == [("01", "Gama", here + "gama.exe"), ("02", "Alfa", here + "alfa.exe"),
                                 ("03", "Beta", here + "beta.exe")], written
    assert written.endswith("\r\n") and written.splitlines()[-1].startswith(";"), written
    for backup in ("moduly.ori", "moduly.old"):
        assert open(os.path.join(bar.dir, backup), "rb").read() == original, backup
    assert p.poll() is None, "the bar ended"

    ctx.display.close_window(wid)
    assert p.wait(10) == 0
    # The next start shows Gama, Alfa, Beta: dragging the second onto the third gives Gama, Beta, Alfa.
    p2, wid2 = start_bar(ctx, bar)
    ctx.display.screenshot(os.path.join(ctx.artifacts, "reorder-next-start.png"))
    after_first = open(os.path.join(bar.dir, "moduly.ini"), "rb").read()
    column = Column(ctx.display, wid2)
    right_drag(ctx.display, column.caption(2), column.caption(3))
    h.wait_until("moduly.ini rewritten again",
                 lambda: open(os.path.join(bar.dir, "moduly.ini"), "rb").read() != after_first, 10, 0.1)
    assert [s[1] for s in sections(bar.read("moduly.ini"))] == ["Gama", "Beta", "Alfa"], bar.read("moduly.ini")
    assert open(os.path.join(bar.dir, "moduly.ori"), "rb").read() == original
    assert open(os.path.join(bar.dir, "moduly.old"), "rb").read() == after_first
    ctx.display.close_window(wid2)
    assert p2.wait(10) == 0


def journey_failed_write_is_reported_and_tiles_keep_new_order(ctx):
    bar = h.Bar(ctx.display, ctx.exe, ctx.fixture, ctx.tmp())
    h.write_fixture_settings(bar)
    listed = os.path.join(bar.dir, "moduly.ini")
    original = open(listed, "rb").read()
    p, wid = start_bar(ctx, bar)
    # Read at start; now a folder stands where the list is to be written.
    os.remove(listed)
    os.mkdir(listed)
    column = Column(ctx.display, wid)
    right_drag(ctx.display, column.caption(3), column.caption(1))
    box = h.wait_until("the error report", lambda: [w for w in ctx.display.windows(p.pid) if w != wid], 10)[0]
    time.sleep(0.5)
    ctx.display.screenshot(os.path.join(ctx.artifacts, "reorder-write-failed.png"))
    x, y, w, hgt = ctx.display.geometry(box)
    ctx.display.click(x + w - 50, y + hgt - 22)  # its "OK" button
    h.wait_until("the report to close", lambda: visible_windows(ctx.display, p.pid) == [wid], 10)
    assert p.poll() is None, "the bar ended after the failed write"
    # The tiles kept Gama, Alfa, Beta: dragging the first onto the third gives Alfa, Beta, Gama.
    os.rmdir(listed)
    with open(listed, "wb") as f:
        f.write(original)
    right_drag(ctx.display, column.caption(1), column.caption(3))
    h.wait_until("moduly.ini written", lambda: open(listed, "rb").read() != original, 10, 0.1)
    assert [s[1] for s in sections(bar.read("moduly.ini"))] == ["Alfa", "Beta", "Gama"], bar.read("moduly.ini")
    ctx.display.close_window(wid)
    assert p.wait(10) == 0


JOURNEYS = [journey_right_drag_reorders_and_next_start_keeps_it,
            journey_failed_write_is_reported_and_tiles_keep_new_order]


class Context(h.Context):
    fixture_name = "reorder"


if __name__ == "__main__":
    sys.exit(h.run(JOURNEYS, Context))
