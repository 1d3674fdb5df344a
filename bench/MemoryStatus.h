#pragma once
// This process's memory as /proc/self/status tells it, in KiB: "VmRSS:" in
// use now, "VmHWM:" the peak since the start or since ResetMemoryPeak().

#include <cstdint>
#include <fstream>
#include <string>

inline std::uint64_t StatusKiB(const char* field)
{
    std::ifstream status("/proc/self/status");
    std::string name;
    std::uint64_t kib = 0;
    while (status >> name)
        if (name == field && status >> kib)
            return kib;
    return 0;
}

inline void ResetMemoryPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}
