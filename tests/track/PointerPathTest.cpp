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

// A client named in GBK bytes, or with "%" or a line end in its name, is
// kept in a file that is UTF-8 text and reads back as it was named; a plain
// name is written as it is, as files written before have it.
TEST(TrackingFileTest, EveryProgramNameIsWrittenAsUtf8AndReadBack)
{
    const std::pair<std::string, std::string> names[] = {
        {"Client.exe", "program=Client.exe\n"},
        {"\xE6\xB8\xAF\xE5\x8F\xA3 Client.exe", "program=\xE6\xB8\xAF\xE5\x8F\xA3 Client.exe\n"},
        {"\xB8\xDB\xBF\xDA.exe", "program=%B8%DB%BF%DA.exe\n"},
        {"50%off.exe", "program=50%25off.exe\n"},
        {"two\r\nlines", "program=two%0D%0Alines\n"},
    };
    for (const auto& [name, line] : names) {
        TrackingFile file;
        file.program = name;
        file.path = {"\xB8\xDB.dll", 0x10, {}};
        const std::string text = TrackingFileText(file);
        EXPECT_NE(text.find(line), std::string::npos) << text;
        EXPECT_TRUE(IsUtf8(text)) << text;
        const TrackingFileRead back = ParseTrackingFile(text);
        ASSERT_TRUE(back.file) << back.failure;
        EXPECT_EQ(back.file->program, name);
        EXPECT_EQ(back.file->path, file.path);
    }
    // Written before: a name with a "%" that is no escape is read as it is.
    EXPECT_EQ(ParseTrackingFile("program=50%off.exe\npath=C+1\n").file->program, "50%off.exe");
}

