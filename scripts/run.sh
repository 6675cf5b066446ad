#!/usr/bin/env bash
# make run: run the 32-bit Korvix.exe under Wine in the project's own prefix
# (build/wine/run-prefix, kept between runs so settings survive like a user's would).
# Without a display, Korvix runs in an Xvfb virtual desktop that later runs reuse
# (so `make run ARGS=quit` reaches the running copy); the script says how to look at it.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/wine-lib.sh"
korvix_template || exit 1
prefix=$KORVIX_WINE_DIR/run-prefix
[ -d "$prefix/drive_c" ] || korvix_prefix_new "$prefix"
export WINEPREFIX=$prefix
display_file=$KORVIX_WINE_DIR/run-display

own_display=0
if [ -z "${DISPLAY:-}" ]; then
    read -r display pid 2>/dev/null <"$display_file"
    if [ -n "${pid:-}" ] && kill -0 "$pid" 2>/dev/null; then
        export DISPLAY=$display
    else
        korvix_xvfb_start
        own_display=1
        echo "$DISPLAY $KORVIX_XVFB_PID" >"$display_file"
        echo "run: no display; Korvix runs in an Xvfb virtual desktop on DISPLAY=$DISPLAY."
        echo "run: to see it:  DISPLAY=$DISPLAY xwd -root -silent | convert xwd:- png:korvix-screen.png"
    fi
fi
korvix_wine_start
arch=win32
[ "$KORVIX_WIN32_RUNS" = 1 ] || arch=win64   # this machine cannot run 32-bit programs
echo "run: starting dist/$arch/Korvix.exe ${ARGS:-} (quit it from its tray menu, or: make run ARGS=quit)"
wine "$root/dist/$arch/Korvix.exe" ${ARGS:-}
status=$?
if [ $own_display = 1 ]; then
    # The whole session lived on our Xvfb: end it with the program.
    korvix_wine_stop
    korvix_xvfb_stop
    rm -f "$display_file"
fi
exit $status
