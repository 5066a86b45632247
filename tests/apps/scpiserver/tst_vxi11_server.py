#!/usr/bin/python3
"""6175ZIZ-scpi found and opened on the network by the real clients: VXI-11
through the portmapper (lxi scpi, lxi discover's broadcast, PyVISA's
TCPIP::ADDR::INSTR), DNS-SD through avahi-daemon (lxi discover -m,
avahi-browse) and a hostile set against the core channel. Runs inside a
network and mount namespace of its own with a veth pair (10.77.0.1 and
10.77.0.2, which exist only there), its own /run, system D-Bus and
avahi-daemon, all stopped at the end; skipped (77) where namespaces are not
allowed. The box is a pseudo-terminal whose exact bytes are read back.

    /usr/bin/python3 tst_vxi11_server.py PATH/TO/6175ZIZ-scpi
"""
import os
import re
import shutil
import signal
import socket
import struct
import subprocess
import sys
import termios
import threading
import time

SKIP = 77
HERE = os.path.dirname(os.path.abspath(__file__))
ADDR, PEER = "10.77.0.1", "10.77.0.2"
NAME_PARSABLE = "zz\\032test\\032box"
# The box's profile: its serial number is what the network is told.
PROFILE = 'serial = "ZZ7"\n[limits]\nmax = 2000\n'


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)
    print("ok:", message)


def rpc_record(xid, prog, vers, proc, args=b""):
    body = struct.pack(">10I", xid, 0, 2, prog, vers, proc, 0, 0, 0, 0) + args
    return struct.pack(">I", 0x80000000 | len(body)) + body


def run(*command, timeout=30):
    return subprocess.run(command, capture_output=True, text=True, timeout=timeout)


def network():
    """lo, and a veth pair whose two ends both live in this namespace."""
    for command in (["ip", "link", "set", "lo", "up"],
                    ["ip", "link", "add", "zzv0", "type", "veth", "peer", "name", "zzv1"],
                    ["ip", "addr", "add", ADDR + "/24", "dev", "zzv0"],
                    ["ip", "addr", "add", PEER + "/24", "dev", "zzv1"],
                    ["ip", "link", "set", "zzv0", "up", "multicast", "on"],
                    ["ip", "link", "set", "zzv1", "up", "multicast", "on"]):
        subprocess.run(command, check=True)
    time.sleep(1)  # the veth carrier


def start_avahi():
    """A private /run with the system D-Bus and avahi-daemon; their pids."""
    subprocess.run(["mount", "-t", "tmpfs", "tmpfs", "/run"], check=True)
    os.makedirs("/run/dbus")
    subprocess.run(["dbus-daemon", "--system", "--fork"], check=True)
    subprocess.run(["avahi-daemon", "-D", "--no-drop-root", "--no-chroot", "--no-rlimits"],
                   check=True)
    for _ in range(100):
        if run("avahi-daemon", "--check").returncode == 0:
            break
        time.sleep(0.1)


def stop_daemons():
    subprocess.run(["avahi-daemon", "-k"], capture_output=True)
    try:
        with open("/run/dbus/pid") as f:
            os.kill(int(f.read()), signal.SIGTERM)
    except (OSError, ValueError):
        pass


def inside(server_path):
    network()
    mdns = all(shutil.which(p) for p in ("dbus-daemon", "avahi-daemon", "avahi-browse"))
    if mdns:
        start_avahi()
    else:
        print("skip: dbus-daemon, avahi-daemon or avahi-browse missing (scripts/install-deps.sh)")
    try:
        sys.argv = [sys.argv[0], server_path]
        sys.path.insert(0, HERE)
        import tst_scpi_pyvisa as fixture
        pty = fixture.Pty()
        server = fixture.Server("--device", pty.path, "--listen", "0.0.0.0:0", "--http",
                                "0.0.0.0:0", "--name", "zz test box", network=True,
                                profile=PROFILE)
        try:
            server.waitLog("VXI-11 core channel", 1)
            found = re.search(r"VXI-11 core channel on 0\.0\.0\.0:(\d+), the portmapper on "
                              r"0\.0\.0\.0:111", server.logText())
            check(found, "the log tells the core port and the portmapper on 111")
            core_port = int(found.group(1))
            clients(pty, core_port, mdns, server)
            hostile(pty, core_port)
            status = server.stop()
            check(status == 0, "the server stops cleanly on SIGTERM")
        finally:
            if server.process.poll() is None:
                server.process.kill()
            pty.close()
        one_profile_rows(fixture)
        unprivileged(fixture)
    finally:
        if mdns:
            stop_daemons()


