#!/usr/bin/env python3
"""The Windows build under Wine (headless, a private prefix under the build
directory), COM3 mapped onto a pseudo-terminal: each case checks the bytes
on the terminal, exit status and words. Usage: wine_tests.py WINDOWS_BUILD
[LINUX_BUILD, for an informative timing of one `set` beside Linux]."""

import fcntl, json, os, pty, pwd, re, select, signal, subprocess, sys, termios, time, tty

# The version of project(), from the build (scripts/run-wine-tests.sh).
VERSION = os.environ["ZZ_VERSION"]

WINE = os.environ.get("WINE", "/usr/lib/wine/wine64")
WINESERVER = os.path.join(os.path.dirname(WINE), "wineserver")
TIMEOUT = 120
build = os.path.abspath(sys.argv[1])
ctl = os.path.join(build, "apps/ctl/6175ZIZ-ctl.exe")
panel_exe = os.path.join(build, "apps/panel/6175ZIZ.exe")
scpi = os.path.join(build, "apps/scpiserver/6175ZIZ-scpi.exe")
probe = os.path.join(build, "tests/windows/win_link_probe.exe")

# Root opens a terminal whatever its exclusive mode: Wine runs as nobody then.
as_root = os.geteuid() == 0
user = pwd.getpwnam("nobody") if as_root else pwd.getpwuid(os.geteuid())
drop = ["setpriv", f"--reuid={user.pw_uid}", f"--regid={user.pw_gid}", "--clear-groups"]
home = os.path.join(build, "wine-home")
prefix = os.path.join(home, "prefix")
os.makedirs(home, exist_ok=True)
if as_root:
    os.chown(home, user.pw_uid, user.pw_gid)
# A UTF-8 locale: Wine turns the Unix command line into the wide one by it.
env = dict(os.environ, WINEPREFIX=prefix, WINEDEBUG="-all", HOME=home, DISPLAY="",
           WAYLAND_DISPLAY="", WINEDLLOVERRIDES="mscoree,mshtml=", LANG="C.UTF-8", LC_ALL="C.UTF-8")


def command(args):
    return (drop if as_root else []) + args


def run(*args):
    return subprocess.run(command([WINE, *args]), env=env, capture_output=True, text=True,
                          errors="replace", timeout=TIMEOUT)


def drain():
    """Everything the terminal received, once it has been quiet for a second."""
    data = b""
    while select.select([master], [], [], 1.0)[0]:
        data += os.read(master, 4096)
    return data


failures, skipped = [], []


def check(name, ok, detail):
    print(("ok   " if ok else "FAIL ") + name + ("" if ok else ": " + detail))
    failures.extend([] if ok else [name])


# One wineserver and one boot for the whole run, so that each program starts
# in a fraction of a second; both without our pipes, which Wine's services
# (they outlive the program that started them) would hold open.
quiet = dict(env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=TIMEOUT)


def boot(first):
    subprocess.run(command([WINESERVER, "-p"]), **quiet)
    subprocess.run(command([WINE, "wineboot"] + (["-i"] if first else [])), **quiet)


