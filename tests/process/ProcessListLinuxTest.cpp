// The process list as Linux has it: names read from /proc (programs under
// Wine by their ".exe" name), identifiers in ascending order, and a Windows
// client under Wine listed and read at its Windows address.

#include "process/ClientStart.h"
#include "process/ProcessDetails.h"
#include "process/ProcessList.h"
#include "process/ProcessMemory.h"
#include "process/ProcessModules.h"
#include "process/ProcessName_linux.h"
#include "process/ProcessReader.h"
#include "process/ProcessStartTime.h"
#include "process/ProcStat_linux.h"
#include "process/ReadRefusal_linux.h"
#include "tests/support/Sanitizer.h"
#include "tests/support/StandInClient.h"
#include "tests/support/Unprivileged.h"
#include "track/AddressFinder.h"
#include "track/PointerScan.h"
#include "track/Tracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <thread>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

class ProcessNameTest : public ::testing::Test {
protected:
    void SetUp() override { folder_ = std::filesystem::temp_directory_path() / ("tarvex-proc-" + std::to_string(::getpid())); }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string NameOf(const std::string& commandLine, const std::string& executable, const std::string& shortName)
    {
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        std::ofstream(folder_ / "cmdline", std::ios::binary) << commandLine;
        std::ofstream(folder_ / "comm") << shortName << "\n";
        if (!executable.empty())
            std::filesystem::create_symlink(executable, folder_ / "exe");
        return ProcessNameOf(folder_);
    }

    std::filesystem::path folder_;
};

TEST_F(ProcessNameTest, ProgramsUnderWineShowTheirExeName)
{
    using namespace std::string_literals;
    EXPECT_EQ(NameOf("C:\\games\\client.exe\0-window\0"s, "/usr/lib/wine/wine64-preloader", "client.exe"), "client.exe");
    EXPECT_EQ(NameOf("/home/me/Game Client.EXE\0"s, "/usr/bin/wine64-preloader", "Game Client.EXE"), "Game Client.EXE");
    // Wine's loader never names a process: the kernel's short name does (cut at 15 characters).
    EXPECT_EQ(NameOf("client\0"s, "/usr/lib/wine/wine64-preloader", "averylongclient"), "averylongclient");
    EXPECT_EQ(NameOf("/usr/bin/python3\0script.py\0"s, "/usr/bin/python3.11", "python3"), "python3.11");
    EXPECT_EQ(NameOf("", "", "kthreadd"), "kthreadd"); // kernel threads have neither
}

// A process that ends while it is listed leaves files whose reading fails
// (ESRCH); here a folder stands where the file was, whose reading fails too
// (EISDIR). The name comes from what can still be read, and nothing throws.
TEST_F(ProcessNameTest, AFileThatFailsToReadNamesFromTheRest)
{
    std::filesystem::create_directories(folder_ / "cmdline");
    std::ofstream(folder_ / "comm") << "ending\n";
    EXPECT_EQ(ProcessNameOf(folder_), "ending");
    std::filesystem::create_directories(folder_ / "gone" / "comm");
    std::filesystem::create_directories(folder_ / "gone" / "cmdline");
    EXPECT_EQ(ProcessNameOf(folder_ / "gone"), "");
}

TEST_F(ProcessNameTest, NamesAreNeverCutInsideACharacter)
{
    const std::string game = "\xE6\xB8\xB8\xE6\x88\x8F"; // 游戏, three bytes a character
    EXPECT_EQ(WholeCharacters(game, 6), game);
    EXPECT_EQ(WholeCharacters(game, 5), game.substr(0, 3));
    EXPECT_EQ(WholeCharacters(game, 4), game.substr(0, 3));
    EXPECT_EQ(WholeCharacters("ab" + game, 3), "ab");
    EXPECT_EQ(WholeCharacters("\xF0\x9F\x98\x80", 3), "");         // four bytes
    EXPECT_EQ(WholeCharacters("x\xC3\xA9", 3), "x\xC3\xA9");       // é whole
    EXPECT_EQ(WholeCharacters("plain", 3), "pla");
    // The kernel's short name comes cut at 15 bytes, wherever that falls.
    EXPECT_EQ(NameOf("", "", "client" + game.substr(0, 5)), "client" + game.substr(0, 3));
}

TEST(ProcessListTest, TheWalkRunsInAscendingIdentifiers)
{
    const std::vector<ProcessEntry> processes = SnapshotProcesses();
    ASSERT_GT(processes.size(), 1u);
    EXPECT_TRUE(std::is_sorted(processes.begin(), processes.end(),
                               [](const ProcessEntry& a, const ProcessEntry& b) { return a.processId < b.processId; }));
}

// How most Linux players use the tracker: the Windows game client runs under
// Wine, shows in the process list under its ".exe" name, and keeps its data
// at the Windows address it has. Needs the cross-built stand-in client, named
// by TARVEX_WINDOWS_CLIENT; TARVEX_REQUIRE_WINE makes its absence a failure.
TEST(WineScenarioTest, AWindowsClientUnderWineIsListedAndReadAtItsWindowsAddress)
{
    const char* client = std::getenv("TARVEX_WINDOWS_CLIENT");
    if (!client || !*client) {
        if (std::getenv("TARVEX_REQUIRE_WINE"))
            FAIL() << "TARVEX_WINDOWS_CLIENT names no Windows stand-in client";
        GTEST_SKIP() << "TARVEX_WINDOWS_CLIENT is not set";
    }
    StandInClient windowsClient("--hold 312 207 --seconds 120", WineFor(client) + " " + client);
    ASSERT_NE(windowsClient.address, 0u) << "the client under Wine printed no address";

    // The one this test started: other Windows stand-in clients may run on the machine.
    const std::uint32_t started = windowsClient.StartedProcessId();
    std::vector<std::uint32_t> listed;
    for (const ProcessEntry& process : SnapshotProcesses())
        if (process.exeFile == "stand_in_client.exe" && IsDescendantOf(process.processId, started))
            listed.push_back(process.processId);
    ASSERT_EQ(listed.size(), 1u) << "stand_in_client.exe processes that process " << started << " started";
    const PlayerPosition position = ReadPlayerPosition(ProcessMemory(std::int32_t(listed[0])), windowsClient.address);
    EXPECT_EQ(position.x, 312);
    EXPECT_EQ(position.y, 207);

    windowsClient.End();
    EXPECT_EQ(ReadPlayerPosition(ProcessMemory(std::int32_t(listed[0])), windowsClient.address).x, 0);
}

} // namespace