def clients(pty, core_port, mdns, server):
    out = run("lxi", "scpi", "-a", ADDR, "*IDN?")
    idn = out.stdout.strip()
    check(re.fullmatch(r"[^,]+,6175,ZZ7,[\d.]+", idn), f"lxi scpi -a {ADDR} *IDN? -> {idn!r}")
    run("lxi", "scpi", "-a", ADDR, "RES 1.2 KOHM")
    check(pty.take(8) == b"01200.0\r", "lxi scpi RES 1.2 KOHM -> 01200.0<CR> on the line")
    check(run("lxi", "scpi", "-a", ADDR, "RES?").stdout == "1200.0\n", "lxi scpi RES? -> 1200.0")

    out = run("lxi", "discover", "-t", "2").stdout
    check(ADDR in out and idn.split(",")[0] in out, f"lxi discover lists the box: {out!r}")

    if mdns:
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline and "announced as" not in server.logText():
            time.sleep(0.1)
        check('DNS-SD: announced as "zz test box"' in server.logText(), "announced by Avahi")
        out = run("avahi-browse", "-rpt", "_scpi-raw._tcp").stdout
        resolved = [line for line in out.splitlines() if line.startswith("=")]
        # -p escapes the blanks of the name as \032.
        check(any(NAME_PARSABLE in line and '"Model=6175"' in line and '"txtvers=1"' in line
                  and '"Manufacturer=' + idn.split(",")[0] + '"' in line
                  and '"SerialNumber=ZZ7"' in line for line in resolved),
              f"avahi-browse shows the TXT records: {resolved[:1]!r}")
        for kind in ("_vxi-11._tcp", "_lxi._tcp", "_http._tcp"):
            out = run("avahi-browse", "-rpt", kind).stdout
            check(NAME_PARSABLE in out, f"avahi-browse {kind} lists the box")
        out = run("lxi", "discover", "-m", "-t", "3").stdout
        check("zz test box" in out or ADDR in out, f"lxi discover -m lists the box: {out!r}")

    import pyvisa
    rm = pyvisa.ResourceManager("@py")
    inst = rm.open_resource(f"TCPIP::{ADDR}::INSTR", read_termination="\n",
                            write_termination="\n", timeout=5000)
    check(inst.query("*IDN?") == idn, "PyVISA *IDN?")
    for _ in range(20):  # the timer shown is the keepalive once the reply is acknowledged
        sockets = run("ss", "-tnoH", "state", "established", f"( sport = :{core_port} )").stdout
        if "timer:(keepalive" in sockets:
            break
        time.sleep(0.05)
    check("timer:(keepalive" in sockets, f"keepalive on the VXI-11 connection: {sockets!r}")
    inst.write("RES 15")
    check(pty.take(8) == b"00015.0\r", "PyVISA RES 15 -> 00015.0<CR> on the line")
    check(inst.query("RES?") == "15.0", "PyVISA RES? -> 15.0")
    inst.write("RES 2100")
    check(inst.query("SYST:ERR?") == '-222,"Data out of range;above the limit 2000.0 ohm of '
          'this box\'s profile"', "PyVISA RES 2100 above the profile's limit -> -222")
    check(inst.query("RES? MAX") == "2000.0", "PyVISA RES? MAX -> the profile's 2000.0")
    check(pty.take() == b"", "nothing reached the line for the refused value")
    # About 30 KB: more than PyVISA's 20 KiB chunk, so several device_reads.
    check(inst.query(";".join(["*IDN?"] * 1200)) == ";".join([idn] * 1200),
          "a long answer read in several device_reads")
    inst.write("*IDN?")
    check(inst.read_stb() & 0x10, "read_stb with an answer waiting has MAV")
    inst.clear()
    check(inst.read_stb() & 0x10 == 0, "clear() drops the answer")
    inst.write("NO:SUCH")
    check(inst.query("SYST:ERR?").startswith("-113"), "each link its own error queue")
    # A program over VXI-11: polled, stopped by a device clear (which drops
    # the *OPC? waiting for it); then *OPC? waiting for a slew's end.
    pty.take()
    inst.write("PROG:DEF 'start 100; ramp 200 in 10s'")
    inst.write("PROG:RUN")
    check(inst.query("PROG:STAT?;RES:SLEW:STAT?") == "RUN;RAMP", "PROG:RUN over VXI-11 runs")
    time.sleep(0.3)
    inst.write("*OPC?")
    inst.clear()
    check(inst.query("PROG:STAT?") == "STOP", "a device clear stops the program")
    sent = pty.take()
    check(sent.startswith(b"00100.0\r00100.") and pty.take(quiet=0.5) == b"",
          f"the program's commands went out, and none after the clear: {sent[:40]!r}")
    started = time.monotonic()
    answer = inst.query("RES:SLEW 1000;:RES 500;*OPC?;RES?")
    took = time.monotonic() - started
    sent = pty.take()
    check(answer == "1;500.0" and 0.35 < took < 3 and sent.endswith(b"\r00500.0\r"),
          f"*OPC? over VXI-11 answers at the slew's end: {answer!r} in {took:.2f} s")
    inst.write("RES:SLEW INF")
    inst.write("RES 15")  # the value the checks below expect
    pty.take(8)

    # A setting stalled on the line (about 250 ms) holds up no one's *IDN?.
    asker = rm.open_resource(f"TCPIP::{ADDR}::INSTR", read_termination="\n",
                             write_termination="\n", timeout=5000)
    termios.tcflow(pty.slave, termios.TCOOFF)  # the box stops taking bytes
    setter = threading.Thread(target=inst.write, args=("RES 5",))
    setter.start()
    time.sleep(0.05)  # the command is on the line now
    started = time.monotonic()
    answer = asker.query("*IDN?")
    answered = time.monotonic() - started
    setter.join(5)
    waited = time.monotonic() - started
    termios.tcflow(pty.slave, termios.TCOON)
    check(answer == idn and answered < 0.1 and waited > 0.15,
          f"another link's *IDN? in {answered * 1e3:.0f} ms beside a setting stalled"
          f" for {waited * 1e3:.0f} ms")
    check(inst.query("SYST:ERR?").startswith("-240"), "the stalled setting failed, and says so")
    asker.close()
    inst.close()


