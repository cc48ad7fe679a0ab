#!/usr/bin/env bash
# Sets up, builds, lays out the program folder (build/release/program) and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSELLOR_TESTS=OFF
cmake --build build/release --target program_folder
exec build/release/program/tessellor
