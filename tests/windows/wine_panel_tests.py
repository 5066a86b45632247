#!/usr/bin/env python3
"""The Win32 panel 6175ZIZ.exe under Wine 8 and a private Xvfb, COM3 mapped
onto a pseudo-terminal whose far end is read here: the exact bytes of each
control, the start sequence, the port dialog, the message boxes, the menus,
the lamp, following another sender, and every windowed element's rectangle
against the layout table. Driven by win_panel_driver.exe (Win32 messages).

Usage: wine_panel_tests.py WINDOWS_BUILD [--screenshot PNG]

What Wine cannot show: the visual styles of common controls 6 (Wine draws
its own flat look unless a theme is installed), real SetupAPI devices (a
port is a dosdevices link here, not a device node), the real Windows faces
(fonts-wine and Liberation stand in, "Arial Black" pinned to Liberation Sans
through Wine's font replacements) and a second monitor's DPI."""

import os, pty, pwd, select, shutil, subprocess, sys, time, tty

WINE = os.environ.get("WINE", "/usr/lib/wine/wine64")
HERE = os.path.dirname(os.path.abspath(__file__))
WINESERVER = os.path.join(os.path.dirname(WINE), "wineserver")
TIMEOUT = 120
build = os.path.abspath(sys.argv[1])
screenshot = sys.argv[sys.argv.index("--screenshot") + 1] if "--screenshot" in sys.argv else None
panel_exe = os.path.join(build, "apps/panel/6175ZIZ.exe")
driver_exe = os.path.join(build, "tests/windows/win_panel_driver.exe")
ctl = os.path.join(build, "apps/ctl/6175ZIZ-ctl.exe")

PANEL, START, DIALOG = "ZzPanelWindow", "ZzStartScreen", "ZzPortDialog"
COM_PORT_MENU, ABOUT_MENU = 2001, 2002  # winui/control_ids.h
VK_TAB, VK_RETURN, VK_SPACE, VK_UP, VK_DOWN, VK_F5 = 9, 13, 32, 38, 40, 116
IDOK, IDYES, IDNO = 1, 6, 7

# Root opens a terminal whatever its exclusive mode: Wine runs as nobody then.
as_root = os.geteuid() == 0
user = pwd.getpwnam("nobody") if as_root else pwd.getpwuid(os.geteuid())
drop = ["setpriv", f"--reuid={user.pw_uid}", f"--regid={user.pw_gid}", "--clear-groups"]
home = os.path.join(build, "wine-home")
prefix = os.path.join(home, "prefix")
os.makedirs(home, exist_ok=True)
if as_root:
    os.chown(home, user.pw_uid, user.pw_gid)


def command(args):
    return (drop if as_root else []) + args


# A display of our own.
display = next(f":{n}" for n in range(77, 200) if not os.path.exists(f"/tmp/.X11-unix/X{n}")
               and not os.path.exists(f"/tmp/.X{n}-lock"))
xvfb = subprocess.Popen(["Xvfb", display, "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-ac"],
                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
for _ in range(100):
    if os.path.exists(f"/tmp/.X11-unix/X{display[1:]}"):
        break
    time.sleep(0.05)
env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", HOME=home, DISPLAY=display,
           WAYLAND_DISPLAY="", WINEDLLOVERRIDES="mscoree,mshtml=")
quiet = dict(env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=TIMEOUT)


def run(*args):
    return subprocess.run(command([WINE, *args]), env=env, capture_output=True, text=True,
                          errors="replace", timeout=TIMEOUT)


failures = []


def check(name, ok, detail=""):
    print(("ok   " if ok else "FAIL ") + name + ("" if ok else ": " + str(detail)), flush=True)
    failures.extend([] if ok else [name])
    return ok


def drain(quiet_for=0.6):
    """Everything the terminal received, once it has been quiet that long."""
    data = b""
    while select.select([master], [], [], quiet_for)[0]:
        data += os.read(master, 4096)
    return data


