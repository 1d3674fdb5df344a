#include "base/CpuLoad.h"

#include <algorithm>
#include <bitset>
#include <cstdint>

#include <windows.h>

CpuLoad CurrentCpuLoad()
{
    CpuLoad load;
    DWORD_PTR process = 0, system = 0;
    if (::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system))
        load.usableProcessors = std::max<int>(1, int(std::bitset<64>(std::uint64_t(process)).count()));
    return load;
}
