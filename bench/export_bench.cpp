// The batch exporter over 200 maps of 500 x 500 cells, with one job and with
// two, side by side: each run is the exporter program itself, started on the
// folder of maps. Wall time is what is measured; the exporter's own CPU time
// is reported beside it.
//
//   export_bench EXPORTER [Google Benchmark options]
//
// After the runs it prints the time of one job over the time of two.

#include "bench/BenchMaps.h"

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

extern char** environ;

namespace {

constexpr int kMapCount = 200;
const char* exporter = nullptr;

fs::path MapFolder()
{
    const fs::path folder = fs::temp_directory_path() / "tarvex-bench-export";
    fs::create_directories(folder / "maps");
    const fs::path source = BenchMapPath({"500x500", 500, 500, 1.0});
    for (int i = 0; i < kMapCount; ++i) {
        const fs::path map = folder / "maps" / ("map" + std::to_string(i) + ".map");
        if (!fs::exists(map))
            fs::copy_file(source, map);
    }
    return folder;
}

double ChildrenCpuSeconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool RunExporter(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv{const_cast<char*>(exporter)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    if (::posix_spawn(&child, exporter, nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void Export(benchmark::State& state)
{
    const fs::path folder = MapFolder();
    const std::string jobs = std::to_string(state.range(0));
    const double cpuBefore = ChildrenCpuSeconds();
    for (auto _ : state) {
        if (!RunExporter({"--jobs", jobs, "-o", (folder / ("out-" + jobs)).string(), (folder / "maps").string()}))
            state.SkipWithError("the exporter failed");
    }
    state.counters["exporter_cpu_s"] = benchmark::Counter((ChildrenCpuSeconds() - cpuBefore) / double(state.iterations()));
    state.counters["maps/s"] = benchmark::Counter(double(kMapCount) * double(state.iterations()), benchmark::Counter::kIsRate);
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argv[1][0] == '-') {
        std::fputs("usage: export_bench EXPORTER [Google Benchmark options]\n", stderr);
        return 2;
    }
    exporter = argv[1];
    argv[1] = argv[0];
    ++argv;
    --argc;
    benchmark::RegisterBenchmark("export/jobs", Export)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks(); // bench/run.sh sets the two jobs' times side by side
    benchmark::Shutdown();
    return 0;
}
