#!/usr/bin/env bash
# make run: run the 32-bit Korvix.exe under Wine in the project's own prefix
# (build/wine/run-prefix, kept between runs so settings survive like a user's would).
# Without a display, Korvix runs in an Xvfb virtual desktop; the script says how to look at it.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-lib.sh"
korvix_template || exit 1
prefix=$KORVIX_WINE_DIR/run-prefix
[ -d "$prefix/drive_c" ] || korvix_prefix_new "$prefix"
export WINEPREFIX=$prefix

own_display=0
if [ -z "${DISPLAY:-}" ]; then
    korvix_xvfb_start
    own_display=1
    echo "run: no display; Korvix runs in an Xvfb virtual desktop on DISPLAY=$DISPLAY."
    echo "run: to see it:  DISPLAY=$DISPLAY xwd -root -silent | convert xwd:- png:korvix-screen.png"
fi
korvix_wine_start
echo "run: starting dist/win32/Korvix.exe (quit from its tray menu, or: make run ARGS=quit in another shell)"
wine "$root/dist/win32/Korvix.exe" ${ARGS:-}
status=$?
korvix_wine_stop
[ $own_display = 1 ] && korvix_xvfb_stop
exit $status
