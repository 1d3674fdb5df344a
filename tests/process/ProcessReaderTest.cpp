// Reading another process's memory, here through the address finder's
// scans: pieces across unmapped pages, an ended client, memory that never
// answers, and a client that goes on moving while it is read.

#include "process/ProcessReader.h"
#include "tests/support/LowBlock.h"
#include "tests/support/StandInClient.h"
#ifndef _WIN32
#include "tests/support/NeverAnsweringClient.h"
#endif
#include "track/AddressFinder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

TEST(ProcessReaderTest, APieceStopsAtAnUnmappedPageAndTheNextGoesOn)
{
    const ProcessReader reader(ThisProcess());
    LowBlock first(64 * 1024);
    LowBlock second(64 * 1024);
    first.Put(100, 1, 2);
    const std::uint32_t gone = second.Address(0);
    second.Free();
    unsigned char bytes[3][64] = {};
    ReadPiece pieces[] = {{first.Address(64 * 1024 - 16), 64, bytes[0], 0},
                          {gone, 64, bytes[1], 0},
                          {first.Address(100), 4, bytes[2], 0}};
    reader.ReadPieces(pieces, 3);
    // The first piece runs on into whatever follows the block: all of it or its first 16 bytes.
    EXPECT_GE(pieces[0].got, 16u);
    EXPECT_EQ(pieces[1].got, 0u);
    EXPECT_EQ(pieces[2].got, 4u);
    EXPECT_EQ(bytes[2][0], 1);
    EXPECT_EQ(bytes[2][2], 2);
}

TEST(ProcessReaderTest, AnEndedClientReadsNothingAndIsToldEnded)
{
    StandInClient client("--hidden --hold 5 6 --seconds 30");
    ASSERT_NE(client.address, 0u);
    const ProcessReader reader(std::int32_t(client.processId));
    ASSERT_TRUE(reader.Refusal().empty()) << reader.Refusal();
    AddressFinder finder(reader);
    FinderProgress progress;
    finder.KeepPosition(5, 6, progress);
    EXPECT_GE(finder.Count(), 7u); // the position and its six copies

    const std::uint64_t before = finder.Count();

    client.End();
    EXPECT_FALSE(reader.IsRunning());
    // Told as ended, not as no candidate left: the places of before stay.
    EXPECT_TRUE(finder.KeepStill(progress).processEnded);
    EXPECT_EQ(finder.Count(), before);
    EXPECT_EQ(ProcessReader(std::int32_t(client.processId)).Refusal(), "The process has ended.");
}

#ifndef _WIN32
// Memory whose pages the client fills in itself, and never does, would hold
// a read of it for ever: it is left out of the regions, with its size told.
TEST(ProcessReaderTest, MemoryThatNeverAnswersIsLeftAloneAndTold)
{
    NeverAnsweringClient hostile("--hold 5 6");
    if (hostile.block == 0)
        GTEST_SKIP() << "the system refuses userfaultfd to the client here";
    const ProcessReader reader(std::int32_t(hostile.client.processId));
    ASSERT_TRUE(reader.Refusal().empty()) << reader.Refusal();
    std::uint64_t leftAlone = 0;
    for (const MemoryRegion& region : reader.WritableRegions(&leftAlone))
        EXPECT_FALSE(region.start <= hostile.block && hostile.block < region.end);
    EXPECT_GE(leftAlone, 1u << 20);

    AddressFinder finder(reader);
    FinderProgress progress;
    const FinderOutcome outcome = finder.KeepPosition(5, 6, progress);
    EXPECT_FALSE(hostile.WatchdogFired()) << "the scan waited on the memory that never answers";
    EXPECT_GE(outcome.bytesNeverAnswering, 1u << 20);
    EXPECT_GE(finder.Count(), 1u);
}

// Whether a process may be read is asked without reading its memory: the
// first of its writable regions here never answers, and the client keeps
// no descriptor that would tell so.
TEST(ProcessReaderTest, AReaderReadsNoMemoryToKnowItMayRead)
{
    NeverAnsweringClient hostile("--hold 5 6 --descriptor-in-child");
    if (hostile.block == 0)
        GTEST_SKIP() << "the system refuses userfaultfd to the client here";
    const ProcessReader reader(std::int32_t(hostile.client.processId));
    EXPECT_TRUE(reader.Refusal().empty()) << reader.Refusal();
    ASSERT_FALSE(reader.WritableRegions().empty());
    EXPECT_EQ(reader.WritableRegions().front().start, hostile.block);
    EXPECT_FALSE(hostile.WatchdogFired());
}
#endif

// The finder only reads: a client goes on moving while it is scanned. First
// scans run back to back until the position is seen to change between two
// reads made during one and the same scan (the client steps every 0.5 s).
TEST(ProcessReaderTest, AScannedClientGoesOnMoving)
{
    StandInClient client("--hidden --seconds 30");
    ASSERT_NE(client.address, 0u);
    const ProcessReader reader(std::int32_t(client.processId));
    ASSERT_TRUE(reader.Refusal().empty()) << reader.Refusal();
    std::atomic<unsigned> scans{0}; // odd while a scan runs
    std::atomic<bool> stop{false};
    std::thread scanner([&] {
        while (!stop) {
            AddressFinder finder(reader);
            FinderProgress progress;
            ++scans;
            finder.KeepPosition(1, 2, progress);
            ++scans;
        }
    });
    bool movedDuringAScan = false;
    unsigned lastScan = 0;
    std::uint32_t lastPair = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!movedDuringAScan && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::microseconds(50));
        const unsigned scan = scans;
        std::uint32_t pair = 0;
        if (reader.Read(client.address, &pair, 4) != 4 || scan % 2 == 0 || scans != scan)
            continue;
        movedDuringAScan = scan == lastScan && pair != lastPair;
        lastScan = scan;
        lastPair = pair;
    }
    stop = true;
    scanner.join();
    EXPECT_TRUE(movedDuringAScan);
}

} // namespace
