// How fast a map file becomes its 16-colour image, side by side with the
// plain road (position, read 12 bytes, paint one cell, for every cell) and
// with the floor no loader can beat (read the file once, touch each record).
//
//   map_bench [Google Benchmark options]
//
// After the runs it prints, per map, the load time over the floor and the
// plain road over the load.

#include "bench/BenchMaps.h"
#include "bench/InTurn.h"
#include "map/MapFormat.h"
#include "map/MapReader.h"
#include "route/WalkableAreas.h"
#include "tests/support/RouteMaps.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

const BenchMap kMaps[] = {
    {"256x256", 256, 256, 1.0},
    {"1000x1000", 1000, 1000, 1.0},
    {"4000x4000", 4000, 4000, 1.0},
    {"1000x1000-truncated", 1000, 1000, 0.4},
};

void SetCellsPerSecond(benchmark::State& state, const BenchMap& map)
{
    state.counters["cells/s"] = benchmark::Counter(double(map.width) * map.height * double(state.iterations()),
                                                   benchmark::Counter::kIsRate);
}

// The plain road: every record positioned and read by itself.
void PositionedReads(benchmark::State& state, const BenchMap& map)
{
    const fs::path path = BenchMapPath(map);
    for (auto _ : state) {
        const int file = ::open(path.c_str(), O_RDONLY);
        TMapHeader header;
        if (::read(file, header.bytes.data(), header.bytes.size()) < 0)
            state.SkipWithError("read failed");
        const int width = header.Width(), height = header.Height();
        TMatrix matrix(width, height);
        IndexedImage image(width, height);
        TMapCell cell;
        for (int x = 0; x < width; ++x) {
            for (int y = 0; y < height; ++y) {
                ::lseek(file, off_t(CellOffset(x, y, height)), SEEK_SET);
                if (::read(file, cell.bytes.data(), cell.bytes.size()) < 0)
                    state.SkipWithError("read failed");
                matrix[x][y] = cell.IsFlagged() ? kWalkFlagged : cell.IsBlocked() ? kWalkBlocked : kWalkOpen;
                image.SetPixel(x, y, cell.IsFlagged() ? kEntryFlagged : cell.IsBlocked() ? kEntryBlocked : kEntryOpen);
            }
        }
        ::close(file);
        benchmark::DoNotOptimize(image.Bytes().data());
    }
    SetCellsPerSecond(state, map);
}

// The floor: the file read into memory in one pass, each record touched once.
void ReadOnce(const fs::path& path, std::vector<std::uint8_t>& bytes)
{
    const int file = ::open(path.c_str(), O_RDONLY);
    std::size_t got = 0;
    for (ssize_t n; got < bytes.size() && (n = ::read(file, bytes.data() + got, bytes.size() - got)) > 0;)
        got += std::size_t(n);
    ::close(file);
    unsigned touched = 0;
    for (std::size_t at = kMapHeaderSize + 1; at < got; at += kMapCellSize)
        touched += bytes[at];
    benchmark::DoNotOptimize(touched);
}

// The counter of the floor's "wall" or "cpu" time beside the load of a map.
std::string FloorCounter(const std::string& mapName, const char* time)
{
    return "beside_floor_" + mapName + "_" + time + "_s";
}

// The project's load, and the floor in turn with it (InTurn.h). The load's
// wall time is the benchmark's; its CPU time and the floor's
// times are counters.
void LoadBesideFloor(benchmark::State& state, const BenchMap& map)
{
    const fs::path path = BenchMapPath(map);
    std::vector<std::uint8_t> bytes(std::size_t(fs::file_size(path)));
    const auto load = [&path] {
        std::optional<MapLoad> loaded = ReadMapFile(path);
        benchmark::DoNotOptimize(loaded->image.Bytes().data());
    };
    Spent loads, floors;
    bool loadFirst = true;
    for (auto _ : state) {
        Spent loadSpent, floorSpent;
        InTurn(
            loadFirst, [&] { loadSpent = Timed(load); },
            [&] { floorSpent = Timed([&] { ReadOnce(path, bytes); }); });
        state.SetIterationTime(loadSpent.wallSeconds);
        loads.cpuSeconds += loadSpent.cpuSeconds;
        floors.wallSeconds += floorSpent.wallSeconds;
        floors.cpuSeconds += floorSpent.cpuSeconds;
    }
    const auto average = [](double total) { return benchmark::Counter(total, benchmark::Counter::kAvgIterations); };
    state.counters["load_cpu_s"] = average(loads.cpuSeconds);
    state.counters[FloorCounter(map.name, "wall")] = average(floors.wallSeconds);
    state.counters[FloorCounter(map.name, "cpu")] = average(floors.cpuSeconds);
}

