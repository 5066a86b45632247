#!/usr/bin/python3
"""6175ZIZ-scpi's slews and programs end to end: PyVISA's pure-Python backend
over the raw SCPI port, and a pseudo-terminal whose far side stamps each
frame as it arrives, so the ramp's commands are checked against their times.

    /usr/bin/python3 tst_scpi_ramps.py PATH/TO/6175ZIZ-scpi PATH/TO/6175ZIZ-ctl
"""
import os
import re
import select
import subprocess
import sys
import time
import unittest

CTL = os.path.abspath(sys.argv.pop(2))
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import tst_scpi_pyvisa as fixture  # noqa: E402  (takes the server's path from argv)

TIMEOUT = fixture.TIMEOUT
TWO_FRAMES = 2 * 8 * 10 / 9600  # seconds: two 8-byte frames at 9600 baud, 8N1


class StampedPty(fixture.Pty):
    """The box's port; every frame (up to its CR) with the time it came."""

    def __init__(self):
        self.frames = []
        super().__init__()

    def _read(self):
        partial = b""
        while self.running:
            if select.select([self.master], [], [], 0.05)[0]:
                chunk = os.read(self.master, 4096)
                now = time.monotonic()
                with self.lock:
                    partial += chunk
                    while b"\r" in partial:
                        frame, partial = partial.split(b"\r", 1)
                        self.frames.append((now, frame.decode("ascii")))

    def takeFrames(self, quiet=0.3):
        """Waits for a pause on the line; the frames since the last call."""
        last = -1
        while True:
            with self.lock:
                count = len(self.frames)
            if count == last:
                break
            last = count
            time.sleep(quiet)
        with self.lock:
            taken, self.frames = self.frames, []
        return taken


