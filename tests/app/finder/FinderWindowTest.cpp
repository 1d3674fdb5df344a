// The finder's window driven as a player drives it: from a client picked in
// the process list to an address the tracker follows.

#include "tests/support/MainWindowFixture.h"

#include "app/finder/FinderWindow.h"
#include "app/following/ProcessPicker.h"
#include "app/following/StartClientDialog.h"
#include "app/window/BesideTheGame.h"
#include "process/ClientStart.h"
#include "tests/support/StandInClient.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeWidget>

#include <memory>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#endif

namespace {

#ifdef _WIN32
const char kClientName[] = "stand_in_client.exe";
std::uint32_t ThisProcessId() { return std::uint32_t(::GetCurrentProcessId()); }
void EndProcess(std::uint32_t processId)
{
    const std::unique_ptr<void, decltype(&::CloseHandle)> process(::OpenProcess(PROCESS_TERMINATE, FALSE, processId),
                                                                  &::CloseHandle);
    if (process)
        ::TerminateProcess(process.get(), 0);
}
#else
const char kClientName[] = "stand_in_client";
std::uint32_t ThisProcessId() { return std::uint32_t(::getpid()); }
void EndProcess(std::uint32_t processId) { ::kill(pid_t(processId), SIGKILL); }
#endif

class FinderWindowTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // Open inside a wall, as game maps are: copies of x alone (x:0 and
        // 0:x, which a Windows client leaves on its stack below 4 GiB) then
        // lie on no cell the player can stand on.
        std::string cells;
        for (int x = 0; x < 60; ++x)
            for (int y = 0; y < 40; ++y)
                cells += CellBytes(x == 0 || y == 0 || x == 59 || y == 39 ? 200 : 0);
        Write("Yard.map", MapHeaderBytes(60, 40) + cells);
        EnterFolder(maps_.path());
        ClickMap("Yard.map");
    }

    FinderWindow* OpenFinderFor(const StandInClient& client)
    {
        Click("rtbBtnBtnExecute");
        EXPECT_TRUE(Find<ProcessPicker>("lv1")->selectProcess(client.processId));
        // The command Ctrl+F gives: which window has the keyboard once the
        // finder was closed is the system's to say.
        for (QAction* command : window_->actions())
            if (command->shortcut() == QKeySequence(QKeySequence::Find))
                command->trigger();
        auto* finder = window_->findChild<FinderWindow*>();
        EXPECT_TRUE(finder && finder->isVisible());
        return finder;
    }
    void Press(FinderWindow* finder, const char* button)
    {
        auto* control = finder->findChild<QPushButton*>(QLatin1String(button));
        ASSERT_TRUE(control && control->isEnabled()) << button;
        control->click();
        QTRY_VERIFY_WITH_TIMEOUT(!finder->isSearching(), 10000);
    }
};

TEST_F(FinderWindowTest, WalkingFindsTheAddressAndUseFollowsIt)
{
    StandInClient client("--hidden --seconds 60"); // walks along row 10 of the yard
    ASSERT_NE(client.address, 0u);
    FinderWindow* finder = OpenFinderFor(client);
    ASSERT_NE(finder, nullptr);

    Press(finder, "finderSearchMap");
    EXPECT_GT(finder->candidateCount(), 1u);
    for (int step = 0; step < 8 && finder->candidateCount() > 1; ++step) {
        QTest::qWait(600); // the stand-in steps every half second
        Press(finder, "finderMoved");
    }
    ASSERT_EQ(finder->candidateCount(), 1u);
    QTRY_COMPARE(finder->findChild<QTreeWidget*>("finderCandidates")->topLevelItemCount(), 1);
    EXPECT_EQ(finder->chosenAddress(), client.address);

    // Hovering the candidate rings its cell on the map.
    auto* candidates = finder->findChild<QTreeWidget*>("finderCandidates");
    emit candidates->itemEntered(candidates->topLevelItem(0), 0);
    const std::optional<QPoint> ringed = Find<ImageControl>("img1")->spotlight();
    ASSERT_TRUE(ringed.has_value());
    EXPECT_EQ(ringed->y(), 10);

    Press(finder, "finderUse");
    EXPECT_EQ(Find<QLineEdit>("edt1")->text(), QString("%1").arg(client.address, 8, 16, QChar('0')).toUpper());
    EXPECT_TRUE(Find<QCheckBox>("chk1")->isChecked());
    EXPECT_TRUE(Tracker()->isRunning());
    QTRY_VERIFY_WITH_TIMEOUT(Caption().endsWith(":10"), 3000);
}

