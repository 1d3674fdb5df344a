#include "app/following/PlayerTracker.h"
#include "process/ProcessStartTime.h"
#include "tests/support/NeverAnsweringClient.h"
#include "tests/support/StandInClient.h"

#include <QSignalSpy>
#include <QTimer>
#include "tests/support/QTryInGoogleTest.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

class PlayerTrackerTest : public ::testing::Test {
protected:
    PlayerTrackerTest() : positions_(&tracker_, &PlayerTracker::positionRead), failures_(&tracker_, &PlayerTracker::failed) {}

    void Follow(const StandInClient& client)
    {
        tracker_.setProcess(client.processId, ProcessStartTime(client.processId));
        tracker_.setAddressText(QString::number(client.address, 16));
    }
    // A tick, and what it read told: the read runs on a thread of its own.
    void Tick()
    {
        tracker_.tick();
        QTRY_VERIFY(!tracker_.isReading());
    }
    PlayerPosition LastPosition() const { return positions_.last().at(0).value<PlayerPosition>(); }
    QString LastFailure() const { return failures_.last().at(0).toString(); }

    PlayerTracker tracker_{nullptr};
    QSignalSpy positions_;
    QSignalSpy failures_;
};

TEST_F(PlayerTrackerTest, ReadsThePositionOnceASecondWhileRunning)
{
    StandInClient client("--hold 30 20 --seconds 30");
    Follow(client);
    tracker_.setRunning(true);
    EXPECT_TRUE(tracker_.isRunning());
    EXPECT_EQ(positions_.count(), 0); // the first tick comes a second later
    ASSERT_TRUE(positions_.wait(3000));
    EXPECT_EQ(LastPosition().x, 30);
    EXPECT_EQ(LastPosition().y, 20);
    tracker_.setRunning(false);
    EXPECT_FALSE(tracker_.isRunning());
    EXPECT_EQ(failures_.count(), 0);
}

TEST_F(PlayerTrackerTest, AnEndedProcessReadsAsZeroAndIsToldAsEnded)
{
    QSignalSpy accesses(&tracker_, &PlayerTracker::processAccessRead);
    StandInClient client("--hold 30 20 --seconds 30");
    Follow(client);
    Tick();
    ASSERT_EQ(accesses.count(), 1);
    EXPECT_EQ(accesses.last().at(0).toUInt(), client.processId);
    EXPECT_EQ(accesses.last().at(1).value<ProcessAccess>(), ProcessAccess::Open);
    client.End();
    Tick();
    ASSERT_EQ(positions_.count(), 2);
    EXPECT_EQ(LastPosition().x, 0);
    EXPECT_EQ(LastPosition().y, 0);
    EXPECT_EQ(accesses.last().at(1).value<ProcessAccess>(), ProcessAccess::Ended);
    EXPECT_EQ(failures_.count(), 0);
}

// What a read started before the user stopped following brings is dropped.
TEST_F(PlayerTrackerTest, AReadUnderWayWhenStoppedIsDropped)
{
    StandInClient client("--hold 30 20 --seconds 30");
    Follow(client);
    tracker_.setRunning(true);
    tracker_.tick();
    tracker_.setRunning(false);
    EXPECT_FALSE(tracker_.isReading());
    QTest::qWait(300);
    EXPECT_EQ(positions_.count(), 0);
}

TEST_F(PlayerTrackerTest, WithoutAProcessTicksDoNothingWhateverTheAddress)
{
    QSignalSpy accesses(&tracker_, &PlayerTracker::processAccessRead);
    tracker_.setAddressText("not hex");
    Tick();
    EXPECT_EQ(accesses.count(), 0);
    EXPECT_EQ(positions_.count(), 0);
    EXPECT_EQ(failures_.count(), 0);
}

TEST_F(PlayerTrackerTest, ABadAddressOrIdentifierFailsEveryTickWithItsText)
{
    tracker_.setProcess(1, ProcessStartTime(1));
    for (const char* text : {"", "0x12", " 12", "123456789"}) {
        tracker_.setAddressText(text);
        Tick();
        EXPECT_EQ(LastFailure(), QStringLiteral("'$%1' is not a valid integer value").arg(text));
    }
    tracker_.setAddressText("12ab");
    tracker_.setProcess(2147483648u, std::nullopt); // beyond what a signed identifier holds
    Tick();
    EXPECT_EQ(LastFailure(), "'2147483648' is not a valid integer value");
    EXPECT_EQ(failures_.count(), 5);
    EXPECT_EQ(positions_.count(), 0);
}

