#!/usr/bin/env bash
# make test: set up, build both targets and the setup program, lint (layout and layers), run
# the unit tests under Wine in private throw-away prefixes, then the end-to-end tests (both on
# every core). make test-long: the same with the whole lint (clang-tidy, minutes).
# make test32: everything that needs a 32-bit Windows, on the 32-bit build and the setup
# program; where 32-bit programs run only under emulation (see wine-lib.sh), make test leaves
# it to make test32, which takes long there.
#
# While working on one area, run less (32-bit build, same private prefix recipe; the 64-bit
# build where 32-bit programs do not run natively, see wine-lib.sh):
#   scripts/test.sh unit                          every unit-test program
#   scripts/test.sh unit engine_tests             one program (its ctest name)
#   scripts/test.sh unit engine_tests 'EngineShellTest.*'   cases matching a GoogleTest filter
#   scripts/test.sh e2e -k uninstall              end-to-end tests; arguments go to pytest
#   scripts/test.sh lint                          the lint alone (also: make lint)
#   scripts/test.sh test32 [unit|e2e] [PYTEST ARGS]   make test32, or one half of it
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build32=$root/build/win32
build64=$root/build/win64
mode=${1:-all}
[ $# -gt 0 ] && shift

# KORVIX_WIN32_PRIVATE=1 make test32: qemu is registered in a binfmt_misc of this run's own (a
# user namespace; Linux 6.7 or later), so the kernel-wide entry stays as it is and no other
# process on the machine runs 32-bit programs through it.
if [ "$mode" = test32 ] && [ "${KORVIX_WIN32_PRIVATE:-}" = 1 ] && [ -z "${KORVIX_IN_PRIVATE_BINFMT:-}" ]; then
    export KORVIX_IN_PRIVATE_BINFMT=1
    exec unshare --user --map-root-user --mount bash -c \
        'mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc || { echo "test32: no binfmt_misc of our own here (Linux 6.7 or later)" >&2; exit 1; }
         exec "$0" "$@"' "$0" "$mode" "$@"
fi

started=$SECONDS
if [ "$mode" = test32 ]; then "$root/scripts/setup.sh" win32; else "$root/scripts/setup.sh"; fi || exit 1
. "$root/scripts/wine-lib.sh"
# The time each step of make test took ("set-up 12 s, build 80 s, ..."), said before the
# end-to-end tests, whose own time is in pytest's summary line.
times=
step_done() { times+="${times:+, }$1 $((SECONDS - started)) s"; started=$SECONDS; }
step_done set-up

# How this machine runs 32-bit programs: natively (the 32-bit product runs everything, as on
# any machine that can), under emulation (make test keeps to native speed, 64-bit, and
# leaves the 32-bit tests to make test32), or not at all.
if [ "$KORVIX_WIN32_RUNS" = 1 ] && [ "$KORVIX_WIN32_EMULATED" = 0 ]; then
    win32=native
elif [ "$KORVIX_WIN32_RUNS" = 1 ]; then
    win32=emulated
else
    win32=none
fi
# Outside make test32, emulated 32-bit programs are not started at all (wine-lib.sh).
if [ "$mode" != test32 ] && [ $win32 = emulated ]; then
    export KORVIX_WIN32_RUNS=0 KORVIX_WIN32_EMULATED=0
    export KORVIX_WIN32_SKIP_REASON="32-bit programs run here under emulation only: make test32 runs this test"
fi

# The build whose unit tests run: the 32-bit product, or the 64-bit one where 32-bit
# programs cannot run at native speed.
if [ "$mode" = test32 ] || [ $win32 = native ]; then
    unit_build=$build32 unit_toolchain=i686 unit_dist=win32
else
    unit_build=$build64 unit_toolchain=x86_64 unit_dist=win64
fi
configure_unit() {
    cmake -S "$root" -B "$unit_build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$unit_toolchain.cmake" \
        -DKORVIX_DIST_DIR="$root/dist/$unit_dist" -DCMAKE_RULE_MESSAGES=OFF -DKORVIX_TESTS=ON >/dev/null
}
build_unit() { configure_unit && cmake --build "$unit_build" -j "$(nproc)" -- --no-print-directory "$@"; }

e2e() {
    # Debian's interpreter carries python3-pytest and python3-pytest-xdist; a python3 earlier
    # in PATH (pyenv) may not.
    local py=/usr/bin/python3
    [ -x "$py" ] || py=python3
    "$py" -m pytest -q "$root/tests/e2e" "$@"
}
# Every end-to-end test has its own display, prefix and wineserver: they run on all cores.
e2e_parallel() {
    local py=/usr/bin/python3
    [ -x "$py" ] || py=python3
    if "$py" -c 'import xdist' 2>/dev/null; then
        e2e -n "$(nproc)" "$@"
    else
        e2e "$@"
    fi
}

# The unit tests of a build, through ctest, side by side on every core: each program in a
# session of its own (display, prefix, wineserver: cmake/wine-run.sh).
ctest_run() {
    local dir=$1
    shift
    (cd "$dir" && KORVIX_UNIT_SESSION=1 ctest --output-on-failure --timeout "${KORVIX_CTEST_TIMEOUT:-600}" \
        -j "$(nproc)" "$@")
}

test32() {
    local part=${1:-all}
    [ $# -gt 0 ] && shift
    if [ $win32 = none ]; then
        echo "test32: this machine cannot run 32-bit programs (not natively, and qemu-user-static" \
            "could not be registered with binfmt_misc: see scripts/setup.sh)" >&2
        exit 1
    fi
    [ $win32 = emulated ] &&
        echo "test32: 32-bit programs run under emulation here: each start takes a minute on an idle machine, more on a busy one" >&2
    KORVIX_WIN32_TESTS=ON "$root/scripts/build.sh" || exit 1
    "$root/scripts/dist.sh" >/dev/null || exit 1
    # The prefixes: a 64-bit Windows able to run 32-bit programs and a 32-bit Windows, each
    # built once and cached (minutes under emulation).
    korvix_template || exit 1
    local status=0
    if [ "$part" = all ] || [ "$part" = unit ]; then
        # Emulated, a program's start alone takes about a minute.
        KORVIX_CTEST_TIMEOUT=3600 ctest_run "$build32" || status=1
    fi
    if [ "$part" = all ] || [ "$part" = e2e ]; then
        korvix_template win32 || exit 1
        e2e_parallel -m win32 --durations=0 "$@" || status=1
    fi
    exit $status
}

case $mode in
    lint)
        exec "$root/scripts/lint.sh"
        ;;
    unit)
        program=${1:-}
        if [ -z "$program" ]; then
            build_unit || exit 1
        else
            build_unit "$program" || exit 1
        fi
        korvix_template || exit 1
        if [ -z "$program" ]; then
            ctest_run "$unit_build"
        else
            korvix_session unit
            exe=$(find "$unit_build/tests/unit" -name "$program.exe" | head -1)
            [ -n "$exe" ] || { echo "test: no unit-test program $program" >&2; exit 1; }
            wine "$exe" --gtest_color=no ${2:+"--gtest_filter=$2"} </dev/null
        fi
        ;;
    e2e)
        # The setup program is made from both program folders (tests/e2e/test_install.py).
        "$root/scripts/build.sh" || exit 1
        "$root/scripts/dist.sh" >/dev/null || exit 1
        korvix_template || exit 1
        e2e "$@"
        ;;
    test32)
        test32 "$@"
        ;;
    all | long)
        "$root/scripts/build.sh" || exit 1
        # The end-to-end tests install and uninstall the setup program (about a second to make).
        "$root/scripts/dist.sh" >/dev/null || exit 1
        step_done build
        status=0
        # make test: the layout and the layers; make test-long: clang-tidy as well (minutes).
        if [ "$mode" = long ]; then "$root/scripts/lint.sh"; else "$root/scripts/lint.sh" quick; fi || status=1
        step_done lint
        korvix_template || exit 1
        case $win32 in
            native)
                # The 64-bit build runs the tests labelled "both" (probes, settings, worker); the
                # 32-bit build, the product, runs everything and reports last.
                ctest_run "$build64" -L both || status=1
                ctest_run "$build32" || status=1
                ;;
            emulated)
                echo "test: 32-bit programs run here under emulation only (slow): every unit test runs on" \
                    "the 64-bit build, and make test32 runs the tests that need a 32-bit Windows" >&2
                ctest_run "$build64" || status=1
                ;;
            none)
                echo "test: this machine cannot run 32-bit programs: every unit test runs on the 64-bit build," \
                    "and the end-to-end tests that need a 32-bit Windows are skipped" >&2
                ctest_run "$build64" || status=1
                ;;
        esac
        step_done unit
        echo "test: $times; the end-to-end tests follow" >&2
        # The slowest tests are named, so a run that grows shows where.
        e2e_parallel --durations=10 || status=1
        exit $status
        ;;
    *)
        echo "usage: scripts/test.sh [all | long | unit [PROGRAM [FILTER]] | e2e [PYTEST ARGS] | lint |" \
            "test32 [unit | e2e [PYTEST ARGS]]]" >&2
        exit 2
        ;;
esac
