// Several clients followed at once: the players' window, each player on the
// map in its colour, the lead whose map is shown, and tracking files of
// several players.

#include "tests/support/MainWindowFixture.h"

#include "app/following/FollowClientDialog.h"
#include "app/following/PlayerList.h"
#include "app/following/PlayersWindow.h"
#include "app/following/PlayerTracker.h"
#include "app/following/ProcessPicker.h"
#include "app/mapview/ImageControl.h"
#include "qtfiles/FileNames.h"
#include "tests/support/Sanitizer.h"
#include "tests/support/ShortestPointerPath.h"
#include "tests/support/StandInClient.h"
#ifndef _WIN32
#include "tests/support/Unprivileged.h"
#endif
#include "track/TrackingFile.h"

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>

#include <set>

namespace {

class MainWindowPlayersTest : public MainWindowTest {
protected:
    bool Answer(QDialog& dialog) override
    {
        if (auto* followToo = qobject_cast<FollowClientDialog*>(&dialog)) {
            if (!followToo->chooseProcess(followToo_))
                return false;
            if (!followTooFile_.isEmpty())
                followToo->chooseTrackingFile(followTooFile_);
            followToo->setAddressText(QString::number(followTooAddress_, 16));
            return true;
        }
        return MainWindowTest::Answer(dialog);
    }

    PlayerList& Players() const { return *window_->findChild<PlayerList*>(); }
    void FollowToo(const StandInClient& client)
    {
        followToo_ = client.processId;
        followTooAddress_ = client.address;
        Command("Follow This Client Too...")->trigger();
    }
    // Every player's tracker ticks once, and what they read is shown.
    void TickAll(const PlayerTracker* skipped = nullptr) const
    {
        const QList<PlayerTracker*> trackers = window_->findChildren<PlayerTracker*>();
        for (PlayerTracker* tracker : trackers)
            if (tracker->isRunning() && tracker != skipped)
                tracker->tick();
        for (PlayerTracker* tracker : trackers)
            QTRY_VERIFY(!tracker->isReading());
    }
    int RowOf(std::uint32_t processId) const
    {
        for (int row = 1; row < Players().rowCount(); ++row)
            if (Players().client(row)->source().processId == processId)
                return row;
        return 0;
    }
    QString ShownMap() const { return FileList()->currentItem() ? FileList()->currentItem()->text() : QString(); }
    // Maps of a world open in a band of columns each, so that every
    // position names its map.
    void WriteBandedWorld()
    {
        world_ = maps_.filePath("world");
        ASSERT_TRUE(QDir(maps_.path()).mkdir("world"));
        for (int area = 0; area < 3; ++area) {
            std::vector<std::string> rows(50, std::string(69, '#'));
            for (std::string& row : rows)
                row.replace(std::size_t(area) * 23, 23, 23, '.');
            WriteBytes(ToFilesystemPath(world_ + QStringLiteral("/area%1.map").arg(area + 1)), MapFromRows(rows));
        }
    }

