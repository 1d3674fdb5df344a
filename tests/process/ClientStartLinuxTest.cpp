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

} // namespace
