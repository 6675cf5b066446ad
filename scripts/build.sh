#!/usr/bin/env bash
# make build: both Windows targets; the program folders end up in dist/win32 and dist/win64.
# Nothing of the compiler's output is filtered: CMake's progress lines are switched off at
# the source, so what remains is what deserves reading (warnings are errors anyway).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
for arch in win32:i686 win64:x86_64; do
    name=${arch%%:*}; cpu=${arch##*:}
    cmake -S "$root" -B "$root/build/$name" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$cpu.cmake" \
        -DKORVIX_DIST_DIR="$root/dist/$name" -DCMAKE_RULE_MESSAGES=OFF >/dev/null || exit 1
    cmake --build "$root/build/$name" -j "$jobs" -- --no-print-directory || {
        echo "build of $name failed" >&2
        exit 1
    }
done