def server_cases(check):
    import re
    import threading
    log, seen = [], threading.Event()
    server = subprocess.Popen(command([WINE, scpi, "--port", "3", "--listen", "127.0.0.1:0",
                                       "--http", "127.0.0.1:0"]),
                              env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                              errors="replace")

    def collect():
        for line in server.stderr:
            log.append(line)
            if "the front panel on" in line:
                seen.set()
    threading.Thread(target=collect, daemon=True).start()
    try:
        seen.wait(TIMEOUT)
        text = "".join(log)
        scpi_port = re.search(r"listening on 127\.0\.0\.1:(\d+),", text)
        page = re.search(r"the front panel on (http://[^ ]+/)", text)
        check("scpi server starts", bool(scpi_port and page), text)
        if not (scpi_port and page):
            return
        import pyvisa
        rm = pyvisa.ResourceManager("@py")
        box = rm.open_resource("TCPIP::127.0.0.1::%s::SOCKET" % scpi_port.group(1),
                               read_termination="\n", write_termination="\n", timeout=30000)
        idn = box.query("*IDN?")
        box.write("SOUR:RES 1.2 KOHM")
        got = os.read(master, 64) if select.select([master], [], [], TIMEOUT)[0] else b""
        got += drain()
        value = box.query("RES?")
        box.close()
        check("scpi server: PyVISA sets the box", idn == "Quellor Ltd,6175,0," + VERSION and
              got == b"01200.0\r" and float(value) == 1200.0, f"{idn!r}, line {got!r}, {value!r}")

        sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "apps", "scpiserver"))
        saved = sys.argv
        sys.argv = [saved[0], scpi, ctl]  # the browser fixture takes two paths
        import tst_web_panel as web
        sys.argv = saved
        driver = web.browser()
        try:
            panel = web.Page(driver, page.group(1))
            panel.wait_readout("01200.0")
            panel.click("up4")
            got = os.read(master, 64) if select.select([master], [], [], TIMEOUT)[0] else b""
            got += drain()
            panel.wait_readout("01300.0")
            check("scpi server: the page in a browser", got == b"01300.0\r", f"line {got!r}")
        except AssertionError as error:
            check("scpi server: the page in a browser", False, str(error))
        finally:
            web.quit_browser(driver)
    finally:
        server.send_signal(signal.SIGINT)
        try:
            status = server.wait(TIMEOUT)
        except subprocess.TimeoutExpired:
            server.kill()
            status = "still running"
        text = "".join(log)
        check("scpi server ended by Ctrl+C", status == 0 and "stopped by signal 2" in text,
              f"status {status}, log {text[-300:]!r}")


def wine_server(inside, args):
    """6175ZIZ-scpi.exe on COM3 (inside: how to enter a namespace), its log
    as it grows, a wait for words in it and Ctrl+C with its exit status."""
    import threading
    log = []
    process = subprocess.Popen(inside + command([WINE, scpi, "--port", "3", *args]), env=env,
                               stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
                               encoding="utf-8", errors="replace")

    def collect():
        for line in process.stderr:
            log.append(line)
    threading.Thread(target=collect, daemon=True).start()

    def wait_for(words):
        deadline = time.monotonic() + TIMEOUT
        while words not in "".join(log) and process.poll() is None and time.monotonic() < deadline:
            time.sleep(0.05)
        time.sleep(0.1)  # the rest of the line, if the program ended
        return "".join(log)

    def stop():
        process.send_signal(signal.SIGINT)
        try:
            return process.wait(TIMEOUT), wait_for("stopped by signal")
        except subprocess.TimeoutExpired:
            process.kill()
            return "still running", "".join(log)
    return wait_for, stop


