#!/usr/bin/python3
"""6175ZIZ-scpi with a second real client, lxi-tools, and the slots that idle
sockets cannot squat. A pseudo-terminal is the box's port; its far side gives
the exact bytes that went out.

    /usr/bin/python3 tst_scpi_clients.py PATH/TO/6175ZIZ-scpi
"""
import os
import socket
import subprocess
import sys
import termios
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tst_scpi_pyvisa as fixture  # noqa: E402  (takes the server's path from argv)

Pty, Server, TIMEOUT, VERSION = fixture.Pty, fixture.Server, fixture.TIMEOUT, fixture.VERSION


def lxi(*args):
    return subprocess.run(["lxi", *args], capture_output=True, text=True, timeout=TIMEOUT)


class LxiTools(unittest.TestCase):
    def setUp(self):
        self.pty = Pty()
        self.server = Server("--device", self.pty.path, "--http", "off")
        self.where = ["-a", "127.0.0.1", "-p", str(self.server.port), "-r"]

    def tearDown(self):
        self.assertEqual(self.server.stop(), 0, self.server.logText())
        self.pty.close()

    def test_identity_set_and_read_back(self):
        run = lxi("scpi", *self.where, "*IDN?")
        self.assertEqual((run.returncode, run.stdout.strip()), (0, f"Quellor Ltd,6175,0,{VERSION}"))
        run = lxi("scpi", *self.where, "RES 4.7 KOHM")
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(self.pty.take(8), b"04700.0\r")
        run = lxi("scpi", *self.where, "RES?")
        self.assertEqual(float(run.stdout), 4700.0)
        self.assertEqual(self.pty.take(), b"")  # a query sends nothing

    def test_benchmark_completes(self):
        run = lxi("benchmark", *self.where, "-c", "200")
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        self.assertRegex(run.stdout, r"\d+(\.\d+)? requests/second")


class StalledPort(unittest.TestCase):
    def test_identity_answered_while_a_command_waits_on_the_line(self):
        pty = Pty()
        server = Server("--device", pty.path, "--http", "off")
        try:
            setter = socket.create_connection(("127.0.0.1", server.port), TIMEOUT)
            asker = socket.create_connection(("127.0.0.1", server.port), TIMEOUT)
            termios.tcflow(pty.slave, termios.TCOOFF)  # the box stops taking bytes
            setter.sendall(b"RES 5;*OPC?\n")
            time.sleep(0.05)  # the command is on the line now
            started = time.monotonic()
            self.assertTrue(self.ask(asker).startswith(b"Quellor Ltd,6175,"))
            answered = time.monotonic() - started
            done = setter.recv(10)
            waited = time.monotonic() - started
            termios.tcflow(pty.slave, termios.TCOON)
            self.assertEqual(done, b"1\n")
            self.assertLess(answered, 0.1)  # not behind the stalled command (about 250 ms)
            self.assertGreater(waited, 0.15)
            setter.sendall(b"SYST:ERR?\n")
            self.assertTrue(setter.recv(200).startswith(b"-240,"))  # it did fail
            setter.close()
            asker.close()
        finally:
            self.assertEqual(server.stop(), 0)
            pty.close()

    def ask(self, client):
        client.sendall(b"*IDN?\n")
        return client.recv(100)


