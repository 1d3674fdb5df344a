#!/usr/bin/env bash
# Runs the benchmarks of a build, prints the ratios they are judged by in one
# table, and measures the peak memory per map cell of the viewer and the
# exporter.
#   bash bench/run.sh [build folder]        (default: build)
set -euo pipefail
build=${1:-build}
out=${TMPDIR:-/tmp}/tarvex-bench-$$.txt
pictures=$(mktemp -d)
trap 'rm -f "$out"; rm -rf "$pictures"' EXIT
# Five repetitions each, medians kept: the runs share the machine. The
# repetitions of a program's benchmarks run in a random order, so that a slow
# moment of the machine does not fall on one side of a ratio alone.
aggregates=(--benchmark_repetitions=5 --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true --benchmark_color=false)
"$build/bench/map_bench" --benchmark_min_time=1 "${aggregates[@]}" | tee "$out"
QT_QPA_PLATFORM=offscreen "$build/bench/view_bench" --benchmark_min_time=0.5 "${aggregates[@]}" | tee -a "$out"
"$build/bench/export_bench" "$build/bin/tarvex-map2bmp" "${aggregates[@]}" | tee -a "$out"
# The address finder against scanmem, which Debian packages; installed when missing.
command -v scanmem >/dev/null || { apt-get update && apt-get install -y scanmem; } >/dev/null 2>&1 ||
    echo "scanmem could not be installed: finder/scanmem fails and its ratio is left out" >&2
"$build/bench/finder_bench" "${aggregates[@]}" | tee -a "$out"
"$build/bench/pointer_bench" "${aggregates[@]}" | tee -a "$out"
# A 32-bit client's first scan beside a 64-bit one's, and under Wine when
# tools/windows-checks.sh has built the Windows stand-ins (and Wine can run
# the 32-bit one).
windows=$PWD/build-windows
if [[ -x $build/bench/width_bench ]]; then
    WINEPREFIX=${WINEPREFIX:-$windows/wine-prefix} WINEDEBUG=-all \
        TARVEX_WINDOWS_CLIENT=${TARVEX_WINDOWS_CLIENT:-$windows/bin/stand_in_client.exe} \
        TARVEX_WINDOWS_CLIENT_32=${TARVEX_WINDOWS_CLIENT_32:-$PWD/build-windows32/bin/stand_in_client.exe} \
        "$build/bench/width_bench" "${aggregates[@]}" | tee -a "$out"
fi
# Which map the player is on, in a folder of 1,000 maps (3.4 GB, made once).
"$build/bench/where_bench" "${aggregates[@]}" | tee -a "$out"
# Every route pair three times; the medians per pair and their ratios follow.
"$build/bench/route_bench" --benchmark_repetitions=3 --benchmark_report_aggregates_only=true --benchmark_color=false

# tarvex-route as a whole program, reading the file included, against the
# plain program, in turn five times each, on a 4000 x 4000 tight maze from
# one corner to the other.
maze=$pictures/tight-maze-4000.map
read -r x1 y1 x2 y2 < <("$build/bench/maze_file" "$maze" 4000)
seconds() { local start=$EPOCHREALTIME; "$@" >/dev/null || true; awk -v from="$start" -v to="$EPOCHREALTIME" 'BEGIN { print to - from }'; }
median() { sort -g | sed -n 3p; }
routeTimes=() plainTimes=()
for _ in 1 2 3 4 5; do
    routeTimes+=("$(seconds "$build/bin/tarvex-route" "$maze" "$x1" "$y1" "$x2" "$y2")")
    plainTimes+=("$(seconds "$build/bench/plain_route" "$maze" "$x1" "$y1" "$x2" "$y2")")
done
routeMedian=$(printf '%s\n' "${routeTimes[@]}" | median)
plainMedian=$(printf '%s\n' "${plainTimes[@]}" | median)

