#!/usr/bin/python3
"""Who may set the box, for every front alike: --allow lets one address in
and turns another away on SCPI, VXI-11 (core channel and portmapper) and
HTTP; the page beyond the loopback asks for its token (a cookie after the
printed address, 403 without it, a WebSocket without it refused); and
discovery answers on the subnet served and nowhere else (lxi discover).
Runs inside a network and mount namespace of its own with two veth pairs
(10.77.0.0/24 and 10.78.0.0/24, which exist only there); skipped (77) where
namespaces are not allowed.

    /usr/bin/python3 tst_server_access.py PATH/TO/6175ZIZ-scpi
"""
import http.client
import os
import re
import socket
import struct
import subprocess
import sys
import time

SKIP = 77
HERE = os.path.dirname(os.path.abspath(__file__))
ADDR, LET_IN, TURNED_AWAY = "10.77.0.1", "10.77.0.2", "10.77.0.3"
OTHER_ADDR = "10.78.0.1"  # the machine's other interface
CORE, PORTMAPPER = 0x0607AF, 100000


def check(condition, message):
    if not condition:
        print("FAIL:", message)
        sys.exit(1)
    print("ok:", message)


def network():
    for command in (["ip", "link", "set", "lo", "up"],
                    ["ip", "link", "add", "zzv0", "type", "veth", "peer", "name", "zzv1"],
                    ["ip", "link", "add", "zzw0", "type", "veth", "peer", "name", "zzw1"],
                    ["ip", "addr", "add", ADDR + "/24", "brd", "+", "dev", "zzv0"],
                    ["ip", "addr", "add", LET_IN + "/24", "brd", "+", "dev", "zzv1"],
                    ["ip", "addr", "add", TURNED_AWAY + "/24", "dev", "zzv1"],
                    ["ip", "addr", "add", OTHER_ADDR + "/24", "brd", "+", "dev", "zzw0"],
                    ["ip", "addr", "add", "10.78.0.2/24", "brd", "+", "dev", "zzw1"]):
        subprocess.run(command, check=True)
    for link in ("zzv0", "zzv1", "zzw0", "zzw1"):
        subprocess.run(["ip", "link", "set", link, "up"], check=True)
    time.sleep(1)  # the veth carrier


def rpc_call(xid, prog, vers, proc, args=b""):
    return struct.pack(">10I", xid, 0, 2, prog, vers, proc, 0, 0, 0, 0) + args


def getport_datagram(source, destination, broadcast=False):
    """The core port the portmapper at `destination` tells, or None."""
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        if broadcast:
            s.setsockopt(socket.SOL_SOCKET, socket.SO_BROADCAST, 1)
        s.bind((source, 0))
        s.settimeout(1.0)
        s.sendto(rpc_call(7, PORTMAPPER, 2, 3, struct.pack(">4I", CORE, 1, 6, 0)), (destination, 111))
        try:
            reply = s.recv(100)
        except OSError:  # no answer, or the port unreachable
            return None
        return struct.unpack(">I", reply[-4:])[0]


def connect_from(source, port):
    s = socket.create_connection((ADDR, port), timeout=5, source_address=(source, 0))
    return s


def closed_at_once(source, port):
    with connect_from(source, port) as s:
        try:
            return s.recv(100) == b""
        except ConnectionResetError:
            return True


def request(source, port, path, headers=None):
    connection = http.client.HTTPConnection(ADDR, port, timeout=5, source_address=(source, 0))
    connection.request("GET", path, headers=headers or {})
    response = connection.getresponse()
    body = response.read()
    connection.close()
    return response, body


def websocket_status(port, headers):
    """The status line's code of a WebSocket upgrade to /ws."""
    with connect_from(LET_IN, port) as s:
        lines = ["GET /ws HTTP/1.1", f"Host: {ADDR}:{port}", "Upgrade: websocket",
                 "Connection: Upgrade", "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==",
                 "Sec-WebSocket-Version: 13"] + [f"{k}: {v}" for k, v in headers.items()]
        s.sendall(("\r\n".join(lines) + "\r\n\r\n").encode())
        return int(s.recv(200).split(b" ")[1])


