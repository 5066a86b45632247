#!/usr/bin/python3
"""Every benchmark of the build, one after the other, with a count of
iterations for the full run and one for the short run. The exit status
fails when a figure could not be taken at all (a crash, an import error, a
program that does not answer in time); a target not met fails nothing,
except a figure worse than the baseline's in a full run with --baseline.

    run_benches.py PROGRAMS_JSON [--short] [--baseline SERVER [--baseline-name NAME]]
                   [--windows WINDOWS_BUILD]

PROGRAMS_JSON: tools/bench/bench_programs.json of the build (CMake writes
it): where each program is, and the version.
"""
import argparse
import json
import os
import signal
import subprocess
import sys
import time

here = os.path.dirname(os.path.abspath(__file__))
parser = argparse.ArgumentParser()
parser.add_argument("programs")
parser.add_argument("--short", action="store_true")
parser.add_argument("--baseline")
parser.add_argument("--baseline-name", default="baseline")
parser.add_argument("--windows")
args = parser.parse_args()
with open(args.programs) as f:
    programs = json.load(f)
python = "/usr/bin/python3"  # Debian's, with the modules the benchmarks use


def server_bench():
    command = [python, os.path.join(here, "server_bench.py"), programs["6175ZIZ-scpi"],
               programs["6175ZIZ-ctl"], programs["scpi_bench"]]
    if args.baseline:
        command += ["--baseline", args.baseline, "--baseline-name", args.baseline_name]
    return command


# name: (command, the full run's arguments, the short run's)
BENCHES = {
    "serial cycle": ([programs["link_bench"]], [], ["200"]),
    "start-up": ([programs["startup_bench"]], [], ["1"]),
    "panel click": ([programs["panel_bench"]], [], ["50"]),
    "stalled port": ([programs["recovery_bench"]], [], ["2"]),
    "following another sender": ([programs["follow_bench"]], [], ["5", "2"]),
    "6175ZIZ-ctl": ([programs["ctl_bench"]], [], ["3", "100", "1"]),
    "temperature programs": ([programs["program_bench"]], [], ["--short"]),
    "ports scan": ([programs["port_scan_bench"]], [], ["20"]),
    "port dialog's drop-down": ([programs["port_dialog_bench"]], [], ["5"]),
    "true ohms": ([programs["true_ohms_bench"]], [], ["1000"]),
    "network server": (server_bench(), [], ["--short"]),
    "VXI-11": ([python, os.path.join(here, "vxi11_bench.py"), programs["6175ZIZ-scpi"]], [],
               ["--short"]),
}
windows_exe = os.path.join(args.windows or "", "apps", "panel", "6175ZIZ.exe")
if args.windows and os.access(windows_exe, os.X_OK):
    BENCHES["Win32 panel under Wine"] = (
        [python, os.path.join(here, "wine_panel_bench.py"), args.windows,
         programs["build"]], [], ["20"])

env = dict(os.environ, ZZ_VERSION=programs["version"])
timeout = 300 if args.short else 1800  # seconds for one benchmark


def run(command):
    """The exit status, or why there is none; a benchmark that does not end
    is stopped with all it started (a process group of its own)."""
    process = subprocess.Popen(command, env=env, process_group=0)
    try:
        return process.wait(timeout)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        return "no end after %d s" % timeout
    except KeyboardInterrupt:  # Ctrl+C reaches only our own group
        os.killpg(process.pid, signal.SIGTERM)
        process.wait()
        raise


failed = []
began = time.monotonic()
for name, (command, full, short) in BENCHES.items():
    print("=== %s" % name, flush=True)
    started = time.monotonic()
    status = run(command + (short if args.short else full))
    if status != 0:
        failed.append("%s (%s)" % (name, status if isinstance(status, str)
                                   else "worse than the baseline" if status == 3
                                   else "exit status %d" % status))
    print("(%s: %.0f s)" % (name, time.monotonic() - started), flush=True)

if args.windows and "Win32 panel under Wine" not in BENCHES:
    print("(no %s: make windows first for the Win32 panel's figures)" % windows_exe)
print("bench%s: %d benchmarks in %.0f s; %s" % (
    " (short)" if args.short else "", len(BENCHES), time.monotonic() - began,
    "every figure taken" if not failed else "FAILED: " + ", ".join(failed)))
sys.exit(1 if failed else 0)
