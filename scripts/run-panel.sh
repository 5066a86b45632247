#!/usr/bin/env bash
# Runs the panel against the instrument simulator on COM1, in a scratch
# working directory with its own configuration directory, so the user's
# "Settings.txt" and port map are never touched. Stops the simulator when the
# panel ends. Without a display (no DISPLAY or WAYLAND_DISPLAY) the network
# server stands in for the panel: its web page is the panel, in any browser.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$root" && realpath "${1:-build}")
scratch="$root/run"
mkdir -p "$scratch/work" "$scratch/config"
printf '1\r\n' > "$scratch/work/Settings.txt"
export XDG_CONFIG_HOME="$scratch/config"

headless=false
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  headless=true
fi

"$build/apps/sim/6175ZIZ-sim" --port 1 --replace &
sim=$!
trap 'kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null || true' EXIT
# Wait until the simulator has published its port.
for _ in $(seq 50); do
  [ -L "$XDG_CONFIG_HOME/6175ZIZ/ports/com1" ] && break
  sleep 0.1
done

cd "$scratch/work"
if $headless; then
  http=${PANEL_HTTP:-127.0.0.1:8080}
  echo "No display: serving the front panel at http://$http/ (Ctrl+C stops it)."
  "$build/apps/scpiserver/6175ZIZ-scpi" --port 1 --http "$http"
else
  "$build/apps/panel/6175ZIZ"
fi