def hostile(pty, core_port):
    for name, data in [
        ("oversized fragment", struct.pack(">I", 0x80100000) + b"\0" * 64),
        ("2 GiB declared", struct.pack(">I", 0xFFFFFFFF)),
        ("a reply, not a call", struct.pack(">7I", 0x80000018, 1, 1, 0, 0, 0, 0)),
    ]:
        with socket.create_connection((ADDR, core_port), timeout=5) as s:
            s.sendall(data)
            check(s.recv(100) == b"", f"{name}: connection closed")
    with socket.create_connection((ADDR, core_port), timeout=5) as s:
        s.sendall(struct.pack(">I", 0x80000000 | 200) + b"\0" * 20)  # truncated, then gone
    with socket.create_connection((ADDR, core_port), timeout=5) as s:
        s.sendall(rpc_record(76, 0x123456, 1, 0))  # unknown program
        check(struct.unpack(">7I", s.recv(100)[:28])[-1] == 1, "unknown program -> PROG_UNAVAIL")
        s.sendall(rpc_record(77, 0x0607AF, 1, 99))  # unknown procedure
        check(struct.unpack(">7I", s.recv(100)[:28]) == (0x80000018, 77, 1, 0, 0, 0, 3),
              "unknown procedure -> PROC_UNAVAIL")
        errors = []
        for i in range(17):
            args = struct.pack(">3I", i, 0, 0) + struct.pack(">I", 5) + b"inst0\0\0\0"
            s.sendall(rpc_record(100 + i, 0x0607AF, 1, 10, args))
            errors.append(struct.unpack(">I", s.recv(100)[28:32])[0])
        check(errors == [0] * 16 + [9], "17 links: the 17th gets 'out of resources'")
        s.sendall(rpc_record(200, 0x0607AF, 1, 11,
                             struct.pack(">5I", 9999, 0, 0, 8, 5) + b"RES 1\0\0\0"))
        check(struct.unpack(">I", s.recv(100)[28:32])[0] == 4, "a link that does not exist -> 4")
    time.sleep(0.3)
    check(pty.take() == b"", "nothing reached the line from the hostile set")
    out = run("lxi", "scpi", "-a", ADDR, "RES?").stdout
    check(out == "15.0\n", "the server goes on serving (its links freed)")


