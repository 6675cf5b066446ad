#!/bin/bash
# Screenshots of the context help popup of our own (the one shown where the system's help
# library shows none), at 100 % and 200 % display scale, into docs/screens/.
#   tools/help_screenshots.sh [BUILD_DIR]      (default build/win32; needs help_popup_demo and korvix.chm built)
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/win32}
demo=$build/tests/unit/help/help_popup_demo.exe
chm=$build/help/korvix.chm
out=$root/docs/screens
work=$(mktemp -d)
[ -f "$demo" ] && [ -f "$chm" ] || { echo "build help_popup_demo and korvix_help_file first" >&2; exit 1; }
mkdir -p "$out"

. "$root/scripts/wine-lib.sh"
korvix_template
korvix_xvfb_start
started=
trap '[ -n "$started" ] && korvix_wine_stop; korvix_xvfb_stop; rm -rf "$work"' EXIT

# shot DPI NAME: a fresh prefix at that scale; the popup of the manual page's Free-Up button.
shot() {
    korvix_prefix_new "$work/prefix-$1"
    started=1
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    korvix_wine_stop || true  # the scale is read when the prefix's server starts
    korvix_wine_start
    local log=$work/$2.log i scale=$(($1 / 96))
    wine "$demo" "$(korvix_winpath "$chm")" 303 $((300 * scale)) $((200 * scale)) 8 >"$log" 2>/dev/null &
    local pid=$!
    for i in $(seq 1 100); do grep -q ready "$log" 2>/dev/null && break; sleep 0.1; done
    sleep 1
    korvix_screenshot "$work/$2-screen.png"
    read -r _ l t r b _ dpi < <(tr -d '\r' <"$log")
    echo "$2: popup $l,$t-$r,$b at $dpi dpi"
    local m=$((16 * scale))
    convert "$work/$2-screen.png" -crop "$((r - l + 2 * m))x$((b - t + 2 * m))+$((l - m))+$((t - m))" +repage "$out/$2.png"
    kill $pid 2>/dev/null || true
    wait $pid 2>/dev/null || true
    korvix_wine_stop || true
}

shot 96 help-popup-100
shot 192 help-popup-200
echo "written: $out/help-popup-100.png $out/help-popup-200.png"
