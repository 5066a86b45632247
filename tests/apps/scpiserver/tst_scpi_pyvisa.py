#!/usr/bin/python3
"""6175ZIZ-scpi end to end: the real server, PyVISA's pure-Python backend as
the client, and a pseudo-terminal as the box's port whose far side gives the
exact bytes that went out.

    /usr/bin/python3 tst_scpi_pyvisa.py PATH/TO/6175ZIZ-scpi
"""
import os
import re
import select
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import tty
import unittest

import pyvisa

# The version of project(), handed over by CMake.
VERSION = os.environ["ZZ_VERSION"]

SERVER = os.path.abspath(sys.argv.pop(1))
TIMEOUT = 30  # seconds; generous, never a speed target


class Pty:
    """A pseudo-terminal; everything written to its slave is collected."""

    def __init__(self):
        self.master, self.slave = os.openpty()
        tty.setraw(self.slave)  # CR must reach the master as CR
        self.path = os.ttyname(self.slave)
        self.data = b""
        self.lock = threading.Lock()
        self.running = True
        self.thread = threading.Thread(target=self._read, daemon=True)
        self.thread.start()

    def _read(self):
        while self.running:
            if select.select([self.master], [], [], 0.05)[0]:
                chunk = os.read(self.master, 4096)
                with self.lock:
                    self.data += chunk

    def take(self, count=None, quiet=0.3):
        """Waits for `count` bytes (or for a pause), returns and forgets them."""
        deadline = time.monotonic() + TIMEOUT
        last = (-1, time.monotonic())
        while time.monotonic() < deadline:
            with self.lock:
                size = len(self.data)
            if count is not None and size >= count:
                break
            if count is None and size == last[0] and time.monotonic() - last[1] >= quiet:
                break
            if size != last[0]:
                last = (size, time.monotonic())
            time.sleep(0.01)
        with self.lock:
            taken, self.data = self.data, b""
        return taken

    def close(self):
        self.running = False
        self.thread.join()
        os.close(self.master)
        os.close(self.slave)


def profileName(*args):
    """The profile's file name for --port N or --device PATH, as the programs name it."""
    if "--port" in args:
        return "com%s.toml" % args[args.index("--port") + 1]
    if "--device" not in args:
        return "none.toml"
    name = re.sub(r"[^A-Za-z0-9._-]", "_", args[args.index("--device") + 1])
    return re.sub(r"^[._]+", "", name) + ".toml"


class Server:
    """The program on 127.0.0.1 with a free port, its log collected. Without
    `network`, no VXI-11 and no DNS-SD: port 111 and avahi belong to the
    machine; tst_vxi11_server.py runs them in a namespace of its own."""

    def __init__(self, *args, network=False, wrapper=(), profile=None):
        self.scratch = tempfile.TemporaryDirectory()
        os.chmod(self.scratch.name, 0o777)  # for a wrapper that drops root
        # The box's profile, where the server looks for that port's.
        self.profilePath = os.path.join(self.scratch.name, "6175ZIZ", "boxes",
                                        profileName(*args))
        if profile is not None:
            self.writeProfile(profile)
        env = dict(os.environ, XDG_RUNTIME_DIR=self.scratch.name,
                   XDG_CONFIG_HOME=self.scratch.name)
        if not any(a.startswith("--listen") for a in args):
            args += ("--listen", "127.0.0.1:0")
        if not network:
            args += ("--no-vxi11", "--no-announce")
        self.process = subprocess.Popen([*wrapper, SERVER, *args], stderr=subprocess.PIPE, env=env,
                                        cwd=self.scratch.name)
        self.log = []
        self.listening = threading.Event()
        self.collector = threading.Thread(target=self._collect, daemon=True)
        self.collector.start()
        if not self.listening.wait(TIMEOUT):
            raise RuntimeError("server did not start: %s" % self.log)
        self.port = int(re.search(r"listening on .*:(\d+),", self.logText()).group(1))

    def _collect(self):
        for line in self.process.stderr:
            self.log.append(line.decode(errors="replace"))
            if "listening on" in self.log[-1]:
                self.listening.set()

    def writeProfile(self, text):
        os.makedirs(os.path.dirname(self.profilePath), exist_ok=True)
        with open(self.profilePath + ".new", "w") as f:
            f.write(text)
        os.replace(self.profilePath + ".new", self.profilePath)  # read whole or not at all

    def waitLog(self, text, count):
        deadline = time.monotonic() + TIMEOUT
        while self.logText().count(text) < count and time.monotonic() < deadline:
            time.sleep(0.01)

    def logText(self):
        return "".join(self.log)

    def stop(self, sig=signal.SIGTERM):
        self.process.send_signal(sig)
        status = self.process.wait(TIMEOUT)
        self.collector.join(TIMEOUT)
        self.process.stderr.close()
        self.scratch.cleanup()
        return status


