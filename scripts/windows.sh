#!/usr/bin/env bash
# Builds Tessellor for 64-bit Windows on Debian 12 with MinGW-w64, against Qt built for Windows from
# Debian's own qt6-base source, and packs the program folder as a zip.
#   scripts/windows.sh           build and pack
#   scripts/windows.sh --test    the same, then the tests under Wine
#   scripts/windows.sh --check   in seconds: that every input of the build resolves on this machine
# Qt is built once into a cache outside the clone ($TESSELLOR_CACHE, ~/.cache/tessellor by default);
# later runs find it there and take the time of the project's own build.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

run_tests=0 check_only=0
case "${1:-}" in
--test) run_tests=1 ;;
--check) check_only=1 ;;
"") ;;
*)
    echo "usage: scripts/windows.sh [--test | --check]" >&2
    exit 2
    ;;
esac

qt_version=6.4.2
cache=${TESSELLOR_CACHE:-$HOME/.cache/tessellor}
qt_prefix=$cache/qt-$qt_version-win64
build=$root/build/windows
jobs=$(nproc)

step() { printf '\n== %s\n' "$*"; }

# The host's Qt serves the cross build with its moc, rcc and uic; then the cross compiler, Wine, the
# googletest sources, NSIS for the installer, osslsigncode for the signature, xdotool to use the
# installed program as a user does, and what the Qt build and the end-to-end checks use.
windows_packages=(g++-mingw-w64-x86-64-posix wine64 wine xvfb xauth imagemagick perl python3 xz-utils
    cmake ninja-build googletest nsis osslsigncode openssl xdotool)

# A private apt configuration beside the cache: the entries of the machine's own package sources,
# each also as a source entry, with their own lists. The system's sources and lists stay as they are.
apt_dir=$cache/apt
apt_options=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/sources.list.d"
    -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache" -o "APT::Sandbox::User=$(id -un)")

private_apt() {
    local list parts
    eval "$(apt-config shell list Dir::Etc::SourceList/f parts Dir::Etc::SourceParts/d)"
    rm -rf "$apt_dir/sources.list.d"
    mkdir -p "$apt_dir/sources.list.d" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
    # One-line form: every "deb" line once more as "deb-src", same options, address and components.
    local one_line=(${list:+"$list"}) file
    [ -n "$parts" ] && one_line+=("$parts"*.list)
    for file in "${one_line[@]}"; do
        [ -f "$file" ] || continue
        awk '$1 == "deb" { print; sub(/^[ \t]*deb/, "deb-src"); print; next }
             $1 == "deb-src" { print }' "$file"
    done | awk '!seen[$0]++' >"$apt_dir/sources.list"
    # deb822 form: each stanza serves both types; Enabled, Signed-By and the rest stay.
    if [ -n "$parts" ]; then
        for file in "$parts"*.sources; do
            [ -f "$file" ] || continue
            sed -E 's/^Types:.*$/Types: deb deb-src/I' "$file" >"$apt_dir/sources.list.d/$(basename "$file")"
        done
    fi
    if [ ! -s "$apt_dir/sources.list" ] && [ -z "$(ls -A "$apt_dir/sources.list.d")" ]; then
        echo "No package source is configured on this machine (${list:-no list}, ${parts:-no folder}): apt has nowhere to find qt6-base." >&2
        return 1
    fi
    if ! apt-get "${apt_options[@]}" update -qq; then
        echo "apt could not read the configured package sources (see above): qt6-base cannot be located." >&2
        return 1
    fi
}

# Sets qt_source_version to the exact qt6-base source version the package sources serve for the
# pinned Qt, or says what they serve instead.
resolve_qt_source() {
    local served
    served=$(apt-cache "${apt_options[@]}" showsrc qt6-base 2>/dev/null | sed -n 's/^Version: //p' | sort -uV)
    if [ -z "$served" ]; then
        echo "The configured package sources serve no source package qt6-base (Qt $qt_version for Windows is built from it)." >&2
        return 1
    fi
    qt_source_version=$(grep -E "^([0-9]+:)?${qt_version//./\\.}([+~-]|\$)" <<<"$served" | tail -n1 || true)
    if [ -z "$qt_source_version" ]; then
        echo "The configured package sources serve qt6-base $(paste -sd, <<<"$served" | sed 's/,/, /g'), not the pinned $qt_version." >&2
        return 1
    fi
}

# Debian's source lacks the tablet header wintab.h, hence no tablet events; with OpenGL off, dynamic
# GL must be off too. Direct 2D stays: without it Qt 6.4's windows plugin does not link (its
# DirectWrite font database is built only with Direct 2D). Else what the program needs.
qt_options=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
    -DQT_HOST_PATH=/usr -DQt6HostInfo_DIR=/usr/lib/x86_64-linux-gnu/cmake/Qt6HostInfo
    -DCMAKE_INSTALL_PREFIX="$qt_prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
    -DFEATURE_opengl=OFF -DFEATURE_dynamicgl=OFF -DFEATURE_tabletevent=OFF -DFEATURE_vulkan=OFF
    -DFEATURE_dbus=OFF -DFEATURE_sql=OFF
    -DFEATURE_openssl=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF)

