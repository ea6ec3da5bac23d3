#!/usr/bin/env bash
# Remakes docs/screenshot.png, docs/overlay.png and docs/place.png: the real
# window on an X server (Xvfb) with the sample map loaded, both points picked
# and measured, then with the sample level drawn over it, and then with the
# points found by Ctrl+P.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh xvfb
bash scripts/build.sh screenshot >/dev/null
bash scripts/with-xvfb.sh env QT_QPA_PLATFORM=xcb build/tools/screenshot examples/sample-map.png docs/screenshot.png
bash scripts/with-xvfb.sh env QT_QPA_PLATFORM=xcb build/tools/screenshot examples/sample-map.png docs/overlay.png \
    examples/sample-level.map
bash scripts/with-xvfb.sh env QT_QPA_PLATFORM=xcb build/tools/screenshot examples/sample-map.png docs/place.png \
    examples/sample-level.map place
echo "wrote docs/screenshot.png, docs/overlay.png and docs/place.png"
