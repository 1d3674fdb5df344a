#include "track/PointerScan.h"

#include <algorithm>
#include <cstring>
#include <climits>
#include <cstdint>

namespace {

constexpr std::size_t kChunk = std::size_t(1) << 20;

bool InRegions(const std::vector<MemoryRegion>& regions, std::uint64_t address)
{
    const auto after = std::upper_bound(regions.begin(), regions.end(), address,
                                        [](std::uint64_t value, const MemoryRegion& region) { return value < region.start; });
    return after != regions.begin() && address < std::prev(after)->end;
}

// A place found in a step: an address, and the step before it leads to.
struct Place {
    std::uint64_t address = 0;
    std::size_t towards = 0;    // index of the place of the step before
    std::uint64_t offset = 0;   // added to the pointer read here, to reach it
};

PointerPath PathFrom(const std::vector<Place>& places, std::size_t first, const ProcessModule& module)
{
    PointerPath path{module.name, places[first].address - module.base, {}};
    for (std::size_t at = first; at != 0; at = places[at].towards)
        path.offsets.push_back(places[at].offset);
    return path;
}

// Calls found(value, place) for each pointer-aligned word of the writable
// memory whose value lands in it; done(bytes) after each chunk read.
template <typename Found, typename Done>
void EachPointer(const ProcessReader& reader, const std::vector<MemoryRegion>& regions, unsigned pointerWidth,
                 const std::atomic<bool>& cancel, Found found, Done done)
{
    std::vector<unsigned char> chunk(kChunk);
    for (const MemoryRegion& region : regions) {
        for (std::uint64_t at = region.start; at < region.end && !cancel; at += kChunk) {
            const std::size_t size = std::size_t(std::min<std::uint64_t>(kChunk, region.end - at));
            const std::size_t got = reader.Read(at, chunk.data(), size);
            for (std::size_t offset = 0; offset + pointerWidth <= got; offset += pointerWidth) {
                std::uint64_t value = 0;
                std::memcpy(&value, chunk.data() + offset, pointerWidth); // little-endian
                if (value != 0 && InRegions(regions, value))
                    found(value, at + offset);
            }
            done(size);
        }
    }
}

} // namespace

PointerReader PointersReadBy(const ProcessReader& reader, unsigned pointerWidth)
{
    return [&reader, pointerWidth](std::uint64_t at) -> std::optional<std::uint64_t> {
        std::uint64_t pointer = 0; // little-endian: the low bytes first
        if (reader.Read(at, &pointer, pointerWidth) != pointerWidth)
            return std::nullopt;
        return pointer;
    };
}

std::vector<PointerAt> IndexPointers(const ProcessReader& reader, unsigned pointerWidth, const std::atomic<bool>& cancel,
                                     const std::function<void(std::uint64_t done, std::uint64_t total)>& progress)
{
    const std::vector<MemoryRegion> regions = reader.WritableRegions();
    std::uint64_t total = 0;
    for (const MemoryRegion& region : regions)
        total += region.end - region.start;
    // Counted first, so that the index is had once at its size: growing it
    // would hold it one and a half times over while it is copied.
    std::uint64_t done = 0;
    std::size_t count = 0;
    EachPointer(reader, regions, pointerWidth, cancel, [&](std::uint64_t, std::uint64_t) { ++count; },
                [&](std::size_t bytes) {
                    done += bytes;
                    if (progress)
                        progress(done / 2, total);
                });
    std::vector<PointerAt> pointers;
    pointers.reserve(count + count / 64); // the client goes on meanwhile
    done = 0;
    EachPointer(reader, regions, pointerWidth, cancel,
                [&](std::uint64_t value, std::uint64_t place) { pointers.push_back({value, place}); },
                [&](std::size_t bytes) {
                    done += bytes;
                    if (progress)
                        progress(total / 2 + done / 2, total);
                });
    std::sort(pointers.begin(), pointers.end(), [](const PointerAt& a, const PointerAt& b) { return a.value < b.value; });
    return pointers;
}

// Pointers kept in a module end a path; each of the others leads on to its
// place once, and is passed over from then on (the next one not yet taken
// is found through nextUntaken, its chains shortened as they are walked):
// the pointers within reach of many places, as in memory full of pointers
// into itself, are paid for once rather than once a place.
std::vector<PointerPath> FindPointerPaths(const std::vector<PointerAt>& pointers, const std::vector<ProcessModule>& modules,
                                          std::uint64_t target, const PointerScanLimits& limits,
                                          const std::atomic<bool>& cancel)
{
    std::vector<PointerAt> inModules; // sorted by value, as the index is
    for (const PointerAt& pointer : pointers)
        if (ModuleAt(modules, pointer.place))
            inModules.push_back(pointer);
    std::vector<std::uint32_t> nextUntaken(std::min<std::size_t>(pointers.size(), UINT32_MAX) + 1);
    for (std::size_t i = 0; i < nextUntaken.size(); ++i)
        nextUntaken[i] = std::uint32_t(i);
    const auto untakenFrom = [&nextUntaken](std::size_t at) {
        while (nextUntaken[at] != at)
            at = nextUntaken[at] = nextUntaken[nextUntaken[at]];
        return at;
    };
    const auto byValue = [](const PointerAt& pointer, std::uint64_t value) { return pointer.value < value; };

    std::vector<PointerPath> paths;
    std::vector<Place> places{{target, 0, 0}};
    std::size_t stepBegin = 0;
    for (std::size_t step = 1; step <= limits.maxSteps && paths.size() < limits.maxPaths; ++step) {
        const std::size_t stepEnd = places.size();
        std::size_t addressesThisStep = 0;
        for (std::size_t towards = stepBegin; towards < stepEnd && paths.size() < limits.maxPaths && !cancel; ++towards) {
            const std::uint64_t address = places[towards].address;
            const std::uint64_t lowest = address > limits.maxOffset ? address - limits.maxOffset : 0;
            for (auto pointer = std::lower_bound(inModules.begin(), inModules.end(), lowest, byValue);
                 pointer != inModules.end() && pointer->value <= address && paths.size() < limits.maxPaths; ++pointer) {
                places.push_back({pointer->place, towards, address - pointer->value});
                paths.push_back(PathFrom(places, places.size() - 1, *ModuleAt(modules, pointer->place)));
                places.pop_back();
            }
            if (step == limits.maxSteps)
                continue;
            const std::size_t first = std::size_t(std::lower_bound(pointers.begin(), pointers.end(), lowest, byValue) - pointers.begin());
            for (std::size_t at = untakenFrom(std::min(first, nextUntaken.size() - 1));
                 at + 1 < nextUntaken.size() && pointers[at].value <= address && addressesThisStep < limits.maxAddressesAStep;
                 at = untakenFrom(at + 1)) {
                nextUntaken[at] = std::uint32_t(at + 1);
                const PointerAt& pointer = pointers[at];
                if (pointer.place != target && !ModuleAt(modules, pointer.place)) {
                    places.push_back({pointer.place, towards, address - pointer.value});
                    ++addressesThisStep;
                }
            }
        }
        stepBegin = stepEnd;
    }
    return paths;
}
