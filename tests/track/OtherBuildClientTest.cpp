// The game client as players run it is a 32-bit program, often a Windows one
// under Wine. The stand-in client of other builds than the tests' own (a
// 32-bit Linux build; the Windows builds named by TARVEX_WINDOWS_CLIENT and
// TARVEX_WINDOWS_CLIENT_32, run under Wine) is followed, found by its
// position and by its map, and found again after a restart through a pointer
// path of its own pointer width.

#include "map/MapReader.h"
#include "process/ClientStart.h"
#include "process/ProcessList.h"
#include "process/ProcessMemory.h"
#include "process/ProcessModules.h"
#include "process/ProcessReader.h"
#include "route/RouteSteps.h"
#include "tests/support/Sanitizer.h"
#include "tests/support/StandInClient.h"
#include "track/AddressFinder.h"
#include "track/PointerPath.h"
#include "track/PointerScan.h"
#include "track/Tracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

namespace {

struct OtherBuild {
    std::string name;        // for the test's name
    std::string program;     // empty: not built here
    bool underWine = false;
    unsigned pointerWidth = 4;

    // The client's process as this system lists it: under Wine, the Windows
    // process identifier the client prints is Wine's own.
    std::uint32_t ProcessOf(const StandInClient& client) const
    {
        return FindStartedClient(SnapshotProcesses(), client.StartedProcessId(), program).value_or(0);
    }
    std::string ModuleName() const { return underWine ? "stand_in_client.exe" : "stand_in_client"; }
    std::string Command() const { return underWine ? WineFor(program) + " " + program : program; }
};

void PrintTo(const OtherBuild& build, std::ostream* out)
{
    *out << build.name;
}

std::string FromEnvironment(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::vector<OtherBuild> OtherBuilds()
{
#ifdef STAND_IN_CLIENT_32
    const std::string linux32 = STAND_IN_CLIENT_32;
#else
    const std::string linux32;
#endif
    return {{"Linux32", linux32, false, 4},
            {"Windows32UnderWine", FromEnvironment("TARVEX_WINDOWS_CLIENT_32"), true, 4},
            {"Windows64UnderWine", FromEnvironment("TARVEX_WINDOWS_CLIENT"), true, 8}};
}

class OtherBuildClientTest : public testing::TestWithParam<OtherBuild> {
protected:
    void SetUp() override
    {
        if (GetParam().program.empty()) {
            if (GetParam().underWine && std::getenv("TARVEX_REQUIRE_WINE"))
                FAIL() << "no " << GetParam().name << " stand-in client is named";
            GTEST_SKIP() << "no " << GetParam().name << " stand-in client here";
        }
    }
};

void WaitForAStep()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(600)); // the stand-in steps every half second
}

TEST_P(OtherBuildClientTest, IsFollowedAndFoundByItsPosition)
{
    const OtherBuild& build = GetParam();
    StandInClient client("--hidden --hold 312 207 --seconds 60", build.Command());
    ASSERT_NE(client.address, 0u) << "the client printed no address";
    const std::uint32_t process = build.ProcessOf(client);
    ASSERT_NE(process, 0u);

    const PlayerPosition position = ReadPlayerPosition(ProcessMemory(std::int32_t(process)), client.address);
    EXPECT_EQ(position.x, 312);
    EXPECT_EQ(position.y, 207);

    const ProcessReader reader{std::int32_t(process)};
    ASSERT_EQ(reader.Refusal(), "");
    AddressFinder finder(reader);
    FinderProgress progress;
    finder.KeepPosition(312, 207, progress);
    const std::vector<FoundPlace> found = finder.First(std::size_t(finder.Count()));
    EXPECT_TRUE(std::any_of(found.begin(), found.end(), [&](const FoundPlace& place) { return place.address == client.address; }))
        << finder.Count() << " places, none the client's";
}

