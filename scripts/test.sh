#!/usr/bin/env bash
# Sets up, checks that every input of the Windows build resolves on this machine, checks formatting,
# include direction and that every source is listed in CMake, parses the Windows platform code with
# the MinGW-w64 cross compiler, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer and warnings as errors, runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
# The Windows build itself takes an hour; what it stands on is resolved here in seconds.
scripts/windows.sh --check
scripts/check_format.sh
scripts/check_includes.py
scripts/check_sources.py
# No build here compiles src/platform/windows/, so every file there is at least parsed as the
# Windows compiler would, against the Qt headers the build uses.
qt=/usr/include/x86_64-linux-gnu/qt6
find src/platform/windows -type f | sort | while read -r source; do
    x86_64-w64-mingw32-g++-posix -std=gnu++20 -fsyntax-only -Wall -Wextra -x c++ -Isrc \
        -isystem "$qt" -isystem "$qt/QtCore" "$source"
done
# The sources module's entry and its loader are built here too, but must also suit Windows.
for source in src/platform/nmea/NmeaSourceEntry.cpp src/platform/nmea/NmeaSourceModule.cpp; do
    x86_64-w64-mingw32-g++-posix -std=gnu++20 -fsyntax-only -Wall -Wextra -x c++ -Isrc \
        -isystem "$qt" -isystem "$qt/QtCore" -DTESSELLOR_NMEA_MODULE_FILE='"tessellor_nmea.dll"' "$source"
done
echo "Windows platform code: parsed"
cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSELLOR_SANITIZE=ON -DTESSELLOR_WERROR=ON
cmake --build build/test
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build/test --output-on-failure -j "$(nproc)"
