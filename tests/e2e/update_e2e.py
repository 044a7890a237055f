#!/usr/bin/python3
"""The installer hand-off of the real kovalt05.exe under Xvfb, against the loopback FTP server.

Usage: update_e2e.py --exe <kovalt05.exe> --ftp-python <python with pyftpdlib> --ftp-server <ftpserver.py>
                     --argdump <argdump program> --artifacts <dir>
Every process started here is stopped here, by its PID, also when a journey fails.
"""
import os
import shutil
import subprocess
import sys
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import bar_e2e as h  # noqa: E402

VERSION = "Kovalt05 update\r\nsetupkovalt05.exe\t5.0.12\t2026-03-14 09:26:54\r\n"
OLD_BUILD = time.mktime((2020, 1, 2, 3, 4, 6, 0, 0, -1))


def start_ftp(args, root):
    server = h.spawn([args.ftp_python, args.ftp_server, "--root", root, "--user", "kovalt", "--password", "heslo",
                      "--log", os.path.join(root, "ftp.log")], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    port = server.stdout.readline().strip()
    if not port.isdigit():
        raise AssertionError("the FTP server gave no port")
    return int(port)


def journey_newer_build_hands_over_to_the_installer(ctx):
    root = ctx.tmp()
    site = os.path.join(root, "ftp")
    updates = os.path.join(site, "trenix", "kovalt05")
    os.makedirs(updates)
    with open(os.path.join(updates, "setupkovalt05.ver"), "w", newline="") as f:
        f.write(VERSION)
    shutil.copy2(ctx.args.argdump, os.path.join(updates, "setupkovalt05.exe"))
    port = start_ftp(ctx.args, site)

    prog = os.path.join(root, "program")
    os.makedirs(prog)
    exe = os.path.join(prog, "kovalt05.exe")
    shutil.copy2(ctx.args.exe, exe)
    os.utime(exe, (OLD_BUILD, OLD_BUILD))
    with open(os.path.join(prog, "kovalt05.ini"), "w", newline="") as f:
        f.write("[LogON]\r\n;Hlavni\r\nIP=127.0.0.1\r\nUser=u\r\nPassword=p\r\nDatabase=kovalt\r\nSQLport=3306\r\n"
                "FTP=127.0.0.1\r\nFTPuser=kovalt\r\nFTPpassword=heslo\r\nFTPport=%d\r\nFTPdir=trenix/kovalt05\r\n"
                % port)
    dump = os.path.join(root, "argdump.out")
    env = dict(ctx.display.env, ARGDUMP_OUT=dump)
    err_path = os.path.join(ctx.args.artifacts, "update-bar-stderr.txt")
    with open(err_path, "wb") as err:
        p = h.spawn([exe, "/V"], cwd=prog, env=env, stderr=err)

    bar = h.wait_until("the bar's window", lambda: (ctx.display.windows(p.pid) or [None])[0], 10)
    box = h.wait_until("the information box",
                       lambda: ([w for w in ctx.display.windows(p.pid) if w != bar] or [None])[0], 20, 0.2)
    time.sleep(0.3)
    ctx.display.screenshot(os.path.join(ctx.args.artifacts, "update-handoff-box.png"))
    assert not os.path.exists(dump), "the installer started before the message was closed"
    ctx.display.run("xdotool", "windowfocus", "--sync", str(box), "key", "Return")
    assert p.wait(15) == 0, "exit code after the hand-off"

    h.wait_until("the installer's record", lambda: os.path.exists(dump), 10)
    with open(dump, encoding="utf-8") as f:
        lines = f.read().splitlines()
    assert lines[0] == os.path.realpath(prog), lines
    assert lines[1] == os.path.realpath(os.path.join(prog, "setupkovalt05.exe")), lines
    assert lines[2:] == ["/DIR=" + prog + "/"], lines
    with open(os.path.join(prog, "updlog", "kovalt05.log"), "rb") as f:
        log = f.read().decode("cp1250")
    assert log.endswith(" - NOVÁ VERZE programu\r\n") and log.count("\r\n") == 1, log
    with open(os.path.join(prog, "kovalt05.ini"), "rb") as f:
        assert b"AlphaBlendValue" not in f.read(), "the close sequence ran"


JOURNEYS = [journey_newer_build_hands_over_to_the_installer]


if __name__ == "__main__":
    sys.exit(h.run(JOURNEYS, extra_args=["--ftp-python", "--ftp-server", "--argdump"]))
