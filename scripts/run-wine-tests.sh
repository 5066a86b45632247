#!/usr/bin/env bash
# The Windows build's tests under Wine (headless): the bytes a set, a sweep
# and the start command put on a pseudo-terminal mapped as COM3, a missing
# and a busy port, the version record, the conversions; the network server
# through PyVISA, a browser and (in a network namespace) lxi over VXI-11.
# Usage: run-wine-tests.sh WINDOWS_BUILD_DIR [LINUX_BUILD_DIR for the timing line]
set -euo pipefail
cd "$(dirname "$0")/.."
# /usr/bin/python3: Debian's PyVISA and Selenium belong to it.
# The version of project(), as the build has it.
ZZ_VERSION=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$1/CMakeCache.txt")
export ZZ_VERSION
/usr/bin/python3 tests/windows/wine_panel_tests.py "$1"  # the Win32 panel, 6175ZIZ.exe
/usr/bin/python3 tests/windows/wine_msi_tests.py "$1"  # the installer, in a fresh prefix of its own
exec /usr/bin/python3 tests/windows/wine_tests.py "$@"
