#!/usr/bin/env bash
# The Windows build's tests under Wine (headless): the Win32 panel driven by
# Win32 messages under a private Xvfb, the installer installed, upgraded and
# removed, and the command-line programs: the bytes a set, a sweep and the
# start command put on a pseudo-terminal mapped as COM3, a missing and a busy
# port, the version records, the conversions; the network server through
# PyVISA, a browser and (in a network namespace) lxi over VXI-11. Every
# script runs, and the run fails when any of them did.
# Usage: run-wine-tests.sh WINDOWS_BUILD_DIR [LINUX_BUILD_DIR for the timing line]
set -uo pipefail
cd "$(dirname "$0")/.."
# /usr/bin/python3: Debian's PyVISA and Selenium belong to it.
# The version of project(), as the build has it.
ZZ_VERSION=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt")
export ZZ_VERSION
failed=0
/usr/bin/python3 tests/windows/wine_panel_tests.py "$1" || failed=1  # the Win32 panel, 6175ZIZ.exe
/usr/bin/python3 tests/windows/wine_msi_tests.py "$1" || failed=1    # the installer, in a prefix of its own
/usr/bin/python3 tests/windows/wine_tests.py "$@" || failed=1
exit $failed