echo
echo "Ratios of medians (wall time, CPU time):"
awk '
    function seconds(value, unit) { return value * (unit == "ns" ? 1e-9 : unit == "us" ? 1e-6 : unit == "ms" ? 1e-3 : 1) }
    # A program started by a benchmark reports its own CPU time as a counter.
    function counted(text, number) { number = text + 0; return number * (text ~ /m$/ ? 1e-3 : text ~ /u$/ ? 1e-6 : text ~ /k$/ ? 1e3 : text ~ /M$/ ? 1e6 : 1) }
    $1 ~ /_median$/ {
        name = $1; sub(/_median$/, "", name); wall[name] = seconds($2, $3); cpu[name] = seconds($4, $5)
        for (i = 6; i <= NF; i++) {
            if (split($i, counter, "=") != 2) continue
            # What a benchmark times in turn with its own work comes as counters
            # "beside_WHAT_wall_s" and "beside_WHAT_cpu_s".
            if (counter[1] ~ /^beside_.*_wall_s$/) wall[substr(counter[1], 1, length(counter[1]) - 7)] = counted(counter[2])
            else if (counter[1] ~ /^beside_.*_cpu_s$/) cpu[substr(counter[1], 1, length(counter[1]) - 6)] = counted(counter[2])
            else if (counter[1] ~ /_cpu_s$/) cpu[name] = counted(counter[2])
            else value[name, counter[1]] = counted(counter[2])
        }
    }
    function ratio(label, over, under, limit) {
        if (!(over in wall) || !(under in wall)) return
        cpuRatio = cpu[under] > 0 ? sprintf("%6.2f", cpu[over] / cpu[under]) : "     -"
        printf "  %-52s %6.2f %s   (target %s)\n", label, wall[over] / wall[under], cpuRatio, limit
    }
    function figure(label, number, format, limit) {
        if (number != "") printf "  %-52s %13s   (target %s)\n", label, sprintf(format, number), limit
    }
    function milliseconds(name) { return name in wall ? wall[name] * 1e3 : "" }
    function reported(name, key) { return (name, key) in value ? value[name, key] : "" }
    END {
        ratio("marker tick 16384x16384 / 256x256", "marker-tick/16384", "marker-tick/256", "<= 1.5")
        ratio("click to screen / load alone, 1000x1000", "click/click-to-screen-1000x1000/manual_time", "beside_load", "<= 1.5")
        ratio("start-up / minimal Qt window", "start/viewer/manual_time", "beside_minimal", "<= 1.3")
        ratio("exporter 200 maps: 1 job / 2 jobs", "export/jobs/1/real_time", "export/jobs/2/real_time", ">= 1.7")
        ratio("pan 8 pixels zoomed / repaint natural", "map-area/pan-8-pixels-20-zoom-in-steps", "map-area/repaint-natural", "<= 1.5")
        ratio("pan 8 pixels 1600%, overlays / repaint natural", "map-area/pan-8-pixels-1600-percent-overlays", "map-area/repaint-natural", "<= 1.5")
        ratio("repaint 1600%: overview, grid, route / none", "map-area/repaint-1600-percent-overlays/manual_time", "beside_no_overlays", "<= 1.3")
        ratio("repaint natural: 8 trails of 600 steps / none", "map-area/repaint-8-trails/manual_time", "beside_no_trails", "<= 1.3")
        ratio("tracker tick 1000x1000: 8 players / 1", "tracker-tick/8-players-1000x1000/manual_time", "beside_one_player", "<= 1.5")
        ratio("overview / load, 1000x1000", "overview/1000x1000/manual_time", "beside_load_overview_1000x1000", "<= 0.1")
        ratio("overview / load, 16384x16384", "overview/16384x16384/iterations:2/manual_time", "beside_load_overview_16384x16384", "<= 0.1")
        ratio("route areas / load, rooms 4000x4000", "areas/rooms-4000x4000/manual_time", "beside_load_rooms-4000x4000", "< 1")
        ratio("route areas / load, noise 4000x4000", "areas/4000x4000/manual_time", "beside_load_4000x4000", "none")
        split("256x256 <=1.5 1000x1000 <=1.2 4000x4000 <=1.2 1000x1000-truncated -", loads, " ")
        for (i = 1; i in loads; i += 2)
            ratio("load / floor " loads[i], "load/" loads[i] "/manual_time",
                  "beside_floor_" loads[i], loads[i + 1] == "-" ? "none" : "CPU " loads[i + 1])
        ratio("finder first scan, 1 GiB / floor", "finder/first-scan/manual_time", "beside_finder_floor", "<= 1.25")
        ratio("scanmem first scan / finder first scan, 1 GiB", "finder/scanmem/manual_time", "beside_finder_for_scanmem", ">= 8")
        ratio("map key first look / finder first scan, 1 GiB", "mapkey/first-look/manual_time", "beside_finder_for_key", "<= 1")
        ratio("first scan, 32-bit / 64-bit client, 256 MiB", "width/linux-first-scan/iterations:5/manual_time", "beside_64_bit", "none")
        ratio("first scan, 32-bit / 64-bit client under Wine", "width/wine-first-scan/iterations:5/manual_time", "beside_64_bit", "none")
        print "Finder figures (medians):"
        figure("narrow 1M candidates spread over 1 GiB, ms", milliseconds("finder/narrow-1M/spread/real_time"), "%.1f", "< 50")
        figure("narrow 1M candidates packed in 64 MiB, ms", milliseconds("finder/narrow-1M/packed/real_time"), "%.1f", "< 50")
        figure("scan by a 1000x1000 map, extra peak memory, MiB", reported("finder/guided-scan/manual_time", "extra_peak_MiB"), "%.1f", "< 64")
        figure("position changes seen during a first scan", reported("finder/first-scan/manual_time", "moves_seen"), "%.0f", "> 0")
        walks = "where/walks/iterations:1/real_time"
        print "Which map, 1,000 maps of 64 to 1024 cells a side (medians):"
        figure("a tick that starts telling anew, ms", milliseconds("where/first-tick/real_time"), "%.2f", "< 10")
        figure("a tick on a map already told, ms", milliseconds("where/known-tick/real_time"), "%.4f", "< 1")
        figure("the folder looked at (every header), ms", milliseconds("where/look/real_time"), "%.1f", "none")
        figure("atlas memory per map, bytes", reported("where/look/real_time", "atlas_bytes_per_map"), "%.0f", "<= 256")
        figure("ticks to show a map by a learned key", reported(walks, "key_ticks_to_show"), "%.0f", "1")
        split("4 8 16 32 64", within, " ")
        for (i = 1; i in within; ++i)
            figure("told after " within[i] " positions (best possible)",
                   reported(walks, "told_within_" within[i]) " (" reported(walks, "best_within_" within[i]) ")", "%s", "as the best")
        scan = "pointers/scan-256MiB/iterations:1/repeats:3/real_time"
        print "Pointer path figures (medians):"
        figure("pointer scan of a 256 MiB client, s", scan in wall ? wall[scan] : "", "%.2f", "< 10")
        figure("pointer scan, peak memory per byte scanned", reported(scan, "peak_bytes_per_scanned_byte"), "%.2f", "<= 1")
        figure("the chain found by the pointer scan (1: yes)", reported(scan, "chain_found"), "%.0f", "1")
        figure("resolving a path, modules listed, ms", milliseconds("pointers/resolve/real_time"), "%.3f", "< 1")
    }' "$out"
