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
