#!/usr/bin/env bash
# Sets up, builds and runs the benchmark headless, offscreen and on an Xvfb
# X server; prints Markdown. Arguments go to the benchmark, e.g.
# --sizes 1024 --rounds 9 --sections startup,drop.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh xvfb
bash scripts/build.sh vellamor-bench >/dev/null
bash scripts/with-xvfb.sh sh -c 'QT_QPA_PLATFORM=offscreen build/bench/vellamor-bench --xvfb "$DISPLAY" "$@"' bench "$@"
