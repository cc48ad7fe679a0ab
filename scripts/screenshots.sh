#!/usr/bin/env bash
# Builds the screenshot program (Release, build/bench), lays out a temporary program folder with the
# sample configuration of bench/sample, starts the program over it under xvfb, opens each window in
# turn and saves a PNG of each into docs/screenshots/; then the first page of the commissioning report.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/bench --target tessellor_screenshots tessellor-cli -- -j 2

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
mkdir -p "$folder/MASTER" "$folder/PROJECTS/Sample/bin"
cp -r data/LANGUAGE "$folder/"
cp bench/sample/Tessellor.xml bench/sample/watch.nmea "$folder/"
cp bench/sample/ParGen.xml bench/sample/NMEA_0183_Set_Access.xml "$folder/PROJECTS/Sample/"

# A screen large enough for the widest window, in true colour.
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1600x1000x24" build/bench/bench/tessellor_screenshots "$folder" docs/screenshots

# The commissioning report's first page, from the companion on the same configuration once compiled.
build/bench/tessellor-cli compile "$folder/PROJECTS/Sample" >/dev/null
build/bench/tessellor-cli report "$folder/PROJECTS/Sample" -o "$folder/report.pdf" >/dev/null
pdftoppm -png -r 72 -f 1 -l 1 -singlefile "$folder/report.pdf" docs/screenshots/report
