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

} // namespace
