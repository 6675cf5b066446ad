# Sourced by the screenshot tools (after setting `root`): a Wine session on a desktop larger
# than the tests' own, since the 200 % windows are up to 1440 pixels wide, with its own
# template; `work` is a scratch folder. All of it goes when the script exits.
export KORVIX_DESKTOP=1600x1200 KORVIX_WINE_DIR=$root/build/wine-screens
. "$root/scripts/wine-lib.sh"
korvix_template
korvix_xvfb_start
work=$(mktemp -d)
trap 'korvix_wine_stop; korvix_xvfb_stop; rm -rf "$work"' EXIT
