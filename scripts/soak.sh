#!/usr/bin/env bash
# Builds the soak benchmark (Release, build/bench) and runs it: three serial channels at 115200 baud
# through pseudo-terminals into the sources and monitors. Options: --seconds N (default 300).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target tessellor_soak -- -j 2 >&2

exec build/bench/bench/tessellor_soak "$@"
