#!/usr/bin/env bash
# Runs every benchmark and prints its figures (they never fail on timing):
# the alarm check on the sim host, then the real program under Wine. Takes
# about 35 minutes: alarms ringing on a faked clock, a 10-minute MP3 played
# to its end for the memory it takes, and stores of up to 100,000 alarms.
# NY_BENCH_PARTS (and NY_BENCH_SCALE for the sizes of `scale`) pick parts of
# the Wine benchmark; see wine_bench.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh test

cmake --preset native >/dev/null
cmake --build --preset native -j2 --target ny_bench_check
echo "== the alarm book on the sim host (1k/10k/100k alarms) =="
build/native/bench/ny_bench_check

cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target ny_bench

echo "== the installer under Wine =="
NY_BUILD_DIR=build/windows tools/package.sh >/dev/null
bench/install_bench.sh "dist/Ny闹钟-$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/windows/CMakeCache.txt)-setup.exe"
