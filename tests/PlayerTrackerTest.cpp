#include "app/PlayerTracker.h"
#include "tests/StandInClient.h"
#include "track/ProcessStartTime.h"

#include <QSignalSpy>
#include <QTest>

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
    tracker_.tick();
    ASSERT_EQ(accesses.count(), 1);
    EXPECT_EQ(accesses.last().at(0).toUInt(), client.processId);
    EXPECT_EQ(accesses.last().at(1).value<ProcessAccess>(), ProcessAccess::Open);
    client.End();
    tracker_.tick();
    ASSERT_EQ(positions_.count(), 2);
    EXPECT_EQ(LastPosition().x, 0);
    EXPECT_EQ(LastPosition().y, 0);
    EXPECT_EQ(accesses.last().at(1).value<ProcessAccess>(), ProcessAccess::Ended);
    EXPECT_EQ(failures_.count(), 0);
}

TEST_F(PlayerTrackerTest, WithoutAProcessTicksDoNothingWhateverTheAddress)
{
    QSignalSpy accesses(&tracker_, &PlayerTracker::processAccessRead);
    tracker_.setAddressText("not hex");
    tracker_.tick();
    EXPECT_EQ(accesses.count(), 0);
    EXPECT_EQ(positions_.count(), 0);
    EXPECT_EQ(failures_.count(), 0);
}

TEST_F(PlayerTrackerTest, ABadAddressOrIdentifierFailsEveryTickWithItsText)
{
    tracker_.setProcess(1, ProcessStartTime(1));
    for (const char* text : {"", "0x12", " 12", "123456789"}) {
        tracker_.setAddressText(text);
        tracker_.tick();
        EXPECT_EQ(LastFailure(), QStringLiteral("'$%1' is not a valid integer value").arg(text));
    }
    tracker_.setAddressText("12ab");
    tracker_.setProcess(2147483648u, std::nullopt); // beyond what a signed identifier holds
    tracker_.tick();
    EXPECT_EQ(LastFailure(), "'2147483648' is not a valid integer value");
    EXPECT_EQ(failures_.count(), 5);
    EXPECT_EQ(positions_.count(), 0);
}

} // namespace
