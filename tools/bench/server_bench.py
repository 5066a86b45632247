#!/usr/bin/python3
"""The network server's figures, side by side in one run: the web page (click
to last byte on the line, another sender to the page's digits and to its
history plot with an hour on it), SCPI (via
scpi_bench), *IDN? while another client's command waits on a stalled port,
and resident memory with 16 SCPI clients and 16 pages. The real server, a
pseudo-terminal as the box's port, headless Chromium for the page.

    server_bench.py SERVER CTL SCPI_BENCH [--short] [--baseline SERVER [--baseline-name NAME]]

--short takes a few samples of each figure. --baseline puts another build
of the server beside this one, both running at once and sampled in turns
(side_by_side.py): SCPI and VXI-11 command to last byte (scpi_pair_bench,
vxi11_bench.py --beside), SCPI commands per second with 1 and 8 clients,
page click to last byte (a browser for each); a short run without one puts
this build beside itself, so that those parts run too. Without --short a
figure worse than the baseline's by more than 10 % makes the exit status 3;
a figure that cannot be taken, 1.
"""
import argparse
import base64
import json
import os
import select
import socket
import statistics
import subprocess
import sys
import termios
import time

here = os.path.dirname(os.path.abspath(__file__))
parser = argparse.ArgumentParser()
parser.add_argument("server")
parser.add_argument("ctl")
parser.add_argument("scpi_bench")
parser.add_argument("--short", action="store_true")
parser.add_argument("--baseline")
parser.add_argument("--baseline-name", default="baseline")
args = parser.parse_args()
server_path, ctl_path, scpi_bench = (os.path.abspath(p) for p in (args.server, args.ctl,
                                                                  args.scpi_bench))
baseline = os.path.abspath(args.baseline) if args.baseline else None
sys.path.insert(0, os.path.join(here, "..", "..", "tests", "apps", "scpiserver"))
sys.argv = [sys.argv[0], server_path, ctl_path]
import tst_web_panel as web  # noqa: E402  (the browser and server fixtures)
import side_by_side  # noqa: E402

fixture = web.fixture
from selenium.webdriver.common.by import By  # noqa: E402


def ms(seconds):
    return seconds * 1000.0


p99 = side_by_side.p99


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


def arrows(driver):
    return [driver.find_element(By.ID, "up1"), driver.find_element(By.ID, "down1")]


def click_time(driver, pty, button):
    """From the click's moment on the page's own clock to the frame's last byte."""
    clicked = driver.execute_script(
        "const t = performance.timeOrigin + performance.now(); arguments[0].click(); return t",
        button)
    got, arrived = pty.take(8)
    if len(got) != 8:
        raise SystemExit("server_bench: a click's frame did not reach the line: %r" % got)
    return (arrived - clicked) / 1000.0


def click_times(driver, pty, clicks):
    """Clicks on the 0.1 ohm digit's arrows, up and down in turn (no carry)."""
    buttons = arrows(driver)
    return [click_time(driver, pty, buttons[i % 2]) for i in range(clicks)]


def page_figures(clicks, sends):
    pty = ExactPty()
    server = web.PanelServer("--device", pty.path)
    driver = web.browser()
    try:
        page = web.Page(driver, server.url)
        times = click_times(driver, pty, clicks)
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
            for i in range(sends):
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
        return times, follow
    finally:
        web.quit_browser(driver)
        server.stop()
        pty.close()


# An hour of a ramp at 60 commands a second, as the server's first history
# message brings it (numbered below the server's own, which count from 1).
FILL_HOUR = """
    const count = 216000, now = Date.now(), n = [], t = [], ohms = [], celsius = [], by = [];
    for (let i = 0; i < count; i++) {
      n.push(i - count); t.push(now - 3600e3 + i * 1000 / 60);
      ohms.push(Math.round((i % 6000) * 16.6) / 10); celsius.push(null); by.push(0);
    }
    panelHistory.take({type: "history", whole: true, n, t, ohms, celsius, by,
                       senders: ["SCPI client 127.0.0.1:40000"]});"""


