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