def allow_and_token(fixture):
    pty = fixture.Pty()
    server = fixture.Server("--device", pty.path, "--listen", ADDR + ":0", "--http", ADDR + ":0",
                            "--allow", LET_IN, "--no-announce", network=True)
    try:
        server.waitLog("VXI-11 core channel", 1)
        log = server.logText()
        check("only 10.77.0.2/32 may connect (--allow)" in log, "the log says who may connect")
        page = re.search(r"the front panel on http://10\.77\.0\.1:(\d+)/\?token=([0-9a-f]{32})\n", log)
        check(page, "the page's address is printed once with its token")
        http_port, token = int(page.group(1)), page.group(2)
        core_port = int(re.search(r"VXI-11 core channel on 10\.77\.0\.1:(\d+)", log).group(1))

        # SCPI
        with connect_from(LET_IN, server.port) as s:
            s.sendall(b"RES 12\n*IDN?\n")
            check(s.recv(100).split(b",")[1] == b"6175", "SCPI from the allowed address answers")
        check(pty.take(8) == b"00012.0\r", "and sets the box")
        time.sleep(1.1)  # refusals are logged once a second at most
        check(closed_at_once(TURNED_AWAY, server.port), "SCPI from another address: closed at once")
        server.waitLog("SCPI client 10.77.0.3:", 1)
        check(re.search(r"SCPI client 10\.77\.0\.3:\d+ refused: not in --allow 10\.77\.0\.2/32",
                        server.logText()), "and logged")

        # VXI-11: the portmapper's datagrams, then the core channel
        told = getport_datagram(LET_IN, ADDR)
        check(told == core_port, f"the portmapper answers the allowed address: {told} {core_port}")
        time.sleep(1.1)
        check(getport_datagram(TURNED_AWAY, ADDR) is None, "and not the other")
        server.waitLog("portmapper datagram from 10.77.0.3", 1)
        check("portmapper datagram from 10.77.0.3" in server.logText(), "the datagram refusal logged")
        with connect_from(LET_IN, core_port) as s:
            call = rpc_call(1, CORE, 1, 10, struct.pack(">4I", 1, 0, 0, 5) + b"inst0\0\0\0")
            s.sendall(struct.pack(">I", 0x80000000 | len(call)) + call)
            check(struct.unpack(">I", s.recv(100)[28:32])[0] == 0, "create_link from the allowed address")
        time.sleep(1.1)
        check(closed_at_once(TURNED_AWAY, core_port), "the core channel from the other: closed at once")
        server.waitLog("VXI-11 client 10.77.0.3", 1)
        check("VXI-11 client 10.77.0.3" in server.logText(), "and logged")

        # HTTP and the token
        time.sleep(1.1)
        check(closed_at_once(TURNED_AWAY, http_port), "HTTP from the other address: closed at once")
        server.waitLog("HTTP client 10.77.0.3", 1)
        response, _ = request(LET_IN, http_port, "/")
        check(response.status == 403, f"the page without its token: {response.status}")
        response, _ = request(LET_IN, http_port, "/?token=" + "0" * 32)
        check(response.status == 403, "a wrong token: 403")
        response, _ = request(LET_IN, http_port, "/?token=" + token)
        cookie = response.getheader("Set-Cookie", "")
        check(response.status == 303 and response.getheader("Location") == "/",
              "the printed address: on to the page without the token")
        check(cookie == f"token_{http_port}={token}; Path=/; HttpOnly; SameSite=Strict",
              f"with the token as a strict, script-proof cookie: {cookie!r}")
        jar = {"Cookie": f"token_{http_port}={token}"}
        response, body = request(LET_IN, http_port, "/", jar)
        check(response.status == 200 and b"<html" in body.lower(), "the cookie opens the page")
        response, body = request(LET_IN, http_port, "/lxi/identification")
        check(response.status == 200 and b"<LXIDevice" in body, "the identification needs no token")
        origin = {"Origin": f"http://{ADDR}:{http_port}"}
        check(websocket_status(http_port, origin) == 403, "a WebSocket without the cookie: 403")
        check(websocket_status(http_port, {**origin, **jar}) == 101, "with it: upgraded")
        check(websocket_status(http_port, {"Origin": "http://evil.example", **jar}) == 403,
              "the cookie from another origin: 403")
        check(pty.take() == b"", "nothing else reached the line")
        check(server.stop() == 0, "the server stops cleanly")
    finally:
        if server.process.poll() is None:
            server.process.kill()
        pty.close()


def discovery(fixture):
    pty = fixture.Pty()
    server = fixture.Server("--device", pty.path, "--listen", ADDR + ":0", "--http", "off",
                            "--no-announce", network=True)
    try:
        server.waitLog("VXI-11 core channel", 1)
        check("UDP broadcasts to 10.77.0.255" in server.logText(), "the subnet's broadcast bound")
        out = subprocess.run(["lxi", "discover", "-t", "2"], capture_output=True, text=True,
                             timeout=30).stdout
        check(ADDR in out, f"lxi discover finds the box on the subnet served: {out!r}")
        check("10.78." not in out, "and on no other")
        check(getport_datagram("10.78.0.2", "10.78.0.255", broadcast=True) is None,
              "a broadcast on the other subnet is not answered")
        check(getport_datagram("10.78.0.2", OTHER_ADDR) is None,
              "nor a call to the other interface's address")
        check(server.stop() == 0, "the server stops cleanly")
    finally:
        if server.process.poll() is None:
            server.process.kill()
        pty.close()


def inside(server_path):
    network()
    sys.argv = [sys.argv[0], server_path]
    sys.path.insert(0, HERE)
    import tst_scpi_pyvisa as fixture
    allow_and_token(fixture)
    discovery(fixture)


def main():
    if len(sys.argv) == 3 and sys.argv[2] == "--inside":
        inside(sys.argv[1])
        return
    if len(sys.argv) != 2:
        print(__doc__)
        sys.exit(2)
    probe = subprocess.run(["unshare", "--net", "--mount", "true"], capture_output=True, text=True)
    if probe.returncode != 0:
        print("SKIP: no network namespace here:", probe.stderr.strip())
        sys.exit(SKIP)
    result = subprocess.run(["unshare", "--net", "--mount", sys.executable,
                             os.path.abspath(__file__), sys.argv[1], "--inside"], timeout=300)
    sys.exit(result.returncode)


if __name__ == "__main__":
    main()
