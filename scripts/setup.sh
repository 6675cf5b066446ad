#!/usr/bin/env bash
# Installs every Debian package the build and the tests need. Quick no-op when all are present.
set -euo pipefail

packages=(
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    cmake make googletest clang-tidy-14 clang-format-14
    wine wine32:i386 wine64 fonts-wine fonts-liberation
    xvfb xauth xdotool x11-apps imagemagick
    fp-utils python3 python3-pytest bc procps
    libstb-dev librsvg2-bin clang-14 libclang-rt-14-dev
    nsis
)

missing=()
for p in "${packages[@]}"; do
    # dpkg-query prints the status of the exact arch-qualified name when installed
    if ! dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" != 0 ]; then
    echo "setup: missing packages: ${missing[*]}; run as root (or: sudo $0)" >&2
    exit 1
fi
echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
