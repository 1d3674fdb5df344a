#!/usr/bin/env bash
# The checks that take longer than the tests: every test again under
# AddressSanitizer and UndefinedBehaviorSanitizer, then each fuzzer for a
# while from its seeds.
#   bash tools/deep-checks.sh [seconds per fuzzer]      (default: 60)
set -euo pipefail
seconds=${1:-60}
cd "$(dirname "$0")/.."
source tools/packages.sh
EnsurePackages cmake make g++ clang libclang-rt-14-dev qt6-base-dev qt6-l10n-tools qt6-translations-l10n libgtest-dev fonts-wqy-zenhei imagemagick

echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVEX_SANITIZE=ON -DTARVEX_BUILD_BENCHMARKS=OFF
cmake --build build-asan --parallel "$(nproc)"
(cd build-asan && QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --output-on-failure --parallel "$(nproc)")

echo "== Fuzzers, ${seconds} s each"
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DTARVEX_FUZZ=ON
cmake --build build-fuzz --parallel "$(nproc)"
corpora=build-fuzz/corpora
mkdir -p "$corpora/reader" "$corpora/links" "$corpora/address" "$corpora/route" "$corpora/path" "$corpora/tracking" \
    "$corpora/request"
cp tests/data/*.map build-fuzz/samples/Tiny.map "$corpora/reader/"
# 130 x 3 cells: wide enough for the two-thread road.
{ printf '\202\000\003\000'; head -c 4728 /dev/zero | tr '\000' '\201'; } > "$corpora/reader/seed-130x3"
for map in Harbor2 Village .hidden; do
    { echo "$map.map"; cat build-fuzz/bin/MapInfo.txt; } > "$corpora/links/$map"
done
for text in 12ab 0 FFFFFFFF 000000001 123456789 0x12 ' 12' '$12' ''; do
    printf '%s' "$text" > "$corpora/address/seed-$(printf '%s' "$text" | od -An -tx1 | tr -d ' \n')"
done
# Routes: columns, rows, the two ends, then one bit per cell (set: blocked).
printf '\x05\x05\x01\x01\x05\x05' > "$corpora/route/open-corner-to-corner"
printf '\x05\x05\x01\x01\x05\x05\x10\x11\x11' > "$corpora/route/diagonal-wall"
printf '\x01\x14\x01\x01\x01\x14\x00\x10' > "$corpora/route/column-cut"
printf '\x14\x01\x01\x01\x14\x01' > "$corpora/route/row"
printf '\x05\x05\x01\x01\x03\x03\xC0\x29\x07' > "$corpora/route/walled-in"
{ printf '\x28\x1E\x01\x01\x27\x1D'; head -c 150 /dev/zero | tr '\0' '\111'; } > "$corpora/route/striped"
# Pointer paths, tracking files and tarvex-find's requests, as written and a little off.
printf '%s' 'Client.exe+1A2B3C -> +10 -> +8' > "$corpora/path/plain"
printf '%s' '"libstdc++.so.6\x2B"+10 -> +0x8' > "$corpora/path/quoted"
printf '%s' '  lib game.so + 10->+FFFFFFFFFFFFFFFF' > "$corpora/path/blanks"
printf '# Tarvex tracking file\nprogram=Client.exe\npath=Client.exe+1A2B3C -> +10 -> +8\nfollow-maps=yes\n' \
    > "$corpora/tracking/plain"
printf 'program=C\npath="a->b"+1\nmap-key=C+2 -> +24\nmap-key-form=text\nmap-folder=/m%%20x\nmap=56696C6C6167652E6D6170 V%%B8.map\n' \
    > "$corpora/tracking/map-key"
for request in '312:207' ' 7 , 8 ' 'map Village.map' 'map	 a b.map ' moved still list reset jump ''; do
    printf '%s' "$request" > "$corpora/request/seed-$(printf '%s' "$request" | od -An -tx1 | tr -d ' \n')"
done
for run in FuzzMapReader:reader FuzzMapFile:reader FuzzMapAtlas:reader FuzzMapLinks:links FuzzAddressText:address FuzzRoute:route \
    FuzzPointerPath:path FuzzTrackingFile:tracking FuzzFindRequest:request; do
    fuzzer=${run%%:*}
    echo "-- $fuzzer"
    (cd build-fuzz && "tests/fuzz/$fuzzer" "corpora/${run##*:}" -max_total_time="$seconds" -max_len=8192 \
        -print_final_stats=1 2>&1 | grep -E '^(Done|stat::number_of_executed_units|==|SUMMARY|INFO: Seed)' || true)
    if ls build-fuzz/crash-* build-fuzz/leak-* build-fuzz/timeout-* >/dev/null 2>&1; then
        echo "$fuzzer found a failing input: $(ls build-fuzz/crash-* build-fuzz/leak-* build-fuzz/timeout-* 2>/dev/null)"
        exit 1
    fi
done
echo "fuzzers: 9 passed, 0 failed"
