#!/usr/bin/env bash
# Runs Qt's static checker, clazy, over the program's own sources with the
# level 0 and level 1 checks and qstring-allocations; any warning fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh clazy
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# The sources include headers that the build generates.
cmake --build build --parallel "$(nproc)" --target vellamor >/dev/null
report=$(clazy-standalone -checks=level0,level1,qstring-allocations -p build/compile_commands.json \
         core/*.cpp level/*.cpp placement/*.cpp model/*.cpp view/*.cpp form/*.cpp app/*.cpp 2>&1)
if grep -q "warning:" <<<"$report"; then
    echo "$report"
    exit 1
fi
echo "clazy: no warnings"
