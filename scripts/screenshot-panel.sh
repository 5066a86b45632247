#!/usr/bin/env bash
# Remakes docs/panel.png from the real panel window on a virtual X display.
#   scripts/screenshot-panel.sh [build-dir]     (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

cmake -S . -B "$build" >/dev/null
cmake --build "$build" --target panel_screenshot
mkdir -p docs
xvfb-run -a -s "-screen 0 1024x768x24 -dpi 96" \
  env QT_QPA_PLATFORM=xcb "$build/tests/panel/window/panel_screenshot" docs/panel.png
