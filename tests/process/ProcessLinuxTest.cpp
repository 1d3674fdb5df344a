// What only Linux has: process names, command lines and owners read from
// /proc, and memory below 4 GiB of this very process.

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

TEST(ProcessDetailsTest, TheCommandLineAndOwnerOfAProcessWhileItRuns)
{
    StandInClient client("--hold 1 1 --seconds 30");
    const ProcessDetails details = DetailsOfProcess(client.processId);
    EXPECT_EQ(details.commandLine, std::string(STAND_IN_CLIENT) + " --hold 1 1 --seconds 30 --tell-address");
    EXPECT_EQ(details.owner, ::getpwuid(::geteuid())->pw_name);
    client.End();
    const ProcessDetails ended = DetailsOfProcess(client.processId);
    EXPECT_EQ(ended.commandLine, "");
    EXPECT_EQ(ended.owner, "");
}

// A tooltip shows the command line: only its start is read, cut with "…".
TEST(ProcessDetailsTest, AHugeCommandLineIsCut)
{
    std::vector<std::string> words = {"sh", "-c", "sleep 30", "x"};
    for (int i = 0; i < 15; ++i)
        words.push_back(std::string(100000, char('a' + i)));
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = -1;
    ASSERT_EQ(::posix_spawn(&child, "/bin/sh", nullptr, nullptr, argv.data(), environ), 0);
    std::string shown;
    for (int tries = 0; tries < 100 && shown.empty(); ++tries) { // empty for a moment after the start
        shown = DetailsOfProcess(std::uint32_t(child)).commandLine;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(shown.size(), kMaxCommandLineBytes + 3);
    EXPECT_EQ(shown.rfind("sh -c sleep 30 x aaaa", 0), 0u);
    EXPECT_EQ(shown.substr(shown.size() - 3), "\xE2\x80\xA6");
}

TEST(ProcessMemoryTest, TellsWhetherAProcessHasEndedOrMayNotBeRead)
{
    StandInClient open("--hold 1 1 --seconds 30");
    StandInClient refusing("--hold 1 1 --seconds 30 --private");
    EXPECT_EQ(ProcessMemory(std::int32_t(open.processId)).Access(), ProcessAccess::Open);
    {
        const Unprivileged asAnOrdinaryUser;
        const ProcessMemory memory(std::int32_t(refusing.processId));
        EXPECT_EQ(memory.Access(), ProcessAccess::Denied);
        EXPECT_FALSE(memory.IsOpen());
    }
    open.End();
    const ProcessMemory ended(std::int32_t(open.processId));
    EXPECT_EQ(ended.Access(), ProcessAccess::Ended);
    EXPECT_FALSE(ended.IsOpen());
}

// Each fact leads to its own reason; the first that applies is told.
TEST(ReadRefusalTest, EachReasonAndTheWayOut)
{
    ReadRefusalFacts facts;
    facts.processUser = "anna";
    facts.viewerUser = "ben";
    facts.viewerProgram = "/opt/tarvex/tarvex-viewer";
    facts.systemMessage = "Operation not permitted";
    auto why = [&facts] { return ExplainReadRefusal(facts); };

    EXPECT_EQ(why(), "The system refuses to let the viewer read it: Operation not permitted.");
    facts.yamaScope = 1;
    EXPECT_NE(why().find("ptrace_scope is 1"), std::string::npos);
    EXPECT_NE(why().find("\"Start a Game Client...\""), std::string::npos);
    EXPECT_NE(why().find("sudo sysctl kernel.yama.ptrace_scope=0"), std::string::npos);
    EXPECT_NE(why().find("sudo setcap cap_sys_ptrace=ep /opt/tarvex/tarvex-viewer"), std::string::npos);
    facts.viewerIsAncestor = true; // scope 1 lets a program read what it started
    EXPECT_EQ(why().find("ptrace_scope"), std::string::npos);
    facts.yamaScope = 2;
    EXPECT_NE(why().find("ptrace_scope is 2"), std::string::npos);
    EXPECT_EQ(why().find("Start a Game Client"), std::string::npos);
    facts.yamaScope = 3;
    EXPECT_NE(why().find("until the system restarts"), std::string::npos);
    facts.viewerMayTrace = true;
    EXPECT_EQ(why().find("ptrace_scope"), std::string::npos);

    facts.viewerMayTrace = false;
    facts.protectedMemory = true;
    EXPECT_NE(why().find("not dumpable"), std::string::npos);
    facts.otherUser = true;
    EXPECT_EQ(why().find("It runs as the user anna and the viewer as ben"), 0u);
    facts.tracerId = 77;
    facts.tracerName = "gdb";
    EXPECT_NE(why().find("Another program traces it: gdb (process 77)."), std::string::npos);
    facts.ended = true;
    EXPECT_EQ(why(), "The process has ended.");
}

// A kernel thread is no process a program could read.
TEST(ReadRefusalTest, AKernelThreadIsToldAsOne)
{
    const std::int32_t kernelThreads = 2; // the kernel's thread that starts the others
    if (ProcessNameOf("/proc/2") != "kthreadd")
        GTEST_SKIP() << "the kernel's threads are not seen here";
    EXPECT_EQ(ProcessReader(kernelThreads).Refusal(),
              "It is a thread of the system's kernel, which has no memory of its own to read.");
}

TEST(ReadRefusalTest, TheFinderTellsWhyAProtectedClientCannotBeRead)
{
    StandInClient open("--hold 1 1 --seconds 30");
    StandInClient refusing("--hold 1 1 --seconds 30 --private");
    EXPECT_EQ(ProcessReader(std::int32_t(open.processId)).Refusal(), "");
    const Unprivileged asAnOrdinaryUser;
    const std::string why = ProcessReader(std::int32_t(refusing.processId)).Refusal();
    // As root the tests read it as "nobody": then the user differs.
    EXPECT_TRUE(why.find("not dumpable") != std::string::npos || why.find("It runs as the user") == 0) << why;
}

std::string StatLine(const std::string& commandName, const std::string& startTime)
{
    // Fields 3 to 21, then the start time, then the rest.
    return "4242 (" + commandName + ") S 1 4242 4242 0 -1 4194560 150 0 0 0 3 1 0 0 20 0 1 0 " + startTime +
           " 12345678 300 18446744073709551615 1 1 0 0 0 0 0 0 0 0 0 0 17 1 0 0 0 0 0\n";
}

TEST(ProcessStartTimeTest, Field22CountedFromTheLastParenthesis)
{
    EXPECT_EQ(StartTimeOfStatLine(StatLine("client", "987654")), 987654u);
    EXPECT_EQ(StartTimeOfStatLine(StatLine("Game Client", "55")), 55u);
    EXPECT_EQ(StartTimeOfStatLine(StatLine("a) 1 2 3 (b", "77")), 77u); // a name that mimics fields
    EXPECT_EQ(StartTimeOfStatLine(StatLine("))", "18446744073709551615")), 18446744073709551615u);
    EXPECT_EQ(StartTimeOfStatLine("4242 (client) S 1 4242"), std::nullopt); // cut short
    EXPECT_EQ(StartTimeOfStatLine(StatLine("client", "x12")), std::nullopt);
    EXPECT_EQ(StartTimeOfStatLine(StatLine("client", "")), std::nullopt);
    EXPECT_EQ(StartTimeOfStatLine("4242 client S"), std::nullopt);
    EXPECT_EQ(StartTimeOfStatLine(""), std::nullopt);
}

TEST_F(ProcessNameTest, TheStartTimeIsReadFromTheProcFolder)
{
    std::filesystem::create_directories(folder_);
    EXPECT_EQ(StartTimeInProcFolder(folder_), std::nullopt); // no stat: no such process
    std::ofstream(folder_ / "stat") << StatLine("my (odd) client", "123456");
    EXPECT_EQ(StartTimeInProcFolder(folder_), 123456u);
    // A new process under the same identifier has another start time.
    std::ofstream(folder_ / "stat") << StatLine("client", "123999");
    EXPECT_EQ(StartTimeInProcFolder(folder_), 123999u);

    EXPECT_EQ(ProcessStartTime(std::uint32_t(::getpid())), StartTimeInProcFolder("/proc/self"));
    EXPECT_TRUE(ProcessStartTime(std::uint32_t(::getpid())).has_value());
}

TEST(ProcessMemoryTest, UnmappedAddressesReadAsZeroAndMappedOnesAsStored)
{
    // x at FFFFFFFF is never mapped here, and y wraps round to address 1.
    const ProcessMemory memory(std::int32_t(::getpid()));
    const PlayerPosition position = ReadPlayerPosition(memory, 0xFFFFFFFF);
    EXPECT_EQ(position.x, 0);
    EXPECT_EQ(position.y, 0);

    void* page = ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
    ASSERT_NE(page, MAP_FAILED);
    auto* bytes = static_cast<unsigned char*>(page);
    bytes[0] = 0x34;
    bytes[1] = 0x12;
    bytes[2] = 0xFF;
    bytes[3] = 0xFF;
    const PlayerPosition own = ReadPlayerPosition(memory, std::uint32_t(reinterpret_cast<std::uintptr_t>(page)));
    EXPECT_EQ(own.x, 0x1234);
    EXPECT_EQ(own.y, 65535);
    ::munmap(page, 4096);
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

namespace {

// A client started from the viewer is its child, so that the system's
// tracing rules (Yama scope 1) let the viewer read it.
void ExpectStartedClientReadable(const std::string& program, const std::string& listedName)
{
    const StartedClient started = StartClient(program, {"--hold", "41", "42", "--seconds", "60"});
    ASSERT_NE(started.processId, 0u) << started.failure;
    // Under Wine the Windows program shows by its name once Wine has started it.
    std::uint32_t found = 0;
    for (int tries = 0; tries < 100 && found == 0; ++tries) {
        const std::vector<ProcessEntry> processes = SnapshotProcesses();
        const std::uint32_t client = FindStartedClient(processes, started.processId, program).value_or(0);
        for (const ProcessEntry& process : processes)
            if (process.processId == client && process.exeFile == listedName)
                found = client;
        if (found == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    ASSERT_NE(found, 0u);
    EXPECT_TRUE(IsDescendantOf(found, std::uint32_t(::getpid())));
    const ProcessReader reader{std::int32_t(found)};
    EXPECT_EQ(reader.Refusal(), "");
    AddressFinder finder(reader);
    FinderProgress progress;
    for (int tries = 0; tries < 50 && finder.Count() == 0; ++tries) {
        finder.Forget();
        finder.KeepPosition(41, 42, progress);
        if (finder.Count() == 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(200)); // still starting
    }
    EXPECT_GE(finder.Count(), 1u);
    ::kill(pid_t(started.processId), SIGKILL);
}

TEST(ClientStartTest, AStartedClientIsAChildOfTheViewerAndReadable)
{
    ExpectStartedClientReadable(STAND_IN_CLIENT, "stand_in_client");
    const StartedClient missing = StartClient("/no/such/client", {});
    EXPECT_EQ(missing.processId, 0u);
    EXPECT_EQ(missing.failure, "Cannot start \"/no/such/client\": No such file or directory");
}

// The 64-bit and the 32-bit Windows client (TARVEX_WINDOWS_CLIENT_32), also
// where Wine's 32-bit part is installed beside its 64-bit one.
TEST(ClientStartTest, AWindowsClientStartsUnderWineAsADescendant)
{
    const char* client = std::getenv("TARVEX_WINDOWS_CLIENT");
    if (!client || !*client) {
        if (std::getenv("TARVEX_REQUIRE_WINE"))
            FAIL() << "TARVEX_WINDOWS_CLIENT names no Windows stand-in client";
        GTEST_SKIP() << "TARVEX_WINDOWS_CLIENT is not set";
    }
    ExpectStartedClientReadable(client, "stand_in_client.exe");
    const char* client32 = std::getenv("TARVEX_WINDOWS_CLIENT_32");
    if (client32 && *client32)
        ExpectStartedClientReadable(client32, "stand_in_client.exe");
}

// The stand-in keeps the position behind two pointers from a global of its
// own: the scan finds that path, and it leads to the position again in the
// next two runs, at other addresses.
TEST(PointerScanTest, TheStandInsChainIsFoundAndLeadsToThePositionAfterTwoRestarts)
{
    SKIP_POINTERS_UNDER_ADDRESS_SANITIZER();
    std::optional<PointerPath> chain;
    std::set<std::uint32_t> addresses;
    {
        StandInClient client("--chained --seconds 60");
        addresses.insert(client.address);
        const ProcessReader reader(std::int32_t(client.processId));
        const ModuleList modules = ListModules(std::int32_t(client.processId));
        ASSERT_EQ(modules.failure, "");
        EXPECT_EQ(modules.pointerWidth, 8u);
        ASSERT_NE(FindModule(modules.modules, "stand_in_client"), nullptr);
        const std::atomic<bool> never{false};
        const std::vector<PointerAt> pointers = IndexPointers(reader, modules.pointerWidth, never, {});
        for (const PointerPath& path : FindPointerPaths(pointers, modules.modules, client.address, {}, never))
            if (path.module == "stand_in_client" && path.offsets == std::vector<std::uint64_t>{0x18, 0x40})
                chain = path;
        ASSERT_TRUE(chain) << "no path through the global";
        EXPECT_EQ(ResolvePointerPath(*chain, modules.modules, PointersReadBy(reader, 8)).address, client.address);
    }
    for (int restart = 0; restart < 2; ++restart) {
        StandInClient client("--chained --seconds 60");
        addresses.insert(client.address);
        const ProcessReader reader(std::int32_t(client.processId));
        const ModuleList modules = ListModules(std::int32_t(client.processId));
        EXPECT_EQ(ResolvePointerPath(*chain, modules.modules, PointersReadBy(reader, 8)).address, client.address);
    }
    EXPECT_GT(addresses.size(), 1u); // the position did move from run to run
}

} // namespace
