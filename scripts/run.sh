#!/usr/bin/env bash
# make run: run Korvix.exe under Wine in the project's own prefix (build/wine/run-prefix,
# a 64-bit Windows kept between runs so settings survive like a user's would). ARCH=win64,
# the default, runs the 64-bit build, as setup installs it on a 64-bit Windows; ARCH=win32
# runs the 32-bit build on the same Windows.
# Without a display, Korvix runs in an Xvfb virtual desktop that later runs reuse
# (so `make run ARGS=quit` reaches the running copy); the script says how to look at it.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${ARCH:-win64}
case $arch in
    win32 | win64) ;;
    *) echo "run: ARCH is win64 (the default) or win32, not '$arch'" >&2; exit 2 ;;
esac
program=$root/dist/$arch/Korvix.exe
if [ "$arch" = win32 ]; then "$root/scripts/setup.sh" win32 || exit 1; fi
. "$root/scripts/wine-lib.sh"
if [ "$arch" = win32 ] && [ "$KORVIX_WIN32_RUNS" = 0 ]; then
    echo "run: this machine cannot run 32-bit programs; run the 64-bit build (ARCH=win64)" >&2
    exit 2
fi
korvix_template || exit 1
prefix=$KORVIX_WINE_DIR/run-prefix
[ -d "$prefix/drive_c" ] || korvix_prefix_new "$prefix"
export WINEPREFIX=$prefix
display_file=$KORVIX_WINE_DIR/run-display

own_display=0
if [ -z "${DISPLAY:-}" ]; then
    read -r display pid screen 2>/dev/null <"$display_file"
    if [ -n "${pid:-}" ] && kill -0 "$pid" 2>/dev/null; then
        export DISPLAY=$display KORVIX_SCREEN=${screen:-}
    else
        korvix_xvfb_start
        own_display=1
        echo "$DISPLAY $KORVIX_XVFB_PID $KORVIX_SCREEN" >"$display_file"
        echo "run: no display; Korvix runs in an Xvfb virtual desktop on DISPLAY=$DISPLAY."
        # The screen's own pixels: xwd -root leaves menus and popups over a window black.
        echo "run: to see it:  convert xwd:$KORVIX_SCREEN png:korvix-screen.png"
    fi
fi
korvix_wine_start
echo "run: starting dist/$arch/Korvix.exe ${ARGS:-} (quit it from its tray menu, or: make run ARGS=quit)"
wine "$program" ${ARGS:-}
status=$?
if [ $own_display = 1 ]; then
    # The whole session lived on our Xvfb: end it with the program.
    korvix_wine_stop
    korvix_xvfb_stop
    rm -f "$display_file"
fi
exit $status
