#!/bin/bash
# Screenshots of the real program's tray icons at 100 % and 200 % display scale (Wine's
# LogPixels 96 and 192) and of the balloon after a hotkey free-up, into docs/screens/:
# tray-100.png, tray-200.png (the right end of the taskbar, pixels as shown) and
# balloon-100.png, balloon-200.png; tray-icons-dpi.png puts the two trays side by side.
#   tools/tray_dpi_screenshots.sh [Korvix.exe]     (default dist/win64/Korvix.exe)
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:-$root/dist/win64/Korvix.exe}
out=$root/docs/screens
work=$(mktemp -d)
[ -f "$exe" ] || { echo "build first: $exe is missing" >&2; exit 1; }
mkdir -p "$out"

. "$root/scripts/wine-lib.sh"
korvix_template
korvix_xvfb_start
trap 'korvix_wine_stop || true; korvix_xvfb_stop; rm -rf "$work"' EXIT
total_mb=$(awk '/MemTotal/ { printf "%d", $2 / 1024 + 0.99 }' /proc/meminfo)

# shoot SCALE: a fresh prefix at that scale, Korvix with its three icons, two screenshots.
shoot() {
    local scale=$1 dpi=$(($1 * 96 / 100))
    [ -n "${WINEPREFIX:-}" ] && { korvix_wine_stop || true; }
    korvix_prefix_new "$work/prefix-$scale"
    cat >"$work/options.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Control Panel\\Desktop]
"LogPixels"=dword:$(printf %08x $dpi)

[HKEY_CURRENT_USER\\Software\\Tarvendel\\Korvix Professional 5]
"Use Defaults"=dword:00000000
"BackgroundActivity"=dword:00000000
"CPU Monitoring"=dword:00000001
"MemoryIcon"=dword:00000001
"MemoryIconStyle"=dword:00000001
"ShowUsedMemory"=dword:00000000
"CPUIconStyle"=dword:00000003
"ProgramIcon"=dword:00000001
"Chart Interval"=dword:000000fa
"Amount1"=dword:$(printf %08x $((total_mb - 64)))
REG
    wine regedit /S "$(korvix_winpath "$work/options.reg")" </dev/null >/dev/null 2>&1
    # Wine reads the scale when its session starts.
    korvix_wine_stop || true
    korvix_wine_start
    wine "$exe" </dev/null >/dev/null 2>&1 &
    sleep 8  # the chart fills with samples (four a second)
    korvix_screenshot "$work/tray-$scale.png"
    # The hotkey reaches Wine while X focus is on its desktop window.
    xdotool windowfocus --sync "$(xdotool search --name 'Wine desktop' | head -1)"
    xdotool key ctrl+alt+d
    sleep 6  # the free-up, the settling second, the balloon
    korvix_screenshot "$work/balloon-$scale.png"
    wine "$exe" quit </dev/null >/dev/null 2>&1 || true
}

shoot 100
shoot 200
# The taskbar's right end: its height follows the scale.
convert "$work/tray-100.png" -gravity southeast -crop 160x40+0+0 +repage "$out/tray-100.png"
convert "$work/tray-200.png" -gravity southeast -crop 320x80+0+0 +repage "$out/tray-200.png"
convert "$work/balloon-100.png" -gravity southeast -crop 460x160+0+0 +repage "$out/balloon-100.png"
convert "$work/balloon-200.png" -gravity southeast -crop 920x320+0+0 +repage "$out/balloon-200.png"
convert "$out/tray-100.png" -background white -gravity south -extent 320x80 "$out/tray-200.png" +append \
    "$out/tray-icons-dpi.png"
echo "written: $out/tray-100.png $out/tray-200.png $out/balloon-100.png $out/balloon-200.png $out/tray-icons-dpi.png"