    QString world_;
    std::uint32_t followToo_ = 0;
    std::uint32_t followTooAddress_ = 0;
    QString followTooFile_;
};

// Three clients of one program from one tracking file: each found in a
// client of its own, named and coloured as the file says, on its own map;
// the lead's map is shown, and choosing another lead shows its map.
TEST_F(MainWindowPlayersTest, ThreeClientsOfOneTrackingFileAreFollowedEachOnItsMapInItsColour)
{
    SKIP_POINTERS_UNDER_ADDRESS_SANITIZER();
    WriteBandedWorld();
    // A program of its own name, so that stand-ins of other tests running
    // meanwhile are never taken for these.
    const QString suffix = QFileInfo(QStringLiteral(STAND_IN_CLIENT)).suffix();
    const QString program = suffix.isEmpty() ? QStringLiteral("party_client") : "party_client." + suffix;
    ASSERT_TRUE(QFile::copy(QStringLiteral(STAND_IN_CLIENT), maps_.filePath(program)));
    QFile(maps_.filePath(program)).setPermissions(QFileDevice::ExeOwner | QFileDevice::ReadOwner);
    const std::string arguments = "--chained --world \"" + world_.toStdString() + "\" --stay 100000 --pace 50";
    StandInClient first(arguments, maps_.filePath(program).toStdString());
    StandInClient second(arguments, maps_.filePath(program).toStdString());
    StandInClient third(arguments, maps_.filePath(program).toStdString());
    std::map<std::uint32_t, QString> mapOf;
    for (StandInClient* client : {&first, &second, &third})
        mapOf[client->processId] = QString::fromStdString(client->NextMap().name);
    const std::optional<PointerPath> path = PointerPathOfEvery({{std::int32_t(first.processId), first.address},
                                                                {std::int32_t(second.processId), second.address},
                                                                {std::int32_t(third.processId), third.address}});
    ASSERT_TRUE(path);
    TrackingFile tracking;
    tracking.program = program.toStdString();
    tracking.path = *path;
    tracking.followAcrossMaps = true;
    tracking.name = "Main";
    TrackedPlayer scout{program.toStdString(), *path, {}, "Scout", 0x3366FFu};
    TrackedPlayer mule{program.toStdString(), *path, {}, "Mule", 0xFFAA00u};
    tracking.others = {scout, mule};
    const QString file = maps_.filePath("party.tarvex-track");
    WriteBytes(ToFilesystemPath(file), TrackingFileText(tracking));

    EnterFolder(world_);
    choiceAnswer_ = QStringLiteral("process %1").arg(first.processId);
    OpenTrackingFile(file);
    EXPECT_TRUE(boxes_.empty());
    ASSERT_EQ(Players().rowCount(), 3);
    EXPECT_EQ(Players().name(0), "Main");
    EXPECT_EQ((std::set<std::uint32_t>{Players().client(1)->source().processId, Players().client(2)->source().processId}),
              (std::set<std::uint32_t>{second.processId, third.processId}));
    EXPECT_EQ(Players().name(1), "Scout");
    EXPECT_EQ(Players().colour(1), QColor(0x33, 0x66, 0xFF));
    EXPECT_EQ(Players().name(2), "Mule");

    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, window_.get(), [this] {
        for (PlayerTracker* tracker : window_->findChildren<PlayerTracker*>())
            tracker->tick();
    });
    ticker.start(25);
    // Each on its own map; the lead's (the first's) on show.
    for (int row = 0; row < 3; ++row) {
        const std::uint32_t process = row == 0 ? first.processId : Players().client(row)->source().processId;
        QTRY_COMPARE_WITH_TIMEOUT(ShownFileName(Players().row(row).map), mapOf[process], 3000);
    }
    QTRY_COMPARE_WITH_TIMEOUT(ShownMap(), mapOf[first.processId], 2000);
    const auto marksAgree = [&] {
        const std::vector<PlayerMark>& marks = window_->mapView().playersOverlay().marks();
        if (marks.size() != 3)
            return false;
        for (const PlayerMark& mark : marks) {
            const QString map = ShownFileName(Players().row(mark.id).map);
            const bool here = map == ShownMap();
            if (here != mark.cell.has_value() || (!here && mark.elsewhere != map) || mark.colour != Players().colour(mark.id))
                return false;
        }
        return true;
    };
    QTRY_VERIFY(marksAgree());

    // The Mule chosen in the players' window: its map is shown, its trail in its colour.
    Command("Players...")->trigger();
    auto* playersWindow = window_->findChild<PlayersWindow*>();
    ASSERT_TRUE(playersWindow && playersWindow->isVisible());
    auto* table = playersWindow->findChild<QTableView*>("playerTable");
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, table->visualRect(Players().index(2, 1)).center());
    EXPECT_EQ(Players().lead(), 2);
    const std::uint32_t mulesProcess = Players().client(2)->source().processId;
    QTRY_COMPARE_WITH_TIMEOUT(ShownMap(), mapOf[mulesProcess], 2000);
    QTRY_VERIFY(marksAgree());
    const auto* image = window_->findChild<ImageControl*>("img1");
    QTRY_VERIFY(std::any_of(image->trails().begin(), image->trails().end(),
                            [&](const Trail& trail) { return trail.colour == Players().colour(2); }));

    // One client ends: its row says so, and the others go on.
    (mulesProcess == third.processId ? third : second).End();
    QTRY_COMPARE_WITH_TIMEOUT(Players().row(2).state, FollowedClient::State::Ended, 3000);
    const QPoint before = *Players().row(1).position;
    QTRY_VERIFY_WITH_TIMEOUT(Players().row(1).position != before, 2000);
    EXPECT_EQ(Players().row(1).state, FollowedClient::State::Reading);

    // Removed, and followed again from the tracking file: the file's player
    // of that program, where its path leads in that client.
    const std::uint32_t scoutsProcess = Players().client(1)->source().processId;
    const std::uint32_t scoutsAddress = Players().client(1)->source().address;
    Players().remove(1);
    followToo_ = scoutsProcess;
    followTooFile_ = file;
    Command("Follow This Client Too...")->trigger();
    QTRY_COMPARE(Players().rowCount(), 3);
    EXPECT_EQ(Players().client(2)->source().processId, scoutsProcess);
    EXPECT_EQ(Players().client(2)->source().address, scoutsAddress);
    EXPECT_EQ(Players().client(2)->source().trackingFile, "party.tarvex-track");
    EXPECT_EQ(Players().name(2), "Scout"); // the file's player not followed now
    ticker.stop();
    EXPECT_TRUE(boxes_.empty());
}

