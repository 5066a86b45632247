#!/usr/bin/env python3
"""The Windows build under Wine, with COM3 mapped onto a pseudo-terminal.

Usage: wine_tests.py WINDOWS_BUILD_DIR [LINUX_BUILD_DIR]

Each case runs programs of the Windows build and checks what arrived on the
far side of the terminal, their exit status and their words. Wine runs as a
user other than root (root would pass the terminal's exclusive mode), in a
private prefix under the build directory, headless. With a Linux build given,
the time of one `set` is printed beside the same on Linux (informative).
"""

import fcntl
import os
import pty
import pwd
import select
import subprocess
import sys
import termios
import time
import tty

WINE = os.environ.get("WINE", "/usr/lib/wine/wine64")
WINESERVER = os.path.join(os.path.dirname(WINE), "wineserver")
TIMEOUT = 120

build = os.path.abspath(sys.argv[1])
linux_build = os.path.abspath(sys.argv[2]) if len(sys.argv) > 2 else None
ctl = os.path.join(build, "src/ctl/6175ZIZ-ctl.exe")
probe = os.path.join(build, "tests/windows/win_link_probe.exe")
conversions = os.path.join(build, "tests/windows/tst_win_conversions.exe")

# Root opens a terminal whatever its exclusive mode: Wine runs as nobody then.
as_root = os.geteuid() == 0
user = pwd.getpwnam("nobody") if as_root else pwd.getpwuid(os.geteuid())
drop = ["setpriv", f"--reuid={user.pw_uid}", f"--regid={user.pw_gid}", "--clear-groups"]
home = os.path.join(build, "wine-home")
prefix = os.path.join(home, "prefix")
os.makedirs(home, exist_ok=True)
if as_root:
    os.chown(home, user.pw_uid, user.pw_gid)
env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", HOME=home, DISPLAY="",
           WAYLAND_DISPLAY="", WINEDLLOVERRIDES="mscoree,mshtml=")


def wine_command(args):
    return (drop if as_root else []) + args


def run(args, **kw):
    return subprocess.run(wine_command(args), env=env, capture_output=True, text=True, errors="replace",
                          timeout=TIMEOUT, **kw)


def drain(master):
    """Everything the terminal received, once it has been quiet for a second."""
    data = b""
    while select.select([master], [], [], 1.0)[0]:
        data += os.read(master, 4096)
    return data


failures = []


def check(name, ok, detail):
    print(("ok   " if ok else "FAIL ") + name + ("" if ok else ": " + detail))
    if not ok:
        failures.append(name)


# One wineserver and one boot for the whole run: each program then starts in
# a fraction of a second. Both are started without our pipes: Wine's
# services outlive the program that started them and would hold the pipes
# of a captured run open.
quiet = dict(env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=TIMEOUT)
subprocess.run(wine_command([WINESERVER, "-p"]), **quiet)
first_boot = not os.path.exists(os.path.join(prefix, "system.reg"))
subprocess.run(wine_command([WINE, "wineboot"] + (["-i"] if first_boot else [])), **quiet)

master, slave = pty.openpty()
tty.setraw(slave)
device = os.ttyname(slave)
if as_root:
    os.chmod(device, 0o666)
com3 = os.path.join(prefix, "dosdevices", "com3")
if os.path.lexists(com3):
    os.unlink(com3)
os.symlink(device, com3)

try:
    r = run([WINE, conversions])
    check("conversions", r.returncode == 0 and " 0 failed" in r.stdout, r.stdout + r.stderr)

    # (name, arguments of 6175ZIZ-ctl, exit status, bytes on the line, words on stderr)
    ctl_cases = [
        ("set", ["--port", "3", "set", "4k7"], 0, b"04700.0\r", ""),
        ("sweep", ["--port", "3", "sweep", "100", "300", "--step", "100", "--dwell", "20ms"],
         0, b"00100.0\r00200.0\r00300.0\r", ""),
        ("sensor, final 0 °C", ["--port", "3", "--final", "0", "rtd", "100"], 0,
         b"00138.5\r00100.0\r", ""),
        ("missing port", ["--port", "9", "set", "1"], 1, b"", "COM9: no such port"),
    ]
    for name, args, status, line, words in ctl_cases:
        r = run([WINE, ctl] + args)
        got = drain(master)
        check("ctl " + name, r.returncode == status and got == line and words in r.stderr,
              f"status {r.returncode}, line {got!r}, stderr {r.stderr.strip()!r}")

    # The record of the last command ctl sent, the panel's start command, and
    # the version record, in one start of the probe.
    r = run([WINE, probe, "record", "3", "start", "3", "record", "3", "version", ctl])
    got = drain(master)
    lines = r.stdout.splitlines()
    check("record kept per port", lines[:1] == ["record 00100.0 6175ZIZ-ctl"], r.stdout)
    check("start command", got == b"10000\r" and lines[1:3] == ["status 0 ",
                                                                "record 10000 win_link_probe"],
          f"line {got!r}, {r.stdout!r}")
    expected_version = ["FILEVERSION=1.2.0.0", "CompanyName=Quellor Ltd",
                        "FileDescription=6175 command-line control", "FileVersion=1.02",
                        "InternalName=6175ZIZ", "OriginalFilename=6175ZIZ-ctl.exe",
                        "ProductName=6175ZIZ", "ProductVersion=1.02"]
    check("version record", lines[3:] == expected_version, r.stdout)

    # A port held by a POSIX program in exclusive mode (as the Linux link
    # holds it): Wine refuses the open, and the link says the port is in use.
    fcntl.ioctl(slave, termios.TIOCEXCL)
    r = run([WINE, ctl, "--port", "3", "set", "1"])
    fcntl.ioctl(slave, termios.TIOCNXCL)
    got = drain(master)
    check("port in use", r.returncode == 1 and got == b"" and
          "COM3: in use by another program" in r.stderr,
          f"status {r.returncode}, line {got!r}, stderr {r.stderr.strip()!r}")

    # Informative: one `set` from process start to exit, Wine beside Linux.
    started = time.monotonic()
    run([WINE, ctl, "--quiet", "--port", "3", "set", "1"])
    wine_ms = (time.monotonic() - started) * 1000
    drain(master)
    text = f"one set under Wine: {wine_ms:.0f} ms"
    linux_ctl = linux_build and os.path.join(linux_build, "src/ctl/6175ZIZ-ctl")
    if linux_ctl and os.path.exists(linux_ctl):
        started = time.monotonic()
        subprocess.run([linux_ctl, "--quiet", "--device", device, "set", "1"], timeout=TIMEOUT)
        text += f", on Linux: {(time.monotonic() - started) * 1000:.0f} ms"
        drain(master)
    print(text)
finally:
    os.unlink(com3)
    subprocess.run(wine_command([WINESERVER, "-k"]), env=env, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL)

print(f"{len(failures)} failed" if failures else "all passed")
sys.exit(1 if failures else 0)
