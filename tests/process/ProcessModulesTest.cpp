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

TEST(ProcessModulesTest, EachMappedFileIsAModuleFromItsFirstMappingToItsLastAndItsZeroedData)
{
    const char maps[] =
        "55d0c0000000-55d0c0001000 r--p 00000000 08:01 1234 /opt/game/stand_in_client\n"
        "55d0c0001000-55d0c0005000 r-xp 00001000 08:01 1234 /opt/game/stand_in_client\n"
        "55d0c0005000-55d0c0006000 rw-p 00005000 08:01 1234 /opt/game/stand_in_client\n"
        "55d0c0006000-55d0c0008000 rw-p 00000000 00:00 0 \n"
        "55d0c1000000-55d0c1021000 rw-p 00000000 00:00 0                          [heap]\n"
        "7f0000000000-7f0000002000 rw-p 00000000 00:00 0 \n"
        "7f1000000000-7f1000010000 r-xp 00000000 08:01 99 /home/ann/.wine/drive_c/Games/Client.exe\n"
        "7f1000010000-7f1000012000 rw-p 00010000 08:01 99 /home/ann/.wine/drive_c/Games/Client.exe\n"
        "7f2000000000-7f2000001000 r--p 00000000 08:01 7 /usr/lib/My Game/lib game.so\n"
        "7ffd00000000-7ffd00021000 rw-p 00000000 00:00 0                          [stack]\n";
    const std::vector<ProcessModule> modules = ModulesFromMaps(maps);
    ASSERT_EQ(modules.size(), 3u);
    EXPECT_EQ(modules[0].name, "stand_in_client");
    EXPECT_EQ(modules[0].base, 0x55d0c0000000u);
    EXPECT_EQ(modules[0].size, 0x8000u); // with the zeroed data after it, not the heap
    EXPECT_EQ(modules[1].name, "Client.exe");
    EXPECT_EQ(modules[1].size, 0x12000u);
    EXPECT_EQ(modules[2].name, "lib game.so");
    EXPECT_EQ(FindModule(modules, "CLIENT.exe"), &modules[1]);
    EXPECT_EQ(FindModule(modules, "Client"), nullptr);
    EXPECT_EQ(ModuleAt(modules, 0x55d0c0007fff), &modules[0]);
    EXPECT_EQ(ModuleAt(modules, 0x55d0c0008000), nullptr);
    EXPECT_EQ(ModuleAt(modules, 0x7f1000011000), &modules[1]);
}

// Wine maps its data files with a reserved gap after each, and may keep a
// heap right after the gap: the heap is no part of the file, or a path
// would end in the heap as if it were a module's global and the paths
// through the client's own globals be missed.
TEST(ProcessModulesTest, OnlyTheZeroedDataRightAfterAModuleBelongsToIt)
{
    const char maps[] =
        "00c70000-00c7f000 r--s 00000000 fe:00 1107570 /usr/share/wine/nls/normnfc.nls\n"
        "00c7f000-00c80000 ---p 00000000 00:00 0 \n"
        "00c80000-00ca0000 rw-p 00000000 00:00 0 \n"
        "00ca0000-01080000 ---p 00000000 00:00 0 \n"
        "55d0c0005000-55d0c0006000 rw-p 00005000 08:01 1234 /opt/game/stand_in_client\n"
        "55d0c0006000-55d0c0008000 rw-p 00000000 00:00 0 \n"
        "55d0c0008000-55d0c0009000 rw-p 00000000 00:00 0 \n";
    const std::vector<ProcessModule> modules = ModulesFromMaps(maps);
    ASSERT_EQ(modules.size(), 2u);
    EXPECT_EQ(modules[0].size, 0xF000u);
    EXPECT_EQ(ModuleAt(modules, 0xc808a8), nullptr);
    EXPECT_EQ(modules[1].size, 0x3000u);
}

// Every name a module can have is written so that it reads back as itself
// and resolves in the client it was listed in; the text stays UTF-8.
TEST(ProcessModulesTest, EveryModuleNameFormReadsBackAsListedAndResolves)
{
    const std::vector<std::pair<std::string, std::string>> files{
        {"/usr/lib/libstdc++.so.6.0.30", "\"libstdc++.so.6.0.30\"+10 -> +8"},
        {"/opt/My Game/lib game.so", "lib game.so+10 -> +8"},
        {"/opt/game/a->b.dll", "\"a->b.dll\"+10 -> +8"},
        {"/opt/game/\xB8\xDB\xBF\xDA.exe", "\"\\xB8\\xDB\\xBF\\xDA.exe\"+10 -> +8"}, // GBK bytes
        {"/opt/game/\xE6\xB8\xAF\xE5\x8F\xA3.exe", "\xE6\xB8\xAF\xE5\x8F\xA3.exe+10 -> +8"}, // UTF-8
        {"/opt/game/say \"hi\\there\".dll ", "\"say \\\"hi\\\\there\\\".dll \"+10 -> +8"},
        {"/opt/game/Client.exe (deleted)", "Client.exe+10 -> +8"}, // replaced while it runs
    };
    std::string maps;
    std::uint64_t base = 0x10000000;
    for (const auto& [file, written] : files) {
        char line[64];
        std::snprintf(line, sizeof line, "%llx-%llx r-xp 00000000 08:01 7 ", static_cast<unsigned long long>(base),
                      static_cast<unsigned long long>(base + 0x1000));
        maps += line + file + "\n";
        base += 0x100000;
    }
    const std::vector<ProcessModule> modules = ModulesFromMaps(maps);
    ASSERT_EQ(modules.size(), files.size());
    for (std::size_t i = 0; i < files.size(); ++i) {
        const PointerPath path{modules[i].name, 0x10, {0x8}};
        const std::string text = FormatPointerPath(path);
        EXPECT_EQ(text, files[i].second) << files[i].first;
        const ParsedPointerPath parsed = ParsePointerPath(text);
        ASSERT_TRUE(parsed.path) << text << ": " << parsed.failure;
        EXPECT_EQ(*parsed.path, path) << text;
        const PointerReader read = [](std::uint64_t at) { return std::optional<std::uint64_t>(at + 0x100); };
        EXPECT_EQ(ResolvePointerPath(*parsed.path, modules, read).address, modules[i].base + 0x10 + 0x100 + 0x8) << text;
    }
    EXPECT_FALSE(ParsePointerPath("\"open+10").path);
    EXPECT_FALSE(ParsePointerPath("\"bad \\q\"+10").path);
    EXPECT_FALSE(ParsePointerPath("\"\"+10").path);
}

} // namespace