def history_figures(sends):
    """A SCPI client sets the box -> the page's plot has drawn the value,
    with an hour of a 60-per-second ramp on it; the page's own clock."""
    pty = ExactPty()
    server = web.PanelServer("--device", pty.path)
    driver = web.browser()
    try:
        page = web.Page(driver, server.url)
        driver.execute_script(FILL_HOUR)
        page.wait_for(lambda: driver.execute_script("return panelHistory.drawn().count") > 215000)
        delays = []
        with socket.create_connection(("127.0.0.1", server.port), 10) as scpi:
            for i in range(1, sends + 1):
                out = time.time() * 1000.0
                scpi.sendall(b"RES %d\n" % (2000 + i))
                assert len(pty.take(8)[0]) == 8
                page.wait_for(lambda: driver.execute_script("return panelHistory.drawn().last") >= i)
                delays.append(driver.execute_script("return panelHistory.drawn().at") - out)
        return delays
    finally:
        web.quit_browser(driver)
        server.stop()
        pty.close()


def idn_while_stalled(rounds):
    pty = fixture.Pty()
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


def memory():
    pty = fixture.Pty()
    server = web.PanelServer("--device", pty.path)
    try:
        clients = [socket.create_connection(("127.0.0.1", server.port), 10) for _ in range(16)]
        for c in clients:
            c.sendall(b"*IDN?\n")
            c.recv(100)
        sockets = [websocket(server.http_port) for _ in range(16)]
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


def scpi_figures(path, commands):
    """scpi_bench's report on the server at `path`."""
    sys.stdout.flush()
    run = subprocess.run([scpi_bench, str(commands), path], timeout=600, stdout=subprocess.PIPE,
                         text=True)
    if run.returncode != 0:
        raise SystemExit("server_bench: scpi_bench failed (%d) against %s"
                         % (run.returncode, path))
    return run.stdout


def scpi_beside(paths, commands, rounds):
    """scpi_pair_bench's samples of both builds."""
    pair = os.path.join(os.path.dirname(scpi_bench), "scpi_pair_bench")
    run = subprocess.run([pair, paths["baseline"], paths["this build"], str(commands), str(rounds)],
                         timeout=600, stdout=subprocess.PIPE, text=True)
    if run.returncode != 0:
        raise SystemExit("server_bench: scpi_pair_bench failed (%d)" % run.returncode)
    return json.loads(run.stdout)


def vxi11_beside(paths, writes):
    """device_write to the last byte (ms) of both builds, in a network
    namespace of their own; a reason instead where there can be none."""
    run = subprocess.run(["/usr/bin/python3", os.path.join(here, "vxi11_bench.py"),
                          paths["this build"], "--beside", paths["baseline"], str(writes)],
                         stdout=subprocess.PIPE, text=True, timeout=600)
    lines = run.stdout.strip().splitlines()
    if run.returncode == 0 and lines and lines[-1].startswith("vxi11_bench: skipped"):
        return "no network namespace here (needs root)"
    if run.returncode != 0 or not lines or not lines[-1].startswith("{"):
        raise SystemExit("server_bench: vxi11_bench --beside failed (%d): %s"
                         % (run.returncode, run.stdout))
    return {build: {"vxi11": times} for build, times in json.loads(lines[-1]).items()}


class PagePair:
    """Both servers up, each on its own pseudo-terminal with its page open in
    a browser of its own, clicked in turns."""

    def __init__(self):
        self.ptys, self.servers, self.drivers = {}, {}, {}

    def open(self, paths):
        try:
            for build, path in paths.items():
                self.ptys[build] = ExactPty()
                fixture.SERVER = path
                self.servers[build] = web.PanelServer("--device", self.ptys[build].path)
                self.drivers[build] = web.browser()
                web.Page(self.drivers[build], self.servers[build].url)
        finally:
            fixture.SERVER = server_path

    def take(self, clicks):
        buttons = {build: arrows(driver) for build, driver in self.drivers.items()}
        times = {build: [] for build in self.drivers}
        for i in range(4 + clicks):  # 4 warm up
            for build in side_by_side.turn(i):
                took = click_time(self.drivers[build], self.ptys[build], buttons[build][i % 2])
                if i >= 4:
                    times[build].append(took * 1000.0)
        return {build: {"page": t} for build, t in times.items()}

    def close(self):
        """Whatever was opened, also after a failure on the way."""
        for driver in self.drivers.values():
            web.quit_browser(driver)
        statuses = [server.stop() for server in self.servers.values()]
        for pty in self.ptys.values():
            pty.close()
        if any(statuses):
            raise SystemExit("server_bench: a server ended with %s" % statuses)


