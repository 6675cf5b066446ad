#!/usr/bin/env bash
# make build: both Windows targets; the program folders end up in dist/win32 and dist/win64.
# Nothing of the compiler's output is filtered: CMake's progress lines are switched off at
# the source, so what remains is what deserves reading (warnings are errors anyway).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
# The 32-bit unit tests are built where 32-bit programs run natively, and for make test32
# (KORVIX_WIN32_TESTS=ON): they are half of a build's compile time, spent for nothing where
# make test runs the same test sources on the 64-bit build (see wine-lib.sh).
win32_tests=${KORVIX_WIN32_TESTS:-}
if [ -z "$win32_tests" ]; then
    . "$root/scripts/wine-lib.sh"
    win32_tests=OFF
    [ "$KORVIX_WIN32_RUNS" = 1 ] && [ "$KORVIX_WIN32_EMULATED" = 0 ] && win32_tests=ON
fi
for arch in win32:i686:$win32_tests win64:x86_64:ON; do
    IFS=: read -r name cpu tests <<<"$arch"
    cmake -S "$root" -B "$root/build/$name" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$cpu.cmake" \
        -DKORVIX_DIST_DIR="$root/dist/$name" -DCMAKE_RULE_MESSAGES=OFF -DKORVIX_TESTS="$tests" >/dev/null || exit 1
    cmake --build "$root/build/$name" -j "$jobs" -- --no-print-directory || {
        echo "build of $name failed" >&2
        exit 1
    }
done
