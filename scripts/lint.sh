#!/usr/bin/env bash
# make lint: the layout (.clang-format), the include rules of the layers, and clang-tidy
# (.clang-tidy) over every source file of the 32-bit build, which it parses as the mingw
# compiler does. Prints nothing but findings; exits 1 on any.
# lint.sh quick (make test): the layout and the layers only, in seconds; clang-tidy takes
# minutes of both cores (make lint and make test-long run it).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
quick=0
[ "${1:-}" = quick ] && quick=1
# clang-tidy reads the compile command of each source file: from a configuration of its own
# without unity batches (the builds compile batches of files, whose commands name no source).
build=$root/build/lint
cd "$root"
status=0

# The C++ files under the given folders, sorted (git is not needed).
sources() { find "$@" -type f \( -name '*.cpp' -o -name '*.h' \) | sort; }
mapfile -t all < <(sources src tests bench)

# ---- Layout ----
clang-format-14 --dry-run -Werror "${all[@]}" || { echo "lint: run clang-format-14 -i on the files above" >&2; status=1; }

# ---- Layers: a folder includes only its own headers and those of the layers below it ----
python3 - "${all[@]}" <<'PY' || status=1
import re, sys
below = {
    "framework": [],
    "probes": ["framework"],
    "settings": ["framework"],
    "legacy": ["framework", "probes", "settings"],
    "tray": ["framework", "probes", "settings", "legacy"],
    "skin": ["framework"],
    "engine": ["framework", "probes", "settings", "legacy", "tray", "skin"],
    "help": ["framework"],
    "ui": ["framework", "probes", "settings", "legacy", "tray", "skin", "engine", "help"],
    "shell": ["framework", "probes", "settings", "legacy", "tray", "skin", "engine", "help", "ui"],
}
bad = 0
for path in sys.argv[1:]:
    parts = path.split("/")
    if parts[0] != "src" or parts[1] not in below:
        continue
    allowed = set(below[parts[1]] + [parts[1]])
    for n, line in enumerate(open(path, encoding="utf-8"), 1):
        m = re.match(r'\s*#\s*include\s+"([^/"]+)/([^"]+)"', line)
        if m and m.group(1) not in allowed:
            print(f"{path}:{n}: {parts[1]} must not include {m.group(1)}/ (a layer above it)")
            bad = 1
sys.exit(bad)
PY

# ---- clang-tidy, with the mingw compiler's own C++ headers ----
if [ $quick = 1 ]; then
    [ $status = 0 ] || echo "lint: findings above" >&2
    exit $status
fi
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-i686.cmake" -DKORVIX_UNITY=OFF \
    >/dev/null || exit 1
extra=(--extra-arg-before=--target=i686-w64-mingw32)
while read -r dir; do
    case $dir in */include/c++*) extra+=("--extra-arg=-isystem$dir") ;; esac
done < <(i686-w64-mingw32-g++-posix -xc++ -E -v - </dev/null 2>&1 | sed -n '/#include <...>/,/End of search/p' |
    sed 's/^ //')
mapfile -t units < <(sources src | grep '\.cpp$')
printf '%s\n' "${units[@]}" |
    xargs -P "$(nproc)" -n 4 clang-tidy-14 -p "$build" --quiet "${extra[@]}" 2>/dev/null |
    grep -E -A3 '(warning|error):' && status=1
[ $status = 0 ] || echo "lint: findings above" >&2
exit $status
