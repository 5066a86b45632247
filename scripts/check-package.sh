#!/usr/bin/env bash
# Builds the Debian package and proves it on this machine, as root: lintian
# (fails on errors, lists the rest), apt installs it, each installed program
# answers --version, the desktop entry and the metainfo validate, the manual
# pages open, and apt removes it again without leaving a file behind.
#   scripts/check-package.sh [build-dir]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
app_id=com.quellor.VirtualPanel6175

cmake --build "$build" --target package >/dev/null
deb=$(ls -t "$build"/6175ziz_*.deb | head -n 1)
echo "package: $deb"

echo "--- lintian"
lintian --fail-on error --display-level ">=info" "$deb" || { echo "lintian found errors" >&2; exit 1; }

if [ "$(id -u)" -ne 0 ]; then
  echo "installing needs root: skipped" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get install -y "./$deb" >/dev/null
trap 'apt-get remove -y 6175ziz >/dev/null 2>&1 || true' EXIT

echo "--- installed programs"
programs=$(dpkg -L 6175ziz | grep '^/usr/bin/' || true)
[ -n "$programs" ] || { echo "no programs installed" >&2; exit 1; }
for program in $programs; do
  "$program" --version | head -n 1
done

echo "--- desktop entry and metainfo"
desktop-file-validate "/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net "/usr/share/metainfo/$app_id.metainfo.xml"
for size in 48 64 128 256; do
  test -f "/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
done
for program in $programs; do
  man -w "$(basename "$program")" >/dev/null
done

echo "--- removal"
files=$(dpkg -L 6175ziz | grep -v '/$' | while read -r f; do [ -f "$f" ] && echo "$f"; done)
apt-get remove -y 6175ziz >/dev/null
trap - EXIT
for f in $files; do
  [ ! -e "$f" ] || { echo "left behind: $f" >&2; exit 1; }
done
echo "package installs, validates and removes cleanly"
