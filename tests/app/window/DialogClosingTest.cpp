// Each of the viewer's own windows goes away however the user closes it.

#include "tests/support/DialogClosing.h"

#include "app/finder/FinderWindow.h"
#include "app/finder/MapKeyWindow.h"
#include "app/following/StartClientDialog.h"
#include "app/window/HelpWindow.h"

#include <QAction>
#include <QWidget>

namespace {

TEST(DialogClosingTest, TheFinderCloses)
{
    QWidget mainWindow;
    FinderWindow finder(&mainWindow);
    ExpectEveryWayToClose(finder, "Close");
}

TEST(DialogClosingTest, TheMapKeyWindowCloses)
{
    QWidget mainWindow;
    MapKeyWindow mapKey(&mainWindow);
    ExpectEveryWayToClose(mapKey, "Close");
}

TEST(DialogClosingTest, TheHelpCloses)
{
    QWidget mainWindow;
    QAction command(QStringLiteral("Find the Address"));
    HelpWindow help({&command}, {}, GuideCommands{command, command, command, command}, &mainWindow);
    ExpectEveryWayToClose(help, "Close");
}

TEST(DialogClosingTest, StartingAClientCanBeCancelled)
{
    QWidget mainWindow;
    StartClientDialog start(&mainWindow);
    ExpectEveryWayToClose(start, "Cancel");
}

} // namespace
