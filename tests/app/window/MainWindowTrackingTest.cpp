#include "app/shared/WindowStyle.h"
#include "app/window/FailureBox.h"
#include "tests/support/MainWindowFixture.h"

#include "app/following/ProcessPicker.h"
#include "app/mapview/ImageControl.h"
#include "app/mapview/PlayerMarker.h"
#include "app/routes/RoutePlanner.h"
#include "process/ProcessStartTime.h"
#include "tests/support/StandInClient.h"
#include "tests/support/Unprivileged.h"

#include <QCheckBox>
#include <QLabel>
#include <QWheelEvent>
#include <QAction>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>

namespace {

class MainWindowTrackingTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        Write("Open.map", MapHeaderBytes(60, 40)); // every cell open
        EnterFolder(maps_.path());
        ClickMap("Open.map");
    }

    void Follow(const StandInClient& client)
    {
        Click("rtbBtnBtnExecute");
        ASSERT_TRUE(Find<ProcessPicker>("lv1")->selectProcess(client.processId));
        Find<QLineEdit>("edt1")->setText(QString::number(client.address, 16));
    }
    static QList<QPoint> MarkerPixels(const QImage& picture)
    {
        QList<QPoint> pixels;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x)
                if (picture.pixelIndex(x, y) == kMarkerEntry)
                    pixels.append(QPoint(x, y));
        return pixels;
    }

    std::function<void()> whileBoxIsOpen_;
    bool Answer(QDialog& dialog) override
    {
        if (whileBoxIsOpen_)
            whileBoxIsOpen_();
        return MainWindowTest::Answer(dialog);
    }
};

TEST_F(MainWindowTrackingTest, TickingMarksThePlayerAndShowsTheCoordinates)
{
    StandInClient client("--hold 30 20 --seconds 30");
    Follow(client);
    Click("chk1");
    ASSERT_TRUE(Tracker()->isRunning());
    QTRY_COMPARE_WITH_TIMEOUT(Caption(), QString("30:20"), 3000);

    const QList<QPoint> marker = MarkerPixels(Shown());
    ASSERT_FALSE(marker.isEmpty());
    for (const QPoint& pixel : marker)
        EXPECT_TRUE(QRect(25, 15, 16, 16).contains(pixel)) << pixel.x() << "," << pixel.y();

    // Unticking stops the ticks and keeps the last marker and caption;
    // saving saves the marker with the map.
    Click("chk1");
    EXPECT_FALSE(Tracker()->isRunning());
    EXPECT_EQ(MarkerPixels(Shown()), marker);
    SaveAs(maps_.filePath("tracked"));
    EXPECT_EQ(MarkerPixels(QImage(maps_.filePath("tracked.bmp"))), marker);
}

// The trail: where the player went on the map on show, drawn over it, never
// into the picture; T hides and shows it; another map has its own.
TEST_F(MainWindowTrackingTest, TheTrailFollowsThePlayerOverTheMapButNotIntoThePicture)
{
    const std::string path = QFile::encodeName(maps_.filePath("Open.map")).toStdString();
    StandInClient client("--map '" + path + "' --seconds 60"); // a step every half second along a row
    Follow(client);
    auto* image = Find<ImageControl>("img1");
    for (int tick = 0; tick < 4; ++tick) {
        Tick();
        QTest::qWait(600);
    }
    ASSERT_EQ(image->trails().size(), 1u);
    const Trail trail = image->trails().front();
    ASSERT_GE(trail.cells.size(), 3u);
    EXPECT_EQ(trail.colour, QColor(0, 255, 0));
    EXPECT_EQ(trail.cells.back(), QPoint(Caption().section(':', 0, 0).toInt(), Caption().section(':', 1).toInt()));
    for (std::size_t i = 1; i < trail.cells.size(); ++i) {
        EXPECT_EQ(trail.cells[i].y(), trail.cells[0].y());
        EXPECT_LE(trail.ages[i], trail.ages[i - 1]); // oldest first
    }
    EXPECT_GE(trail.ages.front(), 0.0);
    EXPECT_LE(trail.ages.front(), 0.01);
    // On the screen, not in the picture (the marker alone is drawn into it).
    QApplication::processEvents();
    const QPoint oldest = image->controlRectOf(QRect(trail.cells.front(), QSize(1, 1))).center();
    const QColor onScreen = image->grab(QRect(oldest, QSize(1, 1))).toImage().pixelColor(0, 0);
    EXPECT_GT(onScreen.green(), 100);
    EXPECT_EQ(onScreen.red(), onScreen.blue());
    EXPECT_NE(Shown().pixelColor(trail.cells.front()), onScreen);
    QTest::keyClick(window_.get(), Qt::Key_T);
    EXPECT_TRUE(image->trails().empty());
    QTest::keyClick(window_.get(), Qt::Key_T);
    EXPECT_EQ(image->trails().size(), 1u);

    Write("Other.map", MapHeaderBytes(60, 40));
    EnterFolder(maps_.path());
    ClickMap("Other.map");
    EXPECT_TRUE(image->trails().empty());
    ClickMap("Open.map");
    EXPECT_EQ(image->trails().size(), 1u);
}

