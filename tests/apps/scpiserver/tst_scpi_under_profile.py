#!/usr/bin/python3
"""6175ZIZ-scpi under the box's profile: a real TCP client, a pseudo-terminal
as the box's port whose far side gives the exact bytes that went out, and
the profile file where the programs look for that port's, edited while the
server runs.

    /usr/bin/python3 tst_scpi_under_profile.py PATH/TO/6175ZIZ-scpi
"""
import os
import re
import socket
import sys
import time
import unittest
import urllib.request

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tst_scpi_pyvisa as fixture  # noqa: E402  (takes the server's path from argv)

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "support",
                                "one_profile"))
import one_profile  # noqa: E402

Pty, Server, TIMEOUT, VERSION = fixture.Pty, fixture.Server, fixture.TIMEOUT, fixture.VERSION

LIMITS = 'serial = "A12345"\nname = "Bench 3"\n[limits]\nmin = 10\nmax = 2000\n'
TABLE = LIMITS.replace("[limits]", "lead_offset = 0.35\n[limits]") + """
[table]
zero = 0.012
due = 2020-01-10
decade_0_1 = [0.101, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9]
decade_1 = [1, 2, 3, 4, 5, 6, 7, 8, 9]
decade_10 = [10, 20, 30, 40, 50, 60, 70, 80, 90]
decade_100 = [100.02, 200, 300, 400, 500, 600, 700, 800, 899.93]
decade_1000 = [1000.3, 2000, 3000, 4000, 5000, 6000, 7000, 8000, 9000]
decade_10000 = [10000, 20000, 30000, 40000, 50000, 60000, 70000, 80000, 90000]
"""
BROKEN = "[limits]\nmin = 3000\nmax = 2000\n"
ABOVE = '-222,"Data out of range;above the limit 2000.0 ohm of this box\'s profile"'


class Client:
    def __init__(self, port):
        self.socket = socket.create_connection(("127.0.0.1", port), TIMEOUT)
        self.pending = b""

    def ask(self, line):
        """Sends a line that ends in a query; its answer without the LF."""
        self.socket.sendall(line.encode() + b"\n")
        while b"\n" not in self.pending:
            chunk = self.socket.recv(4096)
            if not chunk:
                raise RuntimeError("connection closed")
            self.pending += chunk
        answer, self.pending = self.pending.split(b"\n", 1)
        return answer.decode("ascii")

    def close(self):
        self.socket.close()


class Profiled(unittest.TestCase):
    def start(self, profile, *args):
        self.pty = Pty()
        self.server = Server("--device", self.pty.path, *args, profile=profile)
        self.client = Client(self.server.port)

    def tearDown(self):
        self.client.close()
        self.assertEqual(self.server.stop(), 0, self.server.logText())
        self.pty.close()

    def settle(self, line):
        """Carries `line` out whole (*OPC? after it) and returns the bytes on the line."""
        self.assertEqual(self.client.ask(line + ";*OPC?").split(";")[-1], "1")
        return self.pty.take(quiet=0.1)


class Limits(Profiled):
    def test_every_setting_held_to_the_limits(self):
        self.start(LIMITS, "--http", "off")
        self.server.waitLog("read:", 1)
        self.assertIn("profile %s read: Bench 3, serial A12345, limits 10.0\u20132000.0 \u03A9, "
                      "no table" % self.server.profilePath,
                      self.server.logText())
        for line, wire, error in [
                ("RES 2100", b"", ABOVE),
                ("RES 2.0001 KOHM", b"", ABOVE),
                ("RES 9.9", b"", '-222,"Data out of range;below the limit 10.0 ohm of this '
                                 'box\'s profile"'),
                ("RES 2000", b"02000.0\r", '0,"No error"'),
                ("RES MAX", b"02000.0\r", '0,"No error"'),
                ("RES MIN", b"00010.0\r", '0,"No error"'),
                ("TEMP:SENS PT1000;:TEMP 300", b"", ABOVE),
                ("TEMP 100", b"01385.1\r", '0,"No error"'),
                ("TEMP:SENS PT100;:TEMP MAX", b"00390.5\r", '0,"No error"'),
                ("*RST", b"", '-222,"Data out of range;10000: above the limit 2000.0 ohm of '
                              'this box\'s profile"'),
                ("RES:MODE TRUE", b"", '-221,"Settings conflict;TRUE needs a correction table '
                                       '([table]) in the box\'s profile"'),
        ]:
            with self.subTest(line=line):
                self.assertEqual(self.settle(line), wire)
                self.assertEqual(self.client.ask("SYST:ERR?"), error)
        self.assertEqual(self.client.ask("RES? MAX;RES? MIN;RES:MODE?"), "2000.0;10.0;NOM")
        self.assertEqual(self.client.ask("*IDN?"), f"Quellor Ltd,6175,A12345,{VERSION}")


