#!/usr/bin/env bash
# make bench: builds the 32-bit benchmarks and runs them under Wine in private throw-away
# prefixes:
#   free-up throughput against the raw first-touch rate of the machine, and their ratio;
#   the cost of opening the skinned main window against a native one, and the memory a loaded
#   skin adds;
#   opening and closing the main window 100 times: GDI and USER objects and private memory
#   left behind;
#   the footprint in the tray against a do-nothing tray program (bench/footprint.py), measured
#   over FOOTPRINT_SECONDS (default 300).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-lib.sh"
# The 32-bit product, or the 64-bit build on a machine that cannot run 32-bit programs.
if [ "$KORVIX_WIN32_RUNS" = 1 ]; then arch=win32 cpu=i686; else arch=win64 cpu=x86_64; fi
build=${KORVIX_BENCH_BUILD:-$root/build/$arch}
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$cpu.cmake" -DCMAKE_RULE_MESSAGES=OFF \
    >/dev/null || exit 1
cmake --build "$build" --target freeup_bench skin_bench main_window_bench footprint_bench -j "$(nproc)" -- --no-print-directory ||
    { echo "build of the benchmarks failed" >&2; exit 1; }

korvix_template || exit 1
(
    korvix_session bench
    wine "$build/bench/freeup_bench.exe" </dev/null
    wine "$build/bench/skin_bench.exe" "$(korvix_winpath "$root/dist/$arch/default.skn")" </dev/null
    wine "$build/bench/main_window_bench.exe" "$(korvix_winpath "$root/dist/$arch/default.skn")" </dev/null
) || exit 1
# Its own two desktops and prefixes (the end-to-end harness's); Debian's interpreter.
py=/usr/bin/python3; [ -x "$py" ] || py=python3
KORVIX_BENCH_BUILD=$build KORVIX_FOOTPRINT_SECONDS=${FOOTPRINT_SECONDS:-300} "$py" "$root/bench/footprint.py"