class CommandLine(unittest.TestCase):
    def test_options(self):
        busy = socket.socket()
        busy.bind(("127.0.0.1", 0))
        busy.listen()
        taken = "127.0.0.1:%d" % busy.getsockname()[1]
        with tempfile.TemporaryDirectory() as scratch:
            for args, status, text in [
                    (["--help"], 0, "The box cannot be read back: RES? answers the value last sent"),
                    (["--version"], 0, f"6175ZIZ-scpi (6175ZIZ) {VERSION}\nCopyright"),
                    ([], 2, "no port given: use --port N"),
                    (["--port", "3", "--device", "/dev/null"], 2, "give --port or --device, not both"),
                    (["--port", "3", "--listen", "5025"], 2, '--listen: "5025" is not ADDRESS:PORT'),
                    (["--port", "3", "--listen", taken], 1, "cannot listen on " + taken)]:
                run = subprocess.run([SERVER, *args], cwd=scratch, capture_output=True,
                                     timeout=TIMEOUT, env=dict(os.environ, XDG_CONFIG_HOME=scratch))
                self.assertEqual(run.returncode, status, args)
                self.assertIn(text, (run.stdout + run.stderr).decode(), args)
        busy.close()


    def test_ipv6_loopback(self):
        try:
            with socket.socket(socket.AF_INET6) as probe:
                probe.bind(("::1", 0))
        except OSError:
            self.skipTest("no IPv6 loopback on this machine")
        server = Server("--port", "3", "--listen", "[::1]:0")
        try:
            self.assertIn("listening on [::1]:%d," % server.port, server.logText())
            with socket.create_connection(("::1", server.port), timeout=TIMEOUT) as client:
                client.sendall(b"*IDN?\n")
                self.assertTrue(client.recv(100).startswith(b"Quellor Ltd,6175,"))
            self.assertNotIn("warning", server.logText())
        finally:
            self.assertEqual(server.stop(), 0)


class ServerCase(unittest.TestCase):
    """The server on a pseudo-terminal and a PyVISA client of its SCPI port."""
    PTY = Pty
    SERVER_ARGS = ()

    def setUp(self):
        self.pty = self.PTY()
        self.server = Server("--device", self.pty.path, *self.SERVER_ARGS)
        self.rm = pyvisa.ResourceManager("@py")
        self.inst = self.open()

    def tearDown(self):
        for resource in list(self.rm.list_opened_resources()):
            resource.close()
        self.assertEqual(self.server.stop(), 0, self.server.logText())
        self.pty.close()

    def open(self):
        return self.rm.open_resource("TCPIP::127.0.0.1::%d::SOCKET" % self.server.port,
                                     read_termination="\n", write_termination="\n",
                                     timeout=TIMEOUT * 1000)


