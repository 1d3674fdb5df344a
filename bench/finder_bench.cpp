// The address finder over a synthetic client: a child process holding 1 GiB
// of memory below 4 GiB, mostly random 16-bit values with some zeroed pages,
// a pair planted at a few places, a million objects holding another pair and
// a position that moves every 2 ms.
//
//   finder_bench [Google Benchmark options]
//
// finder/first-scan   the first scan for the planted pair, timed in turn with
//                     the floor: the same memory read in 1 MiB pieces on one
//                     thread, every place compared by a plain loop; the
//                     position changes seen while the finder scans are counted
// finder/scanmem      scanmem's first scan for the planted x as a 16-bit value,
//                     timed in turn with the finder's first scan
// finder/narrow-1M    standing still narrows about a million candidates,
//                     spread over all the memory or packed into 64 MiB
// finder/guided-scan  the first scan by a 1000 x 1000 map, in a fresh child
//                     process whose peak memory beyond its start is counted
// mapkey/first-look   the map key's first look (every place of the memory
//                     taken), timed in turn with the finder's first scan
//
// bench/run.sh prints the ratios and the figures with their targets.

#include "bench/ForkedClient.h"
#include "bench/InTurn.h"
#include "bench/MemoryStatus.h"
#include "process/ProcessReader.h"
#include "track/AddressFinder.h"
#include "track/MapKeyFinder.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <malloc.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/uio.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

constexpr std::size_t kClientBytes = std::size_t(1) << 30;
constexpr std::size_t kBlockBytes = std::size_t(64) << 20;
constexpr std::size_t kPage = 4096;
constexpr std::uint64_t kReach = std::uint64_t(1) << 32;
constexpr std::size_t kChunk = std::size_t(1) << 20;
constexpr std::uint16_t kPlantedX = 312, kPlantedY = 207;
constexpr std::uint32_t kPlantedPair = kPlantedX | std::uint32_t(kPlantedY) << 16;
constexpr int kPlantedCopies = 8;
// A million objects of 64 bytes, each starting with the same pair, fill the
// last 64 MiB: a million candidates in a small part of the memory.
constexpr std::uint16_t kObjectX = 5000, kObjectY = 5000;
constexpr std::size_t kObjectBytes = 64;
constexpr std::size_t kObjectCount = std::size_t(1) << 20;

// Blocks of the client's memory, placed between 1 GiB and 3.75 GiB where the
// address space has room (MAP_32BIT would give 1 GiB at most, and not always).
class LowBlocks {
public:
    LowBlocks()
    {
        for (std::uintptr_t at = 0x40000000; Bytes() < kClientBytes && at + kBlockBytes <= 0xF0000000; at += kBlockBytes) {
            void* block = ::mmap(reinterpret_cast<void*>(at), kBlockBytes, PROT_READ | PROT_WRITE,
                                 MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0);
            if (block != MAP_FAILED)
                blocks_.push_back(static_cast<unsigned char*>(block));
        }
    }
    ~LowBlocks()
    {
        for (unsigned char* block : blocks_)
            ::munmap(block, kBlockBytes);
    }
    LowBlocks(const LowBlocks&) = delete;
    LowBlocks& operator=(const LowBlocks&) = delete;

    std::size_t Bytes() const { return blocks_.size() * kBlockBytes; }
    unsigned char* At(std::size_t offset) const { return blocks_[offset / kBlockBytes] + offset % kBlockBytes; }

private:
    std::vector<unsigned char*> blocks_;
};

// One page in eight stays zeroed, the others get random values.
void FillLikeAClient(const LowBlocks& memory, std::mt19937_64& random)
{
    for (std::size_t page = 0; page < memory.Bytes(); page += kPage) {
        if (random() % 8 == 0)
            continue;
        unsigned char* bytes = memory.At(page);
        for (std::size_t at = 0; at < kPage; at += 8) {
            const std::uint64_t values = random();
            std::memcpy(bytes + at, &values, 8);
        }
    }
}

std::size_t SomePlace(const LowBlocks& memory, std::mt19937_64& random)
{
    return 4 * (random() % (memory.Bytes() / 4));
}

void PlaceObjects(const LowBlocks& memory)
{
    const std::uint32_t pair = kObjectX | std::uint32_t(kObjectY) << 16;
    for (std::size_t i = 0; i < kObjectCount; ++i)
        std::memcpy(memory.At(memory.Bytes() - (i + 1) * kObjectBytes), &pair, 4);
}

