// The address finder against this very process: pairs planted in memory
// below 4 GiB at known places, among look-alikes, then changed, freed or
// left alone between the steps.

#include "tests/support/LowBlock.h"
#include "tests/support/StandInClient.h"
#include "track/AddressFinder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>

namespace {

constexpr std::size_t kMiB = std::size_t(1) << 20;

// The candidates inside the block, as offsets: memory elsewhere in this
// process (the finder's own buffers among it, on some systems, and on Windows
// the program, its heaps and stacks below the block) is not the test's.
std::set<std::size_t> OffsetsIn(const LowBlock& block, const AddressFinder& finder)
{
    std::set<std::size_t> offsets;
    for (const FoundPlace& place : finder.First(100000, block.Address(0)))
        if (block.Holds(place.address))
            offsets.insert(place.address - block.Address(0));
    return offsets;
}

StandableCells Room()
{
    // 40 x 30 cells, standable but for the column x = 7.
    StandableCells cells(40, 30);
    for (int x = 0; x < 40; ++x)
        for (int y = 0; y < 30; ++y)
            if (x != 7)
                cells.Allow(x, y);
    return cells;
}

class AddressFinderTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(reader_.Refusal().empty()) << reader_.Refusal(); }

    ProcessReader reader_{ThisProcess()};
    AddressFinder finder_{reader_};
    FinderProgress progress_;
    LowBlock block_{3 * kMiB};
};

TEST_F(AddressFinderTest, AKnownPositionIsFoundWhereverItLies)
{
    ASSERT_NE(block_.Bytes(), nullptr);
    block_.Put(0, 312, 207);
    block_.Put(kMiB - 2, 312, 207); // across the end of a MiB that is read as one piece
    block_.Put(2 * kMiB + 1000, 312, 207);
    block_.Put(3 * kMiB - 4, 312, 207); // the last place of the block
    block_.Put(5001, 312, 207);         // odd: not a place the tracker would read
    block_.Put(6000, 207, 312);
    block_.Put(7000, 312, 208);

    const FinderOutcome outcome = finder_.KeepPosition(312, 207, progress_);
    EXPECT_FALSE(outcome.cancelled);
    EXPECT_TRUE(finder_.HasScanned());
    EXPECT_EQ(OffsetsIn(block_, finder_), (std::set<std::size_t>{0, kMiB - 2, 2 * kMiB + 1000, 3 * kMiB - 4}));
    EXPECT_EQ(progress_.bytesDone.load(), progress_.bytesTotal.load());
    for (const FoundPlace& place : finder_.First(10, block_.Address(0))) {
        if (!block_.Holds(place.address))
            continue;
        EXPECT_EQ(place.x, 312);
        EXPECT_EQ(place.y, 207);
    }
}

// Each step keeps what its rule keeps, whatever came before it.
TEST_F(AddressFinderTest, NarrowingRules)
{
    const StandableCells room = Room();
    const std::size_t stays = 100, walks = 200, walksIntoWall = 300, leavesMap = 400, blocked = 500;
    block_.Put(stays, 3, 4);
    block_.Put(walks, 3, 4);
    block_.Put(walksIntoWall, 3, 4);
    block_.Put(leavesMap, 3, 4);
    block_.Put(blocked, 7, 4);

    finder_.KeepOnMap(room, progress_);
    EXPECT_EQ(OffsetsIn(block_, finder_), (std::set<std::size_t>{stays, walks, walksIntoWall, leavesMap}));

    block_.Put(walks, 4, 4);
    block_.Put(walksIntoWall, 7, 5);
    block_.Put(leavesMap, 40, 4);
    const std::set<std::size_t> afterStill = {stays};
    const std::set<std::size_t> afterMoved = {walks};
    AddressFinder still(reader_);
    still.KeepOnMap(room, progress_); // the same first look as finder_ had, after the moves
    block_.Put(walks, 5, 4);
    block_.Put(walksIntoWall, 7, 6);
    block_.Put(leavesMap, 41, 4);

    finder_.KeepMoved(room, progress_);
    EXPECT_EQ(OffsetsIn(block_, finder_), afterMoved);
    still.KeepStill(progress_);
    EXPECT_EQ(OffsetsIn(block_, still), afterStill);

    // Without a map, moving anywhere counts.
    AddressFinder anywhere(reader_);
    anywhere.KeepOnMap(room, progress_);
    block_.Put(walks, 7, 4); // onto the wall
    anywhere.KeepMoved(StandableCells(), progress_);
    EXPECT_EQ(OffsetsIn(block_, anywhere), (std::set<std::size_t>{walks}));

    // A known position narrows too, and a changed one is dropped.
    block_.Put(stays, 6, 4);
    still.KeepPosition(6, 4, progress_);
    EXPECT_EQ(OffsetsIn(block_, still), (std::set<std::size_t>{stays}));
    block_.Put(stays, 9, 9);
    still.KeepPosition(6, 4, progress_);
    EXPECT_TRUE(OffsetsIn(block_, still).empty());
}

