#!/usr/bin/env bash
# Sets up, builds with AddressSanitizer and UndefinedBehaviorSanitizer into
# build/sanitize/ and runs every test there; any report fails a test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build/sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVELLAMOR_SANITIZE=ON >/dev/null
cmake --build build/sanitize --parallel "$(nproc)"
QT_QPA_PLATFORM=offscreen ctest --test-dir build/sanitize --output-on-failure
