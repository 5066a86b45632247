#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the panel need.
# Only what is missing is installed; without root the command is printed instead.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev libx11-dev
  fonts-liberation2
  xvfb xauth x11-utils xdotool imagemagick
  python3
  python3-pyvisa python3-pyvisa-py  # the client of the network server's end-to-end tests
  lxi-tools iproute2  # real clients of the network server (lxi scpi, discover) and the tests' own network namespaces
  libavahi-client-dev  # DNS-SD announcement
  python3-serial  # the pyserial one-liner that make bench sets 6175ZIZ-ctl beside
  python3-xlib  # make bench: real clicks on the Win32 panel through XTest, no process per click
  clang libclang-rt-14-dev clang-format
  file desktop-file-utils appstream lintian man-db
  g++-mingw-w64-x86-64 wine64  # make windows: the cross build, and its tests under Wine
  fonts-wine  # MS Sans Serif, Symbol and Tahoma for the Win32 panel under Wine
  libboost-dev libcli11-dev  # the network server: Boost.Asio/Beast, its command line
  libtomlplusplus-dev  # the box profiles (TOML), header-only
  chromium chromium-driver python3-selenium  # the web page's tests in a real browser
  avahi-daemon avahi-utils dbus  # DNS-SD found by avahi-browse and lxi discover -m in the tests' namespace
  rpcbind  # a system rpcbind on port 111, which the VXI-11 test starts in its namespace
  wixl msitools  # make windows-installer: the MSI (wixl), its tables read back by the tests (msiinfo)
)

missing=()
for p in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$p")
done

[ ${#missing[@]} -eq 0 ] && exit 0

cmd="apt-get install -y --no-install-recommends ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages: ${missing[*]}" >&2
  echo "Run as root: apt-get update && $cmd" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
# A fresh machine has no package lists; refresh them once before installing.
if ! apt-get install -y --no-install-recommends "${missing[@]}" >/dev/null 2>&1; then
  apt-get update
  $cmd
fi
