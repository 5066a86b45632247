#!/usr/bin/env bash
# Runs the panel against the instrument simulator on COM1, in a scratch
# working directory with its own configuration directory, so the user's
# "Settings.txt" and port map are never touched. Stops the simulator when the
# panel ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$root" && realpath "${1:-build}")
scratch="$root/run"
mkdir -p "$scratch/work" "$scratch/config"
printf '1\r\n' > "$scratch/work/Settings.txt"
export XDG_CONFIG_HOME="$scratch/config"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: run this from a desktop session (or under xvfb-run)." >&2
  exit 1
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
"$build/apps/panel/6175ZIZ"
