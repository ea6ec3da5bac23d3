#!/usr/bin/env bash
# Sets up, builds and starts Vellamor.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "vellamor: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set)." >&2
    echo "vellamor: it is a desktop program; start it from a graphical session." >&2
    exit 1
fi
exec build/vellamor
