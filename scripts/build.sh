#!/usr/bin/env bash
# Sets up the machine if needed and builds Vellamor into build/: everything,
# or only the targets named as arguments.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets=()
for target in "$@"; do targets+=(--target "$target"); done
cmake --build build --parallel "$(nproc)" "${targets[@]}"
