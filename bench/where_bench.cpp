// Telling which map the player is on, in a folder of 1,000 generated maps
// (64 to 1024 cells a side, rooms and rubble), written once into the
// temporary folder and kept between runs; the page cache warm.
//
//   where_bench [Google Benchmark options]
//
// where/look          the folder's atlas made: every map's size from its header;
//                     the atlas's memory per map is counted
// where/first-tick    a tick that starts an identification: the position
//                     weighed on every map of the folder
// where/known-tick    a tick on a map already told
// where/walks         200 walks of 64 steps on maps of the folder (a step a
//                     tick, straight on until the way is blocked): the share
//                     told after 4, 8, 16, 32 and 64 positions, beside the best
//                     possible, worked out from every map read whole; and the
//                     ticks a learned map key takes to show its map
//
// bench/run.sh prints the figures with their targets.

#include "atlas/MapAtlas.h"
#include "atlas/MapIdentifier.h"
#include "map/MapFormat.h"
#include "map/MapReader.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr int kMaps = 1000;
constexpr int kWalks = 200;
constexpr int kSteps = 64;

// Rooms with a gap each, and loose rubble on about a sixth of the cells:
// the blocked cells, column by column.
std::vector<bool> RoomsAndRubble(int width, int height, std::mt19937& random)
{
    std::vector<bool> blocked(std::size_t(width) * std::size_t(height), false);
    auto at = [&](int x, int y) { return std::size_t(x) * std::size_t(height) + std::size_t(y); };
    for (int room = 0; room < width * height / 400; ++room) {
        const int left = int(random() % unsigned(width)), top = int(random() % unsigned(height));
        const int right = std::min(width - 1, left + 4 + int(random() % 12)), bottom = std::min(height - 1, top + 4 + int(random() % 12));
        for (int x = left; x <= right; ++x)
            blocked[at(x, top)] = blocked[at(x, bottom)] = true;
        for (int y = top; y <= bottom; ++y)
            blocked[at(left, y)] = blocked[at(right, y)] = true;
        blocked[at((left + right) / 2, bottom)] = false;
    }
    for (std::size_t cell = 0; cell < blocked.size(); ++cell)
        if (random() % 6 == 0)
            blocked[cell] = true;
    return blocked;
}

fs::path Folder()
{
    const fs::path folder = fs::temp_directory_path() / "tarvex-bench-atlas";
    const fs::path made = folder / ".made-1000";
    if (fs::exists(made))
        return folder;
    fs::create_directories(folder);
    std::mt19937 random(1000);
    for (int map = 0; map < kMaps; ++map) {
        const int width = 64 + int(random() % 961), height = 64 + int(random() % 961);
        const std::vector<bool> blocked = RoomsAndRubble(width, height, random);
        TMapHeader header;
        header.SetSize(width, height);
        std::ofstream file(folder / ("map" + std::to_string(map) + ".map"), std::ios::binary);
        file.write(reinterpret_cast<const char*>(header.bytes.data()), kMapHeaderSize);
        std::vector<char> column(std::size_t(height) * kMapCellSize, 0);
        for (int x = 0; x < width; ++x) {
            for (int y = 0; y < height; ++y)
                column[std::size_t(y) * kMapCellSize + kBlockingByte] = blocked[std::size_t(x) * std::size_t(height) + std::size_t(y)] ? char(200) : 0;
            file.write(column.data(), std::streamsize(column.size()));
        }
    }
    std::ofstream(made).put('\n');
    return folder;
}

const MapAtlas& Atlas()
{
    static const MapAtlas atlas(Folder());
    return atlas;
}

// A cell the player can stand on, somewhere on the map.
std::pair<int, int> StandableCell(const MapAtlas& atlas, const AtlasMap& map, std::mt19937& random)
{
    for (;;) {
        const int x = int(random() % unsigned(map.width)), y = int(random() % unsigned(map.height));
        if (atlas.Standable(map, x, y))
            return {x, y};
    }
}

void Look(benchmark::State& state)
{
    const fs::path folder = Folder();
    double bytesPerMap = 0;
    for (auto _ : state) {
        const std::size_t before = mallinfo2().uordblks;
        const MapAtlas atlas(folder);
        bytesPerMap = double(mallinfo2().uordblks - before) / double(atlas.Maps().size());
        benchmark::DoNotOptimize(atlas.Maps().data());
    }
    state.counters["atlas_bytes_per_map"] = bytesPerMap;
}

void FirstTick(benchmark::State& state)
{
    const MapAtlas& atlas = Atlas();
    std::mt19937 random(7);
    for (auto _ : state) {
        const AtlasMap& map = atlas.Maps()[random() % atlas.Maps().size()];
        const auto [x, y] = StandableCell(atlas, map, random);
        MapIdentifier identifier(atlas);
        benchmark::DoNotOptimize(identifier.See(x, y));
    }
}

