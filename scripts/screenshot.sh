#!/usr/bin/env bash
# Remakes docs/screenshot.png and docs/overlay.png: the real window on an X
# server (Xvfb) with the sample map loaded, both points picked and measured,
# and then with the sample level drawn over it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh xvfb
bash scripts/build.sh screenshot >/dev/null
bash scripts/with-xvfb.sh env QT_QPA_PLATFORM=xcb build/tools/screenshot examples/sample-map.png docs/screenshot.png
bash scripts/with-xvfb.sh env QT_QPA_PLATFORM=xcb build/tools/screenshot examples/sample-map.png docs/overlay.png \
    examples/sample-level.map
echo "wrote docs/screenshot.png and docs/overlay.png"
