#include "app/following/MapFollower.h"
#include "tests/support/MapBytes.h"
#include "tests/support/QTryInGoogleTest.h"

#include <QTemporaryDir>

#ifndef _WIN32
#include "tests/support/NeverAnsweringClient.h"
#endif

namespace {

class MapFollowerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(first_.isValid() && second_.isValid());
        WriteBytes(std::filesystem::path(first_.filePath("wide.map").toStdString()), MapFromRows({"........", "........"}));
        WriteBytes(std::filesystem::path(first_.filePath("tall.map").toStdString()), MapFromRows({"..", "..", "..", ".."}));
        WriteBytes(std::filesystem::path(second_.filePath("other.map").toStdString()), MapFromRows(std::vector<std::string>(4, std::string(20, '.'))));
        QObject::connect(&follower_, &MapFollower::playerMapFound, [this](const std::filesystem::path& name) {
            found_.push_back(name.string());
        });
        QObject::connect(&follower_, &MapFollower::mapChangeSeen, [this] { ++changesSeen_; });
    }
    std::filesystem::path Folder(const QTemporaryDir& folder) const { return folder.path().toStdString(); }

    QTemporaryDir first_;
    QTemporaryDir second_;
    MapFollower follower_{nullptr};
    std::vector<std::string> found_;
    int changesSeen_ = 0;
};

TEST_F(MapFollowerTest, PositionsReadBeforeTheFolderIsLookedAtAreWeighedOnceItIs)
{
    follower_.setOn(true);
    follower_.setFolder(Folder(first_));
    follower_.see({6, 1}); // outside tall.map, before the look has ended
    EXPECT_EQ(follower_.verdict(), MapVerdict::NoPosition);
    QTRY_COMPARE(found_, std::vector<std::string>{"wide.map"});
    EXPECT_EQ(follower_.verdict(), MapVerdict::Known);
    ASSERT_EQ(follower_.candidates().size(), 1u);
    EXPECT_EQ(follower_.candidates()[0].width, 8);
    EXPECT_EQ(changesSeen_, 0); // told for the first time: no change seen
    follower_.see({1, 3}); // off wide.map, onto tall.map, told at the second position there
    follower_.see({0, 3});
    EXPECT_EQ(found_, (std::vector<std::string>{"wide.map", "tall.map"}));
    EXPECT_EQ(changesSeen_, 1);

    // Another folder: the identification starts anew from the last position
    // (0:3 on other.map),
    // and only the last folder's look counts.
    follower_.setFolder(Folder(second_));
    follower_.setFolder(Folder(first_));
    follower_.setFolder(Folder(second_));
    EXPECT_EQ(follower_.verdict(), MapVerdict::NoPosition);
    QTRY_VERIFY(!follower_.isLooking());
    QTest::qWait(50); // a look let go would end meanwhile
    EXPECT_EQ(found_, (std::vector<std::string>{"wide.map", "tall.map", "other.map"}));
    EXPECT_EQ(follower_.verdict(), MapVerdict::Known);
    EXPECT_EQ(changesSeen_, 1); // another folder is no change of map
}

TEST_F(MapFollowerTest, OffItLooksAtNothingAndTellsNothing)
{
    follower_.setFolder(Folder(first_));
    follower_.see({6, 1});
    EXPECT_FALSE(follower_.isLooking());
    QTest::qWait(100);
    EXPECT_EQ(follower_.verdict(), MapVerdict::NoPosition);
    EXPECT_TRUE(follower_.candidates().empty());
    follower_.setOn(true);
    EXPECT_TRUE(follower_.isLooking());
    QTRY_VERIFY(!follower_.isLooking());
    EXPECT_TRUE(found_.empty()); // the position seen while off is not weighed
}

#ifndef _WIN32
// A map key kept in memory the client never fills in: its read waits on a
// thread of its own, the positions after it are weighed without a key, and
// another key lets it go.
TEST_F(MapFollowerTest, AKeyReadThatNeverAnswersHoldsNoPosition)
{
    NeverAnsweringClient hostile("--hold 1 1");
    if (hostile.block == 0)
        GTEST_SKIP() << "the system refuses userfaultfd to the client here";
    follower_.setOn(true);
    follower_.setFolder(Folder(first_));
    QTRY_VERIFY(!follower_.isLooking());
    follower_.setMapKey(std::int32_t(hostile.client.processId), MapKeyPlace{hostile.block, MapKeyForm::Number32});
    follower_.see({6, 1});
    QTest::qWait(300);
    ASSERT_TRUE(follower_.isReadingKey());
    EXPECT_TRUE(found_.empty()); // that position waits for its key
    follower_.see({6, 1});
    EXPECT_EQ(found_, std::vector<std::string>{"wide.map"});
    follower_.setMapKey(std::int32_t(hostile.client.processId), std::nullopt);
    EXPECT_FALSE(follower_.isReadingKey());
    EXPECT_FALSE(hostile.WatchdogFired());
}
#endif

} // namespace
