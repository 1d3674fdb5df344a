#include "base/CpuLoad.h"

#include "base/RegularFile.h"

#include <algorithm>

#include <sched.h>

CpuLoad CurrentCpuLoad()
{
    CpuLoad load;
    cpu_set_t processors;
    CPU_ZERO(&processors);
    if (::sched_getaffinity(0, sizeof processors, &processors) == 0)
        load.usableProcessors = std::max(1, CPU_COUNT(&processors));
    const RegularFile loadAverage("/proc/loadavg");
    char text[128];
    const std::int64_t size = loadAverage.ReadAt(0, text, sizeof text);
    load.runnableThreads = RunnableThreadsOfLoadAverage(std::string_view(text, std::size_t(size))).value_or(1);
    return load;
}
