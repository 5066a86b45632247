#!/usr/bin/python3
"""The network server's figures, side by side in one run: the web page (click
to last byte on the line, another sender to the page's digits), SCPI (via
scpi_bench, beside an earlier build when one is given), *IDN? while another
client's command waits on a stalled port, and resident memory with 16 SCPI
clients and 16 pages. The real server, a pseudo-terminal as the box's port,
headless Chromium for the page.

    server_bench.py SERVER CTL SCPI_BENCH [EARLIER_SERVER]
"""
import base64
import os
import select
import socket
import statistics
import subprocess
import sys
import termios
import time

server_path, ctl_path, scpi_bench = (os.path.abspath(p) for p in sys.argv[1:4])
earlier = os.path.abspath(sys.argv[4]) if len(sys.argv) > 4 and sys.argv[4] else None
here = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(here, "..", "..", "tests", "apps", "scpiserver"))
sys.argv = [sys.argv[0], server_path, ctl_path]
import tst_web_panel as web  # noqa: E402  (the browser and server fixtures)

fixture = web.fixture
from selenium.webdriver.common.by import By  # noqa: E402


def ms(seconds):
    return seconds * 1000.0


def p99(values):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, len(ordered) * 99 // 100)]


class ExactPty:
    """A pseudo-terminal whose reader thread stamps each arrival with the
    wall clock the moment select() returns, so that no polling delay and no
    WebDriver round trip count."""

    def __init__(self):
        import threading
        import tty
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)
        self.path = os.ttyname(self.slave)
        self.chunks = []  # (wall clock ms, bytes)
        self.cond = threading.Condition()
        self.running = True
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        while self.running:
            if select.select([self.master], [], [], 0.2)[0]:
                data = os.read(self.master, 4096)
                with self.cond:
                    self.chunks.append((time.time() * 1000.0, data))
                    self.cond.notify_all()

    def take(self, count, timeout=10):
        """The first `count` bytes not yet taken and when the last of them came."""
        with self.cond:
            self.cond.wait_for(lambda: sum(len(d) for _, d in self.chunks) >= count, timeout)
            data, when = b"", 0.0
            while self.chunks and len(data) < count:
                when, chunk = self.chunks.pop(0)
                data += chunk
            return data, when

    def close(self):
        self.running = False
        self.thread.join()
        os.close(self.master)
        os.close(self.slave)


def page_figures(rounds=200):
    pty = ExactPty()
    server = web.PanelServer("--device", pty.path)
    driver = web.browser()
    try:
        page = web.Page(driver, server.url)
        buttons = [driver.find_element(By.ID, "up1"), driver.find_element(By.ID, "down1")]
        clicks = []
        for i in range(rounds):
            # The click's moment on the page's own clock, then the last byte's.
            clicked = driver.execute_script(
                "const t = performance.timeOrigin + performance.now(); arguments[0].click(); return t",
                buttons[i % 2])
            got, arrived = pty.take(8)
            assert len(got) == 8, got
            clicks.append((arrived - clicked) / 1000.0)
        # Another sender: a SCPI client (pushed at once) and 6175ZIZ-ctl (seen
        # in the last-command record), timed from the sender's start (the
        # command sent; ctl's process started) to the page's digits changing
        # (the page's own clock, same machine).
        driver.execute_script("""window.changes = [];
            new MutationObserver(() => changes.push(performance.timeOrigin + performance.now()))
              .observe(document.getElementById('readout'), {attributes: true});""")
        follow = {"SCPI client": [], "6175ZIZ-ctl": []}
        env = dict(os.environ, XDG_RUNTIME_DIR=server.scratch.name)
        with socket.create_connection(("127.0.0.1", server.port), 10) as scpi:
            for i in range(40):
                seen = driver.execute_script("return changes.length")
                value = 1000 + i
                out = time.time() * 1000.0
                if i % 2 == 0:
                    scpi.sendall(b"RES %d\n" % value)
                    who = "SCPI client"
                else:
                    subprocess.Popen([ctl_path, "--quiet", "--device", pty.path, "set", str(value)],
                                     env=env)
                    who = "6175ZIZ-ctl"
                assert len(pty.take(8)[0]) == 8
                page.wait_for(lambda: driver.execute_script("return changes.length") > seen)
                follow[who].append(driver.execute_script("return changes[changes.length - 1]") - out)
        return clicks, follow
    finally:
        web.quit_browser(driver)
        server.stop()
        pty.close()