def vxi11_cases(check):
    """lxi scpi through the portmapper on 111 and the VXI-11 core channel, in
    a network namespace of the case's own (a veth pair, as on Linux) where
    nobody may bind ports below 1024. Wine makes its sockets in the
    wineserver: that runs in there too, the suite's own one stopped."""
    name = f"zzwine{os.getpid()}"
    made = subprocess.run(["ip", "netns", "add", name], capture_output=True, text=True)
    if made.returncode != 0:
        print("skip VXI-11 under Wine: no network namespace here: " + made.stderr.strip())
        skipped.append("VXI-11 under Wine")
        return
    inside = ["ip", "netns", "exec", name]
    addr = "10.77.0.1"
    subprocess.run(command([WINESERVER, "-k"]), **quiet)
    subprocess.run(command([WINESERVER, "-w"]), **quiet)
    started = time.monotonic()
    try:
        for args in (["ip", "link", "set", "lo", "up"],
                     ["ip", "link", "add", "zzv0", "type", "veth", "peer", "name", "zzv1"],
                     ["ip", "addr", "add", addr + "/24", "dev", "zzv0"],
                     ["ip", "addr", "add", "10.77.0.2/24", "dev", "zzv1"],
                     ["ip", "link", "set", "zzv0", "up"], ["ip", "link", "set", "zzv1", "up"],
                     ["sh", "-c", "echo 0 >/proc/sys/net/ipv4/ip_unprivileged_port_start"]):
            r = subprocess.run(inside + args, capture_output=True, text=True)
            if r.returncode != 0:
                check("VXI-11 under Wine: the namespace", False, f"{args}: {r.stderr.strip()}")
                return
        subprocess.run(inside + command([WINESERVER, "-p"]), **quiet)
        subprocess.run(inside + command([WINE, "wineboot"]), **quiet)

        def lxi(words):
            return subprocess.run(inside + ["lxi", "scpi", "-a", addr, words], capture_output=True,
                                  text=True, timeout=TIMEOUT)

        wait_for, stop = wine_server(inside, ["--listen", addr + ":0", "--http", "off",
                                              "--no-announce"])
        text = wait_for("VXI-11")
        check("VXI-11 under Wine: the portmapper on 111", re.search(
            r"VXI-11 core channel on 10\.77\.0\.1:\d+, the portmapper on 10\.77\.0\.1:111 "
            r"\(UDP and TCP\)", text), text)
        idn = "Quellor Ltd,6175,0," + VERSION
        for words, answer, line in [("*IDN?", idn + "\n", b""), ("RES 1.2 KOHM", "", b"01200.0\r"),
                                    ("RES?", "1200.0\n", b"")]:
            r = lxi(words)
            got = drain()
            check("VXI-11 under Wine: lxi scpi " + words, r.returncode == 0 and
                  r.stdout == answer and got == line,
                  f"status {r.returncode}, {r.stdout!r}, {r.stderr.strip()!r}, line {got!r}")
        status, text = stop()
        check("VXI-11 under Wine: ended by Ctrl+C", status == 0 and "stopped by signal 2" in text,
              f"status {status}, log {text[-300:]!r}")

        # Announcing on: Wine has no DnsServiceRegister; the server says so
        # in one line and serves on.
        # The name is not ASCII: it must come from the wide command line.
        name = "Prüfplatz Ω 3"
        wait_for, stop = wine_server(inside, ["--listen", addr + ":0", "--http", "off",
                                              "--name", name])
        text = wait_for("DNS-SD")
        said = [line for line in text.splitlines() if "DNS-SD" in line]
        r = lxi("*IDN?")
        status, text = stop()
        check("VXI-11 under Wine: announcing on, one line and serving", len(said) == 1 and
              r.stdout == idn + "\n" and status == 0, f"status {status}, log {text!r}")
        check("a non-ASCII --name reaches the log intact", f'"{name}" not announced' in text,
              f"log {text!r}")
        print("  " + " ".join(said))
    finally:
        subprocess.run(command([WINESERVER, "-k"]), **quiet)
        subprocess.run(command([WINESERVER, "-w"]), **quiet)
        left = subprocess.run(["ip", "netns", "pids", name], capture_output=True,
                              text=True).stdout.split()
        check("VXI-11 under Wine: nothing left running", not left, f"pids {left}")
        subprocess.run(["ip", "netns", "del", name])
        boot(False)
        print(f"  the VXI-11 case took {time.monotonic() - started:.1f} s")


boot(not os.path.exists(os.path.join(prefix, "system.reg")))
master, slave = pty.openpty()
tty.setraw(slave)
device = os.ttyname(slave)
if as_root:
    os.chmod(device, 0o666)
# COM3 as Wine's own port setup maps it: the registry's Ports key, read when
# Wine starts, so that the port is a device Windows calls can name; the
# dosdevices link is what opening it follows.
run("reg", "add", r"HKLM\Software\Wine\Ports", "/v", "COM3", "/d", device, "/f")
subprocess.run(command([WINESERVER, "-k"]), **quiet)
com3 = os.path.join(prefix, "dosdevices", "com3")
if os.path.lexists(com3):
    os.unlink(com3)
