#!/usr/bin/env bash
# Builds Tessellor for 64-bit Windows on Debian 12 with MinGW-w64, against Qt built for Windows from
# Debian's own qt6-base source, and packs the program folder as a zip.
#   scripts/windows.sh           build and pack
#   scripts/windows.sh --test    the same, then the tests under Wine
# Qt is built once into a cache outside the clone ($TESSELLOR_CACHE, ~/.cache/tessellor by default);
# later runs find it there and take the time of the project's own build.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

run_tests=0
case "${1:-}" in
--test) run_tests=1 ;;
"") ;;
*)
    echo "usage: scripts/windows.sh [--test]" >&2
    exit 2
    ;;
esac

qt_version=6.4.2
cache=${TESSELLOR_CACHE:-$HOME/.cache/tessellor}
qt_prefix=$cache/qt-$qt_version-win64
build=$root/build/windows
jobs=$(nproc)

step() { printf '\n== %s\n' "$*"; }

step "Packages"
# The host's Qt serves the cross build with its moc, rcc and uic; then the cross compiler, Wine, the
# googletest sources and what the Qt build and the end-to-end checks use.
scripts/setup.sh g++-mingw-w64-x86-64-posix wine64 wine xvfb xauth imagemagick perl python3 xz-utils \
    cmake ninja-build googletest

build_qt() {
    step "Qt $qt_version for Windows: not in $qt_prefix yet, building it (about an hour on two cores)"
    local apt=$cache/apt src=$cache/src qt_build=$cache/qt-build
    mkdir -p "$apt/lists/partial" "$src"
    # A private source list: the system's sources stay as they are.
    . /etc/os-release
    cat >"$apt/sources.list" <<EOF
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $VERSION_CODENAME main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $VERSION_CODENAME-updates main
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian-security $VERSION_CODENAME-security main
EOF
    local apt_options=(-o "Dir::Etc::SourceList=$apt/sources.list" -o Dir::Etc::SourceParts=/nonexistent
        -o "Dir::State::Lists=$apt/lists" -o APT::Sandbox::User=root)
    apt-get "${apt_options[@]}" update -qq
    (cd "$src" && apt-get "${apt_options[@]}" source --download-only -qq "qt6-base=$qt_version*")
    local archive
    archive=$(ls "$src"/qt6-base_"$qt_version"*.orig.tar.xz | head -n1)
    rm -rf "$src/qtbase" "$qt_build"
    mkdir -p "$src/qtbase" "$qt_build"
    tar -xJf "$archive" -C "$src/qtbase" --strip-components=1

    # Debian's source lacks the tablet header wintab.h, hence no tablet events; with OpenGL off,
    # dynamic GL must be off too. Direct 2D stays: without it Qt 6.4's windows plugin does not link
    # (its DirectWrite font database is built only with Direct 2D). Else what the program needs.
    cmake -S "$src/qtbase" -B "$qt_build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DQT_HOST_PATH=/usr -DQt6HostInfo_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo \
        -DCMAKE_INSTALL_PREFIX="$qt_prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
        -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
        -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_tabletevent=OFF -DFEATURE_vulkan=OFF \
        -DFEATURE_dbus=OFF -DFEATURE_sql=OFF \
        -DFEATURE_openssl=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF \
        -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF \
        -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF \
        >"$qt_build/configure.log"
    # Ninja's own progress line shows how far the build is.
    cmake --build "$qt_build" --parallel "$jobs"
    cmake --install "$qt_build" >"$qt_build/install.log"
    touch "$qt_prefix/.complete"
}

if [ -f "$qt_prefix/.complete" ]; then
    step "Qt $qt_version for Windows: found in $qt_prefix"
else
    build_qt
fi

step "Tessellor for Windows"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_PREFIX_PATH="$qt_prefix" -DQT_HOST_PATH=/usr \
    -DQt6HostInfo_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo \
    -DTESSELLOR_TESTS=$([ $run_tests = 1 ] && echo ON || echo OFF) -DCMAKE_CROSSCOMPILING_EMULATOR=wine
cmake --build "$build" --parallel "$jobs"
cmake --build "$build" --target windows_zip
zip_file=$(ls "$build"/Tessellor-*-win64.zip)
echo "Packed: $zip_file ($(du -h "$zip_file" | cut -f1))"

[ $run_tests = 1 ] || exit 0

# Wine keeps its prefix (its C: drive and registry) beside the Qt cache, never in ~/.wine.
export WINEPREFIX=$cache/wine WINEDEBUG=-all
step "Tests under Wine"
failed=0
ctest --test-dir "$build" --output-on-failure --parallel "$jobs" || failed=1
echo
echo "Not built for Windows, with the reason:"
sed 's/^/  /' "$build/tests-not-on-windows.txt"

step "End to end under Wine"
folder=$build/zip/$(basename "$zip_file" .zip)
# The companion compiles the sample configuration into the same bytes on both systems.
linux_cli=$root/build/test/tessellor-cli
if [ ! -x "$linux_cli" ]; then
    cmake -S . -B build/linux-cli -G Ninja -DCMAKE_BUILD_TYPE=Release -DTESSELLOR_TESTS=OFF >/dev/null
    cmake --build build/linux-cli --target tessellor-cli
    linux_cli=$root/build/linux-cli/tessellor-cli
fi
"$linux_cli" compile bench/sample -o "$build/bank-linux.bin" >/dev/null
wine "$folder/tessellor-cli.exe" compile bench/sample -o "$build/bank-windows.bin" >/dev/null
if cmp "$build/bank-linux.bin" "$build/bank-windows.bin"; then
    echo "compile: the Windows image is byte for byte the Linux one ($(stat -c %s "$build/bank-windows.bin") bytes)"
else
    echo "compile: the images differ"
    failed=1
fi
# The program from the zip, with the real windows platform plugin, on a virtual display.
shot=$build/windows-main.png
rm -f "$shot"
# A painted main window has many colours; an empty screen has one. Wine's first start in a prefix
# takes a while, so the screen is looked at every few seconds for up to a minute. The Wine server
# left by the tests has no display, and programs it starts can open no window: it goes first.
wineserver -k 2>/dev/null || true
wineserver -w 2>/dev/null || true
xvfb-run -a -s "-screen 0 1280x800x24" sh -c '
    wine "$1/Tessellor.exe" &
    for i in $(seq 20); do
        sleep 3
        import -window root "$2"
        [ "$(identify -format %k "$2")" -gt 16 ] && break
    done
    wineserver -k' sh "$folder" "$shot" || true
colours=$([ -f "$shot" ] && identify -format %k "$shot" || echo 0)
if [ "$colours" -gt 16 ]; then
    echo "start: the main window painted ($colours colours): $shot"
else
    echo "start: no window was painted"
    failed=1
fi
exit $failed