class Ramps(fixture.ServerCase):
    PTY = StampedPty
    SERVER_ARGS = ("--http", "off")

    def assertSpaced(self, frames):
        gaps = [b[0] - a[0] for a, b in zip(frames, frames[1:])]
        # The pty's far side stamps on arrival, so a gap may look a little short.
        self.assertGreater(min(gaps), TWO_FRAMES * 0.6, gaps)

    def test_resistance_slew_answers_opc_at_its_end(self):
        self.inst.write("RES 1000")
        self.assertEqual([f for _, f in self.pty.takeFrames()], ["01000.0"])
        self.inst.write("RES:SLEW 2000")  # ohm a second: 1000 ohm in half a second
        other = self.open()
        started = time.monotonic()
        self.inst.write("RES 2000;*OPC?")
        time.sleep(0.1)  # the line has reached the server
        # Another client gets its turn while the ramp goes on.
        self.assertEqual(other.query("RES:SLEW:STAT?"), "RAMP")
        self.assertLess(time.monotonic() - started, 0.4)
        self.assertEqual(self.inst.read(), "1")
        answered = time.monotonic()
        frames = self.pty.takeFrames()
        values = [float(f) for _, f in frames]
        self.assertEqual(frames[-1][1], "02000.0")
        self.assertEqual(values, sorted(values))
        self.assertTrue(all(1000 < v <= 2000 for v in values), values)
        self.assertGreater(len(frames), 15)  # a command whenever two frames allow
        self.assertSpaced(frames)
        # Both stamps are taken on arrival, by two threads: half the spacing
        # of two commands absorbs their scheduling, and an answer before the
        # last command would still be a whole spacing early.
        self.assertLessEqual(frames[-1][0], answered + TWO_FRAMES / 2)
        self.assertGreater(frames[-1][0] - started, 0.45)
        self.assertLess(answered - started, 1.5)
        self.assertEqual(other.query("RES:SLEW:STAT?;RES?"), "SETT;2000.0")

    def test_temperature_slew_and_what_stops_it(self):
        self.inst.write("TEMP 0;TEMP:SLEW 600")  # K a minute: 10 K a second
        self.assertEqual(self.inst.query("*OPC?;TEMP:SLEW?"), "1;600")
        started = time.monotonic()
        self.assertEqual(self.inst.query("TEMP 5;*OPC?;TEMP?"), "1;5")
        self.assertGreater(time.monotonic() - started, 0.45)
        frames = self.pty.takeFrames()
        self.assertEqual((frames[0][1], frames[-1][1]), ("00100.0", "00102.0"))  # Pt100 at 5 °C
        self.assertSpaced(frames[1:])
        # *RST stops a ramp at once: its command, and nothing after it.
        self.inst.write("TEMP 100")
        time.sleep(0.3)
        self.inst.write("*RST")
        frames = self.pty.takeFrames(quiet=0.5)
        self.assertEqual(frames[-1][1], "10000")
        self.assertTrue(all(102.0 < float(f) < 138.6 for _, f in frames[:-1]), frames)
        self.assertEqual(self.inst.query("TEMP:SLEW?;TEMP:SLEW:STAT?"), "9.9E+37;SETT")

    def test_program_polled_by_a_test_executive(self):
        self.inst.write("PROG:DEF 'sensor pt100; start 0C; ramp 10C in 0.5s; soak 0.3s; "
                        "repeat 2 {; step 20C; soak 0.2s; step 0C; }'")
        self.assertEqual(self.inst.query("SYST:ERR?"), '0,"No error"')
        started = time.monotonic()
        self.inst.write("PROG:RUN")
        self.assertEqual(self.inst.query("PROG:STAT?"), "RUN")
        steps = set()
        while self.inst.query("PROG:STAT?") == "RUN":
            steps.add(int(self.inst.query("PROG:STEP?")))
            time.sleep(0.05)
        took = time.monotonic() - started
        self.assertGreater(took, 1.2)  # 0.5 + 0.3 + 2 x 0.2 s
        self.assertLess(took, 3.0)
        self.assertGreaterEqual(len(steps - {0}), 3, steps)
        commands = [f for _, f in self.pty.takeFrames()]
        self.assertEqual(commands[0], "00100.0")
        self.assertIn("00103.9", commands)  # 10 °C
        self.assertEqual(commands[-4:], ["00107.8", "00100.0", "00107.8", "00100.0"])
        # Run again and wait for it with *OPC?, as a script would.
        self.inst.write("PROG:RUN")
        self.assertEqual(self.inst.query("*OPC?;PROG:STAT?"), "1;STOP")
        # Refused whole before anything is sent.
        self.pty.takeFrames()
        self.inst.write("PROG:DEF 'start 0; ramp 200000 in 1s'")
        self.assertTrue(self.inst.query("SYST:ERR?").startswith("-222,"))
        self.assertEqual(self.pty.takeFrames(quiet=0.2), [])

    def test_a_program_runs_as_6175ZIZ_ctl_runs_it(self):
        lines = ["start 100", "ramp 101 in 1s", "soak 0.5s", "step 100.5"]
        plan = subprocess.run([CTL, "program", "--dry-run", "-"], input="\n".join(lines) + "\n",
                              capture_output=True, text=True, timeout=TIMEOUT)
        self.assertEqual(plan.returncode, 0, plan.stderr)
        due = [(float(at), command) for at, command in
               re.findall(r"^\+(\d+\.\d+) s  (\d{5}\.\d)", plan.stdout, re.M)]
        self.assertEqual(len(due), 12, plan.stdout)
        self.inst.write("PROG:DEF '%s';RUN" % "; ".join(lines))
        self.assertEqual(self.inst.query("*OPC?"), "1")
        frames = self.pty.takeFrames()
        self.assertEqual([f for _, f in frames], [command for _, command in due])
        # On the same timetable, each command within a few milliseconds of its due time.
        late = [(t - frames[0][0]) - at for (t, _), (at, _) in zip(frames, due)]
        self.assertLess(max(abs(d) for d in late), 0.03, late)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