TEST_F(MainWindowTrackingTest, EachTickRestoresTheMapBeforeMarking)
{
    std::string cells;
    for (int x = 0; x < 60; ++x)
        for (int y = 0; y < 40; ++y)
            cells += (x + y) % 3 ? CellBytes(200) : (x * y) % 5 ? CellBytes(0, 0x80, 0x80) : CellBytes(0);
    Write("Pattern.map", MapHeaderBytes(60, 40) + cells);
    EnterFolder(maps_.path());
    ClickMap("Pattern.map");
    const QImage unmarked = Shown();
    StandInClient first("--hold 10 10 --seconds 30");
    Follow(first);
    Tick();
    StandInClient second("--hold 40 30 --seconds 30");
    Follow(second);
    Tick();
    EXPECT_EQ(Caption(), "40:30");
    const QImage marked = Shown();
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 35; ++x) // all left of the second marker: the map as read
            ASSERT_EQ(marked.pixelIndex(x, y), unmarked.pixelIndex(x, y)) << x << "," << y;
}

TEST_F(MainWindowTrackingTest, AnEndedProcessReadsAsZeroWithoutAMessage)
{
    StandInClient client("--hold 30 20 --seconds 30");
    Follow(client);
    client.End();
    Tick();
    EXPECT_EQ(Caption(), "0:0");
    EXPECT_TRUE(boxes_.empty());
    for (const QPoint& pixel : MarkerPixels(Shown()))
        EXPECT_LT(pixel.x() + pixel.y(), 20); // the marker's corner is at (-5, -5)
}

TEST_F(MainWindowTrackingTest, AnEndedProcessIsGreyedAndMarkedInItsRow)
{
    StandInClient client("--hold 30 20 --seconds 30");
    Follow(client);
    auto* processes = Find<ProcessPicker>("lv1");
    const QModelIndex row = processes->selectionModel()->selectedRows(0).value(0);
    const QColor normal = row.data(Qt::ForegroundRole).value<QBrush>().color();
    Tick();
    EXPECT_EQ(row.data().toString(), "stand_in_client");

    client.End();
    Tick();
    EXPECT_EQ(row.data().toString(), "stand_in_client (ended)");
    EXPECT_EQ(row.data(Qt::ForegroundRole).value<QBrush>().color(),
              processes->palette().color(QPalette::Disabled, QPalette::Text));
    EXPECT_NE(row.data(Qt::ForegroundRole).value<QBrush>().color(), normal);
    EXPECT_EQ(processes->selectedProcessId(), client.processId); // still the one followed
    EXPECT_EQ(Caption(), "0:0");
    EXPECT_TRUE(boxes_.empty());
}

