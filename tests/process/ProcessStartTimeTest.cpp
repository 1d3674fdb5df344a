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