build_qt() {
    local src=$cache/src qt_build=$cache/qt-build
    # A build stopped half way (the machine was needed, the session ended) goes on where it stopped,
    # when it was configured the same way.
    local configured="${qt_options[*]}"
    if [ -f "$qt_build/build.ninja" ] && [ "$(cat "$qt_build/.configured" 2>/dev/null)" = "$configured" ]; then
        step "Qt $qt_version for Windows: going on with the build in $qt_build"
    else
        step "Qt $qt_version for Windows: not in $qt_prefix yet, building it (about an hour on two cores)"
        mkdir -p "$src"
        private_apt
        resolve_qt_source
        echo "qt6-base $qt_source_version from the configured package sources"
        (cd "$src" && apt-get "${apt_options[@]}" source --download-only -qq "qt6-base=$qt_source_version")
        # The upstream archive: the version without epoch and Debian revision.
        local upstream=${qt_source_version#*:}
        upstream=${upstream%-*}
        rm -rf "$src/qtbase" "$qt_build"
        mkdir -p "$src/qtbase" "$qt_build"
        tar -xJf "$src/qt6-base_$upstream.orig.tar.xz" -C "$src/qtbase" --strip-components=1
        cmake -S "$src/qtbase" -B "$qt_build" -G Ninja "${qt_options[@]}" >"$qt_build/configure.log"
        echo "$configured" >"$qt_build/.configured"
    fi
    # Ninja's own progress line shows how far the build is.
    cmake --build "$qt_build" --parallel "$jobs"
    cmake --install "$qt_build" >"$qt_build/install.log"
    touch "$qt_prefix/.complete"
}

# What the build needs, resolved without building: the source of the pinned Qt from the configured
# package sources, the host's Qt tools of the same version, every package of the Windows build
# installable from those sources (a simulated install), the cross compiler runnable.
check_inputs() {
    local host_qt
    private_apt
    resolve_qt_source
    echo "qt6-base source: $qt_source_version, served by the configured package sources"
    host_qt=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)
    case "$host_qt" in
    "$qt_version"[+~-]* | "$qt_version") echo "host Qt tools (moc, rcc, uic): qt6-base-dev $host_qt" ;;
    *)
        echo "The host's qt6-base-dev is '${host_qt:-not installed}'; the cross build needs its tools at $qt_version." >&2
        return 1
        ;;
    esac
    local simulated
    if ! simulated=$(apt-get "${apt_options[@]}" -s -qq install "${windows_packages[@]}" 2>&1); then
        echo "The Windows build's packages do not resolve from the configured package sources:" >&2
        echo "$simulated" >&2
        return 1
    fi
    local package
    for package in g++-mingw-w64-x86-64-posix wine nsis osslsigncode; do
        echo "$package: $(apt-cache "${apt_options[@]}" policy "$package" | sed -n 's/^ *Candidate: //p')"
    done
    x86_64-w64-mingw32-g++-posix -dumpversion >/dev/null
    echo "cross compiler: x86_64-w64-mingw32-g++-posix $(x86_64-w64-mingw32-g++-posix -dumpversion) runs"
}

if [ $check_only = 1 ]; then
    check_inputs
    exit 0
fi

step "Packages"
scripts/setup.sh "${windows_packages[@]}"

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
cmake --build "$build" --target windows_installer
setup_file=${zip_file%.zip}-setup.exe
echo "Installer: $setup_file ($(du -h "$setup_file" | cut -f1))"
scripts/windows_sign.sh --state

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

step "Installer under Wine"
scripts/wine_installer_test.sh "$folder" "$setup_file" "$cache/wine-installer" || failed=1

step "Every window at 125, 150 and 200 % under Wine"
# The window list's test with the real windows platform, the system DPI set through Wine's
# LogPixels, on Wine's virtual desktop of a laptop's screen, whose taskbar takes its height from the
# work area. The windows at 150 % are saved as screenshots.
export WINEPREFIX=$cache/wine-scaling
scaling_test=$(winepath -w "$build/tests/window_scaling_test.exe" 2>/dev/null)
gcc_runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
shots=$build/screenshots-150
rm -rf "$shots" && mkdir -p "$shots"
at_scale() { # percent, screen width, screen height
    local dpi=$(($1 * 96 / 100)) desktop='HKCU\Software\Wine\Explorer'
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null
    wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels \
        /t REG_DWORD /d $dpi /f >/dev/null
    wine reg add "$desktop" /v Desktop /d Tessellor /f >/dev/null
    wine reg add "$desktop\\Desktops" /v Tessellor /d "$2x$3" /f >/dev/null
    wineserver -w
    xvfb-run -a -s "-screen 0 $2x$3x24" env QT_QPA_PLATFORM=windows \
        WINEPATH="Z:$qt_prefix/bin;Z:$gcc_runtime;Z:/usr/x86_64-w64-mingw32/lib" \
        TESSELLOR_SCREENSHOTS="$([ "$1" = 150 ] && winepath -w "$shots")" \
        wine "$scaling_test" --gtest_brief=1 >"$build/scaling-$1.log" 2>&1
}
for setting in "125 1920 1080" "150 1920 1080" "200 3840 2160"; do
    set -- $setting
    if at_scale "$@"; then
        echo "$1 %: every window inside the work area of a $2x$3 screen, fixed layouts whole"
    else
        echo "$1 %: FAILED (log: $build/scaling-$1.log)"
        grep -E "Failure|Expected|Which is|frame|clips|moved" "$build/scaling-$1.log" | head -n 20 | sed 's/^/  /'
        failed=1
    fi
done
echo "Screenshots at 150 %: $shots"
exit $failed
