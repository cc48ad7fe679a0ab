#!/usr/bin/env bash
# Sets up, checks formatting, include direction and that every source is listed in CMake, builds
# everything with AddressSanitizer and UndefinedBehaviorSanitizer and warnings as errors, runs every
# test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
scripts/check_format.sh
scripts/check_includes.py
scripts/check_sources.py
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSELLOR_SANITIZE=ON -DTESSELLOR_WERROR=ON
cmake --build build/test
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build/test --output-on-failure -j "$(nproc)"