def pages_beside(paths, clicks):
    pair = PagePair()
    try:
        pair.open(paths)
        return pair.take(clicks)
    finally:
        pair.close()


ROWS = [
    side_by_side.Row("SCPI command -> last byte, median", "scpi", "scpi", statistics.median,
                     "ms"),
    side_by_side.Row("SCPI command -> last byte, p99", "scpi", "scpi", p99, "ms"),
    side_by_side.Row("VXI-11 command -> last byte, median", "vxi11", "vxi11", statistics.median,
                     "ms"),
    side_by_side.Row("VXI-11 command -> last byte, p99", "vxi11", "vxi11", p99, "ms"),
    side_by_side.Row("SCPI commands per second, 1 client", "scpi", "one client",
                     statistics.median, "/s", higher_is_better=True),
    side_by_side.Row("SCPI commands per second, 8 clients", "scpi", "eight clients",
                     statistics.median, "/s", higher_is_better=True),
    side_by_side.Row("page click -> last byte, median", "page", "page", statistics.median, "ms"),
]


def beside_baseline(other, name, commands, rounds, writes, clicks):
    """The judged figures of both builds; how many are worse by more than 10 %."""
    paths = {"baseline": other, "this build": server_path}
    print("--- this build beside %s (%s), both running, their samples taken in turns"
          % (name, other), flush=True)
    samples = {build: {} for build in paths}
    skipped = {}
    for taker, take in (("scpi", lambda: scpi_beside(paths, commands, rounds)),
                        ("vxi11", lambda: vxi11_beside(paths, writes)),
                        ("page", lambda: pages_beside(paths, clicks))):
        got = take()
        if isinstance(got, str):
            skipped[taker] = got
            continue
        for build in paths:
            samples[build].update(got[build])
    return side_by_side.report(ROWS, samples, skipped, (name, "this build"))


def main():
    short = args.short
    clicks, follow = page_figures(20 if short else 200, 6 if short else 40)
    print("page click to last byte on the line: median %.1f ms, 99th percentile %.1f ms "
          "(%d clicks, the page's clock to the line's; targets 5 ms and 20 ms)"
          % (ms(statistics.median(clicks)), ms(p99(clicks)), len(clicks)))
    for who, delays in follow.items():
        print("%s sets the box -> page digits updated: median %.1f ms, max %.1f ms (target 50 ms%s)"
              % (who, statistics.median(delays), max(delays),
                 "; from the process's start" if who == "6175ZIZ-ctl" else ""))
    plotted = history_figures(5 if short else 40)
    print("a SCPI client sets the box -> the page's plot drawn, an hour of a 60/s ramp on it: "
          "median %.1f ms, max %.1f ms (target 50 ms)" % (statistics.median(plotted), max(plotted)))
    print("--- SCPI (%s)" % server_path)
    print(scpi_figures(server_path, 100 if short else 1000), end="")
    idn = idn_while_stalled(3 if short else 10)
    print("*IDN? while another client's command waits on a stalled port: median %.1f ms, "
          "max %.1f ms (target 5 ms)" % (ms(statistics.median(idn)), ms(max(idn))))
    print("resident memory with 16 SCPI clients and 16 pages: %.1f MB (target 20 MB)"
          % (memory() / 1024.0))
    if short:
        # Without a baseline, this build beside itself: the side-by-side's
        # own parts run too, so that they cannot rot unseen either.
        failed = beside_baseline(baseline or server_path,
                                 args.baseline_name if baseline else "itself", 100, 2, 50, 10)
        if failed:
            print("(a short run: the verdicts are not held against it)")
        return 0
    if not baseline:
        return 0
    return 3 if beside_baseline(baseline, args.baseline_name, 4000, 20, 2000, 1000) else 0


if __name__ == "__main__":
    sys.exit(main())
