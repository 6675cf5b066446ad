#!/bin/bash
# Screenshots of the shipped skins into docs/screens/: every page of the Korvix form as the
# program shows it (page button pressed, animations played), at 100 % and 200 % display scale
# (LogPixels 96 and 192), under Xvfb and Wine. The dialogs: tools/dialog_screenshots.sh.
#   tools/shipped_skin_screenshots.sh [SKIN...]      (default: every skin in dist/win32 but test.skn;
#                                           needs `make build` and build/win32's skinshot target)
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
shot=$root/build/win32/tools/skinshot/skinshot.exe
out=$root/docs/screens
[ -f "$shot" ] || { echo "build skinshot first: cmake --build build/win32 --target skinshot" >&2; exit 1; }
skins=("$@")
[ ${#skins[@]} -gt 0 ] || skins=($(ls "$root"/dist/win32/*.skn | grep -v '/test\.skn$'))
mkdir -p "$out"

. "$root/tools/screens-session.sh"

# Page name, then the skinshot arguments that open it as the program does. "states" adds the
# keyboard focus mark (on the manual slider) and a hot look (the second preset's amount).
pages=(
    "home|"
    "manual|--press manual --show manual_show"
    "regular|--press regular --show regular_show --show idle_show"
    "critical|--press critical --show critical_show --show idle_show"
    "startup|--press startup --show startup_show --show idle_show"
    "monitor|--press monitor --show monitor_show"
    "misc|--press misc --show misc_show"
    "about|--show about_show"
    "states|--press manual --show manual_show --tab 11 --hover set_value2"
)
for dpi in 96 192; do
    pct=$((dpi * 100 / 96))
    korvix_prefix_new "$work/prefix-$dpi"
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null 2>&1
    korvix_wine_stop || true
    korvix_wine_start
    for skin in "${skins[@]}"; do
        name=$(basename "$skin" .skn)
        for entry in "${pages[@]}"; do
            page=${entry%%|*}
            wine "$shot" form "$(korvix_winpath "$skin")" "$(korvix_winpath "$out/$name-$page-$pct.png")" ${entry#*|} |
                tr -d '\r'
        done
        # The dialogs are the program's own: tools/dialog_screenshots.sh.
    done
    korvix_wine_stop || true
done
ls "$out"