// The two ends of a pipe, each closed when let go or at the end.
class Pipe {
public:
    Pipe()
    {
        if (::pipe(ends_) != 0)
            ends_[0] = ends_[1] = -1;
    }
    ~Pipe()
    {
        CloseReadEnd();
        CloseWriteEnd();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;

    bool IsOpen() const { return ends_[0] >= 0; }
    // Reads exactly sizeof value bytes, or fails.
    template <typename Value>
    bool Read(Value& value) const { return ::read(ends_[0], &value, sizeof value) == ssize_t(sizeof value); }
    template <typename Value>
    void Write(const Value& value) const { (void)!::write(ends_[1], &value, sizeof value); }
    void CloseReadEnd() { Close(ends_[0]); }
    void CloseWriteEnd() { Close(ends_[1]); }

private:
    static void Close(int& end)
    {
        if (end >= 0)
            ::close(end);
        end = -1;
    }

    int ends_[2];
};

// The child's whole life: memory filled, the position's address written to
// `report`, then the player walks along y = 500 until the child is killed.
[[noreturn]] void RunClient(int report)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);                 // gone with the benchmark, however it ends
    ::prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0); // scanmem is not our ancestor
    const LowBlocks memory;
    if (memory.Bytes() < kClientBytes)
        ::_exit(1); // the benchmark reads no address and says why
    std::mt19937_64 random(20240601);
    FillLikeAClient(memory, random);
    PlaceObjects(memory);
    for (int i = 0; i < kPlantedCopies; ++i)
        std::memcpy(memory.At(SomePlace(memory, random)), &kPlantedPair, 4);
    auto* position = reinterpret_cast<volatile std::uint32_t*>(memory.At(SomePlace(memory, random)));
    const auto address = std::uint32_t(reinterpret_cast<std::uintptr_t>(position));
    (void)!::write(report, &address, sizeof address);
    ::close(report);
    for (std::uint32_t step = 0;; ++step) {
        *position = (100 + step % 800) | std::uint32_t(500) << 16;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

// The client process, killed when this ends.
// One client for all the benchmarks: filling 1 GiB takes seconds.
// The client, its position's address reported (0: it got too little memory
// below 4 GiB).
using SyntheticClient = ForkedClient<std::uint32_t>;

const SyntheticClient& Client()
{
    static const SyntheticClient client(RunClient);
    return client;
}

double ChildrenCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

benchmark::Counter PerIteration(double total)
{
    return benchmark::Counter(total, benchmark::Counter::kAvgIterations);
}

// Reads the client's position every half millisecond on a thread of its own
// and counts the changes it sees, until it ends.
class PositionWatch {
public:
    PositionWatch(const ProcessReader& reader, std::uint32_t address)
        : thread_([this, &reader, address] { Watch(reader, address); })
    {
    }
    ~PositionWatch() { Stop(); }
    PositionWatch(const PositionWatch&) = delete;
    PositionWatch& operator=(const PositionWatch&) = delete;

    int Stop()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
        return changes_;
    }

private:
    void Watch(const ProcessReader& reader, std::uint32_t address)
    {
        std::uint32_t last = 0;
        reader.Read(address, &last, 4);
        while (!stop_) {
            std::this_thread::sleep_for(std::chrono::microseconds(500));
            std::uint32_t now = 0;
            if (reader.Read(address, &now, 4) == 4 && now != last)
                ++changes_;
            last = now;
        }
    }

    std::atomic<bool> stop_{false};
    int changes_ = 0;
    std::thread thread_;
};

bool ClientReady(benchmark::State& state, const ProcessReader& reader)
{
    if (Client().Reported() == 0)
        state.SkipWithError("the client got less than 1 GiB below 4 GiB");
    else if (!reader.Refusal().empty())
        state.SkipWithError(reader.Refusal().c_str());
    return Client().Reported() != 0 && reader.Refusal().empty();
}

// The floor: every place the finder looks at, read in 1 MiB pieces (and the
// 2 bytes after, for the place across the end) and compared, on one thread.
std::uint64_t FloorScan(const ProcessReader& reader, std::uint32_t pair, std::vector<unsigned char>& buffer)
{
    std::uint64_t found = 0;
    for (const MemoryRegion& region : reader.WritableRegions()) {
        const std::uint64_t end = std::min(region.end, kReach);
        for (std::uint64_t at = region.start; at + 4 <= end; at += kChunk) {
            const std::size_t size = std::size_t(std::min<std::uint64_t>(kChunk + 2, end - at));
            iovec local{buffer.data(), size};
            iovec remote{reinterpret_cast<void*>(at), size};
            const ssize_t got = ::process_vm_readv(reader.ProcessId(), &local, 1, &remote, 1, 0);
            for (std::size_t place = 0; place < kChunk && ssize_t(place + 4) <= got; place += 2) {
                std::uint32_t value;
                std::memcpy(&value, buffer.data() + place, 4);
                found += value == pair;
            }
        }
    }
    return found;
}

