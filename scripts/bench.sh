#!/usr/bin/env bash
# Sets up, builds and runs the benchmark headless; prints a Markdown table.
# Arguments go to the benchmark, e.g. --sizes 1024 --rounds 9.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh >/dev/null
QT_QPA_PLATFORM=offscreen build/bench/vellamor-bench "$@"
