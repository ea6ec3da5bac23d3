#!/usr/bin/env bash
# Runs a command with DISPLAY set to a new Xvfb X server, which it stops
# afterwards. Needs the xvfb package (scripts/setup.sh xvfb).
set -euo pipefail
display=:$((90 + RANDOM % 9))
Xvfb "$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null' EXIT
for _ in $(seq 50); do
    [ -e "/tmp/.X11-unix/X${display#:}" ] && break
    sleep 0.1
done
DISPLAY=$display "$@"