FinderOutcome FirstScanForPlantedPair(const ProcessReader& reader)
{
    AddressFinder finder(reader);
    FinderProgress progress;
    return finder.KeepPosition(kPlantedX, kPlantedY, progress);
}

void FirstScanBesideFloor(benchmark::State& state)
{
    const ProcessReader reader(Client().ProcessId());
    if (!ClientReady(state, reader))
        return;
    std::vector<unsigned char> buffer(kChunk + 2);
    Spent finderTotal, floorTotal;
    double moves = 0;
    bool finderFirst = true;
    for (auto _ : state) {
        Spent finder, floor;
        FinderOutcome outcome;
        std::uint64_t floorFound = 0;
        InTurn(
            finderFirst,
            [&] {
                PositionWatch watch(reader, Client().Reported());
                finder = Timed([&] { outcome = FirstScanForPlantedPair(reader); });
                moves += watch.Stop();
            },
            [&] { floor = Timed([&] { floorFound = FloorScan(reader, kPlantedPair, buffer); }); });
        if (outcome.candidates < kPlantedCopies || floorFound != outcome.candidates)
            state.SkipWithError("the finder and the floor disagree, or the planted pairs were missed");
        state.SetIterationTime(finder.wallSeconds);
        finderTotal.cpuSeconds += finder.cpuSeconds;
        floorTotal.wallSeconds += floor.wallSeconds;
        floorTotal.cpuSeconds += floor.cpuSeconds;
    }
    state.counters["finder_cpu_s"] = PerIteration(finderTotal.cpuSeconds);
    state.counters["beside_finder_floor_wall_s"] = PerIteration(floorTotal.wallSeconds);
    state.counters["beside_finder_floor_cpu_s"] = PerIteration(floorTotal.cpuSeconds);
    state.counters["moves_seen"] = PerIteration(moves);
}

void MapKeyLookBesideFinder(benchmark::State& state)
{
    const ProcessReader reader(Client().ProcessId());
    if (!ClientReady(state, reader))
        return;
    Spent finderTotal;
    double places = 0;
    bool keyFirst = true;
    for (auto _ : state) {
        Spent key, finder;
        InTurn(
            keyFirst,
            [&] {
                MapKeyFinder keyFinder(reader);
                FinderProgress progress;
                key = Timed([&] { places = double(keyFinder.Look(progress).candidates); });
            },
            [&] { finder = Timed([&] { FirstScanForPlantedPair(reader); }); });
        state.SetIterationTime(key.wallSeconds);
        finderTotal.wallSeconds += finder.wallSeconds;
        finderTotal.cpuSeconds += finder.cpuSeconds;
    }
    state.counters["beside_finder_for_key_wall_s"] = PerIteration(finderTotal.wallSeconds);
    state.counters["beside_finder_for_key_cpu_s"] = PerIteration(finderTotal.cpuSeconds);
    state.counters["places"] = places;
}

