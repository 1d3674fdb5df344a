#include "process/ProcessModules.h"
#include "track/PointerPath.h"
#include "track/PointerScan.h"
#include "track/TrackingFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <set>

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

// The search as first written: every pointer within reach of every place
// looked at, a set of the places seen.
std::vector<PointerPath> EveryPointerLookedAt(const std::vector<PointerAt>& pointers, const std::vector<ProcessModule>& modules,
                                              std::uint64_t target, const PointerScanLimits& limits)
{
    struct Place {
        std::uint64_t address;
        std::size_t towards;
        std::uint64_t offset;
    };
    std::vector<PointerPath> paths;
    std::vector<Place> places{{target, 0, 0}};
    std::set<std::uint64_t> seen{target};
    std::size_t stepBegin = 0;
    for (std::size_t step = 1; step <= limits.maxSteps && paths.size() < limits.maxPaths; ++step) {
        const std::size_t stepEnd = places.size();
        std::size_t added = 0;
        for (std::size_t towards = stepBegin; towards < stepEnd && paths.size() < limits.maxPaths; ++towards) {
            const std::uint64_t address = places[towards].address;
            for (const PointerAt& pointer : pointers) {
                if (pointer.value > address || address - pointer.value > limits.maxOffset || paths.size() >= limits.maxPaths)
                    continue;
                if (const ProcessModule* module = ModuleAt(modules, pointer.place)) {
                    PointerPath path{module->name, pointer.place - module->base, {address - pointer.value}};
                    for (std::size_t at = towards; at != 0; at = places[at].towards)
                        path.offsets.push_back(places[at].offset);
                    paths.push_back(path);
                } else if (step < limits.maxSteps && added < limits.maxAddressesAStep && seen.insert(pointer.place).second) {
                    places.push_back({pointer.place, towards, address - pointer.value});
                    ++added;
                }
            }
        }
        stepBegin = stepEnd;
    }
    return paths;
}

// A global at Client.exe+100 points to an object A; A+18 points to B; the
// value sits 40 bytes into B. A second global points straight to B.
TEST(PointerScanTest, PathsAreFoundBackwardShortestFirstWithinTheOffsetLimit)
{
    const std::vector<ProcessModule> modules = {{"Client.exe", 0x400000, 0x1000}};
    std::vector<PointerAt> pointers = {
        {0x5000, 0x400100}, // the global, to A
        {0x9000, 0x5018},   // A, to B
        {0x9000, 0x400200}, // the second global, to B
        {0x5000, 0x5000},   // A, to itself
        {0x8000, 0x400300}, // a global to 0x1040 bytes before the value: too far
    };
    std::sort(pointers.begin(), pointers.end(), [](const PointerAt& a, const PointerAt& b) { return a.value < b.value; });
    const std::atomic<bool> never{false};
    std::vector<std::string> found;
    for (const PointerPath& path : FindPointerPaths(pointers, modules, 0x9040, {}, never))
        found.push_back(FormatPointerPath(path));
    // A's pointer to itself leads back to A once, never round and round.
    EXPECT_EQ(found, std::vector<std::string>({"Client.exe+200 -> +40", "Client.exe+100 -> +18 -> +40",
                                               "Client.exe+100 -> +0 -> +18 -> +40"}));

    PointerScanLimits few;
    few.maxPaths = 1;
    EXPECT_EQ(FindPointerPaths(pointers, modules, 0x9040, few, never).size(), 1u);
    few = {};
    few.maxSteps = 2;
    EXPECT_EQ(FindPointerPaths(pointers, modules, 0x9040, few, never).size(), 2u);
    few.maxOffset = 0x1040;
    EXPECT_EQ(FindPointerPaths(pointers, modules, 0x9040, few, never).front().moduleOffset, 0x300u);
}

// Memory full of pointers into itself, a few globals among them: the same
// paths in the same order as when every pointer within reach is looked at
// from every place, also when the limits cut the search short.
TEST(PointerScanTest, ManyPlacesSharingTheirPointersFindWhatLookingAtEachFinds)
{
    const std::vector<ProcessModule> modules = {{"Client.exe", 0x400000, 0x1000}, {"game.dll", 0x600000, 0x800}};
    std::mt19937_64 random(7);
    for (int round = 0; round < 20; ++round) {
        std::vector<PointerAt> pointers;
        const std::uint64_t heap = 0x10000, heapSize = 0x4000 << (round % 3);
        for (std::uint64_t place = heap; place < heap + heapSize; place += 8)
            if (random() % 4 != 0)
                pointers.push_back({heap + random() % heapSize / 8 * 8, place});
        for (int global = 0; global < 6; ++global)
            pointers.push_back({heap + random() % heapSize, (global % 2 ? 0x600000 : 0x400000) + 0x40 * std::uint64_t(global)});
        std::stable_sort(pointers.begin(), pointers.end(), [](const PointerAt& a, const PointerAt& b) { return a.value < b.value; });
        PointerScanLimits limits;
        limits.maxOffset = round % 2 ? 0xFFF : 0x7F;
        limits.maxPaths = round % 5 == 0 ? 7 : 1000;
        limits.maxAddressesAStep = round % 4 == 0 ? 50 : 200000;
        const std::uint64_t target = heap + random() % heapSize;
        const std::atomic<bool> never{false};
        const std::vector<PointerPath> found = FindPointerPaths(pointers, modules, target, limits, never);
        EXPECT_EQ(found, EveryPointerLookedAt(pointers, modules, target, limits)) << "round " << round;
        EXPECT_FALSE(found.empty()) << "round " << round;
    }
}

} // namespace
