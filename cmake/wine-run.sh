#!/usr/bin/env bash
# ctest's emulator: runs one Windows program under Wine, never in the user's own prefix:
#   KORVIX_WINEPREFIX=DIR   in the prefix scripts/test.sh prepared (a throw-away clone), or
#   KORVIX_UNIT_SESSION=1   in a session of its own (display, prefix cloned from the template,
#                           wineserver), so ctest can run programs side by side (ctest -j)
#                           without one seeing another's windows or registry.
export WINEDEBUG="${WINEDEBUG:--all}"
if [ "${KORVIX_UNIT_SESSION:-}" = 1 ]; then
    . "$(dirname "$0")/../scripts/wine-lib.sh"
    korvix_session unit "${KORVIX_UNIT_ARCH:-}"
    wine "$@" </dev/null
    exit
fi
if [ -z "${KORVIX_WINEPREFIX:-}" ]; then
    echo "wine-run.sh: KORVIX_WINEPREFIX is not set; run the tests with 'make test'" >&2
    exit 2
fi
export WINEPREFIX="$KORVIX_WINEPREFIX"
export WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
