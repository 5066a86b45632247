#!/usr/bin/python3
"""VXI-11 beside raw SCPI in one run of the real server: the *IDN? round trip
and RES to the last byte on the line (median and 99th percentile, PyVISA
@py as the client: TCPIP::ADDR::INSTR and TCPIP::ADDR::PORT::SOCKET), and
`lxi benchmark` requests per second for both. Inside a network namespace of
its own (port 111 is needed); skipped where namespaces are not allowed.

    vxi11_bench.py PATH/TO/6175ZIZ-scpi [--short]
    vxi11_bench.py PATH/TO/6175ZIZ-scpi --beside BASELINE_SERVER COUNT

--short takes a few requests only. --beside runs both builds at once (on
127.0.0.1 and 127.0.0.2, each with its own port 111) and times COUNT
device_write calls of a lean client to the last byte on the line for each,
in turns (baseline, this build, this build, baseline, ...); it prints the times in ms as JSON,
{"baseline": [...], "this build": [...]}, for server_bench.py's side-by-side.
"""
import json
import os
import re
import select
import socket
import struct
import statistics
import subprocess
import sys
import threading
import time
import tty

def figures(name, samples):
    samples = sorted(samples)
    p99 = samples[min(len(samples) - 1, int(len(samples) * 0.99))]
    print(f"  {name:<34} median {statistics.median(samples) * 1e3:7.3f} ms"
          f"   p99 {p99 * 1e3:7.3f} ms")


def last_byte(master):
    """When the eighth byte of a command frame arrived."""
    got = b""
    while len(got) < 8 and select.select([master], [], [], 5)[0]:
        got += os.read(master, 64)
    if len(got) < 8:
        raise SystemExit(f"vxi11_bench: a frame did not reach the line whole: {got!r}")
    return time.perf_counter()


class LeanVxi11:
    """The two RPCs of a VXI-11 query packed by hand: what the server costs,
    without PyVISA's own XDR code in the figure."""

    def __init__(self, port, host="127.0.0.1"):
        self.socket = socket.create_connection((host, port))
        self.socket.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        self.link = struct.unpack(">I", self.call(10, struct.pack(">3I", 0, 0, 0)
                                                  + self.opaque(b"inst0"))[4:8])[0]

    @staticmethod
    def opaque(data):
        return struct.pack(">I", len(data)) + data + b"\0" * (-len(data) % 4)

    def send(self, procedure, args):
        body = struct.pack(">10I", 1, 0, 2, 0x0607AF, 1, procedure, 0, 0, 0, 0) + args
        self.socket.sendall(struct.pack(">I", 0x80000000 | len(body)) + body)

    def call(self, procedure, args):
        self.send(procedure, args)
        return self.socket.recv(4096)[28:]

    def write(self, text):
        """device_write, its reply not yet read."""
        self.send(11, struct.pack(">4I", self.link, 1000, 0, 8) + self.opaque(text))

    def query(self, text):
        self.call(11, struct.pack(">4I", self.link, 1000, 0, 8) + self.opaque(text))
        return self.call(12, struct.pack(">6I", self.link, 1024, 1000, 0, 0, 0))


def start_server(server_path, address="127.0.0.1"):
    """The server on a fresh pseudo-terminal: (process, master, SCPI port, core port)."""
    master, slave = os.openpty()
    tty.setraw(slave)
    server = subprocess.Popen([server_path, "--device", os.ttyname(slave), "--listen",
                               f"{address}:0", "--http", "off", "--no-announce"],
                              stderr=subprocess.PIPE, text=True)
    log, deadline = "", time.monotonic() + 30
    while "VXI-11 core channel" not in log:
        line = server.stderr.readline()
        if not line or time.monotonic() > deadline:
            server.kill()
            raise SystemExit(f"vxi11_bench: no VXI-11 core channel; the log: {log}")
        log += line
    where = re.escape(address)
    port = re.search(r"listening on " + where + r":(\d+)", log).group(1)
    core_port = int(re.search(r"core channel on " + where + r":(\d+)", log).group(1))
    threading.Thread(target=server.stderr.read, daemon=True).start()  # the rest of the log
    return server, master, port, core_port


def stop_server(server):
    server.terminate()
    if server.wait(10) != 0:
        raise SystemExit(f"vxi11_bench: the server ended with {server.returncode}")