class OneProfile(Profiled):
    def test_the_rows_every_front_end_is_held_to(self):
        """tests/support/one_profile, over SCPI on a fresh box."""
        self.start(one_profile.profile_text(), "--http", "off")
        for action, value, sent, refusal in one_profile.rows():
            with self.subTest(action=action, value=value):
                self.assertEqual(self.settle(one_profile.scpi_lines(action, value)), sent)
                error = self.client.ask("SYST:ERR?")
                if refusal:
                    self.assertIn(refusal.replace("\u03A9", "ohm"), error)
                else:
                    self.assertEqual(error, '0,"No error"')


class TrueValues(Profiled):
    def test_the_tables_digits(self):
        self.start(TABLE, "--http", "off")
        for line, wire in [
                ("RES:MODE TRUE;RES 1000", b"00999.9\r"),
                ("RES 1500", b"01499.7\r"),
                ("TEMP 100", b"00138.1\r"),  # Pt100's 138.5055 less the leads' 0.35, true
                ("RES:MODE NOM;RES 1000", b"01000.0\r"),
                ("TEMP 100", b"00138.2\r"),
        ]:
            with self.subTest(line=line):
                self.assertEqual(self.settle(line), wire)
        self.assertEqual(self.client.ask("SYST:ERR?"), '0,"No error"')
        self.settle("RES:MODE TRUE;RES 1500")
        self.assertEqual(self.client.ask("RES?;RES:MODE?"), "1500.012;TRUE")
        # The overdue table warned once, however often the file is read.
        self.server.writeProfile(TABLE + "\n# again\n")
        self.server.waitLog("read:", 2)
        self.assertEqual(self.server.logText().count(
            "warning: the correction table of this box's profile was due on 2020-01-10"), 1)


class Refused(Profiled):
    def test_nothing_is_sent_for_any_command(self):
        self.start(BROKEN, "--http", "off")
        self.server.waitLog("refused:", 1)
        for line in ["RES 100", "RES MIN", "TEMP 20", "TEMP:SENS NTC;:TEMP 25", "*RST",
                     "RES:MODE TRUE"]:
            with self.subTest(line=line):
                self.assertEqual(self.settle(line), b"")
                self.assertEqual(self.client.ask("SYST:ERR?"),
                                 '-200,"Execution error;the profile %s:2: limits.min 3000.0 is '
                                 'above limits.max 2000.0; nothing is sent to this port until it '
                                 'is mended"' % self.server.profilePath)
        self.assertEqual(self.client.ask("*IDN?"), f"Quellor Ltd,6175,0,{VERSION}")


class Edited(Profiled):
    def test_the_profile_edited_while_serving(self):
        self.start(None, "--http", "127.0.0.1:0")
        self.server.waitLog("front panel on", 1)
        page = int(re.search(r"front panel on http://127\.0\.0\.1:(\d+)/",
                                           self.server.logText()).group(1))
        self.assertIn("no profile " + self.server.profilePath, self.server.logText())
        self.assertEqual(self.settle("RES 2100"), b"02100.0\r")
        # The file, the log line that says it was read (and how many of them by then).
        for text, log, line, wire, serial in [
                (LIMITS, ("read:", 1), "RES 2100", b"", "A12345"),
                (BROKEN, ("refused:", 1), "RES 5", b"", "0"),
                (LIMITS.replace("A12345", "B7"), ("read:", 2), "RES 5;RES 1500", b"01500.0\r",
                 "B7"),
                (None, ("no profile", 2), "RES 2100", b"02100.0\r", "0"),
        ]:
            with self.subTest(text=text):
                if text is None:
                    os.remove(self.server.profilePath)
                else:
                    self.server.writeProfile(text)
                self.server.waitLog(*log)
                # A line sent now runs after the look that logged it; the page's
                # identification follows on the network thread.
                time.sleep(0.1)
                self.assertEqual(self.settle(line), wire)
                self.assertEqual(self.client.ask("*IDN?"),
                                 f"Quellor Ltd,6175,{serial},{VERSION}")
                xml = urllib.request.urlopen(f"http://127.0.0.1:{page}/lxi/identification",
                                             timeout=TIMEOUT).read().decode()
                self.assertIn(f"<SerialNumber>{serial}</SerialNumber>", xml)


if __name__ == "__main__":
    unittest.main(verbosity=2)