// scanmem's first scan, from its start to its exit: 0 when it ran through.
int RunScanmem(std::int32_t processId)
{
    const std::string pid = std::to_string(processId);
    const std::string commands = "option scan_data_type int16; reset; " + std::to_string(kPlantedX) + "; exit";
    const char* arguments[] = {"scanmem", "--errexit", "-p", pid.c_str(), "-c", commands.c_str(), nullptr};
    posix_spawn_file_actions_t quiet;
    posix_spawn_file_actions_init(&quiet);
    posix_spawn_file_actions_addopen(&quiet, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&quiet, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t child = 0;
    const int spawned = ::posix_spawnp(&child, "scanmem", &quiet, nullptr, const_cast<char**>(arguments), environ);
    posix_spawn_file_actions_destroy(&quiet);
    if (spawned != 0)
        return -1;
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ScanmemBesideFinder(benchmark::State& state)
{
    const ProcessReader reader(Client().ProcessId());
    if (!ClientReady(state, reader))
        return;
    Spent scanmemTotal, finderTotal;
    static bool scanmemFirst = true; // one iteration a repetition, as a run of scanmem takes seconds
    for (auto _ : state) {
        Spent scanmem, finder;
        int status = 0;
        InTurn(
            scanmemFirst, [&] { scanmem = Timed([&] { status = RunScanmem(reader.ProcessId()); }, ChildrenCpuSeconds); },
            [&] { finder = Timed([&] { FirstScanForPlantedPair(reader); }); });
        if (status != 0)
            state.SkipWithError("scanmem failed (apt-get install scanmem)");
        state.SetIterationTime(scanmem.wallSeconds);
        scanmemTotal.cpuSeconds += scanmem.cpuSeconds;
        finderTotal.wallSeconds += finder.wallSeconds;
        finderTotal.cpuSeconds += finder.cpuSeconds;
    }
    state.counters["scanmem_cpu_s"] = PerIteration(scanmemTotal.cpuSeconds);
    state.counters["beside_finder_for_scanmem_wall_s"] = PerIteration(finderTotal.wallSeconds);
    state.counters["beside_finder_for_scanmem_cpu_s"] = PerIteration(finderTotal.cpuSeconds);
}

// A map walled all round: random content lands on one of its 4094 x 2046
// inner cells once in about 512 places, zeroed memory never.
StandableCells WalledMap(int width, int height)
{
    StandableCells cells(width, height);
    for (int x = 1; x + 1 < width; ++x)
        for (int y = 1; y + 1 < height; ++y)
            cells.Allow(x, y);
    return cells;
}

// Standing still, after a first scan that left about a million candidates
// spread over all the memory (random values on a large map) or packed into
// the objects' 64 MiB.
void NarrowAMillion(benchmark::State& state, bool spread)
{
    const ProcessReader reader(Client().ProcessId());
    if (!ClientReady(state, reader))
        return;
    AddressFinder finder(reader);
    FinderProgress progress;
    if (spread)
        finder.KeepOnMap(WalledMap(4096, 2048), progress);
    else
        finder.KeepPosition(kObjectX, kObjectY, progress);
    for (auto _ : state)
        finder.KeepStill(progress);
    state.counters["candidates"] = double(finder.Count());
}

struct GuidedScanFigures {
    double seconds = 0;
    double extraPeakMiB = 0;
    double candidates = 0;
};

// In the child: the scan, and the highest resident memory it reached above
// what the child held before (freed heap given back first, the peak reset).
GuidedScanFigures MeasureGuidedScan(const ProcessReader& reader, const StandableCells& cells)
{
    ::malloc_trim(0);
    ResetMemoryPeak();
    const std::uint64_t before = StatusKiB("VmRSS:");
    AddressFinder finder(reader);
    FinderProgress progress;
    FinderOutcome outcome;
    const Spent spent = Timed([&] { outcome = finder.KeepOnMap(cells, progress); });
    return {spent.wallSeconds, double(StatusKiB("VmHWM:") - before) / 1024, double(outcome.candidates)};
}

// Runs MeasureGuidedScan in a fresh child process, so that nothing this
// process freed before is reused unseen.
bool GuidedScanInChild(const ProcessReader& reader, const StandableCells& cells, GuidedScanFigures& figures)
{
    Pipe report;
    if (!report.IsOpen())
        return false;
    const pid_t child = ::fork();
    if (child == 0) {
        report.CloseReadEnd();
        report.Write(MeasureGuidedScan(reader, cells));
        ::_exit(0);
    }
    report.CloseWriteEnd();
    const bool got = child > 0 && report.Read(figures);
    if (child > 0)
        ::waitpid(child, nullptr, 0);
    return got;
}

void GuidedScanMemory(benchmark::State& state)
{
    const ProcessReader reader(Client().ProcessId());
    if (!ClientReady(state, reader))
        return;
    StandableCells cells(1000, 1000);
    for (int x = 0; x < 1000; ++x)
        for (int y = 0; y < 1000; ++y)
            cells.Allow(x, y);
    GuidedScanFigures total;
    for (auto _ : state) {
        GuidedScanFigures figures;
        if (!GuidedScanInChild(reader, cells, figures))
            state.SkipWithError("no child process for the scan");
        state.SetIterationTime(figures.seconds);
        total.extraPeakMiB += figures.extraPeakMiB;
        total.candidates += figures.candidates;
    }
    state.counters["extra_peak_MiB"] = PerIteration(total.extraPeakMiB);
    state.counters["candidates"] = PerIteration(total.candidates);
}

} // namespace

int main(int argc, char** argv)
{
    benchmark::RegisterBenchmark("finder/first-scan", FirstScanBesideFloor)->Unit(benchmark::kMillisecond)->UseManualTime();
    benchmark::RegisterBenchmark("finder/scanmem", ScanmemBesideFinder)->Unit(benchmark::kMillisecond)->UseManualTime();
    benchmark::RegisterBenchmark("finder/narrow-1M/spread", NarrowAMillion, true)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("finder/narrow-1M/packed", NarrowAMillion, false)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark("mapkey/first-look", MapKeyLookBesideFinder)->Unit(benchmark::kMillisecond)->UseManualTime();
    benchmark::RegisterBenchmark("finder/guided-scan", GuidedScanMemory)->Unit(benchmark::kMillisecond)->UseManualTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
