#!/usr/bin/python3
"""The bar as a window in the real kovalt05.exe under Xvfb: moving by the title, snapping, the
wheel over the title, the close picture, and the next start in the same place and look.

Usage: window_e2e.py --exe <kovalt05.exe> --fixtures <dir of fixture program dirs> --artifacts <dir>
Needs the MariaDB fixture: module mode starts only with a reachable server (env KOVALT_MARIADB_INFO).
Every process started here is stopped here, by its PID, also when a journey fails.
"""
import os
import sys

# The harness is shared with bar_e2e.py; importing it must not leave compiled files in the tree.
sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bar_e2e as h  # noqa: E402

TITLE = (20 + 1 + 17 + (138 - h.SHRINK) // 2, 1 + 8)  # the middle of Label1, from the bar's top-left corner
WHEEL_TOWARD_USER = "5"


def store(bar):
    """The keys of the bar's own section of the settings file."""
    values, inside = {}, False
    for line in bar.read("kovalt05.ini").splitlines():
        if line.startswith("["):
            inside = line.strip().lower() == "[tform3]"
        elif inside and "=" in line:
            k, _, v = line.partition("=")
            values[k] = v
    return values


def opacity_of(display, wid):
    out = display.run("xprop", "-id", str(wid), "_NET_WM_WINDOW_OPACITY", check=False)
    if "=" not in out:
        return 255
    return round(int(out.split("=")[1].strip()) * 255 / 0xFFFFFFFF)


def drag(display, start, end, steps=12):
    display.run("xdotool", "mousemove", "--sync", str(start[0]), str(start[1]), "mousedown", "1")
    for i in range(1, steps + 1):
        x = start[0] + (end[0] - start[0]) * i // steps
        y = start[1] + (end[1] - start[1]) * i // steps
        display.run("xdotool", "mousemove", "--sync", str(x), str(y))
    display.run("xdotool", "mouseup", "1")


def journey_drag_snaps_and_next_start_keeps_place_and_look(ctx):
    ctx.display.start_compositor()
    try:
        bar = h.Bar(ctx.display, ctx.exe, ctx.fixture, ctx.tmp())
        h.write_fixture_settings(bar)
        p = bar.start()
        wid = bar.window()
        shot = os.path.join(ctx.artifacts, "window-before.png")
        h.wait_until("the ready indicator", lambda: h.shows_ready(ctx.display, wid, shot), 15, 0.2)
        # The module fill sets the bar's size.
        x, y, w, ht = ctx.display.geometry(wid)
        norm = "0,300,%d,%d" % (w, 300 + ht)

        # Dragged by its title to left 10 and top 300: the left edge snaps to the screen's.
        grab = (x + TITLE[0], y + TITLE[1])
        drag(ctx.display, grab, (grab[0] + 10 - x, grab[1] + 300 - y))
        h.wait_until("the bar to snap to the left edge", lambda: ctx.display.geometry(wid)[:2] == (0, 300), 5)

        # Fourteen notches toward the user over the title: opacity 185, black text.
        ctx.display.run("xdotool", "mousemove", "--sync", str(TITLE[0]), str(300 + TITLE[1]),
                        "click", "--repeat", "14", "--delay", "30", WHEEL_TOWARD_USER)
        h.wait_until("the opacity 185", lambda: opacity_of(ctx.display, wid) == 185, 5)
        faded = os.path.join(ctx.artifacts, "window-faded.png")
        ctx.display.screenshot(faded)
        body = ctx.display.pixel(faded, h.BODY[0], 300 + h.BODY[1])
        assert body != h.PANEL_COLOUR, "the faded bar still shows Panel1 opaque"

        ctx.display.click(h.CLOSE[0], 300 + h.CLOSE[1])
        assert p.wait(10) == 0, "exit code after the close picture"
        saved = store(bar)
        assert saved.get("NormPos(1920x1080)") == norm, saved
        assert saved.get("AlphaBlendValue") == "185" and saved.get("FontColor") == "0", saved

        # The next start: the same place, opacity and text colour.
        again = bar.start()
        wid = bar.window(again)
        h.wait_until("the stored place", lambda: ctx.display.geometry(wid)[:2] == (0, 300), 10)
        assert opacity_of(ctx.display, wid) == 185, "opacity %d" % opacity_of(ctx.display, wid)
        ctx.display.screenshot(os.path.join(ctx.artifacts, "window-again.png"))
        # What this run closes with is what it shows: the stored look was applied.
        ctx.display.close_window(wid)
        assert again.wait(10) == 0, "exit code after the window system's close"
        saved = store(bar)
        assert saved.get("AlphaBlendValue") == "185" and saved.get("FontColor") == "0", saved
        assert saved.get("NormPos") == norm, saved
    finally:
        ctx.display.stop_compositor()


def journey_window_manager_moves_minimises_and_second_start_restores(ctx):
    ctx.display.start_window_manager()
    try:
        bar = h.Bar(ctx.display, ctx.exe, ctx.fixture, ctx.tmp())
        h.write_fixture_settings(bar)
        p = bar.start()
        wid = bar.window()
        shot = os.path.join(ctx.artifacts, "window-wm.png")
        h.wait_until("the ready indicator", lambda: h.shows_ready(ctx.display, wid, shot), 15, 0.2)
        x, y, w, ht = ctx.display.geometry(wid)

        # The window manager moves the bar (a system move); at the end the bar snaps to the left.
        grab = (x + TITLE[0], y + TITLE[1])
        drag(ctx.display, grab, (grab[0] + 12 - x, grab[1] + 400 - y))
        h.wait_until("the bar to snap to the left edge", lambda: ctx.display.geometry(wid)[:2] == (0, 400), 10)
        # Dropped near the right edge: it snaps to the screen's right edge.
        x, y, _, _ = ctx.display.geometry(wid)
        grab = (x + TITLE[0], y + TITLE[1])
        drag(ctx.display, grab, (grab[0] + 1920 - w - 10 - x, grab[1]))
        h.wait_until("the bar to snap to the right edge",
                     lambda: ctx.display.geometry(wid)[:2] == (1920 - w, 400), 10)

        # The minimise picture iconifies the bar; a second start of the same file restores it and ends with 0.
        x, y, _, _ = ctx.display.geometry(wid)
        ctx.display.click(x + h.MINIMISE[0], y + h.MINIMISE[1])
        h.wait_until("the bar minimised", lambda: ctx.display.iconic(wid), 10)
        second = bar.start()
        assert second.wait(10) == 0, "exit code of the second start"
        h.wait_until("the first bar restored", lambda: not ctx.display.iconic(wid), 10)
        assert p.poll() is None, "the first bar ended"
        ctx.display.screenshot(os.path.join(ctx.artifacts, "window-wm-restored.png"))

        ctx.display.click(1920 - w + h.CLOSE[0], 400 + h.CLOSE[1])
        assert p.wait(10) == 0, "exit code after the close picture"
        assert store(bar).get("NormPos") == "%d,400,1920,%d" % (1920 - w, 400 + ht), store(bar)
    finally:
        ctx.display.stop_window_manager()


if __name__ == "__main__":
    sys.exit(h.run([journey_drag_snaps_and_next_start_keeps_place_and_look,
                    journey_window_manager_moves_minimises_and_second_start_restores]))