// On Village.map, whose border is wall, the client's own copies of x alone
// (x:0 as a 32-bit number, left on its stack) lie on no cell to stand on.
// A 32-bit client's stack lies below 4 GiB, where the finder looks: pairs of
// its own that change with every step may stay beside the position, which
// the player then tells apart in the finder's list; a few at most.
TEST_P(OtherBuildClientTest, IsFoundByWalkingOnItsMap)
{
    const OtherBuild& build = GetParam();
    StandInClient client("--map " SAMPLES_DIR "/Village.map --hidden --seconds 60", build.Command());
    ASSERT_NE(client.address, 0u);
    const std::optional<MapLoad> map = ReadMapFile(SAMPLES_DIR "/Village.map");
    ASSERT_TRUE(map);
    const StandableCells cells = StandableCellsOf(map->matrix);
    const ProcessReader reader{std::int32_t(build.ProcessOf(client))};
    AddressFinder finder(reader);
    FinderProgress progress;
    finder.KeepOnMap(cells, progress);
    for (int steps = 0; finder.Count() > 1 && steps < 10; ++steps) {
        WaitForAStep();
        finder.KeepMoved(cells, progress);
    }
    ASSERT_LE(finder.Count(), build.pointerWidth == 4 ? 3u : 1u);
    const std::vector<FoundPlace> left = finder.First(3);
    EXPECT_TRUE(std::any_of(left.begin(), left.end(), [&](const FoundPlace& place) { return place.address == client.address; }));
}

// The paths found in one run, written and read back as a tracking file keeps
// them, checked after a restart as the finder's Check after a Restart does:
// the stand-in's own chain, from its global through an object of three
// pointers (-> +C in a 32-bit build, -> +18 in a 64-bit one), still leads to
// the position, at another address.
TEST_P(OtherBuildClientTest, APathOfItsPointerWidthLeadsToThePositionAfterARestart)
{
    SKIP_POINTERS_UNDER_ADDRESS_SANITIZER();
    const OtherBuild& build = GetParam();
    std::vector<std::string> kept;
    std::uint32_t firstAddress = 0;
    {
        StandInClient client("--chained --hold 33 22 --seconds 60", build.Command());
        firstAddress = client.address;
        const std::uint32_t process = build.ProcessOf(client);
        ASSERT_NE(process, 0u);
        const ModuleList modules = ListModules(std::int32_t(process));
        ASSERT_EQ(modules.failure, "");
        EXPECT_EQ(modules.pointerWidth, build.pointerWidth);
        ASSERT_NE(FindModule(modules.modules, build.ModuleName()), nullptr);
        const ProcessReader reader{std::int32_t(process)};
        const std::atomic<bool> never{false};
        const std::vector<PointerAt> pointers = IndexPointers(reader, modules.pointerWidth, never, {});
        for (const PointerPath& path : FindPointerPaths(pointers, modules.modules, client.address, {}, never))
            if (path.module == build.ModuleName())
                kept.push_back(FormatPointerPath(path));
        ASSERT_FALSE(kept.empty()) << "no path from the client's own program";
    }
    StandInClient client("--chained --hold 33 22 --seconds 60", build.Command());
    const std::uint32_t process = build.ProcessOf(client);
    const ModuleList modules = ListModules(std::int32_t(process));
    const ProcessReader reader{std::int32_t(process)};
    std::vector<PointerPath> leading;
    for (const std::string& text : kept) {
        const ParsedPointerPath parsed = ParsePointerPath(text);
        ASSERT_TRUE(parsed.path) << text;
        if (ResolvePointerPath(*parsed.path, modules.modules, PointersReadBy(reader, modules.pointerWidth)).address ==
            client.address)
            leading.push_back(*parsed.path);
    }
    const std::vector<std::uint64_t> ownChain{3 * build.pointerWidth, 0x40};
    EXPECT_TRUE(std::any_of(leading.begin(), leading.end(), [&](const PointerPath& path) { return path.offsets == ownChain; }))
        << leading.size() << " of " << kept.size() << " paths lead to the position after the restart";
    EXPECT_EQ(ReadPlayerPosition(ProcessMemory(std::int32_t(process)), client.address).x, 33);
    EXPECT_NE(client.address, firstAddress);
}

INSTANTIATE_TEST_SUITE_P(Builds, OtherBuildClientTest, testing::ValuesIn(OtherBuilds()),
                         [](const testing::TestParamInfo<OtherBuild>& info) { return info.param.name; });

} // namespace
