#include "app/browser/FolderWatch.h"
#include "tests/support/MapBytes.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

// A program that makes and removes a file every 35 ms must not keep the
// lists from following a folder.
TEST(FolderWatchTest, ChangesWithoutAPauseAreToldAtLeastOnceASecond)
{
    QTemporaryDir folder;
    FolderWatch watch(nullptr);
    QSignalSpy changes(&watch, &FolderWatch::changed);
    watch.watch(folder.path());
    QTimer busy;
    bool made = false;
    QObject::connect(&busy, &QTimer::timeout, [&] {
        const QString name = folder.filePath("scratch.tmp");
        made ? QFile::remove(name) : QFile(name).open(QIODevice::WriteOnly);
        made = !made;
    });
    busy.start(35);
    QTest::qWait(2500);
    busy.stop();
    EXPECT_GE(changes.count(), 2);
    EXPECT_LE(changes.count(), 11); // at most one a quarter of a second
}

TEST(FolderWatchTest, WhereTheSystemCannotWatchAFolderItIsLookedAtEverySecond)
{
    QTemporaryDir folder;
    FolderWatch watch(nullptr);
    QSignalSpy changes(&watch, &FolderWatch::changed);
    watch.watch(folder.path());
    EXPECT_FALSE(watch.isPolling());
    EXPECT_FALSE(changes.wait(1500)); // nothing happens, nothing is told
    WriteBytes(QFile::encodeName(folder.filePath("New.map")).toStdString(), "");
    EXPECT_TRUE(changes.wait(5000));

    watch.watch(folder.filePath("not there")); // nothing to watch
    EXPECT_TRUE(watch.isPolling());
    changes.clear();
    EXPECT_TRUE(changes.wait(5000));
    EXPECT_TRUE(changes.wait(5000));
    watch.watch(folder.path());
    EXPECT_FALSE(watch.isPolling());
}

} // namespace