TEST(TrackingFileTest, WrittenAndReadBackAndBadFilesSayWhy)
{
    TrackingFile file;
    file.program = "Client.exe";
    file.path = {"Client.exe", 0x1A2B3C, {0x10, 0x8}};
    const std::string text = TrackingFileText(file);
    EXPECT_EQ(text, "# Tarvex tracking file\nprogram=Client.exe\npath=Client.exe+1A2B3C -> +10 -> +8\n");
    const TrackingFileRead back = ParseTrackingFile(text);
    ASSERT_TRUE(back.file) << back.failure;
    EXPECT_EQ(back.file->program, "Client.exe");
    EXPECT_EQ(back.file->path, file.path);
    EXPECT_FALSE(back.file->followAcrossMaps);
    // Following across maps is remembered; a file without the line (as older
    // viewers wrote it) or with another value does not follow.
    TrackingFile acrossMaps = file;
    acrossMaps.followAcrossMaps = true;
    EXPECT_EQ(TrackingFileText(acrossMaps), text + "follow-maps=yes\n");
    EXPECT_TRUE(ParseTrackingFile(TrackingFileText(acrossMaps)).file->followAcrossMaps);
    EXPECT_FALSE(ParseTrackingFile(text + "follow-maps=no\n").file->followAcrossMaps);
    // The window beside the game; an opacity that is no percentage is refused.
    TrackingFile beside = file;
    beside.stayOnTop = true;
    beside.compactView = true;
    beside.opacity = 70;
    EXPECT_EQ(TrackingFileText(beside), text + "stay-on-top=yes\ncompact-view=yes\nopacity=70\n");
    const TrackingFileRead besideBack = ParseTrackingFile(TrackingFileText(beside));
    ASSERT_TRUE(besideBack.file) << besideBack.failure;
    EXPECT_TRUE(besideBack.file->stayOnTop && besideBack.file->compactView);
    EXPECT_EQ(besideBack.file->opacity, 70);
    EXPECT_EQ(ParseTrackingFile(text).file->opacity, 100);
    for (const char* wrong : {"9", "101", "", "85%", "-50", "0085", "1e2"})
        EXPECT_NE(ParseTrackingFile(text + "opacity=" + wrong + "\n").failure.find("opacity \"" + std::string(wrong)),
                  std::string::npos)
            << wrong;
    // The map key and the maps learned for it, names of any bytes.
    acrossMaps.mapKey = TrackedMapKey{{"Client.exe", 0x2B3C40, {0x24}}, MapKeyForm::Text};
    acrossMaps.mapFolder = "/games/\xB5\xD8\xCD\xBC 100%";
    acrossMaps.learnedMaps = {{"Village.map", "Village.map"}, {std::string("\x03\x00\x00\x00", 4), "\xB8\xDB\xBF\xDA map.map"}};
    const std::string withKey = TrackingFileText(acrossMaps);
    EXPECT_EQ(withKey, text + "follow-maps=yes\nmap-key=Client.exe+2B3C40 -> +24\nmap-key-form=text\n"
                              "map-folder=/games/%B5%D8%CD%BC%20100%25\nmap=56696C6C6167652E6D6170 Village.map\n"
                              "map=03000000 %B8%DB%BF%DA%20map.map\n");
    const TrackingFileRead withKeyBack = ParseTrackingFile(withKey);
    ASSERT_TRUE(withKeyBack.file) << withKeyBack.failure;
    EXPECT_EQ(withKeyBack.file->mapKey->path, acrossMaps.mapKey->path);
    EXPECT_EQ(withKeyBack.file->mapKey->form, MapKeyForm::Text);
    EXPECT_EQ(withKeyBack.file->mapFolder, acrossMaps.mapFolder);
    EXPECT_EQ(withKeyBack.file->learnedMaps, acrossMaps.learnedMaps);
    EXPECT_NE(ParseTrackingFile(text + "map-key=Client.exe+10\n").failure.find("map key has no form"), std::string::npos);
    EXPECT_NE(ParseTrackingFile(text + "map-key=+10\nmap-key-form=u16\n").failure.find("map key path is wrong"),
              std::string::npos);
    for (const char* wrong : {"map=5 a.map", "map=XY a.map", "map=56", "map=56 %G1.map", "map=56 a%4"})
        EXPECT_NE(ParseTrackingFile(text + wrong + "\n").failure.find("is not a key in hexadecimal"), std::string::npos)
            << wrong;
    // Line ends of Windows, comments and keys of other names are all right.
    EXPECT_TRUE(ParseTrackingFile("# mine\r\nnote=x\r\npath=a.exe+1\r\nprogram=a.exe\r\n").file);

    EXPECT_NE(ParseTrackingFile("path=a.exe+1\n").failure.find("names no program"), std::string::npos);
    EXPECT_NE(ParseTrackingFile("program=\npath=a.exe+1\n").failure.find("names no program"), std::string::npos);
    EXPECT_NE(ParseTrackingFile("program=a.exe\n").failure.find("has no pointer path"), std::string::npos);
    EXPECT_NE(ParseTrackingFile("program=a.exe\npath=a.exe+1 -> 8\n").failure.find("path is wrong: Step 1"),
              std::string::npos);

    const std::filesystem::path folder = std::filesystem::temp_directory_path() / "tarvex-tracking-test";
    std::filesystem::create_directories(folder);
    std::ofstream(folder / "ok.tarvex-track") << text;
    EXPECT_TRUE(ReadTrackingFile(folder / "ok.tarvex-track").file);
    EXPECT_NE(ReadTrackingFile(folder / "none.tarvex-track").failure.find("Cannot open file"), std::string::npos);
    std::filesystem::resize_file((std::ofstream(folder / "huge.tarvex-track"), folder / "huge.tarvex-track"),
                                 std::uintmax_t(1) << 30); // sparse: no disk needed
    EXPECT_NE(ReadTrackingFile(folder / "huge.tarvex-track").failure.find("File too large"), std::string::npos);
#ifndef _WIN32
    ASSERT_EQ(::mkfifo((folder / "pipe.tarvex-track").c_str(), 0600), 0);
    EXPECT_NE(ReadTrackingFile(folder / "pipe.tarvex-track").failure.find("Cannot open file"), std::string::npos);
#endif
    std::filesystem::remove_all(folder);
}

