#!/bin/bash
# Screenshots of the test skin's form (manual page open) and of a plain dialog in the skin's
# dialog style, at 100 % and 200 % display scale, under Xvfb in a Wine virtual desktop, into
# docs/screens/. Also the 200 % form beside a 2x enlargement of the 100 % one.
#   tools/skin_screenshots.sh [BUILD_DIR] [SKIN]   (default build/win32 and its test skin)
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/win32}
skin=${2:-$build/skins/test.skn}
name=$(basename "$skin" .skn)
demo=$build/tests/unit/skin/skin_screen_demo.exe
out=$root/docs/screens
work=$(mktemp -d)
[ -f "$demo" ] || { echo "build skin_screen_demo first: $demo is missing" >&2; exit 1; }
mkdir -p "$out"
. "$root/scripts/wine-lib.sh"
korvix_template
korvix_xvfb_start
trap 'korvix_wine_stop; korvix_xvfb_stop; rm -rf "$work"' EXIT

# shot DPI MODE FILE: runs the demo at that display scale and keeps its window.
shot() {
    korvix_prefix_new "$work/prefix-$1"
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
    korvix_wine_stop
    korvix_wine_start
    local log=$work/$2-$1.log i
    wine "$demo" "$2" "$(korvix_winpath "$skin")" 6 >"$log" 2>/dev/null &
    local pid=$!
    for i in $(seq 1 100); do grep -q ready "$log" 2>/dev/null && break; sleep 0.1; done
    korvix_screenshot "$work/screen.png"
    read -r _ l t r b < <(grep ^window "$log" | tr -d '\r')
    convert "$work/screen.png" -crop "$((r - l))x$((b - t))+$l+$t" +repage "$out/$3"
    wait $pid || true
    korvix_wine_stop
}

shot 96 form "skin-$name-100.png"
shot 192 form "skin-$name-200.png"
shot 96 dialog "skin-$name-dialog-100.png"
shot 192 dialog "skin-$name-dialog-200.png"
# Crispness: a detail of the 200 % form beside the same detail of the 100 % form enlarged 2x.
convert "$out/skin-$name-200.png" -crop 480x200+0+0 +repage "$work/crisp.png"
convert "$out/skin-$name-100.png" -crop 240x100+0+0 +repage -filter point -resize 200% "$work/enlarged.png"
convert "$work/crisp.png" "$work/enlarged.png" -background white -splice 8x0 +append "$out/skin-$name-200-vs-enlarged.png"
echo "written: $(cd "$out" && ls skin-"$name"-*.png | tr '\n' ' ')"
