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

TEST(ProcessStartTimeTest, TheStartTimeIsReadFromTheProcFolder)
{
    const std::filesystem::path folder_ = std::filesystem::temp_directory_path() / ("tarvex-stat-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    EXPECT_EQ(StartTimeInProcFolder(folder_), std::nullopt); // no stat: no such process
    std::ofstream(folder_ / "stat") << StatLine("my (odd) client", "123456");
    EXPECT_EQ(StartTimeInProcFolder(folder_), 123456u);
    // A new process under the same identifier has another start time.
    std::ofstream(folder_ / "stat") << StatLine("client", "123999");
    EXPECT_EQ(StartTimeInProcFolder(folder_), 123999u);

    EXPECT_EQ(ProcessStartTime(std::uint32_t(::getpid())), StartTimeInProcFolder("/proc/self"));
    EXPECT_TRUE(ProcessStartTime(std::uint32_t(::getpid())).has_value());
    std::filesystem::remove_all(folder_);
}

} // namespace
