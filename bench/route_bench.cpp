// The route search side by side with a plain breadth-first search (a queue
// of cells, a bit per cell seen, the step into each cell, stop at the goal),
// on maps of four kinds at 4000 x 4000 and 16384 x 16384 cells, over pairs
// of joined cells chosen at random (always the same ones): open ground with
// a pillar in 500 cells; rooms chained as in the sample dungeon; a maze of
// rooms of many sizes with pillars; and a tight maze of 10 x 10 rooms, the
// way between most pairs winding through much of the map.
//
//   route_bench [Google Benchmark options]
//
// One iteration searches one pair; a run goes through every pair once. The
// route search reads the map's bits (RouteGrid), made once per map as the
// window does; the time to make them is printed beside. The search through
// the map's core (RouteCore) is timed alone, the core made beforehand, and
// the time to make the core is printed beside, with the first route on a
// map made that way (the core and one search) against the plain search.
// Where the core does not pay (Of() gives none) its columns show "-".
// After the runs it prints, for each map, the median over the pairs of the
// time per pair (each pair's own median when repeated), in wall and CPU
// time, the memory per map cell (the search's own and the bits or the core
// together) and the ratios.

#include "map/MapFormat.h"
#include "route/MapRoutes.h"
#include "route/Route.h"
#include "route/RouteCore.h"
#include "route/RouteGrid.h"
#include "route/WalkableAreas.h"
#include "tests/support/RouteMaps.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

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

TMatrix OpenGround(int columns, int rows, std::uint32_t seed)
{
    TMatrix walk(columns, rows);
    std::mt19937 random(seed);
    std::uniform_int_distribution<std::size_t> cell(0, std::size_t(columns) * std::size_t(rows) - 1);
    for (std::size_t pillar = 0; pillar < std::size_t(columns) * std::size_t(rows) / 500; ++pillar)
        walk[0][cell(random)] = kWalkBlocked;
    return walk;
}

double MsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// A map, made on first use and let go when the next one is made: at
// 16384 x 16384 one map takes 268 MB.
struct RouteMap {
    const char* name;
    TMatrix (*make)(int columns, int rows, std::uint32_t seed);
    int side;
    int pairCount;
    std::unique_ptr<TMatrix> walk;
    std::unique_ptr<RouteGrid> grid;
    std::optional<RouteCore> core;
    std::vector<Pair> pairs;
    double openShare = 0, medianSteps = 0, gridMs = 0, coreMs = 0;

    void Make();
    void Release()
    {
        walk.reset();
        grid.reset();
        core.reset();
    }
};

RouteMap* gMade = nullptr;

void RouteMap::Make()
{
    if (gMade == this)
        return;
    if (gMade)
        gMade->Release();
    gMade = this;
    walk = std::make_unique<TMatrix>(make(side, side, 4000));
    const auto start = std::chrono::steady_clock::now();
    grid = std::make_unique<RouteGrid>(*walk);
    gridMs = MsSince(start);
    const auto coreStart = std::chrono::steady_clock::now();
    core = RouteCore::Of(*walk);
    coreMs = MsSince(coreStart);
    if (!pairs.empty())
        return;
    const std::uint8_t* values = (*walk)[0];
    const std::size_t cells = std::size_t(side) * std::size_t(side);
    openShare = double(cells - std::size_t(std::count(values, values + cells, kWalkBlocked))) / double(cells);
    std::mt19937 random(17);
    std::vector<double> steps;
    while (int(pairs.size()) < pairCount) {
        const Pair pair{RandomWalkableCell(*walk, random), RandomWalkableCell(*walk, random)};
        if (const std::optional<RouteSteps> route = FindRouteSteps(*grid, pair.from, pair.to); route && route->Count() > 0) {
            pairs.push_back(pair);
            steps.push_back(double(route->Count()));
        }
    }
    medianSteps = Median(steps);
}

