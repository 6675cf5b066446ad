#!/usr/bin/env bash
# make bench: builds the 32-bit benchmark and runs it under Wine in a private throw-away
# prefix. Prints the free-up throughput, the raw first-touch rate and their ratio.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KORVIX_BENCH_BUILD:-$root/build/win32}
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686.cmake" -DCMAKE_RULE_MESSAGES=OFF \
    >/dev/null || exit 1
cmake --build "$build" --target freeup_bench -j "$(nproc)" -- --no-print-directory ||
    { echo "build of the benchmark failed" >&2; exit 1; }

. "$root/scripts/wine-lib.sh"
korvix_template || exit 1
korvix_session bench
wine "$build/bench/freeup_bench.exe" </dev/null
