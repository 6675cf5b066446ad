#!/usr/bin/env bash
# make test: set up, build both targets and the setup program, lint, run the unit tests under
# Wine in a private throw-away prefix, then the end-to-end tests.
#
# While working on one area, run less (32-bit build, same private prefix recipe; the 64-bit
# build on a machine that cannot run 32-bit programs, see wine-lib.sh):
#   scripts/test.sh unit                          every unit-test program
#   scripts/test.sh unit engine_tests             one program (its ctest name)
#   scripts/test.sh unit engine_tests 'EngineShellTest.*'   cases matching a GoogleTest filter
#   scripts/test.sh e2e -k uninstall              end-to-end tests; arguments go to pytest
#   scripts/test.sh lint                          the lint alone (also: make lint)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build32=$root/build/win32
mode=${1:-all}
[ $# -gt 0 ] && shift

build64=$root/build/win64

"$root/scripts/setup.sh" || exit 1
. "$root/scripts/wine-lib.sh"

# The build whose unit tests run: the 32-bit product, or the 64-bit one where 32-bit
# programs cannot run.
if [ "$KORVIX_WIN32_RUNS" = 1 ]; then
    unit_build=$build32 unit_toolchain=i686 unit_dist=win32
else
    unit_build=$build64 unit_toolchain=x86_64 unit_dist=win64
fi
configure_unit() {
    cmake -S "$root" -B "$unit_build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$unit_toolchain.cmake" \
        -DKORVIX_DIST_DIR="$root/dist/$unit_dist" -DCMAKE_RULE_MESSAGES=OFF >/dev/null
}
build_unit() { configure_unit && cmake --build "$unit_build" -j "$(nproc)" -- --no-print-directory "$@"; }

e2e() {
    # Debian's interpreter carries python3-pytest; a python3 earlier in PATH (pyenv) may not.
    local py=/usr/bin/python3
    [ -x "$py" ] || py=python3
    "$py" -m pytest -q "$root/tests/e2e" "$@"
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
        korvix_session unit
        if [ -z "$program" ]; then
            (cd "$unit_build" && ctest --output-on-failure --timeout 600)
        else
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
    all)
        "$root/scripts/build.sh" || exit 1
        # The end-to-end tests install and uninstall the setup program (about a second to make).
        "$root/scripts/dist.sh" >/dev/null || exit 1
        status=0
        "$root/scripts/lint.sh" || status=1
        korvix_template || exit 1
        korvix_session test
        if [ "$KORVIX_WIN32_RUNS" = 1 ]; then
            # The 64-bit build runs the tests labelled "both" (probes, settings, worker); the
            # 32-bit build, the product, runs everything and reports last.
            (cd "$build64" && ctest --output-on-failure --timeout 600 -L both) || status=1
            (cd "$build32" && ctest --output-on-failure --timeout 600) || status=1
        else
            echo "test: this machine cannot run 32-bit programs: every unit test runs on the 64-bit build," \
                "and the end-to-end tests that need a 32-bit Windows are skipped" >&2
            (cd "$build64" && ctest --output-on-failure --timeout 600) || status=1
        fi
        korvix_wine_stop
        # The slowest tests are named, so a run that grows shows where.
        e2e --durations=10 || status=1
        exit $status
        ;;
    *)
        echo "usage: scripts/test.sh [all | unit [PROGRAM [FILTER]] | e2e [PYTEST ARGS] | lint]" >&2
        exit 2
        ;;
esac
