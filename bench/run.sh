#!/usr/bin/env bash
# Runs the benchmarks of a build and measures the peak memory of one load.
#   bash bench/run.sh [build folder]        (default: build)
set -euo pipefail
build=${1:-build}
# Five repetitions each, medians shown: the load shares the machine.
"$build/bench/map_bench" --benchmark_min_time=1 --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
QT_QPA_PLATFORM=offscreen "$build/bench/view_bench" --benchmark_min_time=1
# Every route pair three times; the medians per pair and the ratios follow.
"$build/bench/route_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true

echo
echo "Peak memory of one load (/usr/bin/time -v):"
peak_kib() { /usr/bin/time -v "$build/bench/load_once" "$1" 2>&1 >/dev/null | awk '/Maximum resident/ {print $NF}'; }
folder=${TMPDIR:-/tmp}/tarvex-bench-maps
base=$(peak_kib "$folder/256x256.map")
for size in 1000 4000; do
    peak=$(peak_kib "$folder/${size}x${size}.map")
    awk -v s="$size" -v p="$peak" -v b="$base" \
        'BEGIN { printf "  %dx%d: %d KiB at peak, %.2f bytes per cell above a 256x256 load (%d KiB)\n", s, s, p, (p - b) * 1024 / (s * s), b }'
done
