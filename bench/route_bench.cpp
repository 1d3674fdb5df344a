// The route search on two 4000 x 4000 maps of rooms and corridors, side by
// side with the plain breadth-first search, over 100 pairs of joined cells
// chosen at random (always the same ones): rooms chained as in the sample
// dungeon, and a maze of rooms, the harder case for A*.
//
//   route_bench [Google Benchmark options]
//
// One iteration searches one pair; a run goes through every pair once. After
// the runs it prints, for each search, the median over the pairs of the time
// per pair (each pair's own median when repeated), in wall and CPU time, the
// search memory per map cell, and the ratios.

#include "MapFormat.h"
#include "Route.h"
#include "RouteMaps.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kSide = 4000;
constexpr int kPairs = 100;

using Search = std::optional<Route> (*)(const TMatrix&, Cell, Cell, RouteSearchCost*);

struct Pair {
    Cell from, to;
};

double Median(std::vector<double> values)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct RouteMap {
    const char* name;
    TMatrix (*make)(int columns, int rows, std::uint32_t seed);
    TMatrix walk;
    std::vector<Pair> pairs;
    double openShare = 0;
    double medianSteps = 0;

    // Made on first use: the map, then pairs of walkable cells kept when joined.
    void Make()
    {
        if (!pairs.empty())
            return;
        walk = make(kSide, kSide, 4000);
        const std::uint8_t* values = walk[0];
        const std::size_t cells = std::size_t(kSide) * kSide;
        openShare = double(std::count(values, values + cells, kWalkOpen)) / double(cells);
        std::mt19937 random(17);
        std::vector<double> steps;
        while (int(pairs.size()) < kPairs) {
            const Pair pair{RandomWalkableCell(walk, random), RandomWalkableCell(walk, random)};
            if (const std::optional<Route> route = FindRoute(walk, pair.from, pair.to); route && route->size() > 1) {
                pairs.push_back(pair);
                steps.push_back(double(route->size() - 1));
            }
        }
        medianSteps = Median(steps);
    }
};

RouteMap gMaps[] = {
    {"chained-rooms", ChainedRooms, {}, {}},
    {"room-maze", RoomMaze, {}, {}},
};

// What one search measured on one map, pair by pair, over all runs.
struct Measured {
    const char* name;
    Search search;
    RouteMap* map;
    std::vector<std::vector<double>> wallMs = std::vector<std::vector<double>>(kPairs);
    std::vector<std::vector<double>> cpuMs = std::vector<std::vector<double>>(kPairs);
    std::vector<double> bytesPerCell = {};
    std::vector<double> expanded = {};

    // The median over the pairs of each pair's median.
    static double MedianPerPair(const std::vector<std::vector<double>>& times)
    {
        std::vector<double> perPair;
        for (const std::vector<double>& pair : times)
            if (!pair.empty())
                perPair.push_back(Median(pair));
        return Median(perPair);
    }
    double WallMs() const { return MedianPerPair(wallMs); }
    double CpuMs() const { return MedianPerPair(cpuMs); }
};

std::vector<Measured> gMeasured;

double CpuMsBetween(std::clock_t from, std::clock_t to)
{
    return double(to - from) * 1000.0 / CLOCKS_PER_SEC;
}

void SearchPairs(benchmark::State& state, Measured* measured)
{
    RouteMap& map = *measured->map;
    map.Make();
    const double cells = double(kSide) * kSide;
    std::size_t next = 0;
    for (auto _ : state) {
        const std::size_t index = next++ % map.pairs.size();
        const Pair& pair = map.pairs[index];
        RouteSearchCost cost;
        const auto wallStart = std::chrono::steady_clock::now();
        const std::clock_t cpuStart = std::clock();
        std::optional<Route> route = measured->search(map.walk, pair.from, pair.to, &cost);
        const std::clock_t cpuEnd = std::clock();
        const auto wallEnd = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(route);
        if (!route)
            state.SkipWithError("a pair of joined cells got no route");
        measured->wallMs[index].push_back(std::chrono::duration<double, std::milli>(wallEnd - wallStart).count());
        measured->cpuMs[index].push_back(CpuMsBetween(cpuStart, cpuEnd));
        measured->bytesPerCell.push_back(double(cost.memoryBytes) / cells);
        measured->expanded.push_back(double(cost.expandedCells));
    }
}

void PrintSummary()
{
    for (std::size_t first = 0; first + 1 < gMeasured.size(); first += 2) {
        const Measured& aStar = gMeasured[first];
        const Measured& breadthFirst = gMeasured[first + 1];
        if (aStar.bytesPerCell.empty() || breadthFirst.bytesPerCell.empty())
            continue;
        const RouteMap& map = *aStar.map;
        std::printf("\n%s: %d x %d cells (%.0f %% walkable), %d pairs of joined cells, median route %.0f steps\n",
                    map.name, kSide, kSide, map.openShare * 100, kPairs, map.medianSteps);
        std::printf("%-18s %15s %15s %18s %16s %15s\n", "search", "median wall ms", "median CPU ms",
                    "bytes/cell median", "bytes/cell most", "cells expanded");
        for (const Measured* measured : {&aStar, &breadthFirst})
            std::printf("%-18s %15.2f %15.2f %18.2f %16.2f %15.0f\n", measured->name, measured->WallMs(),
                        measured->CpuMs(), Median(measured->bytesPerCell),
                        *std::max_element(measured->bytesPerCell.begin(), measured->bytesPerCell.end()),
                        Median(measured->expanded));
        std::printf("%-18s %15.1f %15.1f %18s %16s %15.1f\n", "breadth-first / A*",
                    breadthFirst.WallMs() / aStar.WallMs(), breadthFirst.CpuMs() / aStar.CpuMs(), "", "",
                    Median(breadthFirst.expanded) / Median(aStar.expanded));
    }
}

} // namespace

int main(int argc, char** argv)
{
    for (RouteMap& map : gMaps) {
        gMeasured.push_back({"A*", FindRoute, &map});
        gMeasured.push_back({"breadth-first", FindRouteBreadthFirst, &map});
    }
    for (Measured& measured : gMeasured) {
        benchmark::RegisterBenchmark((std::string("route/") + measured.map->name + "/" + measured.name).c_str(),
                                     SearchPairs, &measured)
            ->Iterations(kPairs)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    PrintSummary();
    benchmark::Shutdown();
    return 0;
}
