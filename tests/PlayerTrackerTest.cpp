#include "app/PlayerTracker.h"
#include "tests/NeverAnsweringClient.h"
#include "tests/StandInClient.h"
#include "track/ProcessStartTime.h"

#include <QSignalSpy>
#include "tests/QTryInGoogleTest.h"

#include <gtest/gtest.h>

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
    tracker_.tick();
    QTest::qWait(300);
    if (positions_.count() == 1)
        GTEST_SKIP() << "this system fails such a read of /proc/PID/mem at once instead of waiting";
    tracker_.tick();
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
