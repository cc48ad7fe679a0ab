#!/usr/bin/env bash
# Builds the virtual converter's soak benchmark (Release, build/bench) and runs it: one class 1
# connection at 10 ms on the loopback range, with its floor. Options: --seconds N (default 300).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target tessellor_enip_soak tessellor_nmea -- -j 2 >&2

exec build/bench/bench/tessellor_enip_soak "$@"