class Driver:
    def __init__(self):
        self.process = subprocess.Popen(command([WINE, driver_exe]), env=env, stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True,
                                        encoding="utf-8", errors="replace")

    def __call__(self, line):
        try:
            self.process.stdin.write(line + "\n")
            self.process.stdin.flush()
        except OSError:
            return "fail the driver has ended"
        # Wine's services may hold the pipe open after the driver is gone.
        if not select.select([self.process.stdout], [], [], TIMEOUT)[0]:
            return "fail no answer"
        return self.process.stdout.readline().rstrip("\n") or "fail the driver has ended"

    def value(self, line):
        answer = self(line)
        return answer[3:] if answer.startswith("ok ") else None

    def readout(self):
        digits = [self.value(f"text {PANEL} DigitLab{i}") or "?" for i in range(6, 0, -1)]
        return "".join(digits[:5]) + "." + digits[5]

    def close(self):
        self.process.stdin.write("quit\n")
        self.process.stdin.close()
        self.process.wait(TIMEOUT)


def workdir(name, settings=None):
    path = os.path.join(build, "wine-panel", name)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    if settings is not None:
        with open(os.path.join(path, "Settings.txt"), "wb") as f:
            f.write(settings)
    if as_root:
        for p in [path] + [os.path.join(path, f) for f in os.listdir(path)]:
            os.chown(p, user.pw_uid, user.pw_gid)
    return path


