// The finder's steps and reads run off the window's thread; a step that
// waits on a read the client never answers is let go when cancelled, and
// nothing waits for its thread.

#include "app/finder/FinderSession.h"
#include "tests/support/NeverAnsweringClient.h"
#include "tests/support/QTryInGoogleTest.h"

#include <QSignalSpy>

#include <memory>

namespace {

TEST(FinderSessionTest, ACancelledStepWaitingOnAReadIsLetGoAndHoldsNothing)
{
    // The client keeps no descriptor for the memory, so the scan does not
    // know to leave it alone.
    NeverAnsweringClient hostile("--hold 5 6 --descriptor-in-child");
    if (hostile.block == 0)
        GTEST_SKIP() << "the system refuses userfaultfd to the client here";
    auto session = std::make_unique<FinderSession>(std::int32_t(hostile.client.processId), nullptr);
    QSignalSpy ended(session.get(), &FinderSession::stepEnded);
    ASSERT_TRUE(session->start(FinderStepKind::Position, {5, 6}, nullptr));
    QTest::qWait(1000);
    ASSERT_TRUE(session->isRunning()) << "the scan should wait on the memory that never answers";
    EXPECT_FALSE(session->readFirst(10, session.get(), [](const std::vector<FoundPlace>&) {}));

    session->cancel();
    ASSERT_TRUE(ended.wait(5000));
    EXPECT_TRUE(ended.last().at(0).value<FinderOutcome>().cancelled);
    EXPECT_TRUE(session->wasLetGo());
    EXPECT_FALSE(session->isRunning());
    EXPECT_FALSE(session->hasScanned()); // anew: the candidates stayed with the step
    EXPECT_EQ(session->processId(), std::int32_t(hostile.client.processId));

    session.reset(); // does not wait for the step's thread
    EXPECT_FALSE(hostile.WatchdogFired());
}

// The first candidates are read on a thread of their own and given back on
// the caller's; one read at a time.
TEST(FinderSessionTest, TheFirstCandidatesAreReadOffTheCallersThread)
{
    StandInClient client("--hold 7 8");
    FinderSession session(std::int32_t(client.processId), nullptr);
    QSignalSpy ended(&session, &FinderSession::stepEnded);
    ASSERT_TRUE(session.start(FinderStepKind::Position, {7, 8}, nullptr));
    ASSERT_TRUE(ended.wait(20000));
    ASSERT_GE(session.count(), 1u);
    std::vector<FoundPlace> shown;
    bool told = false;
    ASSERT_TRUE(session.readFirst(1000, &session, [&](const std::vector<FoundPlace>& places) {
        shown = places;
        told = true;
    }));
    EXPECT_FALSE(session.readFirst(1000, &session, [](const std::vector<FoundPlace>&) {}));
    EXPECT_FALSE(told);
    QTRY_VERIFY(told);
    bool found = false;
    for (const FoundPlace& place : shown)
        found = found || (place.address == client.address && place.x == 7 && place.y == 8);
    EXPECT_TRUE(found);
    EXPECT_TRUE(session.readFirst(1, &session, [](const std::vector<FoundPlace>&) {}));
}

// A step that ends soon after Cancel is not let go, nor is the next one
// started within the second Cancel waits.
TEST(FinderSessionTest, AStepStartedAfterACancelledOneIsNotLetGo)
{
    StandInClient client("--hold 7 8");
    FinderSession session(std::int32_t(client.processId), nullptr);
    QSignalSpy ended(&session, &FinderSession::stepEnded);
    ASSERT_TRUE(session.start(FinderStepKind::Position, {7, 8}, nullptr));
    session.cancel();
    ASSERT_TRUE(ended.wait(20000));
    ASSERT_TRUE(session.start(FinderStepKind::Position, {7, 8}, nullptr));
    ASSERT_TRUE(ended.wait(20000));
    QTest::qWait(1500); // past the cancelled step's second
    EXPECT_FALSE(session.wasLetGo());
    EXPECT_FALSE(ended.last().at(0).value<FinderOutcome>().cancelled);
    EXPECT_GE(session.count(), 1u);
    EXPECT_EQ(ended.count(), 2);
}

} // namespace