def beside(paths, count):
    """device_write to the last byte on the line, a lean client, in this
    thread: the reply comes only after the bytes left, so it is read after."""
    servers = {build: start_server(path, f"127.0.0.{n + 1}")
               for n, (build, path) in enumerate(paths.items())}
    try:
        clients = {build: LeanVxi11(s[3], f"127.0.0.{n + 1}")
                   for n, (build, s) in enumerate(servers.items())}
        times = {build: [] for build in paths}
        for i in range(count + 20):
            # Every pair in the other order from the one before (server_bench.py).
            for build in (list(clients) if i % 2 == 0 else list(clients)[::-1]):
                client = clients[build]
                command = f"RES {i % 900 + 100}\n".encode()
                started = time.perf_counter()
                client.write(command)
                arrived = last_byte(servers[build][1])
                client.socket.recv(4096)
                if i >= 20:  # the first ones warm up
                    times[build].append((arrived - started) * 1000.0)
        print(json.dumps(times))
    finally:
        for server in servers.values():
            stop_server(server[0])


def inside(server_path, short):
    import pyvisa
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
    server, master, port, core_port = start_server(server_path)
    rm = pyvisa.ResourceManager("@py")
    count = 50 if short else 1000
    try:
        print(f"VXI-11 and raw SCPI, {count} requests each, taken in turn so that both see the"
              " same load (PyVISA @py, 127.0.0.1):")
        clients = {kind: rm.open_resource(resource, read_termination="\n",
                                          write_termination="\n", timeout=5000)
                   for kind, resource in (("VXI-11", "TCPIP::127.0.0.1::INSTR"),
                                          ("raw", f"TCPIP::127.0.0.1::{port}::SOCKET"))}
        trips = {kind: [] for kind in clients}
        lines = {kind: [] for kind in clients}
        for i in range(count):
            for kind, inst in clients.items():
                start = time.perf_counter()
                inst.query("*IDN?")
                trips[kind].append(time.perf_counter() - start)
                # Timed by a reader of its own: a VXI-11 write returns only
                # once the port is drained and closed, after the bytes left.
                arrived = []
                reader = threading.Thread(target=lambda: arrived.append(last_byte(master)))
                reader.start()
                start = time.perf_counter()
                inst.write(f"RES {i % 900 + 100}")
                reader.join(5)
                lines[kind].append(arrived[0] - start)
        for kind in clients:
            figures(f"{kind} *IDN? round trip", trips[kind])
        for kind in clients:
            figures(f"{kind} RES -> last byte on the line", lines[kind])
        for name, samples in (("*IDN?", trips), ("RES", lines)):
            ratio = statistics.median(samples["VXI-11"]) / statistics.median(samples["raw"])
            print(f"  {name} median, VXI-11 over raw: {ratio:.2f}x (target: within 2x)")
        for inst in clients.values():
            inst.close()
        lean = {"VXI-11": LeanVxi11(core_port),
                "raw": socket.create_connection(("127.0.0.1", int(port)))}
        lean["raw"].setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
        asks = {"VXI-11": lambda: lean["VXI-11"].query(b"*IDN?\n"),
                "raw": lambda: (lean["raw"].sendall(b"*IDN?\n"), lean["raw"].recv(200))}
        trips = {kind: [] for kind in asks}
        for _ in range(count):
            for kind, ask in asks.items():
                start = time.perf_counter()
                ask()
                trips[kind].append(time.perf_counter() - start)
        for kind in asks:
            figures(f"{kind} *IDN?, a lean client", trips[kind])
        ratio = statistics.median(trips["VXI-11"]) / statistics.median(trips["raw"])
        print(f"  *IDN? median with lean clients, VXI-11 over raw: {ratio:.2f}x")
        for kind, extra in (("VXI-11", []), ("raw", ["-r", "-p", port])):
            out = subprocess.run(["lxi", "benchmark", "-a", "127.0.0.1", "-c", str(count), *extra],
                                 capture_output=True, text=True, timeout=120).stdout
            rate = re.search(r"([\d.]+) requests/second", out)
            print(f"  lxi benchmark {kind:<21} {rate.group(1) if rate else out.strip()}"
                  " requests/s")
    finally:
        stop_server(server)


def main():
    server_path, options = sys.argv[1], sys.argv[2:]
    if options[:1] == ["--inside"]:
        if options[1:2] == ["--beside"]:
            subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
            return beside({"baseline": options[2], "this build": server_path}, int(options[3]))
        return inside(server_path, "--short" in options)
    if subprocess.run(["unshare", "--net", "true"], capture_output=True).returncode != 0:
        print("vxi11_bench: skipped, no network namespace here (needs root)")
        return 0
    return subprocess.run(["unshare", "--net", sys.executable, os.path.abspath(__file__),
                           server_path, "--inside", *options], timeout=600).returncode


if __name__ == "__main__":
    sys.exit(main())
