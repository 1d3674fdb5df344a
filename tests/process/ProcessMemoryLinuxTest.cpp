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

} // namespace
