#!/usr/bin/env bash
# Remakes docs/screenshot.png: the real window on an X server (Xvfb) with
# the sample map loaded, both points picked and measured.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh xvfb
bash scripts/build.sh >/dev/null
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X${display#:}" ] && break
    sleep 0.1
done
DISPLAY=$display QT_QPA_PLATFORM=xcb build/tools/screenshot examples/sample-map.png docs/screenshot.png
echo "wrote docs/screenshot.png"
