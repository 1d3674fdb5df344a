#include "process/ProcessReader.h"

#include <algorithm>

std::vector<MemoryRegion> MergeTouchingRegions(std::vector<MemoryRegion> regions)
{
    std::sort(regions.begin(), regions.end(),
              [](const MemoryRegion& a, const MemoryRegion& b) { return a.start < b.start; });
    std::vector<MemoryRegion> merged;
    for (const MemoryRegion& region : regions) {
        if (!merged.empty() && region.start <= merged.back().end)
            merged.back().end = std::max(merged.back().end, region.end);
        else
            merged.push_back(region);
    }
    return merged;
}
