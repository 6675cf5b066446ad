#!/usr/bin/env bash
# make bench: builds the benchmarks of both builds (where 32-bit programs run) and runs them
# under Wine in private throw-away prefixes:
#   free-up throughput against the raw first-touch rate of the machine, and their ratio;
#   the cost of opening the skinned main window against a native one, and the memory a loaded
#   skin adds;
#   opening and closing the main window 100 times: GDI and USER objects and private memory
#   left behind;
#   the footprint in the tray against a do-nothing tray program (bench/footprint.py), measured
#   over FOOTPRINT_SECONDS (default 300);
#   private memory over SOAK_FREEUPS small free-ups (bench/soak.py, default 4000; 0 skips it).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" win32 || exit 1
. "$root/scripts/wine-lib.sh"
# Both builds where both run: the 32-bit product's footprint is what users of 32-bit Windows
# get. Under emulation the 32-bit figures of memory, handles and objects hold; its times and
# rates are the emulator's, not the program's. KORVIX_BENCH_ARCHS chooses (win32, win64).
if [ -n "${KORVIX_BENCH_ARCHS:-}" ]; then
    archs=$KORVIX_BENCH_ARCHS
elif [ "$KORVIX_WIN32_RUNS" = 1 ]; then
    archs="win32 win64"
else
    archs=win64
fi
py=/usr/bin/python3; [ -x "$py" ] || py=python3

bench_arch() {
    local arch=$1 cpu build
    [ "$arch" = win32 ] && cpu=i686 || cpu=x86_64
    build=$root/build/$arch
    local note=
    [ "$arch" = win32 ] && [ "$KORVIX_WIN32_EMULATED" = 1 ] && note=" (emulated: its times and rates are the emulator's)"
    echo "bench: the $arch build$note"
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$cpu.cmake" -DCMAKE_RULE_MESSAGES=OFF \
        >/dev/null || return 1
    cmake --build "$build" --target freeup_bench skin_bench main_window_bench footprint_bench -j "$(nproc)" -- \
        --no-print-directory || { echo "build of the benchmarks failed" >&2; return 1; }
    korvix_template || return 1
    (
        korvix_session bench
        wine "$build/bench/freeup_bench.exe" </dev/null
        wine "$build/bench/skin_bench.exe" "$(korvix_winpath "$root/dist/$arch/default.skn")" </dev/null
        wine "$build/bench/main_window_bench.exe" "$(korvix_winpath "$root/dist/$arch/default.skn")" </dev/null
    ) || return 1
    # Its own two desktops and prefixes (the end-to-end harness's); Debian's interpreter.
    KORVIX_BENCH_BUILD=$build KORVIX_EXE32=$root/dist/$arch/Korvix.exe \
        KORVIX_FOOTPRINT_SECONDS=${FOOTPRINT_SECONDS:-300} "$py" "$root/bench/footprint.py" || return 1
    local soak=${SOAK_FREEUPS:-4000}
    [ "$soak" = 0 ] || KORVIX_EXE32=$root/dist/$arch/Korvix.exe KORVIX_SOAK_FREEUPS=$soak "$py" "$root/bench/soak.py"
}

status=0
for arch in $archs; do
    bench_arch "$arch" || status=1
done
exit $status
