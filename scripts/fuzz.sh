#!/usr/bin/env bash
# The skin engine under libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer, built
# natively with clang-14 (the format, image, layout, animation and raster code has no Windows
# headers). Two targets:
#   skin_fuzz        the loader: any bytes parsed as a skin (tests/fuzz/SkinFuzz.cpp)
#   skin_paint_fuzz  what runs after loading: layout, animations to their end, scroll
#                    arithmetic and painting into memory at 96, 144 and 192 DPI
#                    (tests/fuzz/SkinPaintFuzz.cpp)
#   scripts/fuzz.sh run      fuzz each target for FUZZ_SECONDS (default 60; FUZZ_TARGETS picks
#                            some) from its seed corpus and the shipped skins; a finding is saved
#                            in tests/fuzz/findings as TARGET-... and fails
#   scripts/fuzz.sh replay   run every corpus file, past finding and skin fixture once (make test)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-run}
out=$root/build/fuzz
findings=$root/tests/fuzz/findings
mkdir -p "$out" "$findings"
format=("$root"/src/skin/uSkinLexer.cpp "$root"/src/skin/uSkinFormat.cpp "$root"/src/skin/uSkinModel.cpp
        "$root"/src/skin/uSkinImages.cpp "$root"/src/skin/uSkinRaster.cpp "$root"/src/skin/uSkinScrollBar.cpp)
declare -A sources=(
    [skin_fuzz]="${format[*]} $root/tests/fuzz/SkinFuzz.cpp"
    [skin_paint_fuzz]="${format[*]} $root/src/skin/uSkinLayout.cpp $root/src/skin/uSkinAnimation.cpp $root/src/skin/uSkinCompose.cpp $root/tests/fuzz/SkinPaintFuzz.cpp"
)
# The seeds of each target: the paint target also starts from skins with large images.
declare -A seeds=([skin_fuzz]="$root/tests/fuzz/corpus" [skin_paint_fuzz]="$root/tests/fuzz/corpus $root/tests/fuzz/corpus-paint")
declare -A maxlen=([skin_fuzz]=65536 [skin_paint_fuzz]=1048576)
targets=(${FUZZ_TARGETS:-skin_fuzz skin_paint_fuzz})

build() {
    local target=$1 fuzzer=$out/$1 stale=0
    [ -x "$fuzzer" ] || stale=1
    for f in ${sources[$target]} "$root"/src/skin/*.h "$root"/src/framework/*.h; do [ "$f" -nt "$fuzzer" ] && stale=1; done
    if [ $stale = 1 ]; then
        clang++-14 -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
            -isystem /usr/include/stb -I"$root/src" ${sources[$target]} -o "$fuzzer" ||
            { echo "fuzz: $target: build failed" >&2; return 1; }
    fi
}

# AddressSanitizer keeps freed memory aside to catch late uses (256 MB by default); 64 MB keeps
# that check and leaves the RSS limit below to the code's own memory.
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0:quarantine_size_mb=64
# 256 MB per allocation at most: code that allocates beyond it is a finding; so is an input
# that takes longer than its budget, sanitizers included (about six times the native time):
# 10 s to load, 30 s to load and make seven full paints of the largest form the limits allow.
limits=(-rss_limit_mb=512 -malloc_limit_mb=256)
declare -A timeout=([skin_fuzz]=10 [skin_paint_fuzz]=30)

# A finding leaves a test unit or a sanitizer's report in the log; a non-zero status without
# either is libFuzzer refusing to start (a bad option, a missing folder), not a finding.
is_finding() { grep -qE 'Test unit written to|^==[0-9]+==ERROR|ERROR: libFuzzer|SUMMARY: (Address|UndefinedBehavior)Sanitizer' "$1"; }

if [ "$mode" = replay ]; then
    fixtures=("$root"/tests/unit/skin/fixtures/*.skn)
    for target in "${targets[@]}"; do
        build "$target" || exit 1
        files=()
        for dir in ${seeds[$target]}; do files+=("$dir"/*); done
        files+=("$findings"/* "${fixtures[@]}")
        existing=()
        for f in "${files[@]}"; do [ -f "$f" ] && existing+=("$f"); done
        log=$out/replay-$target.log
        "$out/$target" "${limits[@]}" -timeout="${timeout[$target]}" "${existing[@]}" >"$log" 2>&1
        status=$?
        if [ $status -ne 0 ]; then tail -40 "$log"; echo "fuzz replay: $target FAILED" >&2; exit 1; fi
        echo "fuzz replay: $target: ${#existing[@]} inputs replayed, no finding"
    done
    exit 0
fi

seconds=${FUZZ_SECONDS:-60}
failed=0
for target in "${targets[@]}"; do
    build "$target" || exit 1
    work=$out/corpus-$target
    mkdir -p "$work"
    for skin in "$root"/build/win32/skins/*.skn "$root"/build/win64/skins/*.skn "$root"/tests/unit/skin/fixtures/*.skn; do
        [ -f "$skin" ] && [ "$(stat -c %s "$skin")" -le "${maxlen[$target]}" ] && cp "$skin" "$work/"
    done
    log=$out/fuzz-$target.log
    start=$(date +%s)
    "$out/$target" "${limits[@]}" -timeout="${timeout[$target]}" -max_len="${maxlen[$target]}" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$findings/$target-" "$work" ${seeds[$target]} >"$log" 2>&1
    status=$?
    runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$')
    cov=$(grep -oE '(#[0-9]+ +DONE|pulse) +cov: [0-9]+ ft: [0-9]+' "$log" | tail -1 | grep -oE 'cov: [0-9]+ ft: [0-9]+')
    echo "fuzz: $target: ${runs:-?} executions in $(( $(date +%s) - start )) s, ${cov:-cov: ?}, corpus $(ls "$work" | wc -l) inputs"
    if [ $status -ne 0 ]; then
        if is_finding "$log"; then
            grep -E 'ERROR|SUMMARY|Test unit written' "$log" | head -20
            echo "fuzz: $target: FINDING (saved in tests/fuzz/findings; fix it and keep the file as a regression input)" >&2
            failed=1
        else
            tail -5 "$log" >&2
            echo "fuzz: $target: libFuzzer did not run (status $status, no finding); see $log" >&2
            exit 2
        fi
    fi
done
[ $failed = 0 ] || exit 1
echo "fuzz: no findings"