RouteMap gMaps[] = {
    {"open", OpenGround, 4000, 40, {}, {}, {}, {}},
    {"chained-rooms", ChainedRooms, 4000, 40, {}, {}, {}, {}},
    {"room-maze", RoomMaze, 4000, 40, {}, {}, {}, {}},
    {"tight-maze", TightMaze, 4000, 40, {}, {}, {}, {}},
    {"open", OpenGround, 16384, 4, {}, {}, {}, {}},
    {"chained-rooms", ChainedRooms, 16384, 4, {}, {}, {}, {}},
    {"room-maze", RoomMaze, 16384, 4, {}, {}, {}, {}},
    {"tight-maze", TightMaze, 16384, 4, {}, {}, {}, {}},
};

enum class Search { kBits, kCore, kPlain };

// What one search measured on one map, pair by pair, over all runs.
struct Measured {
    const char* name;
    Search search;
    RouteMap* map;
    std::vector<std::vector<double>> wallMs = {};
    std::vector<std::vector<double>> cpuMs = {};
    std::vector<double> bytesPerCell = {};

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
    measured->wallMs.resize(map.pairs.size());
    measured->cpuMs.resize(map.pairs.size());
    const double cells = double(map.side) * map.side;
    std::size_t next = 0;
    for (auto _ : state) {
        const std::size_t index = next++ % map.pairs.size();
        const Pair& pair = map.pairs[index];
        RouteSearchCost cost;
        const auto wallStart = std::chrono::steady_clock::now();
        const std::clock_t cpuStart = std::clock();
        bool found = false;
        if (measured->search == Search::kPlain) {
            const std::optional<Route> route = FindRouteBreadthFirst(*map.walk, pair.from, pair.to, &cost);
            found = route.has_value();
        } else if (measured->search == Search::kCore) {
            if (!map.core) {
                state.SkipWithError("the core does not pay on this map");
                break;
            }
            found = map.core->Find(pair.from, pair.to, nullptr, &cost).has_value();
            cost.memoryBytes += map.core->MemoryBytes();
        } else {
            const std::optional<RouteSteps> route = FindRouteSteps(*map.grid, pair.from, pair.to, nullptr, &cost);
            found = route.has_value();
            cost.memoryBytes += map.grid->MemoryBytes();
        }
        const std::clock_t cpuEnd = std::clock();
        measured->wallMs[index].push_back(MsSince(wallStart));
        measured->cpuMs[index].push_back(CpuMsBetween(cpuStart, cpuEnd));
        if (!found)
            state.SkipWithError("a pair of joined cells got no route");
        measured->bytesPerCell.push_back(double(cost.memoryBytes) / cells);
    }
}

// What the window does at the first route on a map, from one corner of the
// largest tight maze to the other (MapRoutes): the map's areas and core
// worked out beside the first search, which does not wait for them; then,
// once they are made, the route again with the player 10 steps on, through
// the core, the goal's side kept.
struct FirstRoute {
    double firstMs = 0, preparedMs = 0, laterMs = 0;
    std::size_t steps = 0;
} gFirstRoute;

void WindowFirstRoute(benchmark::State& state)
{
    RouteMap& map = gMaps[std::size(gMaps) - 1];
    map.Make();
    map.core.reset();
    map.grid.reset();
    const TMatrix& walk = *map.walk;
    const std::shared_ptr<const TMatrix> shared(std::shared_ptr<void>(), map.walk.get()); // not owned
    const int last = map.side - 1;
    Cell from{1, 1}, to{last - 1, last - 1};
    while (walk[from.x][from.y] == kWalkBlocked)
        from = {from.x + 1, from.y + 1};
    while (walk[to.x][to.y] == kWalkBlocked)
        to = {to.x - 1, to.y - 1};
    for (auto _ : state) {
        MapRoutes routes(shared);
        MapRoutes::KeptGoal kept;
        auto start = std::chrono::steady_clock::now();
        routes.Prepare();
        const MapRoutes::Found first = routes.Find(from, to, nullptr, &kept);
        gFirstRoute.firstMs = MsSince(start);
        while (routes.IsPreparing())
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        gFirstRoute.preparedMs = MsSince(start);
        if (!first.route || !routes.HasCore()) {
            state.SkipWithError("no route, or the core was not made");
            break;
        }
        const Cell moved = (*first.route)[std::min<std::size_t>(10, first.route->size() - 1)];
        routes.Find(moved, to, nullptr, &kept); // the goal's side made through the core
        start = std::chrono::steady_clock::now();
        const MapRoutes::Found later = routes.Find(moved, to, nullptr, &kept);
        gFirstRoute.laterMs = MsSince(start);
        if (!later.route || later.route->size() + 10 != first.route->size())
            state.SkipWithError("the searches differ");
        gFirstRoute.steps = first.route->size() - 1;
        state.SetIterationTime(gFirstRoute.firstMs / 1000);
    }
}

