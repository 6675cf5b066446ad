# Wine helpers shared by the test, run and bench scripts (source it from bash).
#
#   korvix_template          build the template prefix once (cached, ~8 s)
#   korvix_prefix_new DIR    clone the template into DIR (~0.05 s): a private, throw-away prefix
#   korvix_xvfb_start        start Xvfb on a free display, export DISPLAY
#   korvix_wine_start        start the prefix's wineserver and services, detached from our pipes
#   korvix_wine_stop         end every process of the prefix and write its registry to disk
#   korvix_xvfb_stop
#   korvix_session NAME      all of it for one script run: Xvfb, a throw-away prefix under /tmp
#                            and its wineserver, ended and removed when the script exits

KORVIX_ROOT=${KORVIX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
KORVIX_WINE_DIR=${KORVIX_WINE_DIR:-$KORVIX_ROOT/build/wine}
KORVIX_TEMPLATE=$KORVIX_WINE_DIR/template
KORVIX_DESKTOP=${KORVIX_DESKTOP:-1024x768}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

korvix_winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }

korvix_template() {
    # A wine upgrade or a new desktop size makes a new template.
    local key="$(wine --version) $KORVIX_DESKTOP v2"
    [ "$(cat "$KORVIX_TEMPLATE/.korvix_ready" 2>/dev/null)" = "$key" ] && return 0
    echo "wine: building the template prefix in $KORVIX_TEMPLATE" >&2
    rm -rf "$KORVIX_TEMPLATE"; mkdir -p "$KORVIX_WINE_DIR"
    (
        unset DISPLAY   # no X needed, and no window appears
        export WINEPREFIX=$KORVIX_TEMPLATE
        wineboot -i </dev/null >/dev/null 2>&1
        # Every process of a prefix lands on ONE virtual desktop with a taskbar, so helper
        # processes see the program's windows and the tray exists.
        # Arial is mapped to the metric-compatible Liberation Sans so text measures as on Windows.
        cat >"$KORVIX_TEMPLATE/korvix.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"Default"="$KORVIX_DESKTOP"

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"Arial"="Liberation Sans"
REG
        wine regedit /S "$(korvix_winpath "$KORVIX_TEMPLATE/korvix.reg")" </dev/null >/dev/null 2>&1
        # Debian's wine does not find fonts-wine by itself (caption buttons would draw as letters).
        cp /usr/share/wine/fonts/* "$KORVIX_TEMPLATE/drive_c/windows/Fonts/" 2>/dev/null
        wineserver -k; wineserver -w
    ) || return 1
    echo "$key" >"$KORVIX_TEMPLATE/.korvix_ready"
}

korvix_prefix_new() {
    local dir=$1 f
    rm -rf "$dir"; mkdir -p "$(dirname "$dir")"
    # Hard-link the large immutable part; real copies of what Wine rewrites in place.
    cp -al "$KORVIX_TEMPLATE" "$dir"
    for f in system.reg user.reg userdef.reg .update-timestamp drive_c/windows/win.ini drive_c/windows/system.ini; do
        [ -e "$KORVIX_TEMPLATE/$f" ] && cp -a --remove-destination "$KORVIX_TEMPLATE/$f" "$dir/$f"
    done
    rm -rf "$dir/drive_c/users" && cp -a "$KORVIX_TEMPLATE/drive_c/users" "$dir/drive_c/"
    export WINEPREFIX=$dir
}

korvix_xvfb_start() {
    local file i
    file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "${KORVIX_DESKTOP}x24" -nolisten tcp -noreset 3>"$file" >/dev/null 2>&1 &
    KORVIX_XVFB_PID=$!
    for i in $(seq 1 200); do [ -s "$file" ] && break; sleep 0.05; done
    export DISPLAY=:$(head -1 "$file")
    rm -f "$file"
}

korvix_xvfb_stop() {
    [ -n "${KORVIX_XVFB_PID:-}" ] || return 0
    kill "$KORVIX_XVFB_PID" 2>/dev/null; wait "$KORVIX_XVFB_PID" 2>/dev/null
    KORVIX_XVFB_PID=
}

korvix_wine_start() {
    # Started here with detached streams: services spawned by a process that ctest started
    # would inherit ctest's output pipe and keep it open for ever.
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
}

korvix_wine_stop() {
    wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
}

korvix_session() {
    KORVIX_SESSION_DIR=$(mktemp -d "/tmp/korvix-$1.XXXXXX")
    trap 'korvix_wine_stop; korvix_xvfb_stop; rm -rf "$KORVIX_SESSION_DIR"' EXIT
    korvix_xvfb_start
    korvix_prefix_new "$KORVIX_SESSION_DIR/prefix"
    export KORVIX_WINEPREFIX=$WINEPREFIX
    korvix_wine_start
}
