// The finder's first scan of a 32-bit stand-in client beside a 64-bit one of
// the same kind, each hiding the position in a block of the same size
// (--hidden --block 256): the game client players run is a 32-bit program,
// often under Wine, which lays out a 32-bit process's memory otherwise.
//
//   width_bench [Google Benchmark options]
//
// width/linux-first-scan  the 32-bit Linux build (STAND_IN_CLIENT_32) beside
//                         the 64-bit one, timed in turn
// width/wine-first-scan   the 32-bit Windows build beside the 64-bit one,
//                         under Wine, timed in turn; needs the programs in
//                         TARVEX_WINDOWS_CLIENT_32 and TARVEX_WINDOWS_CLIENT
//                         (tools/windows-checks.sh builds them)
//
// Each reports the 32-bit scan's time, and as counters the 64-bit one's time
// beside it and the MiB of writable memory each client has.

#include "bench/InTurn.h"
#include "process/ClientStart.h"
#include "process/ProcessList.h"
#include "process/ProcessReader.h"
#include "tests/support/StandInClient.h"
#include "track/AddressFinder.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>
#include <string>

namespace {

constexpr std::uint16_t kX = 123, kY = 45;
const std::string kArguments = "--hidden --block 256 --hold 123 45 --seconds 600";

// A stand-in client and its process as this system lists it (under Wine,
// the Windows process identifier it prints is Wine's own).
struct RunningClient {
    std::unique_ptr<StandInClient> client;
    std::uint32_t process = 0;

    RunningClient(const std::string& program, bool underWine)
        : client(std::make_unique<StandInClient>(kArguments, underWine ? WineFor(program) + " " + program : program)),
          process(FindStartedClient(SnapshotProcesses(), client->StartedProcessId(), program).value_or(0))
    {
    }
};

double WritableMiB(const ProcessReader& reader)
{
    std::uint64_t bytes = 0;
    for (const MemoryRegion& region : reader.WritableRegions())
        bytes += region.end - region.start;
    return double(bytes) / double(1 << 20);
}

bool FirstScanFinds(const ProcessReader& reader, std::uint32_t address)
{
    AddressFinder finder(reader);
    FinderProgress progress;
    finder.KeepPosition(kX, kY, progress);
    for (const FoundPlace& place : finder.First(std::size_t(finder.Count())))
        if (place.address == address)
            return true;
    return false;
}

void FirstScanBeside64Bit(benchmark::State& state, const std::string& program32, const std::string& program64, bool underWine)
{
    if (program32.empty() || program64.empty()) {
        state.SkipWithError("the 32-bit or the 64-bit stand-in client is not named");
        return;
    }
    const RunningClient client32(program32, underWine), client64(program64, underWine);
    const ProcessReader reader32{std::int32_t(client32.process)}, reader64{std::int32_t(client64.process)};
    if (client32.process == 0 || client64.process == 0 || !reader32.Refusal().empty() || !reader64.Refusal().empty()) {
        state.SkipWithError("a stand-in client did not start, or cannot be read");
        return;
    }
    Spent total64;
    bool firstGoesFirst = true;
    bool found = true;
    for (auto _ : state) {
        Spent scan32, scan64;
        InTurn(
            firstGoesFirst, [&] { scan32 = Timed([&] { found &= FirstScanFinds(reader32, client32.client->address); }); },
            [&] { scan64 = Timed([&] { found &= FirstScanFinds(reader64, client64.client->address); }); });
        state.SetIterationTime(scan32.wallSeconds);
        total64.wallSeconds += scan64.wallSeconds;
    }
    if (!found)
        state.SkipWithError("a first scan missed the client's position");
    state.counters["beside_64_bit_wall_s"] = benchmark::Counter(total64.wallSeconds, benchmark::Counter::kAvgIterations);
    state.counters["writable_32_bit_mib"] = WritableMiB(reader32);
    state.counters["writable_64_bit_mib"] = WritableMiB(reader64);
}

std::string FromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

BENCHMARK_CAPTURE(FirstScanBeside64Bit, linux, STAND_IN_CLIENT_32, STAND_IN_CLIENT, false)
    ->Name("width/linux-first-scan")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK_CAPTURE(FirstScanBeside64Bit, wine, FromEnvironment("TARVEX_WINDOWS_CLIENT_32"),
                  FromEnvironment("TARVEX_WINDOWS_CLIENT"), true)
    ->Name("width/wine-first-scan")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

BENCHMARK_MAIN();
