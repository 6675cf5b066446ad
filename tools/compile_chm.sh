#!/bin/sh
# compile_chm.sh SOURCE_DIR PROJECT.hhp OUTPUT.chm
# Compiles an HTML help project with chmcmd in a scratch copy of its folder. chmcmd answers 0
# even for a missing project or file, so any warning or error in its output fails the build.
set -eu
src=$1 project=$2 out=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$src"/. "$work"/
compiled=$(sed -n 's/^Compiled file=//p' "$work/$project" | tr -d '\r')
log=$work/chmcmd.log
if ! (cd "$work" && chmcmd "$project") >"$log" 2>&1 ||
    grep -qiE 'warning|error|exception|can.t find' "$log" || [ ! -s "$work/$compiled" ]; then
    grep -v '^chmcmd, a CHM compiler' "$log" >&2
    echo "compile_chm.sh: $project did not compile cleanly" >&2
    exit 1
fi
cp "$work/$compiled" "$out"
