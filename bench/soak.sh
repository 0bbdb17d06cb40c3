#!/bin/sh
# The long soak: 48 seeds of 30 virtual days each on the sim host (about
# four minutes here). Prints one line per seed and the total; exits 1
# when any alarm was missed, untold, rung twice, lost or altered.
# Arguments go to ny_soak (--seeds N --days D --first S --verbose).
set -e
cd "$(dirname "$0")/.."
cmake --preset native >/dev/null
cmake --build --preset native -j2 --target ny_soak >/dev/null
exec build/native/bench/ny_soak --seeds 48 --days 30 "$@"