TEST_F(MainWindowTrackingTest, AProcessThatMayNotBeReadSaysSoInTheTooltipsWithoutABox)
{
    StandInClient client("--hold 30 20 --seconds 30 --private");
    Follow(client);
    auto* trackingBox = Find<QCheckBox>("chk1");
    const QModelIndex row = Find<ProcessPicker>("lv1")->selectionModel()->selectedRows(0).value(0);
    {
        const Unprivileged asAnOrdinaryUser;
        Tick();
    }
    EXPECT_EQ(Caption(), "0:0");
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(trackingBox->toolTip().contains("Permission to read another process")) << trackingBox->toolTip().toStdString();
    EXPECT_TRUE(row.data(Qt::ToolTipRole).toString().contains("Permission to read another process"));
    // The reason itself: run as "nobody" by root's tests, the users differ.
    EXPECT_TRUE(trackingBox->toolTip().contains("not dumpable") || trackingBox->toolTip().contains("runs as the user"))
        << trackingBox->toolTip().toStdString();
    EXPECT_EQ(row.data().toString(), "stand_in_client");

    // Following a process that can be read, the box's note goes.
    StandInClient readable("--hold 12 34 --seconds 30");
    Follow(readable);
    Tick();
    EXPECT_EQ(Caption(), "12:34");
    EXPECT_TRUE(trackingBox->toolTip().isEmpty());
}