echo "Whole programs, 4000x4000 tight maze corner to corner (medians of 5, wall time):"
awk -v route="$routeMedian" -v plain="$plainMedian" 'BEGIN {
    printf "  %-52s %6.2f          (target <= 0.5; %.0f / %.0f ms)\n", "tarvex-route / plain breadth-first program",
           route / plain, route * 1000, plain * 1000 }'

echo
echo "Peak memory per map cell (/usr/bin/time -v, medians of 5): the growth from a 1000x1000 map to a 4000x4000 one,"
echo "and in brackets the peaks, which hold a fixed part (read buffers, a thread) besides:"
# The median of five runs: a run's peak moves by some 100 KiB (the threads that
# painting and reading start, and the memory each of them takes).
peak_kib() {
    for _ in 1 2 3 4 5; do /usr/bin/time -v "$@" 2>&1 >/dev/null | awk '/Maximum resident/ {print $NF}'; done | sort -n | sed -n 3p
}
maps=${TMPDIR:-/tmp}/tarvex-bench-maps
viewer() { QT_QPA_PLATFORM=offscreen peak_kib "$build/bench/startup_probe" viewer "$@"; }
viewer_twice() { viewer "$1" "$1"; }
exporter() { peak_kib "$build/bin/tarvex-map2bmp" -o "$pictures" "$1"; }
for program in viewer viewer_twice exporter; do
    small=$($program "$maps/1000x1000.map")
    large=$($program "$maps/4000x4000.map")
    awk -v label="$program" -v small="$small" -v large="$large" 'BEGIN {
        printf "  %-14s %5.2f bytes per cell   (%d KiB on 1000x1000, %d KiB on 4000x4000; target <= 1.5)\n",
               label, (large - small) * 1024 / (16e6 - 1e6), small, large }'
done
echo "  (viewer: the map shown and the player marked; viewer_twice: the same map opened again over it)"