// A walk as the stand-in client walks: straight on, turning when blocked.
std::vector<std::pair<int, int>> Walk(const MapAtlas& atlas, const AtlasMap& map, std::mt19937& random, int steps)
{
    std::vector<std::pair<int, int>> cells{StandableCell(atlas, map, random)};
    int dx = 1, dy = 0;
    for (int turns = 0; int(cells.size()) < steps && turns < 64;) {
        const auto [x, y] = cells.back();
        if ((dx || dy) && atlas.Standable(map, x + dx, y + dy)) {
            cells.push_back({x + dx, y + dy});
            turns = 0;
        } else {
            dx = int(random() % 3) - 1;
            dy = int(random() % 3) - 1;
            ++turns;
        }
    }
    return cells;
}

void KnownTick(benchmark::State& state)
{
    const MapAtlas& atlas = Atlas();
    std::mt19937 random(9);
    const AtlasMap& map = atlas.Maps()[random() % atlas.Maps().size()];
    const std::vector<std::pair<int, int>> walk = Walk(atlas, map, random, 100000);
    MapIdentifier identifier(atlas);
    identifier.Show(map.name);
    std::size_t next = 0;
    for (auto _ : state) {
        // Along the walk and back, so that no step is a jump.
        const std::size_t turn = next++ % (2 * walk.size() - 2);
        const auto [x, y] = walk[turn < walk.size() ? turn : 2 * walk.size() - 2 - turn];
        benchmark::DoNotOptimize(identifier.See(x, y));
    }
    if (identifier.Shown() != map.name || identifier.Verdict() != MapVerdict::Known)
        state.SkipWithError("the map was lost on its own walk");
}

void Walks(benchmark::State& state)
{
    const MapAtlas& atlas = Atlas();
    // The best possible: every map read whole, and the maps every position
    // so far fits counted.
    std::vector<TMatrix> whole;
    for (const AtlasMap& map : atlas.Maps())
        whole.push_back(ReadMapFile(atlas.Folder() / map.name)->matrix);
    const int checkpoints[] = {4, 8, 16, 32, 64};
    double told[5] = {}, best[5] = {}, keyTicks = 0;
    for (auto _ : state) {
        std::mt19937 random(11);
        for (int trial = 0; trial < kWalks; ++trial) {
            const std::size_t truth = random() % atlas.Maps().size();
            const std::vector<std::pair<int, int>> walk = Walk(atlas, atlas.Maps()[truth], random, kSteps);
            MapIdentifier identifier(atlas);
            std::vector<bool> fits(whole.size(), true);
            for (int step = 0; step < int(walk.size()); ++step) {
                const auto [x, y] = walk[std::size_t(step)];
                identifier.See(x, y);
                for (std::size_t map = 0; map < whole.size(); ++map)
                    fits[map] = fits[map] && x < whole[map].Columns() && y < whole[map].Rows() && whole[map][x][y] != kWalkBlocked;
                for (int i = 0; i < 5; ++i) {
                    if (step + 1 != checkpoints[i])
                        continue;
                    told[i] += identifier.Verdict() == MapVerdict::Known && identifier.Shown() == atlas.Maps()[truth].name;
                    best[i] += std::count(fits.begin(), fits.end(), true) == 1;
                }
            }
            // The key learned for this map: after a jump from elsewhere, the
            // ticks until it is shown.
            MapIdentifier keyed(atlas);
            keyed.Learn({{"key", atlas.Maps()[truth].name}});
            keyed.Show(atlas.Maps()[(truth + 1) % atlas.Maps().size()].name);
            for (int tick = 1; tick <= kSteps; ++tick) {
                keyed.See(walk[std::size_t(tick - 1) % walk.size()].first, walk[std::size_t(tick - 1) % walk.size()].second, "key");
                if (keyed.Shown() == atlas.Maps()[truth].name) {
                    keyTicks += tick;
                    break;
                }
            }
        }
    }
    const double trials = double(state.iterations()) * kWalks;
    for (int i = 0; i < 5; ++i) {
        state.counters["told_within_" + std::to_string(checkpoints[i])] = told[i] / trials;
        state.counters["best_within_" + std::to_string(checkpoints[i])] = best[i] / trials;
    }
    state.counters["key_ticks_to_show"] = keyTicks / trials;
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("where/look", Look)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("where/first-tick", FirstTick)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("where/known-tick", KnownTick)->Unit(benchmark::kMicrosecond)->UseRealTime();
    benchmark::RegisterBenchmark("where/walks", Walks)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
}
