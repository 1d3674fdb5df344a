// Each of the viewer's own windows goes away however the user closes it.

#include "tests/DialogClosing.h"

#include "app/FinderWindow.h"
#include "app/HelpWindow.h"
#include "app/MapKeyWindow.h"
#include "app/StartClientDialog.h"

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
