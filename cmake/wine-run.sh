#!/bin/sh
# ctest's emulator: runs one Windows program under Wine in the prefix that
# scripts/test.sh prepared (a throw-away clone, never the user's own prefix).
if [ -z "$KORVIX_WINEPREFIX" ]; then
    echo "wine-run.sh: KORVIX_WINEPREFIX is not set; run the tests with 'make test'" >&2
    exit 2
fi
export WINEPREFIX="$KORVIX_WINEPREFIX"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
exec wine "$@"
