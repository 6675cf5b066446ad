#!/usr/bin/env bash
# The skin loader under libFuzzer with AddressSanitizer and UndefinedBehaviorSanitizer, built
# natively with clang-14 (the format and image code has no Windows headers).
#   scripts/fuzz.sh run      fuzz for FUZZ_SECONDS (default 60) from the seed corpus and the
#                            shipped skins; a finding is saved in tests/fuzz/findings and fails
#   scripts/fuzz.sh replay   run every corpus file, past finding and skin fixture once (make test)
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mode=${1:-run}
out=$root/build/fuzz
mkdir -p "$out"
fuzzer=$out/skin_fuzz
sources=("$root"/src/skin/uSkinLexer.cpp "$root"/src/skin/uSkinFormat.cpp "$root"/src/skin/uSkinModel.cpp "$root"/src/skin/uSkinImages.cpp
         "$root"/src/skin/uSkinRaster.cpp "$root"/src/skin/uSkinScrollBar.cpp "$root"/tests/fuzz/SkinFuzz.cpp)
stale=0
[ -x "$fuzzer" ] || stale=1
for f in "${sources[@]}" "$root"/src/skin/*.h "$root"/src/framework/*.h; do [ "$f" -nt "$fuzzer" ] && stale=1; done
if [ $stale = 1 ]; then
    clang++-14 -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
        -isystem /usr/include/stb -I"$root/src" "${sources[@]}" -o "$fuzzer" || { echo "fuzz: build failed" >&2; exit 1; }
fi
export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0
# 256 MB per input at most: a loader that allocates beyond it is a finding.
limits=(-rss_limit_mb=512 -malloc_limit_mb=256 -timeout=10)

if [ "$mode" = replay ]; then
    files=("$root"/tests/fuzz/corpus/* "$root"/tests/fuzz/findings/* "$root"/tests/unit/skin/fixtures/*.skn)
    existing=()
    for f in "${files[@]}"; do [ -f "$f" ] && existing+=("$f"); done
    "$fuzzer" "${limits[@]}" "${existing[@]}" >"$out/replay.log" 2>&1
    status=$?
    if [ $status -ne 0 ]; then tail -40 "$out/replay.log"; echo "fuzz replay: FAILED" >&2; exit 1; fi
    echo "fuzz replay: ${#existing[@]} inputs replayed, no finding"
    exit 0
fi

seconds=${FUZZ_SECONDS:-60}
work=$out/corpus
mkdir -p "$work"
seeds=("$root"/tests/fuzz/corpus)
for skin in "$root"/build/win32/skins/*.skn "$root"/tests/unit/skin/fixtures/*.skn; do
    [ -f "$skin" ] && cp "$skin" "$work/"
done
start=$(date +%s)
"$fuzzer" "${limits[@]}" -max_len=65536 -max_total_time="$seconds" -print_final_stats=1 \
    -artifact_prefix="$root/tests/fuzz/findings/" "$work" "${seeds[@]}" >"$out/fuzz.log" 2>&1
status=$?
runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out/fuzz.log" | grep -o '[0-9]*$')
echo "fuzz: ${runs:-?} executions in $(( $(date +%s) - start )) s, corpus $(ls "$work" | wc -l) inputs"
if [ $status -ne 0 ]; then
    grep -E 'ERROR|SUMMARY|Test unit written' "$out/fuzz.log" | head -20
    echo "fuzz: FINDING (saved in tests/fuzz/findings; fix it and keep the file as a regression input)" >&2
    exit 1
fi
echo "fuzz: no findings"
