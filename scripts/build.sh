#!/usr/bin/env bash
# make build: both Windows targets; the program folders end up in dist/win32 and dist/win64.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
for arch in win32:i686 win64:x86_64; do
    name=${arch%%:*}; cpu=${arch##*:}
    cmake -S "$root" -B "$root/build/$name" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$cpu.cmake" \
        -DKORVIX_DIST_DIR="$root/dist/$name" >/dev/null || exit 1
    # Progress lines are noise; warnings and errors stay.
    cmake --build "$root/build/$name" -j "$jobs" -- --no-print-directory 2>&1 |
        grep -vE '^\[ *[0-9]+%\] (Building|Linking|Built target)|^Consolidate compiler'
    [ "${PIPESTATUS[0]}" -eq 0 ] || { echo "build of $name failed" >&2; exit 1; }
done
