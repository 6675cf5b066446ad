# Wine helpers shared by the test, run and bench scripts (source it from bash).
#
#   korvix_template [win32]  build the template prefix once (cached, ~8 s natively); with win32
#                            the template of a 32-bit Windows, in build/wine/template32. Where
#                            32-bit programs run under emulation, a 64-bit Windows able to run
#                            them has its own template (build/wine/template-wow, minutes to build)
#   korvix_prefix_new DIR [win32]
#                            clone the template into DIR (~0.05 s): a private, throw-away prefix
#   korvix_xvfb_start        start Xvfb on a free display, export DISPLAY and KORVIX_SCREEN (the
#                            file that holds the screen's pixels)
#   korvix_screenshot FILE   the screen as it is, into FILE (PNG)
#   korvix_wine_start        start the prefix's wineserver and services, detached from our pipes
#   korvix_wine_stop         end every process of the prefix and write its registry to disk
#   korvix_xvfb_stop
#   korvix_session NAME [win32]
#                            all of it for one script run: Xvfb, a throw-away prefix under /tmp
#                            and its wineserver, ended and removed when the script exits

KORVIX_ROOT=${KORVIX_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
KORVIX_WINE_DIR=${KORVIX_WINE_DIR:-$KORVIX_ROOT/build/wine}
KORVIX_TEMPLATE=$KORVIX_WINE_DIR/template
KORVIX_TEMPLATE32=$KORVIX_WINE_DIR/template32
KORVIX_DESKTOP=${KORVIX_DESKTOP:-1024x768}
export WINEDEBUG=${WINEDEBUG:--all}

# Some machines (sandboxed kernels) cannot execute 32-bit Linux programs, so Wine's 32-bit
# half cannot run there natively. Where scripts/setup.sh could register qemu-user-static for
# i386 programs (binfmt_misc), they run under emulation: correct but slow (a 32-bit program
# takes about a minute to start), so the scripts then keep 64-bit Wine for everything 64-bit
# and give 32-bit programs only to what needs them (make test32). Elsewhere Wine runs
# 64-bit only. The scripts and the end-to-end tests read:
#   KORVIX_WIN32_RUNS=1|0      whether 32-bit Windows programs run at all
#   KORVIX_WIN32_EMULATED=1|0  whether they run under qemu's emulation
# Set KORVIX_WIN32_RUNS=0 to run 64-bit only anyway.
korvix_i386_emulated() {
    local entry
    for entry in /proc/sys/fs/binfmt_misc/*; do
        [ -f "$entry" ] && grep -qx enabled "$entry" 2>/dev/null && grep -q '^interpreter .*qemu-i386' "$entry" &&
            return 0
    done
    return 1
}
if [ -z "${KORVIX_WIN32_RUNS:-}" ]; then
    if /usr/lib/wine/wine --version >/dev/null 2>&1; then KORVIX_WIN32_RUNS=1; else KORVIX_WIN32_RUNS=0; fi
fi
if [ "$KORVIX_WIN32_RUNS" = 0 ]; then
    KORVIX_WIN32_EMULATED=0
elif [ -z "${KORVIX_WIN32_EMULATED:-}" ]; then
    if korvix_i386_emulated; then KORVIX_WIN32_EMULATED=1; else KORVIX_WIN32_EMULATED=0; fi
fi
export KORVIX_WIN32_RUNS KORVIX_WIN32_EMULATED
# Debian's `wine` starts every program through the 32-bit loader when wine32 is installed:
# without it, or under emulation where it costs a minute, 64-bit Wine starts them (it hands a
# 32-bit program on to the 32-bit loader itself).
if [ "$KORVIX_WIN32_RUNS" = 0 ] || [ "$KORVIX_WIN32_EMULATED" = 1 ]; then
    case ":$PATH:" in *":$KORVIX_ROOT/scripts/wine64-only:"*) ;; *) export PATH="$KORVIX_ROOT/scripts/wine64-only:$PATH" ;; esac
fi
# No Mono/Gecko prompt; no menu entries or file associations written to the Linux home
# when a program creates a shortcut.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

korvix_winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }

# 64-bit Windows: the template of what runs now (32-bit programs natively, emulated, or not
# at all: a prefix built without its 32-bit half cannot run them later).
korvix_template_dir() {
    if [ "${1:-}" = win32 ]; then
        echo "$KORVIX_TEMPLATE32"
    elif [ "$KORVIX_WIN32_RUNS" = 1 ] && [ "$KORVIX_WIN32_EMULATED" = 1 ]; then
        echo "$KORVIX_WINE_DIR/template-wow"
    else
        echo "$KORVIX_TEMPLATE"
    fi
}

korvix_template() {
    local arch=${1:-} template
    template=$(korvix_template_dir "$arch")
    # A wine upgrade, a new desktop size or another way of running 32-bit programs makes a new
    # template.
    local key="$(wine --version) $KORVIX_DESKTOP v2${arch:+ $arch} win32:$KORVIX_WIN32_RUNS$KORVIX_WIN32_EMULATED"
    [ "$(cat "$template/.korvix_ready" 2>/dev/null)" = "$key" ] && return 0
    # Parallel test workers share the template: one builds it, the others wait for it.
    mkdir -p "$KORVIX_WINE_DIR"
    (
        flock 9
        [ "$(cat "$template/.korvix_ready" 2>/dev/null)" = "$key" ] && exit 0
        korvix_template_build "$template" "$arch" "$key"
    ) 9>"$template.lock"
}

korvix_template_build() {
    local template=$1 arch=$2 key=$3
    echo "wine: building the template prefix in $template" >&2
    rm -rf "$template"
    (
        unset DISPLAY   # no X needed, and no window appears
        export WINEPREFIX=$template
        [ -n "$arch" ] && export WINEARCH=$arch
        # A prefix that did not come up would make every test fail later with a riddle.
        if ! wineboot -i </dev/null >/dev/null 2>&1; then
            echo "wine: wineboot could not create the template prefix in $template" >&2
            exit 1
        fi
        # Every process of a prefix lands on ONE virtual desktop with a taskbar, so helper
        # processes see the program's windows and the tray exists.
        # Arial is mapped to the metric-compatible Liberation Sans so text measures as on Windows.
        cat >"$template/korvix.reg" <<REG
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]
"Default"="$KORVIX_DESKTOP"

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"Arial"="Liberation Sans"
REG
        wine regedit /S "$(korvix_winpath "$template/korvix.reg")" </dev/null >/dev/null 2>&1 ||
            { echo "wine: the template's desktop and font settings could not be imported" >&2; exit 1; }
        # Debian's wine does not find fonts-wine by itself (caption buttons would draw as letters).
        cp /usr/share/wine/fonts/* "$template/drive_c/windows/Fonts/" 2>/dev/null
        wineserver -k; wineserver -w
        # The registry is written when the server ends.
        [ -f "$template/system.reg" ] || { echo "wine: the template prefix has no registry" >&2; exit 1; }
    ) || return 1
    echo "$key" >"$template/.korvix_ready"
}

korvix_prefix_new() {
    local dir=$1 template f
    template=$(korvix_template_dir "${2:-}")
    rm -rf "$dir"; mkdir -p "$(dirname "$dir")"
    # Hard-link the large immutable part; real copies of what Wine rewrites in place. Links
    # cannot cross file systems (a temporary folder on tmpfs): the whole template is copied then.
    if ! cp -al "$template" "$dir" 2>/dev/null; then
        rm -rf "$dir"
        cp -a "$template" "$dir" || return 1
    fi
    for f in system.reg user.reg userdef.reg .update-timestamp drive_c/windows/win.ini drive_c/windows/system.ini; do
        [ -e "$template/$f" ] && cp -a --remove-destination "$template/$f" "$dir/$f"
    done
    rm -rf "$dir/drive_c/users" && cp -a "$template/drive_c/users" "$dir/drive_c/"
    export WINEPREFIX=$dir
}

korvix_xvfb_start() {
    local file i
    file=$(mktemp)
    # The screen lives in a file (XWD format) that korvix_screenshot reads as it is: xwd and
    # other X clients compose the screen window by window where windows have colormaps of
    # their own, as Wine's have, and leave popups over another window (a menu, the help popup)
    # black although they show on the screen. No pointer is drawn into it (-nocursor): it would
    # cover what was just clicked.
    KORVIX_SCREEN_DIR=$(mktemp -d /tmp/korvix-screen.XXXXXX)
    Xvfb -displayfd 3 -screen 0 "${KORVIX_DESKTOP}x24" -fbdir "$KORVIX_SCREEN_DIR" -nocursor -nolisten tcp -noreset \
        3>"$file" >/dev/null 2>&1 &
    KORVIX_XVFB_PID=$!
    for i in $(seq 1 200); do [ -s "$file" ] && break; sleep 0.05; done
    export DISPLAY=:$(head -1 "$file")
    export KORVIX_SCREEN=$KORVIX_SCREEN_DIR/Xvfb_screen0
    rm -f "$file"
}

korvix_xvfb_stop() {
    [ -n "${KORVIX_XVFB_PID:-}" ] || return 0
    kill "$KORVIX_XVFB_PID" 2>/dev/null; wait "$KORVIX_XVFB_PID" 2>/dev/null
    KORVIX_XVFB_PID=
    rm -rf "${KORVIX_SCREEN_DIR:-}"
}

# korvix_screenshot FILE: the screen as it is (our Xvfb's own pixels); on another display, as
# ImageMagick's import composes it.
korvix_screenshot() {
    if [ -n "${KORVIX_SCREEN:-}" ] && [ -f "$KORVIX_SCREEN" ]; then
        convert "xwd:$KORVIX_SCREEN" "png:$1"
    else
        import -window root "png:$1"
    fi
}

korvix_wine_start() {
    # Started here with detached streams: services spawned by a process that ctest started
    # would inherit ctest's output pipe and keep it open for ever.
    wineserver -p </dev/null >/dev/null 2>&1
    wine cmd /c exit </dev/null >/dev/null 2>&1
}

korvix_wine_stop() {
    # No wineserver left to end is fine (an exit trap under set -e would otherwise fail the script).
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
}

korvix_session() {
    KORVIX_SESSION_DIR=$(mktemp -d "/tmp/korvix-$1.XXXXXX")
    trap 'korvix_wine_stop; korvix_xvfb_stop; rm -rf "$KORVIX_SESSION_DIR"' EXIT
    korvix_xvfb_start
    korvix_prefix_new "$KORVIX_SESSION_DIR/prefix" "${2:-}"
    export KORVIX_WINEPREFIX=$WINEPREFIX
    korvix_wine_start
}