class ScpiEndToEnd(ServerCase):
    def raw(self):
        return socket.create_connection(("127.0.0.1", self.server.port), TIMEOUT)

    def test_identity_resistance_and_reset(self):
        self.assertEqual(self.inst.query("*IDN?"), f"Quellor Ltd,6175,0,{VERSION}")
        for command, frame in [("RES 1234.5", b"01234.5\r"), ("SOUR:RES 1.2 KOHM", b"01200.0\r"),
                               ("source:resistance:level MAX", b"99999.9\r"),
                               ("RES 1234.5", b"01234.5\r"), ("*RST", b"10000\r")]:
            self.inst.write(command)
            self.assertEqual(self.pty.take(len(frame)), frame, command)
            if command == "RES 1234.5":
                self.assertEqual(float(self.inst.query("RES?")), 1234.5)
        self.assertEqual(self.inst.query("RES?;RES? MIN;RES? MAX"), "10000.0;0.0;99999.9")

    def test_each_error_code(self):
        cases = [("RES 1.2.3", -102), ("RES 'text'", -104), ("*IDN? 5", -108), ("RES", -109),
                 ("VOLT 5", -113), ("RES 5 VOLT", -131), ("RES 100000", -222),
                 ("TEMP:SENS PT200", -224), ("RES " + "1" * 70000, -363)]
        for command, code in cases:
            self.inst.write(command)
            error = self.inst.query("SYST:ERR?")
            self.assertTrue(error.startswith("%d," % code), (command[:20], error))
            self.assertEqual(self.inst.query("SYST:ERR?"), '0,"No error"')
        for _ in range(21):
            self.inst.write("VOLT 5")
        errors = [self.inst.query("SYST:ERR?") for _ in range(20)]
        self.assertEqual(errors[-1], '-350,"Queue overflow"')
        self.assertEqual(self.pty.take(), b"")  # none of them reached the box

    def test_temperature_with_each_sensor(self):
        for sensor, setting, frame, answer in [
                ("PT100", "TEMP 100", b"00138.5\r", "100"),
                ("PT500", "TEMP 212 FAR", b"00692.5\r", "100"),
                ("PT1000", "TEMP 373.15 K", b"01385.1\r", "100"),
                ("NTC", "TEMP:NTC:R25 4.7 KOHM;BETA 3950;:TEMP 25", b"04700.0\r", "25")]:
            self.inst.write("TEMP:SENS " + sensor + ";:" + setting)
            self.assertEqual(self.pty.take(len(frame)), frame, sensor)
            self.assertEqual(self.inst.query("TEMP:SENS?;:TEMP?"), sensor + ";" + answer)

    def test_link_failure_and_open_address(self):
        other = Server("--device", "/nonexistent/tty", "--listen", "0.0.0.0:0")
        try:
            self.assertIn("no authentication", other.logText())
            with socket.create_connection(("127.0.0.1", other.port), TIMEOUT) as s:
                s.sendall(b"RES 5\nSYST:ERR?;*ESR?\n")
                with s.makefile("rb") as answers:
                    answer = answers.readline()
            other.waitLog("link failed", 1)
            self.assertRegex(answer, rb'^-240,"Hardware error;.*/nonexistent/tty.*";16\n$')
            self.assertIn("link failed", other.logText())
        finally:
            self.assertEqual(other.stop(signal.SIGINT), 0)

    def test_eight_clients_at_once(self):
        def client(number):
            inst = self.open()
            for i in range(200):
                inst.query("RES %d;*OPC?" % (number * 10000 + i))

        threads = [threading.Thread(target=client, args=(n,)) for n in range(8)]
        for t in threads:
            t.start()
        for t in threads:
            t.join(TIMEOUT * 4)
        frames = self.pty.take(8 * 200 * 8).split(b"\r")
        self.assertEqual(frames.pop(), b"")
        self.assertEqual(len(frames), 1600)
        seen = {n: [] for n in range(8)}
        for frame in frames:
            self.assertRegex(frame, rb"^[0-7]\d{4}\.0$")
            seen[int(frame[:1])].append(int(frame[1:5]))
        self.assertEqual(seen, {n: list(range(200)) for n in range(8)})

    def test_bad_clients_disturb_no_one(self):
        idle = [self.raw() for _ in range(15)]  # with PyVISA's: sixteen
        refused = self.raw()
        self.assertEqual(refused.recv(100), b"")  # closed at once
        refused.close()
        self.server.waitLog("refused", 1)
        self.assertIn("refused", self.server.logText())
        for s in idle:
            s.close()
        self.server.waitLog("closed", 15)
        garbage = self.raw()
        garbage.sendall(bytes(range(256)) * 4 + b"\n\xff;;:*\x00RES 7\n")
        half = self.raw()
        half.sendall(b"RES 123")
        half.close()
        # One that sends queries but never reads its answers is dropped.
        greedy = socket.socket()
        greedy.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
        greedy.settimeout(TIMEOUT)
        greedy.connect(("127.0.0.1", self.server.port))
        deadline = time.monotonic() + TIMEOUT
        with self.assertRaises((ConnectionResetError, BrokenPipeError)):
            while time.monotonic() < deadline:
                greedy.sendall(b"*IDN?\n" * 1000)
        greedy.close()
        self.server.waitLog("dropped", 1)
        self.assertIn("dropped", self.server.logText())
        self.inst.write("RES 42")
        self.assertEqual(self.pty.take(8), b"00042.0\r")
        self.assertEqual(self.inst.query("SYST:ERR:COUN?;*IDN?"), f"0;Quellor Ltd,6175,0,{VERSION}")
        self.assertEqual(self.pty.take(), b"")
        garbage.close()

    def test_stop_finishes_whole_frames(self):
        self.inst.write("\n".join("RES %d" % i for i in range(10000, 10300)))
        first = self.pty.take(8)
        self.assertTrue(first.startswith(b"10000.0\r"), first)
        self.assertEqual(self.server.stop(signal.SIGTERM), 0)
        self.server.stop = lambda *_: 0  # already stopped for tearDown
        sent = first + self.pty.take()
        self.assertEqual(len(sent) % 8, 0)
        self.assertRegex(sent, rb"^(1\d{4}\.0\r)*$")


if __name__ == "__main__":
    unittest.main(verbosity=2)