#ifndef _WIN32
// Eight clients at once, the most there may be: the first follows the
// toolbar's controls, one may not be read and says why, one ends; rows are
// renamed and removed, and the lead goes back to the first with its row.
TEST_F(MainWindowPlayersTest, EightClientsAreFollowedTheFirstByTheToolbarAndRowsRenamedAndRemoved)
{
    StandInClient main("--hold 30 20 --seconds 60");
    FollowAt(main.processId, main.address);
    std::vector<std::unique_ptr<StandInClient>> others;
    for (int i = 0; i < 7; ++i)
        others.push_back(std::make_unique<StandInClient>("--hold " + std::to_string(40 + i) + " 10 --seconds 60" +
                                                         (i == 1 ? " --private" : "")));
    Command("Players...")->trigger();
    auto* playersWindow = window_->findChild<PlayersWindow*>();
    ASSERT_TRUE(playersWindow && playersWindow->isVisible());
    for (const auto& other : others)
        FollowToo(*other);
    ASSERT_EQ(Players().rowCount(), 8);
    EXPECT_EQ(Players().row(RowOf(others[0]->processId)).source,
              "address " + QString::number(others[0]->address, 16).toUpper().rightJustified(8, '0'));
    // A ninth is refused with a reason, and nothing else changes.
    StandInClient ninth("--hold 1 1 --seconds 60");
    FollowToo(ninth);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_TRUE(boxes_[0].text.contains("at most 8")) << boxes_[0].text.toStdString();
    EXPECT_EQ(Players().rowCount(), 8);
    boxes_.clear();

    // The private one first read as a user the system does not let read it
    // (a process once opened stays open from tick to tick).
    const int secret = RowOf(others[1]->processId);
    {
        const Unprivileged asAnOrdinaryUser;
        Players().client(secret)->tracker().tick();
        QTRY_VERIFY(!Players().client(secret)->tracker().isReading());
    }
    TickAll(&Players().client(secret)->tracker());
    EXPECT_EQ(Players().row(0).position, QPoint(30, 20));
    EXPECT_EQ(Players().row(0).state, FollowedClient::State::Reading);
    for (int i = 0; i < 7; ++i) {
        const PlayerRow row = Players().row(RowOf(others[std::size_t(i)]->processId));
        if (i == 1) {
            EXPECT_EQ(row.state, FollowedClient::State::Unreadable);
            EXPECT_TRUE(row.stateNote.contains("Permission to read another process")) << row.stateNote.toStdString();
        } else {
            EXPECT_EQ(row.state, FollowedClient::State::Reading) << i;
            EXPECT_EQ(row.position, QPoint(40 + i, 10)) << i;
        }
    }
    // Ringed and named on the map on show, each in a colour of its own.
    ClickMap("Harbor2.map");
    const std::vector<PlayerMark>& marks = window_->mapView().playersOverlay().marks();
    QTRY_COMPARE(marks.size(), 8u);
    std::set<QRgb> colours;
    for (const PlayerMark& mark : marks)
        colours.insert(mark.colour.rgb());
    EXPECT_EQ(colours.size(), 8u);

    // One ends mid-way; the rest go on.
    others[3]->End();
    TickAll();
    EXPECT_EQ(Players().row(RowOf(others[3]->processId)).state, FollowedClient::State::Ended);
    EXPECT_EQ(Players().row(RowOf(others[4]->processId)).state, FollowedClient::State::Reading);

    // The first row follows the process list and the address box.
    Find<QLineEdit>("edt1")->setText(QString::number(main.address, 16).toUpper());
    EXPECT_EQ(Players().row(0).source, "address " + QString::number(main.address, 16).toUpper());
    EXPECT_TRUE(Players().row(0).process.contains(QString::number(main.processId)));

    // Renamed in place, the name is the mark's.
    const int helper = RowOf(others[0]->processId);
    EXPECT_TRUE(Players().name(helper).contains(QString::number(others[0]->processId)));
    ASSERT_TRUE(Players().setData(Players().index(helper, PlayerList::NameColumn), "  Helper ", Qt::EditRole));
    EXPECT_EQ(Players().name(helper), "Helper");
    QTRY_COMPARE(window_->mapView().playersOverlay().marks()[std::size_t(helper)].name, "Helper");

    // The first cannot be removed; a lead removed hands the lead back to the first.
    QPushButton* remove = nullptr;
    for (QPushButton* button : playersWindow->findChildren<QPushButton*>())
        if (button->text() == "Remove")
            remove = button;
    ASSERT_TRUE(remove);
    playersWindow->chooseRow(0);
    EXPECT_FALSE(remove->isEnabled());
    Players().setLead(helper);
    playersWindow->chooseRow(helper);
    ASSERT_TRUE(remove->isEnabled());
    remove->click();
    EXPECT_EQ(Players().rowCount(), 7);
    EXPECT_EQ(Players().lead(), 0);
    EXPECT_EQ(RowOf(others[0]->processId), 0);
    QTRY_COMPARE(window_->mapView().playersOverlay().marks().size(), 7u);
    EXPECT_TRUE(boxes_.empty());
}
#endif

} // namespace
