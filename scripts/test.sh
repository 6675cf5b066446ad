#!/usr/bin/env bash
# make test: set up, build both targets and the setup program, run the unit tests under Wine
# in a private throw-away prefix, then the end-to-end tests.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/setup.sh" || exit 1
"$root/scripts/build.sh" || exit 1
# The end-to-end tests install and uninstall the setup program (about a second to make).
"$root/scripts/dist.sh" >/dev/null || exit 1
. "$root/scripts/wine-lib.sh"
korvix_template || exit 1

korvix_session test

status=0
# The 64-bit build runs the tests labelled "both" (probes, settings, worker); the 32-bit build, the
# product, runs everything and reports last.
(cd "$root/build/win64" && ctest --output-on-failure --timeout 300 -L both) || status=1
(cd "$root/build/win32" && ctest --output-on-failure --timeout 300) || status=1
if [ -d "$root/tests/e2e" ] && ls "$root"/tests/e2e/test_*.py >/dev/null 2>&1; then
    korvix_wine_stop
    # Debian's interpreter carries python3-pytest; a python3 earlier in PATH (pyenv) may not.
    py=/usr/bin/python3; [ -x "$py" ] || py=python3
    "$py" -m pytest -q "$root/tests/e2e" || status=1
fi
exit $status
