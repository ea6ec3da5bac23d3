#!/usr/bin/env bash
# Sets up, builds and starts Vellamor; arguments go to the program, e.g. a
# picture to open.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh vellamor
exec build/vellamor "$@"