def start_panel(directory, *args):
    return subprocess.Popen(command([WINE, panel_exe, *args]), cwd=directory, env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


def ended(process, seconds=15):
    try:
        return process.wait(seconds)
    except subprocess.TimeoutExpired:
        process.kill()
        return "still running"


def rects(d, cls):
    """Every windowed element's box as the window has it and as the table says."""
    def parse(answer):
        items = (answer or "").split(";")
        return {f[0]: list(map(int, f[1:])) for f in (i.split() for i in items) if len(f) == 5}
    return parse(d.value(f"rects {cls}")), parse(d.value(f"table {cls}"))


def compare_rects(d, cls, label):
    have, want = rects(d, cls)
    off = {n: (have.get(n), box) for n, box in want.items()
           if not have.get(n) or max(abs(a - b) for a, b in zip(have[n], box)) > 1}
    check(f"{label}: every windowed element where the table puts it (within 1 px)",
          want and not off, off or "no elements")


# The prefix (shared with wine_tests.py), COM3 on a pseudo-terminal, the faces.
subprocess.run(command([WINESERVER, "-p"]), **quiet)
subprocess.run(command([WINE, "wineboot"] + ([] if os.path.exists(os.path.join(prefix, "system.reg"))
                                             else ["-i"])), **quiet)
master, slave = pty.openpty()
tty.setraw(slave)
device = os.ttyname(slave)
if as_root:
    os.chmod(device, 0o666)
run("reg", "add", r"HKLM\Software\Wine\Ports", "/v", "COM3", "/d", device, "/f")
# Debian's Wine reads no fonts of its own from fonts-wine: they go where a
# Windows system keeps them (MS Sans Serif, Symbol, Tahoma).
fonts = os.path.join(prefix, "drive_c", "windows", "Fonts")
os.makedirs(fonts, exist_ok=True)
for name in os.listdir("/usr/share/wine/fonts"):
    if not os.path.exists(os.path.join(fonts, name)):
        shutil.copy(os.path.join("/usr/share/wine/fonts", name), fonts)
        if as_root:
            os.chown(os.path.join(fonts, name), user.pw_uid, user.pw_gid)
for face in ("Arial Black", "Arial"):
    run("reg", "add", r"HKCU\Software\Wine\Fonts\Replacements", "/v", face, "/d",
        "Liberation Sans", "/f")
subprocess.run(command([WINESERVER, "-k"]), **quiet)
com3 = os.path.join(prefix, "dosdevices", "com3")
if os.path.lexists(com3):
    os.unlink(com3)
os.symlink(device, com3)
subprocess.run(command([WINESERVER, "-p"]), **quiet)
subprocess.run(command([WINE, "wineboot"]), **quiet)

d = Driver()
figures = []
try:
    for face in ("MS Sans Serif", "Symbol", "Arial", "Arial Black"):
        found = d(f"font {face}")
        check(f"the face {face} is there", found == f"ok yes {face}", found)

    # First run without Settings.txt: the start screen for two seconds, then
    # the port dialog; port 3 chosen there, the panel at 10000.0.
    first = workdir("first")
    started = time.monotonic()
    panel = start_panel(first)
    shown = d(f"wait {START} 30000")
    shown_at = time.monotonic()
    figures.append(f"start -> start screen shown {1000 * (shown_at - started):.0f} ms (Wine's start included)")
    check("start screen shown without OK", shown.startswith("ok ") and
          d(f"text {START} OKBut").startswith("fail"), shown)
    gone = d(f"gone {START} 10000")
    seen = time.monotonic() - shown_at
    check("start screen for about two seconds", gone == "ok" and 1.9 <= seen <= 3.5, f"{seen:.2f} s")
    caption = d(f"wait {DIALOG} 10000")
    check("port dialog asks first", caption == "ok Set Communication Port", caption)
    # Each number, and beside it what Wine's SERIALCOMM says is there.
    items = (d.value(f"items {DIALOG} COMCombo") or " ").split(" ", 1)
    check("port list 1..20", items[0] == "20" and all(
        entry == str(n) or entry.startswith(f"{n}\u00a0\u00a0\u00a0")
        for n, entry in enumerate(items[1].split(","), 1)), items)
    check("prompt as designed", d.value(f"text {DIALOG} CommLab") == "Please select a COM port :")
    check("exit button reads &Exit", d.value(f"text {DIALOG} ExitBut") == "&Exit")
    check("focus on the exit button first", d.value(f"focus {DIALOG}") == "ExitBut")
    compare_rects(d, DIALOG, "port dialog")
    d(f"settext {DIALOG} COMCombo 3")
    d(f"click {DIALOG} CommBut")
    check("dialog closes on a working port", d(f"gone {DIALOG} 10000") == "ok")
    caption = d(f"wait {PANEL} 10000")
    check("panel caption", caption == "ok 6175 Virtual Panel V1.20 : 24/07/2006", caption)
    got = drain()
    stored = open(os.path.join(first, "Settings.txt"), "rb").read()
    check("Settings.txt holds 3 CR LF", stored == b"3\r\n", stored)
    check("panel at 10000.0, 10000 CR sent", d.readout() == "10000.0" and got == b"10000\r",
          f"{d.readout()} {got!r}")
    check("focus on AdjUp6 first", d.value(f"focus {PANEL}") == "AdjUp6")
    lamp = d.value(f"lamp {PANEL}")
    check("lamp green after the start command", lamp == "green Sent 10000", lamp)

    def sends(name, action, want, readout=None):
        """Runs one action of the driver's; the bytes on the line and the readout."""
        d(action)
        got = drain()
        check(name, got == want and (readout is None or d.readout() == readout),
              f"line {got!r}, readout {d.readout()}")

    # Keys on the focused arrow (the focus starts on AdjUp6), F5.
    d(f"key {PANEL} focus {VK_TAB}")
    time.sleep(0.3)  # the key is posted
    focus = d(f"focus {PANEL}")
    check("Tab goes to AdjUp5", focus == "ok AdjUp5", focus)
    sends("Up on the focused arrow", f"key {PANEL} focus {VK_UP}", b"11000.0\r", "11000.0")
    sends("Space presses the focused arrow", f"key {PANEL} focus {VK_SPACE}", b"12000.0\r",
          "12000.0")
    sends("Down on the focused arrow", f"key {PANEL} focus {VK_DOWN}", b"11000.0\r", "11000.0")
    sends("F5 sends the readout again", f"key {PANEL} focus {VK_F5}", b"11000.0\r", "11000.0")
    sends("F5 from another control too", f"key {PANEL} ManText {VK_F5}", b"11000.0\r")
    compare_rects(d, PANEL, "panel")
    if screenshot:
        x, y, w, h = map(int, d.value(f"where {PANEL}").split())
        subprocess.run(["import", "-display", display, "-window", "root", "-crop",
                        f"{w}x{h}+{x}+{y}", "+repage", screenshot], check=False)
        print("screenshot: " + screenshot)

    # Each preset, its fixed command text.
    for n, text, shows in [(1, "0.1", "00000.1"), (2, "1.0", "00001.0"), (3, "10.0", "00010.0"),
                           (4, "100.0", "00100.0"), (5, "1000.0", "01000.0"),
                           (6, "10000.0", "10000.0"), (7, "99999.9", "99999.9")]:
        sends(f"preset RanBut{n} sends {text}", f"click {PANEL} RanBut{n}",
              text.encode() + b"\r", shows)
    # Typed entry: Enter, then Set Value (an exact half rounds up).
    d(f"settext {PANEL} ManText 1234.5")
    sends("typed 1234.5 and Enter", f"key {PANEL} ManText {VK_RETURN}", b"01234.5\r", "01234.5")
    check("box emptied after Enter", d.value(f"text {PANEL} ManText") == "")
    d(f"settext {PANEL} ManText 12.25")
    sends("typed 12.25 and Set Value", f"click {PANEL} SetBut", b"00012.3\r", "00012.3")
    d(f"settext {PANEL} ManText 99.9")
    d(f"alt {PANEL} s")
    check("Alt+S is Set Value", drain() == b"00099.9\r")
    # Refusals: a message box, nothing sent, the text kept.
    for typed, title, prompt in [
        ("100000", "Value Out of Range", "The value entered is too high (max. = 99999.9 Ohms)"),
        ("   ", "No Value Entered", "Please enter a value in the box provided."),
        ("-12", "Value Out of Range", "The value entered is too low (min. = 0.0 Ohms)")]:
        d(f"settext {PANEL} ManText {typed}")
        d(f"click {PANEL} SetBut")
        box = d.value(f"box {title} 10000")
        d(f"answer {title} {IDOK}")
        got = drain()
        check(f"{typed.strip() or 'blank'} refused: {title}", box == f"{prompt}|OK|{IDOK}" and
              got == b"" and d.value(f"text {PANEL} ManText") == typed and
              d.readout() == "00099.9", f"box {box!r}, line {got!r}")
    d(f"settext {PANEL} ManText ")
    # The arrows: a carry sends once per decade; down at 0 sends the same value.
    sends("up on digit 1 at 00099.9 carries, sent four times", f"press {PANEL} AdjUp1 0",
          b"00100.0\r" * 4, "00100.0")
    sends("down on digit 1 at 0 sends the unchanged value", f"press {PANEL} AdjDown1 0",
          b"00100.0\r", "00100.0")
    sends("down on digit 3", f"press {PANEL} AdjDown3 0", b"00100.0\r", "00100.0")
    sends("down on digit 4", f"press {PANEL} AdjDown4 0", b"00000.0\r", "00000.0")
    # ZERO asks; No sends nothing, Yes sends 0.0.
    d(f"click {PANEL} RanBut2")
    drain()
    d(f"click {PANEL} RanBut0")
    box = d.value("box Set to ZERO 10000")
    check("ZERO asks, Yes the default",
          box in (f"Set to ZERO\\r\\rAre You Sure?|{yes},{no}|{IDYES}"
                  for yes, no in (("&Yes", "&No"), ("Yes", "No"))), box)
    d(f"answer Set to ZERO {IDNO}")
    check("ZERO answered No sends nothing", drain() == b"" and d.readout() == "00001.0")
    d(f"click {PANEL} RanBut0")
    d.value("box Set to ZERO 10000")
    d(f"answer Set to ZERO {IDYES}")
    check("ZERO answered Yes sends 0.0", drain() == b"0.0\r" and d.readout() == "00000.0")
    # The wheel over a digit and over an arrow; keys on the focused arrow.
    sends("wheel up over digit 3", f"wheel {PANEL} DigitLab3 120", b"00010.0\r", "00010.0")
    sends("wheel down over digit 3's down arrow", f"wheel {PANEL} AdjDown3 -120", b"00000.0\r",
          "00000.0")
    # An arrow held down repeats (at once, then after 400 ms every 100 ms).
    d(f"click {PANEL} RanBut5")
    drain()
    d(f"press {PANEL} AdjUp1 1000")
    got = drain()
    frames = got.split(b"\r")[:-1]
    check("held arrow repeats, one step each", 4 <= len(frames) <= 9 and
          frames == [f"01000.{i + 1}".encode() for i in range(len(frames))], got)
    # Click to last byte, informative.
    times = []
    for _ in range(20):
        before = time.monotonic()
        d(f"click {PANEL} RanBut5")
        select.select([master], [], [], 5)
        data = os.read(master, 64)
        while not data.endswith(b"\r") and select.select([master], [], [], 5)[0]:
            data += os.read(master, 64)
        times.append(1000 * (time.monotonic() - before))
    times.sort()
    figures.append(f"click -> last byte: median {times[len(times) // 2]:.1f} ms, "
                   f"max {times[-1]:.1f} ms (driver's message included)")
    try:  # setpriv and wine64 exec into the program: its process is this one
        rss = next(line.split()[1] for line in open(f"/proc/{panel.pid}/status")
                   if line.startswith("VmRSS:"))
        figures.append(f"resident set of 6175ZIZ.exe under Wine: {int(rss) / 1024:.1f} MB")
    except (OSError, StopIteration):
        pass

    # Another sender: the digits follow, nothing is sent again.
    r = run(ctl, "--port", "3", "set", "4k7")
    got = drain()
    # The panel looks at the record once a second; Wine on a loaded machine
    # has been seen to take longer than five.
    deadline = time.monotonic() + 15
    while d.readout() != "04700.0" and time.monotonic() < deadline:
        time.sleep(0.1)
    lamp = d.value(f"lamp {PANEL}")
    check("digits follow 6175ZIZ-ctl set 4k7", r.returncode == 0 and got == b"04700.0\r" and
          d.readout() == "04700.0" and drain() == b"" and lamp == "green Set by 6175ZIZ-ctl",
          f"{got!r} {d.readout()} {lamp!r}")

    # The device goes: the lamp says so, a command fails red; back, F5 is green.
    os.unlink(com3)
    time.sleep(1.5)
    lamp_gone = d.value(f"lamp {PANEL}")
    d(f"click {PANEL} RanBut2")
    time.sleep(0.5)
    lamp_failed = d.value(f"lamp {PANEL}")
    check("lamp red when COM3 has vanished", lamp_failed.startswith("red ") and drain() == b"",
          f"{lamp_gone!r} then {lamp_failed!r}")
    os.symlink(device, com3)
    time.sleep(1.5)
    lamp_back = d.value(f"lamp {PANEL}")
    d(f"key {PANEL} focus {VK_F5}")
    got = drain()
    lamp = d.value(f"lamp {PANEL}")
    check("F5 once it is back: sent, lamp green", got == b"00001.0\r" and lamp == "green Sent 00001.0",
          f"{lamp_back!r}, {got!r}, {lamp!r}")

    # About: the start screen with OK, modal; then gone.
    d(f"menu {PANEL} {ABOUT_MENU}")
    d(f"wait {START} 10000")
    check("About shows the start screen with &OK", d.value(f"text {START} OKBut") == "&OK")
    compare_rects(d, START, "About box")
    d(f"alt {START} o")
    check("Alt+O closes the About box", d(f"gone {START} 10000") == "ok" and drain() == b"")
    # COM Port: "&Close", preset to the port; its close box returns to the panel.
    d(f"menu {PANEL} {COM_PORT_MENU}")
    d(f"wait {DIALOG} 10000")
    check("COM Port: exit button reads &Close, box preset to 3",
          d.value(f"text {DIALOG} ExitBut") == "&Close" and
          d.value(f"text {DIALOG} COMCombo") == "3")
    # A port Windows lists in SERIALCOMM: beside its number once the list
    # drops down; one more while it is down, after WM_DEVICECHANGE.
    def entries():
        return (d.value(f"items {DIALOG} COMCombo") or " ").split(" ", 1)[1].split(",")

    def entry(n, leads_to):
        return f"{n}\u00a0\u00a0\u00a0{leads_to}"

    serialcomm = r"HKLM\HARDWARE\DEVICEMAP\SERIALCOMM"
    run("reg", "add", serialcomm, "/v", r"\Device\ZZTest7", "/d", "COM7", "/f")
    d(f"drop {DIALOG} COMCombo 1")
    listed = entries()
    check("SERIALCOMM's COM7 beside 7 as the list drops down",
          len(listed) == 20 and listed[6] == entry(7, "\\Device\\ZZTest7 \u2014 COM7"), listed)
    run("reg", "add", serialcomm, "/v", r"\Device\ZZTest9", "/d", "COM9", "/f")
    d(f"devicechange {DIALOG}")
    deadline = time.monotonic() + 5
    while entries()[8:9] != [entry(9, "\\Device\\ZZTest9 \u2014 COM9")] and time.monotonic() < deadline:
        time.sleep(0.1)
    check("COM9 added while it is down: shown after WM_DEVICECHANGE, the box still 3",
          entries()[8:9] == [entry(9, "\\Device\\ZZTest9 \u2014 COM9")] and
          d.value(f"text {DIALOG} COMCombo") == "3",
          f"{entries()[8:9]}, the box {d.value(f'text {DIALOG} COMCombo')!r}")
    d(f"drop {DIALOG} COMCombo 0")
    for value in (r"\Device\ZZTest7", r"\Device\ZZTest9"):
        run("reg", "delete", serialcomm, "/v", value, "/f")
    d(f"close {DIALOG}")
    check("its close box returns to the panel", d(f"gone {DIALOG} 10000") == "ok" and
          panel.poll() is None)
    d(f"menu {PANEL} {COM_PORT_MENU}")
    d(f"wait {DIALOG} 10000")
    check("COM Port again: &Close again", d.value(f"text {DIALOG} ExitBut") == "&Close")
    d(f"click {DIALOG} ExitBut")
    status = ended(panel)
    check("&Close ends the program, nothing sent", status == 0 and drain() == b"", status)

    # A stored port that cannot be opened: the dialog names it; Exit ends all.
    refused = workdir("refused", b"7\r\n")
    panel = start_panel(refused)
    d(f"wait {DIALOG} 30000")
    prompt = d.value(f"text {DIALOG} CommLab")
    check("stored port 7 refused: the prompt names it",
          prompt == "Invalid comm. port (7) set.\\r\\rPlease select a valid comm. port", prompt)
    check("no panel before the dialog", d(f"wait {PANEL} 0").startswith("fail"))
    d(f"click {DIALOG} ExitBut")
    status = ended(panel)
    check("&Exit ends the program: no panel, nothing sent", status == 0 and drain() == b"", status)

    # A stored working port: straight to the panel; Exit closes it, nothing sent.
    stored = workdir("stored", b"3\r\n")
    panel = start_panel(stored)
    d(f"wait {PANEL} 30000")
    check("stored port 3: no dialog, 10000 CR", drain() == b"10000\r" and
          d(f"wait {DIALOG} 0").startswith("fail"))
    d(f"click {PANEL} ExitBut")
    status = ended(panel)
    check("Exit ends the program, nothing sent", status == 0 and drain() == b"", status)

    # Port 3's box profile in %APPDATA%\6175ZIZ\boxes (max 2000 ohm): the start
    # value is not sent and the caption says why, the digits showing what the
    # box still holds by the device's record (10000, sent by the runs above);
    # a preset above the limit is refused like a typed value, nothing sent.
    boxes = os.path.join(prefix, "drive_c", "users", user.pw_name, "AppData", "Roaming", "6175ZIZ",
                         "boxes")
    os.makedirs(boxes, exist_ok=True)
    box_profile = os.path.join(boxes, "COM3-box.toml")
    with open(box_profile, "w") as f:
        f.write("[limits]\nmin = 10\nmax = 2000\n")
    if as_root:
        for p in (os.path.dirname(boxes), boxes, box_profile):
            os.chown(p, user.pw_uid, user.pw_gid)
    limited = workdir("limited", b"3\r\n")
    panel = start_panel(limited)
    d(f"wait {PANEL} 30000")
    above = "above the limit 2000.0 \u03a9 of this box's profile"
    caption = ""
    for _ in range(50):  # the start sequence ends after the window is there
        caption = d.value(f"wait {PANEL} 0") or ""
        if "\u2014" in caption:
            break
        time.sleep(0.1)
    check("profile max 2000: the start value not sent, the caption says why",
          drain() == b"" and d.readout() == "10000.0" and
          caption.endswith("\u2014 the start value 10000.0 \u03a9 was not sent: " + above),
          f"{caption!r}, readout {d.readout()}")
    d(f"click {PANEL} RanBut6")
    box = d.value("box Value Out of Range 10000")
    d(f"answer Value Out of Range {IDOK}")
    check("preset 10k above the limit: refused in a message box, nothing sent",
          box == f"{above}|OK|{IDOK}" and drain() == b"" and d.readout() == "10000.0", box)
    sends("preset 1k inside the limit is sent", f"click {PANEL} RanBut5", b"1000.0\r", "01000.0")
    sends("the 10k arrow above the limit sends nothing", f"press {PANEL} AdjUp6 0", b"",
          "01000.0")
    caption = d.value(f"wait {PANEL} 0") or ""
    check("the caption says why", caption.endswith("\u2014 " + above), caption)
    d(f"click {PANEL} ExitBut")
    ended(panel)

    # The rows every front end is held to under one profile
    # (tests/support/one_profile), on a box whose last value is not known.
    sys.path.insert(0, os.path.join(HERE, "..", "support", "one_profile"))
    import one_profile
    with open(box_profile, "w", encoding="utf-8") as f:
        f.write(one_profile.profile_text())
    local = os.path.join(prefix, "drive_c", "users", user.pw_name, "AppData", "Local", "6175ZIZ")
    for name in os.listdir(local) if os.path.isdir(local) else []:
        if name.startswith("device-"):
            os.unlink(os.path.join(local, name))
    panel = start_panel(limited)
    d(f"wait {PANEL} 30000")
    drain()
    for action, value, sent, refusal in one_profile.rows():
        if action.startswith("sensor"):
            continue  # the panel has no sensors
        if (d.value(f"checked {PANEL} TrueSwitch") == "1") != (action == "true"):
            d(f"click {PANEL} TrueSwitch")
            for _ in range(50):
                if (d.value(f"checked {PANEL} TrueSwitch") == "1") == (action == "true"):
                    break
                time.sleep(0.1)
        d(f"settext {PANEL} ManText {value}")
        d(f"click {PANEL} SetBut")
        box = d.value("box Value Out of Range 5000") if refusal else None
        if box is not None:
            d(f"answer Value Out of Range {IDOK}")
        got = drain()
        check(f"the one profile: {action} {value}",
              got == sent and (not refusal or (box or "").startswith(refusal)),
              f"line {got!r}, box {box!r}")
    d(f"click {PANEL} ExitBut")
    ended(panel)
    os.unlink(box_profile)

    # --settings-in-config-home: Settings.txt in %LOCALAPPDATA%\6175ZIZ.
    elsewhere = workdir("elsewhere")
    panel = start_panel(elsewhere, "--settings-in-config-home")
    d(f"wait {DIALOG} 30000")
    d(f"settext {DIALOG} COMCombo 3")
    d(f"click {DIALOG} CommBut")
    d(f"wait {PANEL} 10000")
    drain()
    d(f"click {PANEL} ExitBut")
    ended(panel)
    local = os.path.join(prefix, "drive_c", "users", user.pw_name, "AppData", "Local", "6175ZIZ",
                         "Settings.txt")
    check("--settings-in-config-home keeps it in %LOCALAPPDATA%\\6175ZIZ",
          os.path.exists(local) and open(local, "rb").read() == b"3\r\n" and
          not os.path.exists(os.path.join(elsewhere, "Settings.txt")), local)

    size = os.path.getsize(panel_exe)
    figures.append(f"6175ZIZ.exe {size / 1e6:.1f} MB as built (debug information included)")
finally:
    try:
        d.close()
    except Exception:
        pass
    if os.path.lexists(com3):
        os.unlink(com3)
    subprocess.run(command([WINESERVER, "-k"]), **quiet)
    xvfb.terminate()
    xvfb.wait(10)

for line in figures:
    print("  " + line)
print("panel under Wine: " + (f"{len(failures)} failed" if failures else "all passed"))
sys.exit(1 if failures else 0)
