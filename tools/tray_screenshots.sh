#!/bin/bash
# Screenshots of the tray icons (chart, number and bar styles) and of a chart window,
# taken under Xvfb in a Wine virtual desktop, into docs/screens/.
#   tools/tray_screenshots.sh [BUILD_DIR]      (default build/tray; needs tray_screen_demo built)
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/tray}
demo=$build/tests/unit/tray/tray_screen_demo.exe
out=$root/docs/screens
work=$(mktemp -d)
[ -f "$demo" ] || { echo "build tray_screen_demo first: $demo is missing" >&2; exit 1; }
mkdir -p "$out"

. "$root/scripts/wine-lib.sh"
korvix_template
korvix_xvfb_start
korvix_prefix_new "$work/prefix"
korvix_wine_start
trap 'korvix_wine_stop; korvix_xvfb_stop; rm -rf "$work"' EXIT

# shot STYLE STATUS NAME: runs the demo, waits until it is ready, grabs the screen.
shot() {
    local log=$work/$3.log i
    wine "$demo" "$1" "$2" 6 >"$log" 2>/dev/null &
    local pid=$!
    for i in $(seq 1 100); do grep -q ready "$log" 2>/dev/null && break; sleep 0.1; done
    sleep 1  # let the taskbar show the newest pictures
    korvix_screenshot "$work/$3.png"
    wait $pid || true
    tr -d '\r' <"$log"
}

crop_tray() {  # crop_tray NAME LOG: the right end of the taskbar, enlarged 4x
    local l t r b
    read -r _ l t r b < <(grep ^taskbar "$2")
    convert "$work/$1.png" -crop "90x$((b - t))+$((r - 90))+$t" +repage -filter point -resize 400% "$work/$1-tray.png"
}

shot 1 STATUSWORK chart >"$work/chart.txt"
shot 2 STATUSIDLE number >"$work/number.txt"
shot 3 STATUSNORMAL bar >"$work/bar.txt"
cat "$work/chart.txt"
for s in chart number bar; do crop_tray $s "$work/$s.txt"; done
convert "$work/chart-tray.png" "$work/number-tray.png" "$work/bar-tray.png" -background white -splice 0x8 -append \
    "$out/tray-icons.png"
read -r _ l t r b < <(grep ^window "$work/chart.txt")
convert "$work/chart.png" -crop "$((r - l))x$((b - t))+$l+$t" +repage "$out/performance-chart.png"
cp "$work/chart.png" "$out/desktop.png"
# The icon resources themselves, enlarged 6x on the taskbar's grey.
sheet=()
for name in ICON1616 KORVIXICON STATUSNORMAL STATUSIDLE STATUSWORK STATUSOFF; do
    convert "$build/src/tray/icons/$name.ico" -background '#c0c0c0' -flatten -filter point -resize 600% \
        -bordercolor '#c0c0c0' -border 6 "$work/$name-big.png"
    sheet+=("$work/$name-big.png")
done
convert "${sheet[@]}" +append "$out/icon-resources.png"
echo "written: $out/tray-icons.png $out/performance-chart.png $out/desktop.png $out/icon-resources.png"
