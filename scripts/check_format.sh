#!/usr/bin/env bash
# Checks, without changing anything, that every C++ file follows .clang-format.
set -euo pipefail
cd "$(dirname "$0")/.."

find src tests bench fuzz \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format --dry-run --Werror