class Slots(unittest.TestCase):
    """Sixteen slots; with the idle limit shortened to 0.8 s."""

    def connect(self, port):
        return socket.create_connection(("127.0.0.1", port), TIMEOUT)

    def ask(self, client, question=b"*IDN?\n"):
        client.sendall(question)
        return client.recv(100)

    def test_silent_clients_make_room_busy_ones_do_not(self):
        server = Server("--port", "3", "--http", "off", "--slot-idle-ms", "800")
        try:
            clients = [self.connect(server.port) for _ in range(16)]
            server.waitLog("connected (16 of 16", 1)
            # All sixteen heard from within the limit: refused at once.
            late = self.connect(server.port)
            self.assertEqual(late.recv(100), b"")
            late.close()
            server.waitLog("refused", 1)
            self.assertIn("refused: all 16 clients heard from within the last 800 ms",
                          server.logText())
            # Fifteen keep talking; the first falls silent past the limit.
            deadline = time.monotonic() + 1.2
            while time.monotonic() < deadline:
                for busy in clients[1:]:
                    self.assertTrue(self.ask(busy).startswith(b"Quellor Ltd,6175,"))
                time.sleep(0.1)
            newcomer = self.connect(server.port)
            self.assertTrue(self.ask(newcomer).startswith(b"Quellor Ltd,6175,"))
            self.assertEqual(clients[0].recv(100), b"")  # the silent one was closed
            server.waitLog("its slot given to", 1)
            self.assertRegex(server.logText(), r"closed: silent for \d+ s, its slot given to 127\.0\.0\.1:\d+")
            for busy in clients[1:]:  # nobody else lost a slot
                self.assertTrue(self.ask(busy).startswith(b"Quellor Ltd,6175,"))
            for c in clients + [newcomer]:
                c.close()
        finally:
            self.assertEqual(server.stop(), 0)

    def test_keepalive_on_every_connection(self):
        server = Server("--port", "3", "--http", "off")
        try:
            client = self.connect(server.port)
            self.ask(client)
            # The server's side of the connection, seen by the kernel.
            out = subprocess.run(["ss", "-tnoH", "state", "established",
                                  "( sport = :%d )" % server.port],
                                 capture_output=True, text=True, timeout=TIMEOUT).stdout
            self.assertIn("timer:(keepalive", out)
            client.close()
        finally:
            self.assertEqual(server.stop(), 0)

    def test_answers_in_a_row_are_not_held_back(self):
        # Two lines, two answers: under Nagle's rule the second would wait
        # for the client's delayed acknowledgement of the first (40 ms).
        server = Server("--port", "3", "--http", "off")
        try:
            client = self.connect(server.port)
            client.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)
            started = time.monotonic()
            for _ in range(20):
                client.sendall(b"*IDN?\n*IDN?\n")
                got = b""
                while got.count(b"\n") < 2:
                    got += client.recv(1000)
                self.assertEqual(got.count(b"Quellor Ltd,6175,"), 2)
            self.assertLess(time.monotonic() - started, 0.4,
                            "20 pairs; 0.8 s would be Nagle's rule on the answers")
            client.close()
        finally:
            self.assertEqual(server.stop(), 0)

    def test_restarted_on_its_port_while_old_connections_linger(self):
        # The server closes its clients first, so their ends wait in
        # TIME_WAIT on the port: a restart must still bind it.
        probe = socket.socket()
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
        probe.close()
        for _ in range(2):
            server = Server("--port", "3", "--http", "off", "--listen", f"127.0.0.1:{port}")
            try:
                client = self.connect(port)
                self.assertTrue(self.ask(client).startswith(b"Quellor Ltd,6175,"))
            finally:
                self.assertEqual(server.stop(), 0)
            client.close()

    def test_a_setting_then_a_query_waits_for_no_acknowledgement(self):
        # A client under Nagle's rule (the default) holds its query until the
        # setting before it is acknowledged; left to delayed acknowledgement
        # that is 40 ms a cycle.
        pty = Pty()
        server = Server("--device", pty.path, "--http", "off")
        try:
            client = self.connect(server.port)
            started = time.monotonic()
            for i in range(20):
                client.sendall(b"RES %d\n" % (i + 1))
                self.assertTrue(self.ask(client).startswith(b"Quellor Ltd,6175,"))
            taken = time.monotonic() - started
            self.assertEqual(pty.take(160), b"".join(b"%05d.0\r" % (i + 1) for i in range(20)))
            self.assertLess(taken, 0.4, "20 cycles; 0.8 s would be delayed acknowledgement")
            client.close()
        finally:
            self.assertEqual(server.stop(), 0)
            pty.close()


if __name__ == "__main__":
    unittest.main(verbosity=2)