// A row remembers the process it was made for: once its identifier names a
// later process (here: a row made with another start time for it), the row
// reads nothing and shows "(ended)", and F5 does not move the tracker there.
TEST_F(MainWindowTrackingTest, ARowOfAnEndedProcessNeverReadsTheProcessThatGotItsIdentifier)
{
    StandInClient client("--hold 30 20 --seconds 30");
    const std::optional<std::uint64_t> started = ProcessStartTime(client.processId);
    ASSERT_TRUE(started.has_value());
    auto* processes = Find<ProcessPicker>("lv1");
    processes->showProcesses({{"stand_in_client", client.processId, *started + 1}});
    ASSERT_TRUE(processes->selectProcess(client.processId));
    Find<QLineEdit>("edt1")->setText(QString::number(client.address, 16));
    Click("chk1");
    Tick();
    EXPECT_EQ(Caption(), "0:0");
    EXPECT_EQ(processes->selectionModel()->selectedRows(0).value(0).data().toString(), "stand_in_client (ended)");

    QApplication::setActiveWindow(window_.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(window_.get(), Qt::Key_F5);
    EXPECT_EQ(processes->selectedProcessId(), std::nullopt);
    Tick();
    EXPECT_EQ(Caption(), "0:0");
}

TEST_F(MainWindowTrackingTest, F5KeepsTheFollowedProcessAndTheButtonSelectsTheFirstRow)
{
    StandInClient client("--hold 30 20 --seconds 30");
    Follow(client);
    auto* processes = Find<ProcessPicker>("lv1");
    QApplication::setActiveWindow(window_.get()); // shortcuts work in the active window
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QTest::keyClick(window_.get(), Qt::Key_F5);
    EXPECT_EQ(processes->selectedProcessId(), client.processId);
    EXPECT_EQ(Tracker()->process(), client.processId);

    Click("rtbBtnBtnExecute");
    EXPECT_EQ(processes->selectionModel()->selectedRows().value(0).row(), 0);
    EXPECT_EQ(Tracker()->process(), processes->selectedProcessId());
    EXPECT_NE(Tracker()->process(), client.processId);
}

TEST_F(MainWindowTrackingTest, WithNoRowSelectedTicksDoNothing)
{
    Tick();
    EXPECT_EQ(Caption(), ApplicationTitle());
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(MarkerPixels(Shown()).isEmpty());

    // ... and the tracking box says so while it is ticked.
    auto* trackingBox = Find<QCheckBox>("chk1");
    Click("chk1");
    EXPECT_TRUE(trackingBox->toolTip().startsWith("No process is selected")) << trackingBox->toolTip().toStdString();
    StandInClient client("--hold 30 20 --seconds 30");
    Follow(client);
    EXPECT_EQ(trackingBox->toolTip(), "");
    Find<ProcessPicker>("lv1")->clearSelection(); // a click on empty space
    EXPECT_TRUE(trackingBox->toolTip().startsWith("No process is selected"));
    Click("chk1");
    EXPECT_EQ(trackingBox->toolTip(), "");
}

TEST_F(MainWindowTrackingTest, ABadAddressIsReportedOnceATickAndBoxesNeverStack)
{
    StandInClient client("--hold 30 20 --seconds 30");
    Follow(client);
    Find<QLineEdit>("edt1")->clear();
    // Ticks that come while the box is open fail too, and are dropped.
    whileBoxIsOpen_ = [this] {
        Tick();
        Tick();
    };
    Tick();
    Tick();
    ASSERT_EQ(boxes_.size(), 2u);
    EXPECT_EQ(boxes_[0].text, "'$' is not a valid integer value.");
    EXPECT_EQ(Caption(), ApplicationTitle());
    EXPECT_TRUE(MarkerPixels(Shown()).isEmpty());
}

TEST_F(MainWindowTrackingTest, TheViewFollowsThePlayerOutOfSightUnlessTurnedOff)
{
    auto* area = Find<QScrollArea>("sb1");
    for (int i = 0; i < 20; ++i)
        Click("rtbtnBtnZoomIn"); // 60 x 40 cells over about 2300 x 1500 pixels
    const QPoint start(area->horizontalScrollBar()->value(), area->verticalScrollBar()->value());
    StandInClient nearby("--hold 2 2 --seconds 30");
    Follow(nearby);
    Tick();
    EXPECT_EQ(QPoint(area->horizontalScrollBar()->value(), area->verticalScrollBar()->value()), start);

    StandInClient farAway("--hold 50 30 --seconds 30");
    Follow(farAway);
    Tick();
    const QPoint middle = area->viewport()->rect().center();
    const std::optional<QPoint> cell = window_->mapView().cellAt(middle);
    ASSERT_TRUE(cell.has_value());
    EXPECT_LE(std::abs(cell->x() - 50), 1);
    EXPECT_LE(std::abs(cell->y() - 30), 1);

    QAction* follow = nullptr;
    for (QAction* action : window_->actions())
        if (action->text() == "Follow the Player")
            follow = action;
    ASSERT_NE(follow, nullptr);
    EXPECT_TRUE(follow->isChecked());
    follow->setChecked(false);
    Follow(nearby);
    Tick();
    EXPECT_EQ(Caption(), "2:2");
    EXPECT_EQ(window_->mapView().cellAt(middle), cell);
}

// A drag, the wheel or a scroll bar pauses following; F resumes it and
// brings the player back into view.
TEST_F(MainWindowTrackingTest, MovingTheViewPausesFollowingAndFResumesIt)
{
    auto* area = Find<QScrollArea>("sb1");
    auto* readout = Find<QLabel>("cellReadout");
    for (int i = 0; i < 20; ++i)
        Click("rtbtnBtnZoomIn");
    StandInClient farAway("--hold 50 30 --seconds 30");
    Follow(farAway);
    Click("chk1");
    QAction* follow = nullptr;
    for (QAction* action : window_->actions())
        if (action->text() == "Follow the Player")
            follow = action;
    ASSERT_NE(follow, nullptr);
    const QPoint middle = area->viewport()->rect().center();
    const auto cellInTheMiddle = [&] { return window_->mapView().cellAt(middle).value_or(QPoint(-1, -1)); };

    const std::function<void()> userMoves[] = {
        [&] { area->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum); },
        [&] {
            QWheelEvent wheel(QPointF(middle), QPointF(area->viewport()->mapToGlobal(middle)), QPoint(), QPoint(0, 120),
                              Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QApplication::sendEvent(area->viewport(), &wheel);
        },
        [&] {
            QTest::mousePress(area->viewport(), Qt::LeftButton, {}, middle);
            QTest::mouseMove(area->viewport(), middle + QPoint(300, 200));
            QTest::mouseRelease(area->viewport(), Qt::LeftButton, {}, middle + QPoint(300, 200));
        },
    };
    auto* image = Find<ImageControl>("img1");
    const auto playerInView = [&] {
        return image->visibleRegion().boundingRect().contains(image->controlRectOf(QRect(50, 30, 1, 1)));
    };
    for (const auto& move : userMoves) {
        Tick();
        ASSERT_TRUE(playerInView());
        const QPoint before = cellInTheMiddle();
        move();
        QApplication::processEvents();
        EXPECT_FALSE(follow->isChecked());
        EXPECT_TRUE(readout->isVisible());
        EXPECT_TRUE(readout->text().contains("following paused (F resumes)")) << readout->text().toStdString();
        const QPoint moved = cellInTheMiddle();
        EXPECT_NE(moved, before);
        Tick();
        EXPECT_EQ(cellInTheMiddle(), moved); // the player stays out of view

        QTest::keyClick(window_.get(), Qt::Key_F);
        EXPECT_TRUE(follow->isChecked());
        EXPECT_FALSE(readout->isVisible() && readout->text().contains("paused"));
        EXPECT_TRUE(playerInView());
    }

    // In the address box F is a hexadecimal digit.
    auto* address = Find<QLineEdit>("edt1");
    QApplication::setActiveWindow(window_.get());
    address->setFocus();
    address->clear();
    QTest::keyClicks(address, "fF");
    EXPECT_EQ(address->text(), "fF");
    EXPECT_TRUE(follow->isChecked());

    // Without tracking, moving the view leaves the switch alone.
    Click("chk1");
    area->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    EXPECT_TRUE(follow->isChecked());
}

TEST_F(MainWindowTrackingTest, TheTrackedRowStaysVisiblySelectedWithoutTheFocus)
{
    auto* processes = Find<ProcessPicker>("lv1");
    auto inactiveHighlight = [processes] { return processes->palette().color(QPalette::Inactive, QPalette::Highlight); };
    const QColor base = processes->palette().color(QPalette::Inactive, QPalette::Base);
    EXPECT_EQ(inactiveHighlight(), base); // shown only with the focus, as before
    Click("chk1");
    EXPECT_NE(inactiveHighlight(), base);
    Click("chk1");
    EXPECT_EQ(inactiveHighlight(), base);
}

TEST_F(MainWindowTrackingTest, ARouteFromThePlayerIsDrawnOverTheMapAndFollowsThePlayer)
{
    StandInClient client("--hold 10 10 --seconds 30");
    Follow(client);
    Click("chk1");
    Tick();
    auto* routes = window_->findChild<RoutePlanner*>();
    routes->routeFromPlayer(QPoint(40, 30));
    auto* image = Find<ImageControl>("img1");
    QTRY_VERIFY(!routes->isSearching());
    ASSERT_EQ(image->route().size(), 31u); // 30 diagonal and straight steps on an open map
    EXPECT_EQ(image->route().front(), QPoint(10, 10));
    QApplication::processEvents();
    const QImage onScreen = image->grab().toImage();
    const QPoint halfWay = image->route()[15];
    EXPECT_EQ(onScreen.pixel(halfWay), qRgb(255, 140, 0));

    // Neither the picture, nor a tick's restoring, nor Save holds the route.
    const QImage shown = Shown();
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width(); ++x)
            ASSERT_NE(shown.color(shown.pixelIndex(x, y)), qRgb(255, 140, 0));
    SaveAs(maps_.filePath("with-route"));
    EXPECT_EQ(QImage(maps_.filePath("with-route.bmp")).convertToFormat(QImage::Format_Indexed8, Shown().colorTable()),
              Shown());

    StandInClient moved("--hold 20 10 --seconds 30");
    Follow(moved);
    Tick();
    QTRY_VERIFY(!routes->isSearching());
    EXPECT_EQ(image->route().front(), QPoint(20, 10));

    // Esc in the filtered process list clears the filter; elsewhere the route.
    auto* processes = Find<ProcessPicker>("lv1");
    QApplication::setActiveWindow(window_.get());
    processes->setFocus();
    QTest::keyClicks(processes, "stand");
    EXPECT_EQ(processes->filterText(), "stand");
    // The window's one-letter keys are text here.
    QTest::keyClicks(processes, "fog");
    EXPECT_EQ(processes->filterText(), "standfog");
    EXPECT_TRUE(window_->mapView().overviewWanted());
    EXPECT_TRUE(window_->mapView().gridWanted());
    QTest::keyClick(processes, Qt::Key_Backspace);
    QTest::keyClick(processes, Qt::Key_Backspace);
    QTest::keyClick(processes, Qt::Key_Backspace);
    QTest::keyClick(processes, Qt::Key_Escape);
    EXPECT_EQ(processes->filterText(), "");
    EXPECT_FALSE(image->route().empty());
    QTest::keyClick(processes, Qt::Key_Escape);
    EXPECT_TRUE(image->route().empty());
}

} // namespace