// Several clients in one file: each player's lines after its "player=" line
// are its own and never the first player's, an older file reads as one
// player, and a wrong line names the player it belongs to.
TEST(TrackingFileTest, SeveralPlayersAreWrittenInTurnAndReadBackEachWithItsOwn)
{
    TrackingFile file;
    file.program = "Client.exe";
    file.path = {"Client.exe", 0x1A2B3C, {0x10}};
    file.name = "Main";
    file.colour = 0x00FF00;
    file.followAcrossMaps = true;
    TrackedPlayer helper;
    helper.program = "Helper.exe";
    helper.path = {"Helper.exe", 0x2000, {}};
    helper.mapKey = TrackedMapKey{{"Helper.exe", 0x3000, {}}, MapKeyForm::Number32};
    helper.name = "\xE5\xB0\x8F two\nlines";
    helper.colour = 0xFF4010;
    TrackedPlayer plain;
    plain.program = "Client.exe";
    plain.path = {"Client.exe", 0x1A2B3C, {0x20}};
    file.others = {helper, plain};
    const std::string text = TrackingFileText(file);
    EXPECT_EQ(text, "# Tarvex tracking file\nprogram=Client.exe\npath=Client.exe+1A2B3C -> +10\nfollow-maps=yes\n"
                    "name=Main\ncolour=00FF00\n"
                    "player=2\nprogram=Helper.exe\npath=Helper.exe+2000\nmap-key=Helper.exe+3000\nmap-key-form=u32\n"
                    "name=%E5%B0%8F%20two%0Alines\ncolour=FF4010\n"
                    "player=3\nprogram=Client.exe\npath=Client.exe+1A2B3C -> +20\n");
    const TrackingFileRead back = ParseTrackingFile(text);
    ASSERT_TRUE(back.file) << back.failure;
    EXPECT_EQ(back.file->name, "Main");
    EXPECT_EQ(back.file->colour, 0x00FF00u);
    EXPECT_FALSE(back.file->mapKey);
    ASSERT_EQ(back.file->others.size(), 2u);
    EXPECT_EQ(back.file->others[0].program, "Helper.exe");
    EXPECT_EQ(back.file->others[0].name, helper.name);
    EXPECT_EQ(back.file->others[0].colour, 0xFF4010u);
    EXPECT_EQ(back.file->others[0].mapKey->path, helper.mapKey->path);
    EXPECT_EQ(back.file->others[1].path, plain.path);
    EXPECT_FALSE(back.file->others[1].colour);
    EXPECT_TRUE(back.file->others[1].name.empty());
    EXPECT_EQ(TrackingFileText(*back.file), text);

    // A player's lines missing or wrong name the player.
    EXPECT_NE(ParseTrackingFile(text + "player=4\npath=a.exe+1\n").failure.find("Player 4 of the tracking file: The "
                                                                                  "tracking file names no program"),
              std::string::npos);
    for (const char* wrong : {"0F0", "GG0000", "00FF00FF", ""})
        EXPECT_NE(ParseTrackingFile(text + "player=4\nprogram=a.exe\npath=a.exe+1\ncolour=" + wrong + "\n")
                      .failure.find("colour \"" + std::string(wrong) + "\" is not RRGGBB"),
                  std::string::npos)
            << wrong;
    // Eight players at most.
    std::string eight = "program=a.exe\npath=a.exe+1\n";
    for (int player = 2; player <= 8; ++player)
        eight += "player=" + std::to_string(player) + "\nprogram=a.exe\npath=a.exe+" + std::to_string(player) + "\n";
    EXPECT_EQ(ParseTrackingFile(eight).file->others.size(), 7u);
    EXPECT_NE(ParseTrackingFile(eight + "player=9\nprogram=a.exe\npath=a.exe+9\n").failure.find("holds 9 players"),
              std::string::npos);
}

} // namespace