// Of two overlapping places of which only the shared half moves, the one
// whose other half is a zero field is dropped; with zeros on both sides
// nothing tells them apart.
TEST_F(AddressFinderTest, AMoveDropsTheOverlapWhoseStillHalfIsZero)
{
    const StandableCells room = Room();
    const std::size_t row = 1000, column = 2000, zeros = 3000; // words 0 x y, x y 0, 0 s 0
    auto walk = [&](std::uint16_t step) {
        block_.Put(row, 0, 3 + step);
        block_.Put(row + 4, 4, 0);
        block_.Put(column, 5, 6 + step);
        block_.Put(column + 4, 0, 0);
        block_.Put(zeros, 0, 9 + step);
        block_.Put(zeros + 4, 0, 0);
    };
    walk(0);
    finder_.KeepOnMap(room, progress_);
    for (std::uint16_t step = 1; step <= 2; ++step) {
        walk(step);
        finder_.KeepMoved(room, progress_);
    }
    EXPECT_EQ(OffsetsIn(block_, finder_), (std::set<std::size_t>{row + 2, column, zeros, zeros + 2}));
    EXPECT_EQ(finder_.FirstUnread(1 << 20).size(), finder_.Count());
}

// Zeroed memory holds 0:0 at every place: kept as runs, narrowed place by place.
TEST_F(AddressFinderTest, ZeroedMemoryIsKeptAsRunsAndSplitWhenNarrowed)
{
    std::memset(block_.Bytes(), 0, 3 * kMiB);
    const FinderOutcome outcome = finder_.KeepOnMap(Room(), progress_);
    EXPECT_FALSE(outcome.tooMany);
    EXPECT_GE(finder_.Count(), 3 * kMiB / 2 - 1);
    // From inside a run, and from between two of its places.
    std::vector<std::uint32_t> listed;
    for (const FoundPlace& place : finder_.First(3, block_.Address(kMiB + 1)))
        listed.push_back(place.address);
    EXPECT_EQ(listed, (std::vector<std::uint32_t>{block_.Address(kMiB + 2), block_.Address(kMiB + 4), block_.Address(kMiB + 6)}));

    block_.Put(2 * kMiB + 10, 1, 2); // the places overlapping it change as well
    finder_.KeepMoved(Room(), progress_);
    EXPECT_EQ(OffsetsIn(block_, finder_), (std::set<std::size_t>{2 * kMiB + 8, 2 * kMiB + 10, 2 * kMiB + 12}));

    block_.Put(2 * kMiB + 10, 3, 2); // 0:3 beside 3:2, only the 3 moved: the zero field is not the player
    finder_.KeepMoved(Room(), progress_);
    EXPECT_EQ(OffsetsIn(block_, finder_), (std::set<std::size_t>{2 * kMiB + 10}));
}

// Memory full of positions on the map, each unlike the next, would take
// more than the finder keeps: it keeps none and says so.
TEST_F(AddressFinderTest, AScanThatWouldKeepTooMuchKeepsNothing)
{
    LowBlock crowded(64 * kMiB);
    ASSERT_NE(crowded.Bytes(), nullptr);
    for (std::size_t at = 0, i = 0; at + 4 <= 64 * kMiB; at += 4, ++i)
        crowded.Put(at, std::uint16_t(i % 7), std::uint16_t(i / 7 % 30));
    const FinderOutcome outcome = finder_.KeepOnMap(Room(), progress_);
    EXPECT_TRUE(outcome.tooMany);
    EXPECT_FALSE(finder_.HasScanned());
    EXPECT_EQ(finder_.Count(), 0u);
}

TEST_F(AddressFinderTest, FreedMemoryDropsItsCandidates)
{
    block_.Put(64, 10, 11);
    LowBlock other(kMiB);
    other.Put(64, 10, 11);
    finder_.KeepPosition(10, 11, progress_);
    EXPECT_EQ(OffsetsIn(block_, finder_).size(), 1u);
    EXPECT_EQ(OffsetsIn(other, finder_).size(), 1u);
    const std::uint32_t freed = other.Address(64);

    other.Free();
    finder_.KeepStill(progress_);
    EXPECT_EQ(OffsetsIn(block_, finder_).size(), 1u);
    for (const FoundPlace& place : finder_.First(1, freed))
        EXPECT_NE(place.address, freed);
}

TEST_F(AddressFinderTest, ACancelledStepKeepsTheCandidatesOfBefore)
{
    block_.Put(64, 10, 11);
    finder_.KeepPosition(10, 11, progress_);
    const std::uint64_t before = finder_.Count();
    progress_.cancel = true;
    block_.Put(64, 12, 11);
    EXPECT_TRUE(finder_.KeepMoved(StandableCells(), progress_).cancelled);
    EXPECT_EQ(finder_.Count(), before);
    EXPECT_EQ(OffsetsIn(block_, finder_).size(), 1u);

    AddressFinder fresh(reader_);
    EXPECT_TRUE(fresh.KeepPosition(10, 11, progress_).cancelled);
    EXPECT_FALSE(fresh.HasScanned());
}

TEST(PositionTextTest, ThreeWaysOfWritingACell)
{
    using Pair = std::pair<std::uint16_t, std::uint16_t>;
    EXPECT_EQ(ParsePosition("312:207"), Pair(312, 207));
    EXPECT_EQ(ParsePosition(" 312 , 207 "), Pair(312, 207));
    EXPECT_EQ(ParsePosition("312 207"), Pair(312, 207));
    EXPECT_EQ(ParsePosition("0:65535"), Pair(0, 65535));
    for (const char* wrong : {"", "312", "312:", ":207", "312:207:1", "312;207", "-1:2", "65536:0", "3 1 2", "0x10:2",
                              "312207", "1:2x", "-0:5", "5:-0"})
        EXPECT_EQ(ParsePosition(wrong), std::nullopt) << wrong;
}

} // namespace
