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

struct GoodPath {
    const char* text;
    PointerPath path;
};

TEST(PointerPathTest, WrittenPathsAreReadBackAsTheirParts)
{
    const GoodPath good[] = {
        {"Client.exe+1A2B3C -> +10 -> +8", {"Client.exe", 0x1A2B3C, {0x10, 0x8}}},
        {"client.exe+0x1a2b3c->+0X10->+8", {"client.exe", 0x1A2B3C, {0x10, 0x8}}},
        {"  Game Client.exe + 10  ", {"Game Client.exe", 0x10, {}}},
        {"libgame.so+0 -> +0 -> +0 -> +0 -> +FFF", {"libgame.so", 0, {0, 0, 0, 0xFFF}}},
        {"a-b.dll+FFFFFFFFFFFFFFFF -> +ff", {"a-b.dll", 0xFFFFFFFFFFFFFFFF, {0xFF}}},
    };
    for (const GoodPath& one : good) {
        const ParsedPointerPath parsed = ParsePointerPath(one.text);
        ASSERT_TRUE(parsed.path) << one.text << ": " << parsed.failure;
        EXPECT_EQ(*parsed.path, one.path) << one.text;
        EXPECT_EQ(ParsePointerPath(FormatPointerPath(*parsed.path)).path, parsed.path) << one.text;
    }
    EXPECT_EQ(FormatPointerPath({"Client.exe", 0x1A2B3C, {0x10, 0x8}}), "Client.exe+1A2B3C -> +10 -> +8");
}

TEST(PointerPathTest, BadPathsSayWhatIsWrongAndWhere)
{
    const std::pair<const char*, const char*> bad[] = {
        {"", "begins with a module and an offset"},
        {"Client.exe", "begins with a module and an offset"},
        {"+10 -> +8", "begins with a module and an offset"},
        {"Client.exe+", "is not a hexadecimal offset"},
        {"Client.exe+12G4", "\"12G4\" after \"Client.exe+\" is not a hexadecimal offset"},
        {"Client.exe+10000000000000000", "is not a hexadecimal offset"},
        {"Client.exe+10 -> 8", "Step 1 (\"8\")"},
        {"Client.exe+10 -> +8 ->", "Step 2 (\"\")"},
        {"Client.exe+10 -> +-8", "Step 1"},
        {"Client.exe+1 -> +1 -> +1 -> +1 -> +1 -> +1", "at most 4 steps; this one has 5"},
    };
    for (const auto& [text, why] : bad) {
        const ParsedPointerPath parsed = ParsePointerPath(text);
        EXPECT_FALSE(parsed.path) << text;
        EXPECT_NE(parsed.failure.find(why), std::string::npos) << text << ": " << parsed.failure;
    }
}

TEST(PointerPathTest, ResolvingFollowsEachPointerAndNamesTheStepThatFails)
{
    const std::vector<ProcessModule> modules = {{"Client.exe", 0x400000, 0x10000}, {"game.dll", 0x500000, 0x1000}};
    std::map<std::uint64_t, std::uint64_t> memory = {{0x40A000, 0x7000}, {0x7010, 0x9000}};
    const PointerReader read = [&memory](std::uint64_t at) -> std::optional<std::uint64_t> {
        const auto found = memory.find(at);
        return found == memory.end() ? std::nullopt : std::optional(found->second);
    };
    const auto resolve = [&](const char* text) { return ResolvePointerPath(*ParsePointerPath(text).path, modules, read); };
    EXPECT_EQ(resolve("CLIENT.EXE+A000 -> +10 -> +8").address, 0x9008u);
    EXPECT_EQ(resolve("game.dll+20").address, 0x500020u);

    const ResolvedPointerPath broken = resolve("Client.exe+A000 -> +18 -> +8");
    EXPECT_FALSE(broken.address);
    EXPECT_EQ(broken.failure, "Step 2 of \"Client.exe+A000 -> +18 -> +8\" cannot be followed: nothing can be read at 7018.");
    EXPECT_EQ(resolve("other.dll+0 -> +0").failure, "The client has no module \"other.dll\".");

    // After a restart: the paths that still lead to the player, here at 0x9008.
    const std::vector<PointerPath> paths = {*ParsePointerPath("Client.exe+A000 -> +10 -> +8").path,
                                            *ParsePointerPath("Client.exe+A000 -> +18 -> +8").path,
                                            *ParsePointerPath("Client.exe+A000 -> +10 -> +C").path,
                                            *ParsePointerPath("other.dll+0").path};
    const std::vector<PointerPath> leading =
        PathsStillLeading(paths, modules, read, [](std::uint64_t address) { return address == 0x9008; });
    ASSERT_EQ(leading.size(), 1u);
    EXPECT_EQ(leading[0], paths[0]);
}

} // namespace