// Trackers ticking in one pass read in one job; each is told its own
// client's position, a tracker gone meanwhile is told nothing, and those of
// a shared clock tick when it does, a stopped one not.
TEST_F(PlayerTrackerTest, TrackersTickingTogetherAreEachToldTheirOwnPosition)
{
    StandInClient first("--hold 11 12 --seconds 30");
    StandInClient second("--hold 21 22 --seconds 30");
    StandInClient third("--hold 31 32 --seconds 30");
    QTimer clock;
    clock.setInterval(50);
    std::vector<std::unique_ptr<PlayerTracker>> trackers;
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (const StandInClient* client : {&first, &second, &third}) {
        trackers.push_back(std::make_unique<PlayerTracker>(nullptr, &clock));
        trackers.back()->setProcess(client->processId, ProcessStartTime(client->processId));
        trackers.back()->setAddressText(QString::number(client->address, 16));
        spies.push_back(std::make_unique<QSignalSpy>(trackers.back().get(), &PlayerTracker::positionRead));
    }
    for (const auto& tracker : trackers)
        tracker->tick();
    trackers[1].reset(); // before its read came back
    QTRY_VERIFY(!trackers[0]->isReading() && !trackers[2]->isReading());
    ASSERT_EQ(spies[0]->count(), 1);
    ASSERT_EQ(spies[2]->count(), 1);
    EXPECT_EQ(spies[0]->last().at(0).value<PlayerPosition>().x, 11);
    EXPECT_EQ(spies[2]->last().at(0).value<PlayerPosition>().y, 32);

    trackers[0]->setRunning(true);
    trackers[2]->setRunning(true);
    EXPECT_TRUE(clock.isActive());
    trackers[2]->setRunning(false);
    EXPECT_FALSE(trackers[2]->isRunning());
    QTRY_VERIFY(spies[0]->count() >= 3);
    EXPECT_EQ(spies[0]->last().at(0).value<PlayerPosition>().y, 12);
    EXPECT_EQ(spies[2]->count(), 1);
}

// A read of memory the client never fills in waits on its own thread: the
// ticks go on, tell that it has not answered and start no other read behind
// it; the position's address, typed again, lets it go.
TEST_F(PlayerTrackerTest, AReadThatNeverAnswersHoldsNoTickAndIsLetGo)
{
    NeverAnsweringClient hostile("--hold 30 20");
    if (hostile.block == 0)
        GTEST_SKIP() << "the system refuses userfaultfd to the client here";
    QSignalSpy unanswered(&tracker_, &PlayerTracker::readUnanswered);
    tracker_.setProcess(hostile.client.processId, ProcessStartTime(hostile.client.processId));
    tracker_.setAddressText(QString::number(hostile.block, 16));
    // Another ticking in the same pass is read behind it, in the same job.
    StandInClient other("--hold 7 8 --seconds 30");
    PlayerTracker behind(nullptr);
    behind.setProcess(other.processId, ProcessStartTime(other.processId));
    behind.setAddressText(QString::number(other.address, 16));
    QSignalSpy behindPositions(&behind, &PlayerTracker::positionRead);
    tracker_.tick();
    behind.tick();
    QTest::qWait(300);
    if (positions_.count() == 1)
        GTEST_SKIP() << "this system fails such a read of /proc/PID/mem at once instead of waiting";
    EXPECT_EQ(behindPositions.count(), 0);
    tracker_.tick();
    behind.tick(); // let go there, and read anew
    QTRY_COMPARE(behindPositions.count(), 1);
    EXPECT_EQ(behindPositions.last().at(0).value<PlayerPosition>().x, 7);
    tracker_.tick();
    EXPECT_EQ(unanswered.count(), 2);
    EXPECT_TRUE(tracker_.isReading());
    EXPECT_TRUE(tracker_.isUnanswered());
    EXPECT_EQ(positions_.count(), 0);

    tracker_.setAddressText(QString::number(hostile.client.address, 16));
    EXPECT_FALSE(tracker_.isUnanswered());
    Tick();
    ASSERT_EQ(positions_.count(), 1);
    EXPECT_EQ(LastPosition().x, 30);
    EXPECT_EQ(LastPosition().y, 20);
    EXPECT_FALSE(hostile.WatchdogFired());
}

} // namespace