TEST_F(FinderWindowTest, AKnownPositionNarrowsAndABadOneIsToldInTheWindow)
{
    StandInClient client("--hidden --hold 33 22 --seconds 60");
    FinderWindow* finder = OpenFinderFor(client);
    ASSERT_NE(finder, nullptr);
    auto* position = finder->findChild<QLineEdit*>("finderPosition");
    auto* status = finder->findChild<QLabel*>("finderStatus");

    position->setText("33;22");
    Press(finder, "finderKeepPosition");
    EXPECT_FALSE(finder->findChild<QPushButton*>("finderMoved")->isEnabled()); // nothing searched yet
    EXPECT_TRUE(status->text().contains("is not a position")) << status->text().toStdString();

    position->setText("33:22");
    Press(finder, "finderKeepPosition");
    EXPECT_GE(finder->candidateCount(), 7u); // the position and the copies the stand-in keeps
    Press(finder, "finderStill");
    EXPECT_GE(finder->candidateCount(), 7u);
    Press(finder, "finderStartOver");
    EXPECT_EQ(finder->candidateCount(), 0u);
    EXPECT_FALSE(finder->findChild<QPushButton*>("finderMoved")->isEnabled());
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(FinderWindowTest, WithoutASelectedProcessItSaysHowToPickOne)
{
    QTest::keyClick(window_.get(), Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(window_->findChild<FinderWindow*>(), nullptr);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_TRUE(boxes_[0].text.startsWith("No process is selected.")) << boxes_[0].text.toStdString();
}

} // namespace

namespace {

class StartClientTest : public FinderWindowTest {
protected:
    bool Answer(QDialog& dialog) override
    {
        if (auto* start = qobject_cast<StartClientDialog*>(&dialog)) {
            start->setProgram(STAND_IN_CLIENT);
            start->setArguments("--hold 3 4 --seconds 30 --map \"" + maps_.filePath("Yard.map") + "\"");
            return true;
        }
        return MainWindowTest::Answer(dialog);
    }
};

TEST_F(StartClientTest, TheStartedClientIsSelectedInTheProcessList)
{
    auto* picker = Find<ProcessPicker>("lv1");
    QAction* start = nullptr;
    for (QAction* action : picker->actions())
        if (action->text() == "Start a Game Client...")
            start = action;
    ASSERT_NE(start, nullptr); // in the list's context menu
    start->trigger();
    QTRY_VERIFY_WITH_TIMEOUT(picker->selectedProcessId().has_value(), 5000);
    const std::uint32_t client = *picker->selectedProcessId();
    EXPECT_EQ(picker->processName(client), kClientName);
    EXPECT_TRUE(IsDescendantOf(client, ThisProcessId()));
    EndProcess(client);
    EXPECT_TRUE(boxes_.empty());
}

namespace {

#ifndef _WIN32
// A full disk, or a pipe at the name, leaves what was there as it was and
// says why; "Saved." only when the file is whole.
void ExpectFailedSavesToKeep(FinderWindow& finder, const QString& trackingFile)
{
    const QByteArray saved = Contents(trackingFile);
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    const rlimit tiny{16, previous.rlim_max}; // as a disk that is full after 16 bytes
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &tiny), 0);
    const bool savedOnFullDisk = finder.saveTrackingFile(trackingFile);
    setrlimit(RLIMIT_FSIZE, &previous);
    const QString said = finder.findChild<QLabel*>("finderStatus")->text();
    EXPECT_FALSE(savedOnFullDisk);
    EXPECT_TRUE(said.startsWith("Cannot save") && said.contains("large")) << said.toStdString();
    EXPECT_EQ(Contents(trackingFile), saved);
    EXPECT_EQ(QDir(QFileInfo(trackingFile).path()).entryList({".*.tmp", "*.tmp"}, QDir::Files | QDir::Hidden), QStringList());

    const QString pipe = trackingFile + ".pipe";
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    EXPECT_FALSE(finder.saveTrackingFile(pipe));
    EXPECT_TRUE(QFileInfo(pipe).exists() && !QFileInfo(pipe).isFile());
    EXPECT_TRUE(finder.findChild<QLabel*>("finderStatus")->text().startsWith("Cannot create file"));
    QFile::remove(pipe);
}
#endif

} // namespace

