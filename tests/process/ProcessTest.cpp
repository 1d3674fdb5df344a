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

TEST(ProcessMemoryTest, ReadsThePlayerPositionOfARunningClient)
{
    StandInClient client("--hold 312 207 --seconds 30");
    ASSERT_NE(client.processId, 0u);
    const ProcessMemory memory(std::int32_t(client.processId));
    ASSERT_TRUE(memory.IsOpen());
    const PlayerPosition position = ReadPlayerPosition(memory, client.address);
    EXPECT_EQ(position.x, 312);
    EXPECT_EQ(position.y, 207);
    EXPECT_EQ(ReadPlayerPosition(memory, client.address + 2).x, 207); // y is two bytes on

    const PlayerPosition unmapped = ReadPlayerPosition(memory, 0);
    EXPECT_EQ(unmapped.x, 0);
    EXPECT_EQ(unmapped.y, 0);

    client.End();
    const ProcessMemory ended(std::int32_t(client.processId));
    EXPECT_EQ(ReadPlayerPosition(ended, client.address).x, 0);
}

TEST(ProcessMemoryTest, TheWalkingPlayerIsSeenToMove)
{
    StandInClient client("--seconds 30");
    ASSERT_NE(client.processId, 0u);
    const PlayerPosition first = ReadPlayerPosition(ProcessMemory(std::int32_t(client.processId)), client.address);
    EXPECT_GE(first.x, 10); // the walk without a map runs along row 10 from column 10
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    const PlayerPosition later = ReadPlayerPosition(ProcessMemory(std::int32_t(client.processId)), client.address);
    EXPECT_NE(later.x, first.x);
    EXPECT_EQ(later.y, 10);
}

TEST(ProcessIdentityTest, OnlyTheProcessThatStartedThenIsRead)
{
    StandInClient client("--hold 312 207 --seconds 30");
    ASSERT_NE(client.processId, 0u);
    const std::int32_t processId = std::int32_t(client.processId);
    const std::optional<std::uint64_t> startTime = ProcessStartTime(client.processId);
    ASSERT_TRUE(startTime.has_value());
    EXPECT_EQ(ProcessStartTime(client.processId), startTime); // the same process, asked again

    const PlayerPosition chosen = ReadPlayerPosition(processId, *startTime, client.address);
    EXPECT_EQ(chosen.x, 312);
    EXPECT_EQ(chosen.y, 207);
    // The same identifier with another start time is another process, as
    // after the chosen one ended and the identifier was given again.
    EXPECT_FALSE(ProcessMemory(processId, *startTime + 1).IsOpen());
    EXPECT_EQ(ProcessMemory(processId, *startTime + 1).Access(), ProcessAccess::Ended); // another process now
    const PlayerPosition other = ReadPlayerPosition(processId, *startTime + 1, client.address);
    EXPECT_EQ(other.x, 0);
    EXPECT_EQ(other.y, 0);

    client.End();
    EXPECT_EQ(ProcessStartTime(client.processId), std::nullopt);
    EXPECT_EQ(ReadPlayerPosition(processId, *startTime, client.address).x, 0);
}

} // namespace
