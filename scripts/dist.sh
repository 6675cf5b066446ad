#!/usr/bin/env bash
# make dist: what a user downloads, made from the program folders dist/win32 and dist/win64
# (make build fills them):
#   dist/Korvix-<version>-setup.exe     per-user setup program (installer/Korvix.nsi)
#   dist/Korvix-<version>-portable.zip  both program folders and a text on what to run
# Both take what the program folders hold: Korvix.exe, the skins (*.skn) and korvix.chm.
# The version is the one the build compiled into Korvix.exe (CMakeLists.txt's project VERSION).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
stage=build/dist
version_header=build/win32/generated/korvix_version.h
icon=build/win32/src/tray/icons/APPICON.ico
for f in "$version_header" "$icon" dist/win32/Korvix.exe dist/win64/Korvix.exe; do
    [ -f "$f" ] || { echo "dist: $f is missing; run make build first" >&2; exit 1; }
done
version=$(sed -n 's/^#define KORVIX_VERSION_TEXT "\(.*\)"$/\1/p' "$version_header")
[ -n "$version" ] || { echo "dist: no version in $version_header" >&2; exit 1; }

# The program folder's shipped files, in a fixed order.
program_files() {
    (cd "dist/$1" && ls -1d Korvix.exe *.skn korvix.chm 2>/dev/null) || true
}

rm -rf "$stage"
mkdir -p "$stage"

# ---- setup program ----
files_nsh=$stage/files.nsh
{
    for arch in win32 win64; do
        echo "!macro KORVIX_FILES_${arch^^}"
        program_files "$arch" | while read -r f; do echo "    File \"dist/$arch/$f\""; done
        echo "!macroend"
    done
    # The uninstaller removes exactly what setup put in the folder.
    echo "!macro KORVIX_REMOVE_FILES"
    { program_files win32; program_files win64; } | sort -u | while read -r f; do
        echo "    Delete \"\$INSTDIR\\$f\""
    done
    echo "!macroend"
} >"$files_nsh"

# The picture of the first and last pages: the program's chip on navy, drawn for 200 % display
# scale (the page halves it at 100 %); the chip's pixels are whole multiples at both scales.
side=$stage/side.bmp
convert -size 328x628 gradient:'#24408E'-'#0B1640' \( "$icon[1]" -scale 600% \) -gravity north -geometry +0+112 \
    -composite -type TrueColor "BMP3:$side"

setup=dist/Korvix-$version-setup.exe
makensis -V2 -NOCD -DVERSION="$version" -DOUTFILE="$setup" -DICON="$icon" -DSIDE_BITMAP="$side" \
    -DFILES="$files_nsh" installer/Korvix.nsi

# ---- portable archive ----
name=Korvix-$version
portable=$stage/portable/$name
mkdir -p "$portable"
for arch in win32 win64; do
    mkdir -p "$portable/$arch"
    program_files "$arch" | while read -r f; do cp "dist/$arch/$f" "$portable/$arch/"; done
done
# Windows line ends: the text is read with Notepad.
sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' installer/portable.txt >"$portable/README.txt"
zip=dist/$name-portable.zip
rm -f "$zip"
(cd "$stage/portable" && cmake -E tar cf "$root/$zip" --format=zip "$name")

for f in "$setup" "$zip"; do
    printf 'dist: %-36s %9d bytes\n' "$f" "$(stat -c %s "$f")"
done