// A map of rooms and corridors as the route tests search, as a map file.
fs::path RoomsMapPath(int columns, int rows)
{
    const fs::path path = fs::temp_directory_path() / "tarvex-bench-maps" /
                          ("rooms-" + std::to_string(columns) + "x" + std::to_string(rows) + ".map");
    const std::int64_t size = kMapHeaderSize + std::int64_t(columns) * rows * kMapCellSize;
    std::error_code error;
    if (fs::file_size(path, error) == std::uintmax_t(size))
        return path;
    const TMatrix walk = RoomMaze(columns, rows, 11);
    std::vector<char> bytes(std::size_t(size), 0);
    bytes[0] = char(columns), bytes[1] = char(columns >> 8), bytes[2] = char(rows), bytes[3] = char(rows >> 8);
    for (int x = 0; x < columns; ++x)
        for (int y = 0; y < rows; ++y)
            bytes[std::size_t(CellOffset(x, y, rows)) + 1] = char(walk[x][y] == kWalkBlocked ? 200 : 0);
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
    return path;
}

// The walkable areas a route needs, worked out from a loaded map, and the
// load in turn with them: the areas should cost less than the load.
void AreasBesideLoad(benchmark::State& state, const std::string& mapName, const fs::path& path)
{
    std::optional<MapLoad> loaded = ReadMapFile(path);
    std::size_t areaBytes = 0;
    Spent areas, loads;
    bool areasFirst = true;
    for (auto _ : state) {
        Spent areasSpent, loadSpent;
        InTurn(
            areasFirst,
            [&] {
                areasSpent = Timed([&] {
                    const std::optional<WalkableAreas> found = WalkableAreas::Of(loaded->matrix);
                    areaBytes = found->MemoryBytes();
                });
            },
            [&] { loadSpent = Timed([&] { loaded = ReadMapFile(path); }); });
        state.SetIterationTime(areasSpent.wallSeconds);
        loads.wallSeconds += loadSpent.wallSeconds;
        loads.cpuSeconds += loadSpent.cpuSeconds;
    }
    const auto average = [](double total) { return benchmark::Counter(total, benchmark::Counter::kAvgIterations); };
    state.counters["beside_load_" + mapName + "_wall_s"] = average(loads.wallSeconds);
    state.counters["beside_load_" + mapName + "_cpu_s"] = average(loads.cpuSeconds);
    state.counters["area_bytes_per_cell"] = double(areaBytes) / (double(loaded->matrix.Columns()) * loaded->matrix.Rows());
}

// Keeps each benchmark's time per iteration (the median when repeated) for
// the ratios printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(OO_None) {} // no colour codes, counters as name=value: bench/run.sh reads what it prints
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median") {
                const std::string& name = run.run_name.function_name; // "load/MAP", "positioned/MAP"
                seconds_[name] = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
                const std::string mapName = name.substr(name.find('/') + 1);
                const auto floor = run.counters.find(FloorCounter(mapName, "wall"));
                if (floor != run.counters.end())
                    seconds_["floor/" + mapName] = floor->second.value;
            }
        ConsoleReporter::ReportRuns(runs);
    }

    void PrintRatios() const
    {
        std::printf("\n%-22s %18s %22s\n", "map", "load / floor", "positioned / load");
        for (const BenchMap& map : kMaps) {
            const double load = Time("load", map), floor = Time("floor", map), plain = Time("positioned", map);
            std::printf("%-22s %18.2f", map.name, floor > 0 ? load / floor : 0.0);
            if (plain > 0)
                std::printf(" %22.1f\n", plain / load);
            else
                std::printf(" %22s\n", "(not run)");
        }
    }

private:
    double Time(const std::string& road, const BenchMap& map) const
    {
        const auto found = seconds_.find(road + "/" + map.name);
        return found == seconds_.end() ? 0.0 : found->second;
    }

    std::map<std::string, double> seconds_;
};

} // namespace

int main(int argc, char** argv)
{
    for (const BenchMap& map : kMaps) {
        benchmark::RegisterBenchmark((std::string("load/") + map.name).c_str(), LoadBesideFloor, map)->Unit(benchmark::kMillisecond)->UseManualTime();
        if (map.keptFraction == 1)
            benchmark::RegisterBenchmark((std::string("areas/") + map.name).c_str(), AreasBesideLoad, map.name, BenchMapPath(map))
                ->Unit(benchmark::kMillisecond)->UseManualTime();
        // Sixteen million positioned reads take half a minute: the largest map is left to the others.
        if (map.width * map.height <= 1000 * 1000)
            benchmark::RegisterBenchmark((std::string("positioned/") + map.name).c_str(), PositionedReads, map)
                ->Unit(benchmark::kMillisecond)->UseRealTime();
    }
    benchmark::RegisterBenchmark("areas/rooms-4000x4000", AreasBesideLoad, "rooms-4000x4000", RoomsMapPath(4000, 4000))
        ->Unit(benchmark::kMillisecond)->UseManualTime();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
