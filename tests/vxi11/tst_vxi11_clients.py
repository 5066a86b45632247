#!/usr/bin/python3
"""The VXI-11 host (tools/vxi11_host) with the real clients of Debian 12:
PyVISA's own VXI-11 client (@py, TCPIP::127.0.0.1::INSTR) and lxi-tools'
`lxi scpi` (libtirpc, which asks rpcbind version 4 first and falls back to
2), both through the portmapper on port 111. Runs inside a network namespace
of its own (only its loopback), so port 111 is free and nothing leaves the
machine; skipped (77) where namespaces are not allowed. The box is a
pseudo-terminal whose exact bytes are read back.

    tst_vxi11_clients.py VXI11_HOST
"""
import os
import select
import shutil
import socket
import struct
import subprocess
import sys
import time
import tty

SKIP = 77


def fail(message):
    print("FAIL:", message)
    sys.exit(1)


def check(condition, message):
    if not condition:
        fail(message)
    print("ok:", message)


def read_box(master, wait=0.5):
    """All bytes the box got within `wait` seconds of quiet."""
    data = b""
    while select.select([master], [], [], wait)[0]:
        chunk = os.read(master, 4096)
        if not chunk:
            break
        data += chunk
    return data


def rpc_record(xid, prog, vers, proc, args=b""):
    body = struct.pack(">10I", xid, 0, 2, prog, vers, proc, 0, 0, 0, 0) + args
    return struct.pack(">I", 0x80000000 | len(body)) + body


def inside(host_path):
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
    master, slave = os.openpty()
    tty.setraw(slave)
    host = subprocess.Popen(
        [host_path, "--box", os.ttyname(slave), "--portmapper-port", "111",
         "--max-recv", "64"],
        stdout=subprocess.PIPE, text=True)
    try:
        core_port = int(host.stdout.readline().split()[1])
        check(host.stdout.readline().split() == ["portmapper", "111"], "portmapper on 111")
        run_clients(master, core_port)
    finally:
        host.terminate()
        host.wait(timeout=10)
    check(host.returncode == 0, "the host stopped cleanly")


def run_clients(master, core_port):
    import pyvisa

    rm = pyvisa.ResourceManager("@py")
    inst = rm.open_resource("TCPIP::127.0.0.1::INSTR", read_termination="\n",
                            write_termination="\n", timeout=3000)
    idn = inst.query("*IDN?")
    check(idn.startswith("Quellor Ltd,6175,"), f"PyVISA *IDN? -> {idn!r}")
    inst.write("RES 1.2 KOHM")
    check(read_box(master) == b"01200.0\r", "PyVISA RES 1.2 KOHM -> 01200.0<CR> on the line")
    check(inst.query("RES?") == "1200.0", "PyVISA RES? -> 1200.0")
    # PyVISA reads at most the link's maxRecvSize (64) at a time: 96 bytes
    # come in two device_reads, the first ended by the request size.
    long_answer = inst.query("*IDN?;*IDN?;*IDN?;*IDN?")
    check(long_answer == ";".join([idn] * 4), "a long answer read in several device_reads")
    check(inst.read_stb() == 0, "read_stb -> 0")
    inst.write("*IDN?")
    check(inst.read_stb() & 0x10, "read_stb with an answer waiting has MAV")
    inst.clear()
    check(inst.read_stb() == 0, "clear() drops the answer")
    inst.write("NO:SUCH")
    check(inst.query("SYST:ERR?") == '-113,"Undefined header"', "errors per link")
    inst.close()

    lxi = shutil.which("lxi")
    if lxi:
        out = subprocess.run([lxi, "scpi", "-a", "127.0.0.1", "-t", "5", "*IDN?"],
                             capture_output=True, text=True, timeout=30)
        check(out.stdout.strip() == idn, f"lxi scpi *IDN? -> {out.stdout.strip()!r}")
        subprocess.run([lxi, "scpi", "-a", "127.0.0.1", "RES 15"], capture_output=True,
                       timeout=30, check=True)
        check(read_box(master) == b"00015.0\r", "lxi scpi RES 15 -> 00015.0<CR> on the line")
    else:
        print("skip: lxi-tools not installed")

    # Hostile connections: each is closed, the host goes on, nothing on the line.
    for name, data in [
        ("oversized fragment", struct.pack(">I", 0x80020000) + b"\0" * 64),
        ("2 GiB declared", struct.pack(">I", 0xFFFFFFFF)),
        ("a reply, not a call", struct.pack(">7I", 0x80000018, 1, 1, 0, 0, 0, 0)),
    ]:
        with socket.create_connection(("127.0.0.1", core_port), timeout=5) as s:
            s.sendall(data)
            check(s.recv(100) == b"", f"{name}: connection closed")
    with socket.create_connection(("127.0.0.1", core_port), timeout=5) as s:
        s.sendall(rpc_record(77, 0x0607AF, 1, 99))  # unknown procedure
        reply = s.recv(100)
        fields = struct.unpack(">7I", reply[:28])
        check(fields == (0x80000018, 77, 1, 0, 0, 0, 3), "unknown procedure -> PROC_UNAVAIL")
        # 17 links on one connection: the 17th is out of resources (9).
        errors = []
        for i in range(17):
            args = struct.pack(">3I", i, 0, 0) + struct.pack(">I", 5) + b"inst0\0\0\0"
            s.sendall(rpc_record(100 + i, 0x0607AF, 1, 10, args))
            reply = s.recv(100)
            errors.append(struct.unpack(">I", reply[28:32])[0])
        check(errors == [0] * 16 + [9], "17 links: the 17th gets 'out of resources'")
        # A link id that does not exist.
        s.sendall(rpc_record(200, 0x0607AF, 1, 11,
                             struct.pack(">5I", 9999, 0, 0, 8, 5) + b"RES 1\0\0\0"))
        reply = s.recv(100)
        check(struct.unpack(">I", reply[28:32])[0] == 4, "nonexistent link -> error 4")
    check(read_box(master) == b"", "nothing reached the line from the hostile set")
    inst = rm.open_resource("TCPIP::127.0.0.1::INSTR", read_termination="\n", timeout=3000)
    check(inst.query("RES?") == "15.0", "the host goes on serving")
    inst.close()


def main():
    if len(sys.argv) == 3 and sys.argv[2] == "--inside":
        inside(sys.argv[1])
        return
    if len(sys.argv) != 2:
        print(__doc__)
        sys.exit(2)
    probe = subprocess.run(["unshare", "--net", "true"], capture_output=True)
    if probe.returncode != 0:
        print("SKIP: no network namespace here:", probe.stderr.decode().strip())
        sys.exit(SKIP)
    result = subprocess.run(["unshare", "--net", sys.executable, os.path.abspath(__file__),
                             sys.argv[1], "--inside"], timeout=240)
    sys.exit(result.returncode)


if __name__ == "__main__":
    main()
