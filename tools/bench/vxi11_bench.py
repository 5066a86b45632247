#!/usr/bin/python3
"""VXI-11 beside raw SCPI in one run of the real server: the *IDN? round trip
and RES to the last byte on the line (median and 99th percentile, PyVISA
@py as the client: TCPIP::ADDR::INSTR and TCPIP::ADDR::PORT::SOCKET), and
`lxi benchmark` requests per second for both. Inside a network namespace of
its own (port 111 is needed); skipped where namespaces are not allowed.

    vxi11_bench.py PATH/TO/6175ZIZ-scpi
"""
import os
import re
import select
import statistics
import subprocess
import sys
import threading
import time
import tty

N = 300


def figures(name, samples):
    samples = sorted(samples)
    p99 = samples[min(len(samples) - 1, int(len(samples) * 0.99))]
    print(f"  {name:<34} median {statistics.median(samples) * 1e3:7.3f} ms"
          f"   p99 {p99 * 1e3:7.3f} ms")


def inside(server_path):
    subprocess.run(["ip", "link", "set", "lo", "up"], check=True)
    import pyvisa
    master, slave = os.openpty()
    tty.setraw(slave)
    server = subprocess.Popen([server_path, "--device", os.ttyname(slave), "--listen",
                               "127.0.0.1:0", "--http", "off", "--no-announce"],
                              stderr=subprocess.PIPE, text=True)
    log = ""
    while "VXI-11 core channel" not in log:
        log += server.stderr.readline()
    port = re.search(r"listening on 127\.0\.0\.1:(\d+)", log).group(1)
    threading.Thread(target=server.stderr.read, daemon=True).start()  # the rest of the log
    rm = pyvisa.ResourceManager("@py")
    try:
        print(f"VXI-11 and raw SCPI, {N} requests each (PyVISA @py, 127.0.0.1):")
        for kind, resource in (("VXI-11", "TCPIP::127.0.0.1::INSTR"),
                               ("raw", f"TCPIP::127.0.0.1::{port}::SOCKET")):
            inst = rm.open_resource(resource, read_termination="\n", write_termination="\n",
                                    timeout=5000)
            trips = []
            for _ in range(N):
                start = time.perf_counter()
                inst.query("*IDN?")
                trips.append(time.perf_counter() - start)
            figures(f"{kind} *IDN? round trip", trips)
            lines = []
            for i in range(N):
                start = time.perf_counter()
                inst.write(f"RES {i % 900 + 100}")
                got = b""
                while len(got) < 8 and select.select([master], [], [], 5)[0]:
                    got += os.read(master, 64)
                lines.append(time.perf_counter() - start)
            figures(f"{kind} RES -> last byte on the line", lines)
            inst.close()
        for kind, extra in (("VXI-11", []), ("raw", ["-r", "-p", port])):
            out = subprocess.run(["lxi", "benchmark", "-a", "127.0.0.1", "-c", str(N), *extra],
                                 capture_output=True, text=True, timeout=120).stdout
            rate = re.search(r"([\d.]+) requests/second", out)
            print(f"  lxi benchmark {kind:<21} {rate.group(1) if rate else out.strip()}"
                  " requests/s")
    finally:
        server.terminate()
        server.wait(10)


def main():
    if len(sys.argv) == 3 and sys.argv[2] == "--inside":
        return inside(sys.argv[1])
    if subprocess.run(["unshare", "--net", "true"], capture_output=True).returncode != 0:
        print("vxi11_bench: skipped, no network namespace here (needs root)")
        return 0
    return subprocess.run(["unshare", "--net", sys.executable, os.path.abspath(__file__),
                           sys.argv[1], "--inside"], timeout=600).returncode


if __name__ == "__main__":
    sys.exit(main())