os.symlink(device, com3)
boot(False)

try:
    r = run(os.path.join(build, "tests/windows/tst_win_conversions.exe"))
    check("conversions", r.returncode == 0 and " 0 failed" in r.stdout, r.stdout + r.stderr)

    # (name, arguments of 6175ZIZ-ctl, exit status, bytes on the line, words on
    # stderr). "port in use" holds the port as the Linux link does, in
    # exclusive mode (Wine lets a second Wine program open a held port);
    # "stalled port" suspends the terminal's output, and what was queued must
    # be gone when it resumes.
    hold = {
        "port in use": lambda on: fcntl.ioctl(slave, termios.TIOCEXCL if on else termios.TIOCNXCL),
        "stalled port": lambda on: termios.tcflow(slave, termios.TCOOFF if on else termios.TCOON),
    }
    for name, args, status, line, words in [
        ("set", ["set", "4k7"], 0, b"04700.0\r", ""),
        ("set, Ω in the value", ["set", "1.5 kΩ"], 0, b"01500.0\r", ""),
        ("sweep", ["sweep", "100", "300", "--step", "100", "--dwell", "20ms"], 0,
         b"00100.0\r00200.0\r00300.0\r", ""),
        ("sensor, final 0 °C", ["--final", "0", "rtd", "100"], 0, b"00138.5\r00100.0\r", ""),
        ("missing port", ["--port", "9", "set", "1"], 1, b"", "COM9: no such port"),
        ("port in use", ["set", "1"], 1, b"", "COM3: in use by another program"),
        ("stalled port", ["set", "1"], 1, b"", "COM3: the device did not take the command"),
        ("NUL is no port", ["--device", "NUL", "set", "1"], 1, b"", "(NUL): not a serial port"),
        ("a file is no port", ["--device", os.path.join(build, "CMakeCache.txt"), "set", "1"], 1,
         b"", "): not a serial port"),
    ]:
        hold.get(name, lambda on: None)(True)
        r = run(ctl, *(args if "--device" in args else ["--port", "3", *args]))
        hold.get(name, lambda on: None)(False)
        got = drain()
        check("ctl " + name, r.returncode == status and got == line and words in r.stderr,
              f"status {r.returncode}, line {got!r}, stderr {r.stderr.strip()!r}")

    # ctl's record of its last command, the panel's start command, whether
    # ports exist (the panel's lamp asks), the version record.
    r = run(probe, "record", "3", "start", "3", "record", "3", "present", "3", "present", "9",
            "version", ctl, "version", panel_exe)
    got = drain()
    lines = r.stdout.splitlines()
    check("record kept per port", lines[:1] == ["record 00100.0 6175ZIZ-ctl"], r.stdout)
    check("start command", got == b"10000\r" and
          lines[1:3] == ["status 0 ", "record 10000 win_link_probe"], f"{got!r}, {r.stdout!r}")
    check("ports present", lines[3:5] == ["present yes", "present no"], r.stdout)
    def record(description, file):
        return ["FILEVERSION=1.2.0.0", "CompanyName=Quellor Ltd", "FileDescription=" + description,
                "FileVersion=" + VERSION, "InternalName=6175ZIZ", "OriginalFilename=" + file,
                "ProductName=6175ZIZ", "ProductVersion=" + VERSION]
    check("version record", lines[5:13] == record("6175 command-line control", "6175ZIZ-ctl.exe"),
          r.stdout)
    check("the panel's version record",
          lines[13:] == record("6175 Virtual Front Panel", "6175ZIZ.exe"), r.stdout)

    # A reader has the record open (the panel looking at news, a scanner)
    # just as a sender replaces it: Wine, like a scanner on Windows, refuses
    # the move then. The sender waits its turn; the record is not lost.
    holder = subprocess.Popen(command([WINE, probe, "hold", "3", "400"]), env=env,
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    held = holder.stdout.readline().strip()
    r = run(ctl, "--port", "3", "set", "1k2")
    holder.wait(TIMEOUT)
    got = drain()
    after = run(probe, "record", "3").stdout.strip()
    check("record written while a reader holds it", held == "held" and r.returncode == 0 and
          got == b"01200.0\r" and after == "record 01200.0 6175ZIZ-ctl",
          f"{held!r}, status {r.returncode}, line {got!r}, {after!r}")

    # The ports present: Wine has no SetupAPI device nodes for its ports and
    # fills only SERIALCOMM, so a value added there is listed; the table
    # and the JSON name it, and --map is refused (COMn is fixed on Windows).
    serialcomm = r"HKLM\HARDWARE\DEVICEMAP\SERIALCOMM"
    run("reg", "add", serialcomm, "/v", r"\Device\ZZTest7", "/d", "COM7", "/f")
    r = run(ctl, "ports")
    rows = [line.split() for line in r.stdout.splitlines()]
    check("ctl ports lists SERIALCOMM", r.returncode == 0 and
          ["7", "COM7", "-", r"\Device\ZZTest7"] in [row[:4] for row in rows], r.stdout + r.stderr)
    r = run(ctl, "ports", "--json")
    try:
        listed = {entry["device"]: entry for entry in json.loads(r.stdout)}
    except ValueError:
        listed = {}
    check("ctl ports --json", r.returncode == 0 and "COM7" in listed and
          listed["COM7"]["ports"] == [7] and listed["COM7"]["kind"] == "serialcomm" and
          listed["COM7"]["description"] == r"\Device\ZZTest7", r.stdout + r.stderr)
    r = run(ctl, "ports", "--map", "3", "COM7")
    check("ctl ports --map refused", r.returncode == 2 and "always COM3" in r.stderr, r.stderr)
    run("reg", "delete", serialcomm, "/v", r"\Device\ZZTest7", "/f")

    # Ctrl+C (Wine turns SIGINT into the console's event) stops a sweep
    # between points; the final value still goes out.
    sweep = subprocess.Popen(command([WINE, ctl, "--port", "3", "--quiet", "--final", "0", "sweep",
                                      "1", "9", "--step", "1", "--dwell", "10s"]),
                             env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    # Once the first point is out, the run waits for the next.
    first = os.read(master, 64) if select.select([master], [], [], TIMEOUT)[0] else b""
    sweep.send_signal(signal.SIGINT)
    err = sweep.communicate(timeout=TIMEOUT)[1]
    got = first + drain()
    check("ctl stopped by Ctrl+C", sweep.returncode == 130 and got == b"00001.0\r00000.0\r" and
          "stopped by SIGINT after 1 of 9 points" in err,
          f"status {sweep.returncode}, line {got!r}, stderr {err.strip()!r}")

    # The network server: PyVISA on this side sets the box through the
    # Windows program, its page works in a real browser, Ctrl+C ends it.
    server_cases(check)
    # The same program's VXI-11 side, in a network namespace.
    vxi11_cases(check)

    # Informative: one `set` from process start to exit (best of three),
    # Wine beside Linux.
    def best(args):
        times = []
        for _ in range(3):
            started = time.monotonic()
            subprocess.run(args, env=env, capture_output=True, timeout=TIMEOUT)
            times.append((time.monotonic() - started) * 1000)
            drain()
        return f"{min(times):.0f} ms"

    text = "one set under Wine: " + best(command([WINE, ctl, "--quiet", "--port", "3", "set", "1"]))
    linux_ctl = len(sys.argv) > 2 and os.path.join(sys.argv[2], "apps/ctl/6175ZIZ-ctl")
    if linux_ctl and os.path.exists(linux_ctl):
        text += ", on Linux: " + best([linux_ctl, "--quiet", "--device", device, "set", "1"])
    print(text)
finally:
    os.unlink(com3)
    subprocess.run(command([WINESERVER, "-k"]), **quiet)

print((f"{len(failures)} failed" if failures else "all passed") +
      (f", {len(skipped)} skipped" if skipped else ""))
sys.exit(1 if failures else 0)
