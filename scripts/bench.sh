#!/usr/bin/env bash
# Builds the benchmarks (Release, build/bench) and prints a markdown table: each figure measured in
# the same run as its floor, the least any program doing the same visible work must spend, with the
# ratio and the goal. Options: --runs N (default 21), --replay-only (the NMEA replay alone). Runs
# headless (offscreen platform).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target tessellor_bench -- -j 2 >&2

export QT_QPA_PLATFORM=offscreen
exec build/bench/bench/tessellor_bench "$@"