void PrintSummary()
{
    const char* rows[3][14] = {
        {"map", "open", "pairs", "steps", "route ms", "core ms", "plain ms", "plain /", "plain /", "plain /", "route",
         "core", "bits", "core"},
        {"", "%", "", "median", "wall", "wall", "wall", "route", "route", "core", "bytes per", "bytes per", "made,",
         "made,"},
        {"", "", "", "", "", "", "", "wall", "CPU", "wall", "cell, most", "cell, most", "ms", "ms"}};
    std::printf("\n");
    for (const auto& row : rows)
        std::printf("%-22s %5s %6s %7s %9s %9s %9s %8s %8s %8s %10s %10s %7s %7s\n", row[0], row[1], row[2], row[3], row[4],
                    row[5], row[6], row[7], row[8], row[9], row[10], row[11], row[12], row[13]);
    for (std::size_t first = 0; first + 2 < gMeasured.size(); first += 3) {
        const Measured& route = gMeasured[first];
        const Measured& core = gMeasured[first + 1];
        const Measured& plain = gMeasured[first + 2];
        if (route.bytesPerCell.empty() || plain.bytesPerCell.empty())
            continue;
        const RouteMap& map = *route.map;
        const std::string name = std::string(map.name) + " " + std::to_string(map.side);
        const bool cored = !core.bytesPerCell.empty();
        auto most = [](const std::vector<double>& values) { return *std::max_element(values.begin(), values.end()); };
        std::printf("%-22s %5.0f %6zu %7.0f %9.2f %9s %9.2f %8.1f %8.1f %8s %10.2f %10s %7.1f %7s\n", name.c_str(),
                    map.openShare * 100, map.pairs.size(), map.medianSteps, route.WallMs(),
                    cored ? std::to_string(core.WallMs()).substr(0, 7).c_str() : "-", plain.WallMs(),
                    plain.WallMs() / route.WallMs(), plain.CpuMs() / route.CpuMs(),
                    cored ? std::to_string(plain.WallMs() / core.WallMs()).substr(0, 6).c_str() : "-",
                    most(route.bytesPerCell), cored ? std::to_string(most(core.bytesPerCell)).substr(0, 5).c_str() : "-",
                    map.gridMs, std::to_string(map.coreMs).substr(0, 7).c_str());
        if (cored)
            std::printf("%-22s first route with the core made for it (core + search) / plain: %.2f wall\n", "",
                        (map.coreMs + core.WallMs()) / plain.WallMs());
    }
    if (gFirstRoute.steps)
        std::printf("\nThe window's first route on tight-maze %d, corner to corner (%zu steps), while the map's areas "
                    "and core are made beside it: %.0f ms (target < 1000); the areas and the core made %.0f ms after the "
                    "request. The route again with the player 10 steps on, through the core, the goal's side kept: "
                    "%.2f ms.\n",
                    gMaps[std::size(gMaps) - 1].side, gFirstRoute.steps, gFirstRoute.firstMs, gFirstRoute.preparedMs,
                    gFirstRoute.laterMs);
}

} // namespace

int main(int argc, char** argv)
{
    for (RouteMap& map : gMaps) {
        gMeasured.push_back({"route", Search::kBits, &map});
        gMeasured.push_back({"core", Search::kCore, &map});
        gMeasured.push_back({"breadth-first", Search::kPlain, &map});
    }
    for (Measured& measured : gMeasured) {
        const std::string name = std::string("route/") + measured.map->name + "-" + std::to_string(measured.map->side) +
                                 "/" + measured.name;
        benchmark::RegisterBenchmark(name.c_str(), SearchPairs, &measured)
            ->Iterations(measured.map->pairCount)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("route/window-first-route/tight-maze-16384", WindowFirstRoute)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond)
        ->UseManualTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    PrintSummary();
    benchmark::Shutdown();
    return 0;
}
