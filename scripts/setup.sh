#!/usr/bin/env bash
# Installs every Debian package the build and the tests need. Quick no-op when all are present.
#
# scripts/setup.sh win32: on a machine whose kernel refuses 32-bit Linux programs (so Wine's
# 32-bit half cannot start), it also installs qemu-user-static and registers it for i386
# programs with binfmt_misc, so 32-bit Windows programs run there too, under emulation and
# slowly (scripts/wine-lib.sh tells the scripts which). Where binfmt_misc cannot be used, or
# with KORVIX_WIN32_RUNS=0, Wine stays 64-bit only. On such a machine make test needs no 32-bit
# Wine at all, and setup installs none for it.
set -euo pipefail

packages=(
    g++-mingw-w64-i686 g++-mingw-w64-x86-64 mingw-w64-tools binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    cmake make googletest clang-tidy-14 clang-format-14
    wine wine64 fonts-wine fonts-liberation
    xvfb xauth xdotool x11-apps imagemagick
    fp-utils python3 python3-pytest python3-pytest-xdist bc procps
    libstb-dev librsvg2-bin clang-14 libclang-rt-14-dev
    nsis
)

QEMU_I386=/usr/bin/qemu-i386-static
BINFMT=/proc/sys/fs/binfmt_misc
# The i386 ELF header qemu's own binfmt set-up matches (ELF32, little endian, executable or
# shared object, machine 3), with F: the kernel opens the interpreter now, so it is found in
# every mount namespace and chroot later.
I386_ENTRY=":qemu-i386:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$QEMU_I386:F"

missing_of() {
    local p
    for p in "$@"; do
        # dpkg-query prints the status of the exact arch-qualified name when installed
        if ! dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
            echo "$p"
        fi
    done
}

install_packages() {
    [ $# -eq 0 ] && return 0
    if [ "$(id -u)" != 0 ]; then
        echo "setup: missing packages: $*; run as root (or: sudo $0)" >&2
        exit 1
    fi
    echo "setup: installing $*" >&2
    export DEBIAN_FRONTEND=noninteractive
    if [[ " $* " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        dpkg --add-architecture i386
        updated=0
    fi
    # Lists already there (a prepared image) save the download; stale ones are refreshed.
    if [ "${updated:-}" = 0 ] || ! ls /var/lib/apt/lists/*_Packages >/dev/null 2>&1; then
        apt-get update -qq
        updated=1
    fi
    # Without a sync after every unpacked file: a fresh machine's set-up is mostly dpkg's.
    local apt=(apt-get install -y -qq --no-install-recommends -o Dpkg::Options::=--force-unsafe-io)
    if ! "${apt[@]}" "$@" >/dev/null; then
        [ "${updated:-}" = 1 ] && exit 1
        apt-get update -qq
        updated=1
        "${apt[@]}" "$@" >/dev/null
    fi
}

# ---- 32-bit programs: native, emulated, or not at all ----
# Whether the kernel runs a 32-bit program: the smallest i386 ELF that exits with 0 (no 32-bit
# package needed to ask). Through a qemu entry it runs too, emulated.
kernel_runs_32bit() {
    local probe status
    probe=$(mktemp)
    printf '\177\105\114\106\001\001\001\000\000\000\000\000\000\000\000\000\002\000\003\000\001\000\000\000\124\200\004\010\064\000\000\000\000\000\000\000\000\000\000\000\064\000\040\000\001\000\000\000\000\000\000\000\001\000\000\000\000\000\000\000\000\200\004\010\000\200\004\010\135\000\000\000\135\000\000\000\005\000\000\000\000\020\000\000\061\333\270\001\000\000\000\315\200' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    status=$?
    rm -f "$probe"
    return $status
}
emulated_entry() { grep -qsx enabled "$BINFMT/qemu-i386"; }
# binfmt_misc can be used when the kernel has it and we may mount and write it. Mounted also
# where 32-bit programs run, so wine-lib.sh can tell whether qemu runs them (a chroot sees the
# kernel's entries but not their folder until it mounts it).
binfmt_ready() {
    [ "$(id -u)" = 0 ] && grep -qw binfmt_misc /proc/filesystems || return 1
    [ -e "$BINFMT/register" ] || mount -t binfmt_misc binfmt_misc "$BINFMT" 2>/dev/null
}
# Only what runs 32-bit programs asks for them where they are emulated or refused (setup.sh
# win32: make test32, make run ARCH=win32, make bench): make test keeps to native speed there,
# installs no 32-bit Wine and writes no kernel-wide entry. KORVIX_WIN32_RUNS=0: 64-bit only by
# choice.
want32=0
[ "${1:-}" = win32 ] && [ "${KORVIX_WIN32_RUNS:-}" != 0 ] && want32=1
native32=0
if kernel_runs_32bit; then
    binfmt_ready || true
    emulated_entry || native32=1
fi
[ $native32 = 1 ] || [ $want32 = 1 ] && packages+=(wine32:i386)

mapfile -t missing < <(missing_of "${packages[@]}")
install_packages "${missing[@]}"

runs_32bit() { /usr/lib/wine/wine --version >/dev/null 2>&1; }
[ $want32 = 1 ] || exit 0
# KORVIX_WIN32_EMULATE=1 inside make test32's own binfmt_misc (KORVIX_WIN32_PRIVATE=1): qemu
# runs the 32-bit programs even where the kernel would, to try the emulated path on any machine
# (an entry of binfmt_misc comes before the kernel's own loader).
force=0
[ "${KORVIX_WIN32_EMULATE:-}" = 1 ] && [ "${KORVIX_IN_PRIVATE_BINFMT:-}" = 1 ] && force=1
[ $force = 0 ] && runs_32bit && exit 0
binfmt_ready || exit 0   # Wine runs 64-bit only (wine-lib.sh says so)
mapfile -t missing < <(missing_of qemu-user-static)
install_packages "${missing[@]}"
if [ -e "$BINFMT/qemu-i386" ]; then
    # Registered before (kernel state outlives the clone that wrote it): switched off, or
    # pointing elsewhere. Replaced by ours.
    echo -1 >"$BINFMT/qemu-i386" 2>/dev/null || true
fi
echo "setup: registering $QEMU_I386 for 32-bit programs (binfmt_misc entry qemu-i386;" \
    "remove it with: echo -1 > $BINFMT/qemu-i386)" >&2
if ! printf '%s' "$I386_ENTRY" >"$BINFMT/register" 2>/dev/null; then
    echo "setup: binfmt_misc refused the i386 entry; Wine runs 64-bit only" >&2
    exit 0
fi
if ! runs_32bit; then
    echo "setup: 32-bit programs still do not run under $QEMU_I386; entry removed, Wine runs 64-bit only" >&2
    echo -1 >"$BINFMT/qemu-i386" 2>/dev/null || true
fi
exit 0
