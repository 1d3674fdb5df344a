#include "process/ProcessList.h"
#include "process/ProcessMemory.h"
#include "process/ProcessStartTime.h"
#include "tests/support/StandInClient.h"
#include "track/Tracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
const char kThisProgram[] = "track_tests.exe";
const char kClientProgram[] = "stand_in_client.exe";
std::uint32_t ThisProcessId() { return ::GetCurrentProcessId(); }
#else
const char kThisProgram[] = "track_tests";
const char kClientProgram[] = "stand_in_client";
std::uint32_t ThisProcessId() { return std::uint32_t(::getpid()); }
#endif

const ProcessEntry* Find(const std::vector<ProcessEntry>& processes, std::uint32_t processId)
{
    const auto found = std::find_if(processes.begin(), processes.end(),
                                    [processId](const ProcessEntry& p) { return p.processId == processId; });
    return found == processes.end() ? nullptr : &*found;
}

TEST(ProcessListTest, TheWalkNamesThisProcessAndAStartedClient)
{
    StandInClient client("--hold 1 2 --seconds 30");
    ASSERT_NE(client.processId, 0u);
    const std::vector<ProcessEntry> processes = SnapshotProcesses();
    const ProcessEntry* self = Find(processes, ThisProcessId());
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(self->exeFile, kThisProgram);
    const ProcessEntry* started = Find(processes, client.processId);
    ASSERT_NE(started, nullptr);
    EXPECT_EQ(started->exeFile, kClientProgram);
    for (const ProcessEntry& process : processes)
        EXPECT_LE(process.exeFile.size(), kMaxProcessNameLength);
}

} // namespace