// "Make It Last" finds the chain of pointers the stand-in keeps the position
// behind; saved as a tracking file, it follows the player after the client
// has restarted, with the position somewhere else.
TEST_F(FinderWindowTest, ATrackingFileFollowsThePlayerAfterTheClientRestarts)
{
    SKIP_POINTERS_UNDER_ADDRESS_SANITIZER();
    const QString trackingFile = maps_.filePath("client.tarvex-track");
    {
        StandInClient client("--chained --hold 33 22 --seconds 60");
        FinderWindow* finder = OpenFinderFor(client);
        ASSERT_NE(finder, nullptr);
        finder->findChild<QLineEdit*>("finderPosition")->setText("33:22");
        Press(finder, "finderKeepPosition");
        // A Windows client also keeps copies on its stack, below 4 GiB: the one to pick.
        auto* candidates = finder->findChild<QTreeWidget*>("finderCandidates");
        QTRY_VERIFY(candidates->topLevelItemCount() > 0);
        for (int row = 0; row < candidates->topLevelItemCount(); ++row)
            if (candidates->topLevelItem(row)->data(0, Qt::UserRole).toUInt() == client.address)
                candidates->setCurrentItem(candidates->topLevelItem(row));
        ASSERT_EQ(finder->chosenAddress(), client.address);
        Press(finder, "finderMakeItLast");
        const QStringList paths = finder->pathTexts();
        const int chain = int(paths.indexOf(QRegularExpression(QStringLiteral("^%1\\+[0-9A-F]+ -> \\+18 -> \\+40$")
                                                                   .arg(QRegularExpression::escape(kClientName)))));
        ASSERT_GE(chain, 0) << paths.join('\n').toStdString();
        finder->findChild<QListWidget*>("finderPaths")->setCurrentRow(chain);
        window_->setFollowingAcrossMaps(true); // remembered in the file, as is the window beside the game
        auto* beside = window_->findChild<BesideTheGame*>();
        beside->setCompact(true);
        beside->setOpacity(85);
        ASSERT_TRUE(finder->saveTrackingFile(trackingFile));
        beside->setCompact(false);
#ifndef _WIN32
        ExpectFailedSavesToKeep(*finder, trackingFile);
#endif
        finder->close();
        window_->setFollowingAcrossMaps(false);
    }
    {
        StandInClient client("--chained --hold 44 11 --seconds 60");
        // The paths stay with the finder, to be checked in the client started anew.
        FinderWindow* finder = OpenFinderFor(client);
        ASSERT_NE(finder, nullptr);
        const QString chain = finder->pathTexts().value(finder->findChild<QListWidget*>("finderPaths")->currentRow());
        finder->findChild<QLineEdit*>("finderPosition")->setText("44:11");
        Press(finder, "finderCheckRestart");
        EXPECT_TRUE(finder->pathTexts().contains(chain)) << finder->pathTexts().join('\n').toStdString();
        finder->close();

        choiceAnswer_ = QStringLiteral("process %1").arg(client.processId); // should other stand-ins run too
        OpenTrackingFile(trackingFile);
        EXPECT_TRUE(boxes_.empty());
        EXPECT_EQ(Find<QLineEdit>("edt1")->text(), QString("%1").arg(client.address, 8, 16, QChar('0')).toUpper());
        EXPECT_TRUE(Find<QCheckBox>("chk1")->isChecked());
        EXPECT_EQ(Find<ProcessPicker>("lv1")->selectedProcessId(), client.processId);
        EXPECT_TRUE(window_->isFollowingAcrossMaps());
        EXPECT_TRUE(window_->findChild<BesideTheGame*>()->isCompact());
        EXPECT_EQ(window_->findChild<BesideTheGame*>()->opacity(), 85);
        EXPECT_FALSE(Find<QWidget>("mmo1")->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(Caption(), QStringLiteral("44:11"), 3000);
    }
    // A second restart, with two clients running: the one picked is followed.
    StandInClient other("--chained --hold 1 2 --seconds 60");
    StandInClient client("--chained --hold 55 33 --seconds 60");
    choiceAnswer_ = QStringLiteral("process %1").arg(client.processId);
    OpenTrackingFile(trackingFile);
    EXPECT_TRUE(boxes_.empty());
    EXPECT_EQ(Find<QLineEdit>("edt1")->text(), QString("%1").arg(client.address, 8, 16, QChar('0')).toUpper());
    EXPECT_EQ(Find<ProcessPicker>("lv1")->selectedProcessId(), client.processId);
    QTRY_COMPARE_WITH_TIMEOUT(Caption(), QStringLiteral("55:33"), 3000);
}

} // namespace
