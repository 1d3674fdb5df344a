// Pointer paths over a synthetic client: a child process holding 256 MiB of
// writable memory in which every fourth word points somewhere into it (a
// heap dense with objects), and a chain from a global variable of its own
// program through two objects to the player's position.
//
//   pointer_bench [Google Benchmark options]
//
// pointers/scan-256MiB  the index of the client's pointers made and searched
//                       backward from the position, as "Make It Last" does;
//                       counts the index's bytes and the peak memory of
//                       the scan per byte scanned, and whether the chain
//                       was found
// pointers/resolve      the client's modules listed and the chain's path
//                       followed, as opening a tracking file does
// pointers/fan-in-64MiB the search alone over an index of 8 Mi pointers of
//                       64 MiB into itself: fan-in is the index's to pay
// modules/listing/N     the modules of a maps listing of N mapped files;
//                       the fitted complexity is to be linear (BigO)
//
// bench/run.sh prints the figures with their targets.

#include "bench/ForkedClient.h"
#include "bench/MemoryStatus.h"
#include "process/ProcessModules.h"
#include "process/ProcessReader.h"
#include "track/PointerScan.h"

#include <benchmark/benchmark.h>

#include <sys/prctl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <cstdio>
#include <string>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t kClientWords = (std::size_t(256) << 20) / 8;
constexpr std::uint64_t kFirstOffset = 0x18, kSecondOffset = 0x40;

void* volatile gWorld = nullptr; // the chain's start, in this program's own data

// The child's whole life: memory filled, the position's address written to
// the pipe, then it waits to be killed.
[[noreturn]] void RunClient(int report)
{
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    std::vector<std::uint64_t> heap(kClientWords);
    std::mt19937_64 random(20261208);
    const auto base = reinterpret_cast<std::uint64_t>(heap.data());
    for (std::uint64_t& word : heap)
        word = random() % 4 == 0 ? base + (random() % kClientWords) * 8 : random() % 100000;
    const std::size_t world = (random() % (kClientWords / 2)) & ~std::size_t(7);
    const std::size_t player = kClientWords / 2 + ((random() % (kClientWords / 4)) & ~std::size_t(7));
    heap[world + kFirstOffset / 8] = base + player * 8;
    gWorld = &heap[world];
    const std::uint64_t position = base + player * 8 + kSecondOffset;
    (void)!::write(report, &position, sizeof position);
    ::close(report);
    for (;;)
        std::this_thread::sleep_for(std::chrono::seconds(1));
}

// The client, its position's address reported (0: it could not be set up).
using SyntheticClient = ForkedClient<std::uint64_t>;

const SyntheticClient& Client()
{
    static const SyntheticClient client(RunClient);
    return client;
}

bool IsTheChain(const PointerPath& path)
{
    return path.offsets == std::vector<std::uint64_t>{kFirstOffset, kSecondOffset};
}

void ScanPointers(benchmark::State& state)
{
    const ProcessReader reader(Client().ProcessId());
    const ModuleList modules = ListModules(Client().ProcessId());
    if (Client().Reported() == 0 || !reader.Refusal().empty() || !modules.failure.empty()) {
        state.SkipWithError("the client could not be started or read");
        return;
    }
    const std::atomic<bool> never{false};
    std::uint64_t scanned = 0;
    std::size_t indexed = 0;
    bool chainFound = false;
    std::uint64_t extraPeakKiB = 0;
    for (auto _ : state) {
        ResetMemoryPeak(); // the peak counts from here
        const std::uint64_t before = StatusKiB("VmRSS:");
        const std::vector<PointerAt> pointers = IndexPointers(reader, modules.pointerWidth, never,
                                                              [&](std::uint64_t, std::uint64_t total) { scanned = total; });
        const std::vector<PointerPath> paths = FindPointerPaths(pointers, modules.modules, Client().Reported(), {}, never);
        indexed = pointers.size();
        chainFound = std::any_of(paths.begin(), paths.end(), IsTheChain);
        extraPeakKiB = StatusKiB("VmHWM:") - before;
    }
    state.counters["index_bytes_per_scanned_byte"] = double(indexed * sizeof(PointerAt)) / double(scanned);
    state.counters["scanned_MiB"] = double(scanned) / (1 << 20);
    state.counters["peak_bytes_per_scanned_byte"] = double(extraPeakKiB * 1024) / double(scanned);
    state.counters["chain_found"] = chainFound ? 1 : 0;
}
BENCHMARK(ScanPointers)->Name("pointers/scan-256MiB")->Unit(benchmark::kSecond)->Iterations(1)->Repetitions(3)->UseRealTime();