def idn_while_stalled(path, rounds=10):
    pty = fixture.Pty()
    fixture.SERVER = path
    server = fixture.Server("--device", pty.path)
    times = []
    try:
        setter = socket.create_connection(("127.0.0.1", server.port), 10)
        asker = socket.create_connection(("127.0.0.1", server.port), 10)
        for i in range(rounds):
            termios.tcflow(pty.slave, termios.TCOOFF)
            setter.sendall(b"RES %d;*OPC?\n" % (100 + i))
            time.sleep(0.03)
            started = time.monotonic()
            asker.sendall(b"*IDN?\n")
            asker.recv(100)
            times.append(time.monotonic() - started)
            setter.recv(10)
            termios.tcflow(pty.slave, termios.TCOON)
            pty.take(quiet=0.05)
            setter.sendall(b"*CLS\n")
        setter.close()
        asker.close()
    finally:
        server.stop()
        pty.close()
        fixture.SERVER = server_path
    return times


def websocket(port):
    s = socket.create_connection(("127.0.0.1", port), 10)
    host = "127.0.0.1:%d" % port
    s.sendall(("GET /ws HTTP/1.1\r\nHost: %s\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
               "Sec-WebSocket-Version: 13\r\nSec-WebSocket-Key: %s\r\nOrigin: http://%s\r\n\r\n"
               % (host, base64.b64encode(os.urandom(16)).decode(), host)).encode())
    assert s.recv(4096).startswith(b"HTTP/1.1 101"), "no WebSocket"
    return s


def resident_kib(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def memory(path, pages):
    pty = fixture.Pty()
    fixture.SERVER = path
    server = web.PanelServer("--device", pty.path) if pages else fixture.Server("--device", pty.path)
    try:
        clients = [socket.create_connection(("127.0.0.1", server.port), 10) for _ in range(16)]
        for c in clients:
            c.sendall(b"*IDN?\n")
            c.recv(100)
        sockets = [websocket(server.http_port) for _ in range(16)] if pages else []
        clients[0].sendall(b"RES 42;*OPC?\n")  # every page gets the update
        clients[0].recv(10)
        time.sleep(0.3)
        kib = resident_kib(server.process.pid)
        for s in clients + sockets:
            s.close()
        return kib
    finally:
        server.stop()
        pty.close()
        fixture.SERVER = server_path


def main():
    clicks, follow = page_figures()
    print("page click to last byte on the line: median %.1f ms, 99th percentile %.1f ms "
          "(%d clicks, the page's clock to the line's; targets 5 ms and 20 ms)"
          % (ms(statistics.median(clicks)), ms(p99(clicks)), len(clicks)))
    for who, delays in follow.items():
        print("%s sets the box -> page digits updated: median %.1f ms, max %.1f ms (target 50 ms%s)"
              % (who, statistics.median(delays), max(delays),
                 "; from the process's start" if who == "6175ZIZ-ctl" else ""))
    for name, path in [("this server", server_path), ("earlier server", earlier)]:
        if not path:
            continue
        print("--- SCPI, %s (%s)" % (name, path))
        sys.stdout.flush()
        subprocess.run([scpi_bench, "1000", path], check=False)
        idn = idn_while_stalled(path)
        print("*IDN? while another client's command waits on a stalled port: median %.1f ms, "
              "max %.1f ms (target 5 ms)" % (ms(statistics.median(idn)), ms(max(idn))))
    print("resident memory with 16 SCPI clients and 16 pages: %.1f MB (target 20 MB)"
          % (memory(server_path, True) / 1024.0))
    if earlier:
        print("  the earlier server with 16 SCPI clients (no pages): %.1f MB"
              % (memory(earlier, False) / 1024.0))


if __name__ == "__main__":
    main()
