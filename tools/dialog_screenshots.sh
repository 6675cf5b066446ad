#!/bin/bash
# Screenshots of the program's skinned dialogs (hotkey, ask defaults, the Free-and-Run manager)
# with each shipped skin, at 100 % and 200 % display scale (LogPixels 96 and 192), under Xvfb
# and Wine, into docs/screens/<skin>-dialog-<dialog>-<scale>.png.
#   tools/dialog_screenshots.sh [BUILD_DIR] [SKIN...]   (default build/win32 and dist's default
#                                                        and dark skins; needs dialog_screen_demo)
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build/win32}" && pwd)
[ $# -gt 0 ] && shift
skins=("$@")
[ ${#skins[@]} -gt 0 ] || skins=("$build/skins/default.skn" "$build/skins/dark.skn")
demo=$build/tests/unit/ui/dialog_screen_demo.exe
out=$root/docs/screens
[ -f "$demo" ] || { echo "build dialog_screen_demo first: $demo is missing" >&2; exit 1; }
mkdir -p "$out"
. "$root/tools/screens-session.sh"

# shot DPI SKIN DIALOG FILE: runs the demo at that display scale and keeps the dialog's window.
shot() {
    local log=$work/$4.log i pid
    rm -f "$log"
    wine "$demo" "$3" "$(korvix_winpath "$2")" 4 >"$log" 2>/dev/null &
    pid=$!
    for i in $(seq 1 300); do grep -q ready "$log" 2>/dev/null && break; sleep 0.1; done
    korvix_screenshot "$work/screen.png"
    read -r _ l t r b < <(grep ^window "$log" | tr -d '\r')
    convert "$work/screen.png" -crop "$((r - l))x$((b - t))+$l+$t" +repage "$out/$4"
    wait $pid || true
}

for dpi in 96 192; do
    korvix_prefix_new "$work/prefix-$dpi"
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    korvix_wine_stop || true
    korvix_wine_start
    for skin in "${skins[@]}"; do
        name=$(basename "$skin" .skn)
        for dialog in hotkey defaults freeandrun; do
            shot "$dpi" "$skin" "$dialog" "$name-dialog-$dialog-$((dpi * 100 / 96)).png"
        done
    done
    korvix_wine_stop || true
done
echo "written: $(cd "$out" && ls ./*-dialog-*.png | tr '\n' ' ')"
