#!/usr/bin/env bash
# Builds everything and runs every test: the handlers on the sim host
# (native) and the real program under Wine (windows).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh test

cmake --preset native
cmake --build --preset native -j"$(nproc)"
ctest --preset native -j"$(nproc)"

cmake --preset windows
cmake --build --preset windows -j"$(nproc)"
ctest --preset windows