void ResolvePath(benchmark::State& state)
{
    const ProcessReader reader(Client().ProcessId());
    const ModuleList modules = ListModules(Client().ProcessId());
    const ProcessModule* program = ModuleAt(modules.modules, reinterpret_cast<std::uintptr_t>(&gWorld));
    if (Client().Reported() == 0 || !program) {
        state.SkipWithError("the client could not be started or read");
        return;
    }
    const PointerPath chain{program->name, reinterpret_cast<std::uintptr_t>(&gWorld) - program->base,
                            {kFirstOffset, kSecondOffset}};
    for (auto _ : state) {
        const ModuleList now = ListModules(Client().ProcessId());
        const ResolvedPointerPath resolved = ResolvePointerPath(chain, now.modules, PointersReadBy(reader, now.pointerWidth));
        if (resolved.address != Client().Reported())
            state.SkipWithError("the path does not lead to the position");
    }
}
BENCHMARK(ResolvePath)->Name("pointers/resolve")->Unit(benchmark::kMillisecond)->UseRealTime();

// An index of a client whose 64 MiB of memory is full of pointers into
// itself (a heap of objects that all point at each other), with a global of
// its program pointing into it too: every place the search comes to has
// some 500 pointers within reach.
void SearchFanIn(benchmark::State& state)
{
    constexpr std::uint64_t kRegion = 0x10000000, kRegionSize = 64 << 20, kPointers = kRegionSize / 8;
    std::vector<PointerAt> pointers;
    pointers.reserve(kPointers + 1);
    std::uint64_t random = 12345;
    for (std::uint64_t i = 0; i < kPointers; ++i) {
        random = random * 6364136223846793005ull + 1442695040888963407ull;
        pointers.push_back({kRegion + ((random >> 16) % kRegionSize & ~std::uint64_t(7)), kRegion + i * 8});
    }
    pointers.push_back({kRegion + 0x80000, 0x400100}); // the program's global
    std::sort(pointers.begin(), pointers.end(), [](const PointerAt& a, const PointerAt& b) { return a.value < b.value; });
    const std::vector<ProcessModule> modules{{"Client.exe", 0x400000, 0x10000}};
    const std::atomic<bool> never{false};
    std::size_t found = 0;
    for (auto _ : state)
        found = FindPointerPaths(pointers, modules, kRegion + 0x80010, {}, never).size();
    state.counters["paths"] = double(found);
}
BENCHMARK(SearchFanIn)->Name("pointers/fan-in-64MiB")->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

// A maps listing of a client with as many mapped files as the argument,
// each mapped twice (its text and its data), as a client with many files
// open has: the modules come out of it in time linear in its length.
void ListManyModules(benchmark::State& state)
{
    std::string maps;
    char line[160];
    for (std::int64_t file = 0; file < state.range(0); ++file)
        for (int part = 0; part < 2; ++part) {
            const std::uint64_t start = 0x10000000ull + std::uint64_t(file * 2 + part) * 0x2000;
            std::snprintf(line, sizeof line, "%llx-%llx r-xp 00000000 08:01 %lld /data/cache/file%lld.bin\n",
                          static_cast<unsigned long long>(start), static_cast<unsigned long long>(start + 0x1000),
                          static_cast<long long>(file), static_cast<long long>(file));
            maps += line;
        }
    for (auto _ : state)
        benchmark::DoNotOptimize(ModulesFromMaps(maps));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(ListManyModules)->Name("modules/listing")->Arg(15000)->Arg(30000)->Arg(60000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
