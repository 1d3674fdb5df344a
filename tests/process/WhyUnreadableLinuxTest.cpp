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

} // namespace
