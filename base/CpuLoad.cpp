#include "base/CpuLoad.h"

#include <charconv>

std::optional<int> RunnableThreadsOfLoadAverage(std::string_view loadAverage)
{
    // The fourth field: runnable "/" existing scheduling entities.
    std::size_t start = 0;
    for (int field = 0; field < 3; ++field) {
        start = loadAverage.find(' ', start);
        if (start == std::string_view::npos)
            return std::nullopt;
        ++start;
    }
    int runnable = 0;
    const char* end = loadAverage.data() + loadAverage.size();
    const auto [next, error] = std::from_chars(loadAverage.data() + start, end, runnable);
    if (error != std::errc() || next == end || *next != '/' || runnable < 1)
        return std::nullopt;
    return runnable;
}
