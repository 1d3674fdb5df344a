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

} // namespace
