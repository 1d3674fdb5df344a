#include "app/browser/Drives.h"
#include "app/browser/DriveSelector.h"

#include <QApplication>
#include <QDir>
#include <QStorageInfo>
#include <QTest>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace {

QStringList Items(const QComboBox& box)
{
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    return items;
}

// The selector as the window shows it at start: on the working directory's drive.
struct StartedSelector {
    StartedSelector() { drives.showDriveOf(QDir::currentPath()); }
    // Earlier tests in this process may have left it in a folder since removed.
    const bool inAFolderThatExists = QDir::setCurrent(QDir::tempPath());
    const QString shown = QStorageInfo(QDir::currentPath()).rootPath();
    DriveSelector drives;
};

TEST(DriveSelectorTest, TheDrivesAreListedWhenTheListFirstOpensKeepingTheShownOne)
{
    StartedSelector started;
    EXPECT_EQ(Items(started.drives), QStringList{started.shown});

    started.drives.showPopup();
    started.drives.hidePopup();
    EXPECT_EQ(Items(started.drives), DriveRoots());
    EXPECT_EQ(started.drives.currentText(), started.shown);

    started.drives.showDriveOf(QStringLiteral("/")); // listed: another drive is chosen among them
    EXPECT_EQ(Items(started.drives), DriveRoots());
}

TEST(DriveSelectorTest, AKeyOrTheWheelOnTheClosedSelectorMovesAmongAllTheDrives)
{
    StartedSelector byKey;
    QStringList chosen;
    QObject::connect(&byKey.drives, &DriveSelector::driveChosen, [&](const QString& directory) { chosen << directory; });
    QTest::keyClick(&byKey.drives, Qt::Key_End);
    EXPECT_EQ(Items(byKey.drives), DriveRoots());
    EXPECT_EQ(byKey.drives.currentText(), DriveRoots().last());
    if (byKey.shown != DriveRoots().last()) {
        EXPECT_EQ(chosen, QStringList{DriveCurrentDirectory(DriveRoots().last())});
    }

    StartedSelector byWheel;
    QWheelEvent turn(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                     Qt::NoScrollPhase, false);
    QApplication::sendEvent(&byWheel.drives, &turn);
    EXPECT_EQ(Items(byWheel.drives), DriveRoots());
}

} // namespace