def one_profile_rows(fixture):
    """The rows every front end is held to under one profile
    (tests/support/one_profile), over PyVISA's VXI-11, on a fresh box."""
    sys.path.insert(0, os.path.join(HERE, "..", "..", "support", "one_profile"))
    import one_profile
    import pyvisa
    pty = fixture.Pty()
    server = fixture.Server("--device", pty.path, "--listen", "0.0.0.0:0", "--http", "off",
                            "--no-announce", network=True, profile=one_profile.profile_text())
    try:
        server.waitLog("VXI-11 core channel", 1)
        inst = pyvisa.ResourceManager("@py").open_resource(
            f"TCPIP::{ADDR}::INSTR", read_termination="\n", write_termination="\n", timeout=5000)
        for action, value, sent, refusal in one_profile.rows():
            error = inst.query(one_profile.scpi_lines(action, value) + ";:SYST:ERR?")
            got = pty.take(len(sent)) if sent else pty.take(quiet=0.2)
            expected = '0,"No error"' if not refusal else refusal.replace("\u03A9", "ohm")
            check(got == sent and expected in error,
                  f"VXI-11 under the one profile: {action} {value} -> {got!r}, {error}")
        inst.close()
    finally:
        check(server.stop() == 0, "the server of the one profile stops cleanly")
        pty.close()


def unprivileged(fixture):
    """Without the right to bind port 111: registered with the system's
    rpcbind where one runs, else VXI-11 off and SCPI going on."""
    if not shutil.which("rpcbind"):
        print("skip: rpcbind missing (scripts/install-deps.sh)")
        return
    nobody = ["setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"]
    pty = fixture.Pty()
    os.chmod(pty.path, 0o666)
    server = fixture.Server("--device", pty.path, "--listen", ADDR + ":0", "--http", "off",
                            "--no-announce", network=True, wrapper=nobody)
    try:
        server.waitLog("VXI-11 off", 1)
        check("no portmapper: port 111: Permission denied (binding it needs "
              "CAP_NET_BIND_SERVICE), and no rpcbind answers there" in server.logText(),
              "without privileges or rpcbind: VXI-11 off, and why")
        with socket.create_connection((ADDR, server.port), timeout=5) as client:
            client.sendall(b"*IDN?\n")
            check(client.recv(100).startswith(b"Quellor Ltd,6175,"), "SCPI goes on")
        check(server.stop() == 0, "and stops cleanly")
    finally:
        if server.process.poll() is None:
            server.process.kill()

    rpcbind = subprocess.Popen(["rpcbind", "-w", "-f"])
    try:
        for _ in range(50):
            if run("rpcinfo", "-p", "127.0.0.1").returncode == 0:
                break
            time.sleep(0.1)
        server = fixture.Server("--device", pty.path, "--listen", ADDR + ":0", "--http", "off",
                                "--no-announce", network=True, wrapper=nobody)
        try:
            server.waitLog("VXI-11 core channel", 1)
            found = re.search(r"VXI-11 core channel on [\d.]+:(\d+), registered with the "
                              r"system's rpcbind on 127\.0\.0\.1:111", server.logText())
            check(found, "without privileges: registered with the system's rpcbind")
            mapping = f"395183    1   tcp  {found.group(1)}"
            check(mapping in run("rpcinfo", "-p", "127.0.0.1").stdout, "rpcinfo lists the core")
            idn = run("lxi", "scpi", "-a", ADDR, "*IDN?").stdout
            check(idn.startswith("Quellor Ltd,6175,"), "lxi scpi through the system's rpcbind")
            run("lxi", "scpi", "-a", ADDR, "RES 22")
            check(pty.take(8) == b"00022.0\r", "lxi scpi RES 22 -> 00022.0<CR> on the line")
            check(server.stop() == 0, "the server stops cleanly")
            check(mapping not in run("rpcinfo", "-p", "127.0.0.1").stdout,
                  "and takes its entry back from rpcbind")
        finally:
            if server.process.poll() is None:
                server.process.kill()
    finally:
        rpcbind.terminate()
        rpcbind.wait(10)
        pty.close()


def main():
    if len(sys.argv) == 3 and sys.argv[2] == "--inside":
        inside(sys.argv[1])
        return
    if len(sys.argv) != 2:
        print(__doc__)
        sys.exit(2)
    probe = run("unshare", "--net", "--mount", "true")
    if probe.returncode != 0:
        print("SKIP: no network namespace here:", probe.stderr.strip())
        sys.exit(SKIP)
    result = subprocess.run(["unshare", "--net", "--mount", sys.executable,
                             os.path.abspath(__file__), sys.argv[1], "--inside"], timeout=400)
    sys.exit(result.returncode)


if __name__ == "__main__":
    main()
