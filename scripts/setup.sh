#!/usr/bin/env bash
# Installs what the build, the program and the tests need on Debian 12 (only what is missing), and
# the packages named as arguments (scripts/windows.sh adds those of the Windows build).
set -euo pipefail

packages=(
    cmake ninja-build g++ clang clang-format libclang-rt-14-dev pkg-config python3
    qt6-base-dev qt6-serialport-dev qt6-translations-l10n libgl-dev libcurl4-openssl-dev libgtest-dev
    xvfb xauth imagemagick fonts-dejavu-core iproute2 procps poppler-utils tshark
    g++-mingw-w64-x86-64-posix osslsigncode openssl
    "$@"
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
