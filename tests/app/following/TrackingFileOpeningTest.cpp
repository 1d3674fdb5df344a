// A tracking file's paths followed in its client off the window's thread:
// the answer told once, and never for an opening dropped since.

#include "app/following/TrackingFileOpening.h"
#include "tests/support/Sanitizer.h"
#include "tests/support/ShortestPointerPath.h"
#include "tests/support/StandInClient.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "tests/support/QTryInGoogleTest.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(TrackingFileOpeningTest, TheNewestOpeningIsToldItsPlayersAndALetGoOneNothing)
{
    SKIP_POINTERS_UNDER_ADDRESS_SANITIZER();
    // A program of its own name: stand-ins of other tests running beside are
    // no players of this file.
    QTemporaryDir folder;
    const QString program = folder.filePath(QStringLiteral("opening_client"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(STAND_IN_CLIENT), program));
    QFile(program).setPermissions(QFileDevice::ExeOwner | QFileDevice::ReadOwner);
    StandInClient main("--chained --seconds 60", program.toStdString());
    StandInClient helper("--chained --seconds 60", program.toStdString());
    ASSERT_NE(main.address, 0u);
    const std::optional<PointerPath> path = PointerPathOfEvery(
        {{std::int32_t(main.processId), main.address}, {std::int32_t(helper.processId), helper.address}});
    ASSERT_TRUE(path);
    TrackingFile file;
    file.program = "opening_client";
    file.path = *path;
    TrackedPlayer other;
    other.program = "opening_client";
    other.path = *path;
    file.others = {other, other}; // the helper, and one more that no client is left for

    TrackingFileOpening opening(nullptr);
    std::vector<QString> told;
    opening.open(file, main.processId, "dropped.tarvex-track", [&](const TrackingFileInClient& opened) { told.push_back(opened.fileName); });
    opening.letGo();
    EXPECT_FALSE(opening.isOpening());
    opening.open(file, main.processId, "older.tarvex-track", [&](const TrackingFileInClient& opened) { told.push_back(opened.fileName); });
    std::optional<TrackingFileInClient> newest;
    opening.open(file, main.processId, "newest.tarvex-track", [&](const TrackingFileInClient& opened) { newest = opened; });
    EXPECT_TRUE(opening.isOpening());
    QTRY_VERIFY(newest.has_value());
    QTest::qWait(200); // what the dropped openings found has come back by now
    EXPECT_TRUE(told.empty());
    EXPECT_FALSE(opening.isOpening());

    EXPECT_EQ(newest->position.address, main.address) << newest->position.failure;
    ASSERT_EQ(newest->others.size(), 1u);
    EXPECT_EQ(newest->others[0].processId, helper.processId);
    EXPECT_EQ(newest->others[0].address, helper.address);
    EXPECT_EQ(newest->others[0].trackingFile, "newest.tarvex-track");
    ASSERT_EQ(newest->othersNotFound.size(), 1);
    EXPECT_TRUE(newest->othersNotFound[0].startsWith("player 3: ")) << newest->othersNotFound[0].toStdString();
}

} // namespace
