#include "tests/support/MainWindowFixture.h"

#include "app/mapview/CellReadout.h"
#include "app/mapview/GoToCell.h"
#include "app/mapview/GridRuler.h"
#include "app/mapview/ImageControl.h"
#include "app/mapview/ImageScaling.h"
#include "app/mapview/MapOverview.h"
#include "app/mapview/MapView.h"
#include "app/routes/DistanceMeasure.h"
#include "app/routes/RoutePlanner.h"

#include <QLabel>
#include <QSignalSpy>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolButton>

namespace {

struct PaintCounter : QObject {
    explicit PaintCounter(QWidget* watched) { watched->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) {
            ++count;
            painted += static_cast<QPaintEvent*>(event)->region();
        }
        return false;
    }
    int count = 0;
    QRegion painted;
};

class MapViewTest : public MainWindowTest {
protected:
    void SetUp() override
    {
        MainWindowTest::SetUp();
        // 100 x 80 cells, x % 3 telling the columns apart: open, blocked, flagged.
        std::string field = MapHeaderBytes(100, 80);
        for (int x = 0; x < 100; ++x)
            for (int y = 0; y < 80; ++y)
                field += x % 3 == 0 ? CellBytes(0) : x % 3 == 1 ? CellBytes(200) : CellBytes(0, 0x80, 0x80);
        Write("Field.map", field);
        EnterFolder(maps_.path());
    }

    QSize ImageSize() const { return window_->mapView().imageSize(); }
    void Repeat(int times, const char* button)
    {
        for (int i = 0; i < times; ++i)
            Click(button);
    }
    ImageControl* Image() const { return Find<ImageControl>("img1"); }
    QScrollArea* Area() const { return Find<QScrollArea>("sb1"); }
    QPoint Scroll() const { return {Area()->horizontalScrollBar()->value(), Area()->verticalScrollBar()->value()}; }
    QString Readout() const
    {
        auto* readout = Find<QLabel>("cellReadout");
        return readout->isVisible() ? readout->text() : QString();
    }
    // The readout after the mouse moved to a point of the visible area.
    QString ReadoutAt(QPoint at)
    {
        Send(QMouseEvent(QEvent::MouseMove, at, Area()->viewport()->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier));
        return Readout();
    }
    void Wheel(QPoint at, int delta, Qt::KeyboardModifiers modifiers)
    {
        Send(QWheelEvent(at, Area()->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                         Qt::NoScrollPhase, false));
    }
    void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        Send(QMouseEvent(type, at, Area()->viewport()->mapToGlobal(at), type == QEvent::MouseMove ? Qt::NoButton : button,
                         held, Qt::NoModifier));
    }
    template <typename Event>
    void Send(Event event)
    {
        QApplication::sendEvent(Area()->viewport(), &event);
        QApplication::processEvents();
    }
    static QString CellOf(const QString& readout) { return readout.section(' ', 0, 0); }
};

TEST_F(MapViewTest, ZoomAndViewFollowTheControlSize)
{
    Click("rtbtnBtnView"); // natural mode already: nothing changes
    EXPECT_EQ(ImageSize(), QSize(257, 245));
    Click("rtbtnBtnZoomIn");
    EXPECT_EQ(ImageSize(), QSize(308, 294));

    // A map loaded while zoomed keeps its proportions, zoomed by as many fifths.
    ClickMap("Field.map");
    EXPECT_EQ(ImageSize(), QSize(120, 96));
    Click("rtbtnBtnView");
    EXPECT_EQ(ImageSize(), QSize(100, 80));
    Click("rtbtnBtnZoomIn");
    EXPECT_EQ(ImageSize(), QSize(120, 96));
    Click("rtbtnBtnZoomOut");
    EXPECT_EQ(ImageSize(), QSize(96, 77));
    Repeat(40, "rtbtnBtnZoomOut");
    EXPECT_EQ(ImageSize(), QSize(4, 4));
    Repeat(3, "rtbtnBtnZoomIn");
    EXPECT_EQ(ImageSize(), QSize(4, 4)); // below 5 nothing grows
    Click("rtbtnBtnView");
    EXPECT_EQ(ImageSize(), QSize(100, 80));
    EXPECT_EQ(Shown().size(), QSize(100, 80)); // zoom never touches the map

    // Tall and narrow: each direction steps by itself.
    Write("Narrow.map", MapHeaderBytes(3, 200));
    EnterFolder(maps_.path());
    ClickMap("Narrow.map");
    Click("rtbtnBtnZoomIn");
    EXPECT_EQ(ImageSize(), QSize(3, 240));
}

TEST_F(MapViewTest, ViewWithoutAPictureShrinksTheControlToNothing)
{
    Click("rtbtnBtnZoomIn");
    Click("rtbtnBtnView");
    EXPECT_EQ(ImageSize(), QSize(0, 0));
    Click("rtbtnBtnZoomIn");
    EXPECT_EQ(ImageSize(), QSize(0, 0));
    ClickMap("Harbor2.map");
    EXPECT_EQ(ImageSize(), QSize(3, 2)); // one fifth in, which a size below 5 does not grow by
    Click("rtbtnBtnView");
    EXPECT_EQ(ImageSize(), QSize(3, 2));
}

TEST_F(MapViewTest, TwoHundredZoomInClicksStopAtTheLargestControl)
{
    ClickMap("Field.map");
    Repeat(200, "rtbtnBtnZoomIn");
    EXPECT_EQ(ImageSize(), QSize(kMaxControlSize, kMaxControlSize));
    QApplication::processEvents();
    auto* mapArea = Find<QScrollArea>("sb1");
    mapArea->verticalScrollBar()->setValue(mapArea->verticalScrollBar()->maximum());
    QApplication::processEvents();
    // Column 98 (flagged) covers a hundredth of the control, from 98 % of its width.
    const QImage corner = Image()->grab(QRect(kMaxControlSize / 100 * 98 + 100, kMaxControlSize - 20, 20, 20)).toImage();
    EXPECT_EQ(corner.pixel(0, 0), qRgb(0, 0, 255));
    EXPECT_EQ(corner.pixel(19, 19), qRgb(0, 0, 255));
    Click("rtbtnBtnView");
    EXPECT_EQ(ImageSize(), QSize(100, 80));
}

TEST_F(MapViewTest, AZoomedMapPaintsTheCellsUnderTheExposedArea)
{
    ClickMap("Field.map");
    QTest::keyClick(window_.get(), Qt::Key_G); // the cells alone, without the grid
    Repeat(20, "rtbtnBtnZoomIn");
    const QSize size = ImageSize();
    ASSERT_GT(size.width(), 3000);
    const QRect exposed(1234, 567, 60, 30);
    const QImage shown = Image()->grab(exposed).toImage();
    const QRgb entryColor[] = {qRgb(0, 0, 0), qRgb(255, 0, 0), qRgb(0, 0, 255)};
    for (int y = 0; y < exposed.height(); ++y) {
        for (int x = 0; x < exposed.width(); ++x) {
            const int cellX = SourcePixel(exposed.x() + x, size.width(), 100);
            ASSERT_EQ(shown.pixel(x, y), entryColor[cellX % 3]) << x << "," << y;
        }
    }
}

TEST_F(MapViewTest, TheReadoutTellsTheCellThePaintingShows)
{
    ClickMap("Field.map");
    EXPECT_EQ(ReadoutAt({0, 0}), QStringLiteral("0:0 open  100 \u00D7 80 cells  100%"));
    EXPECT_EQ(CellOf(ReadoutAt({1, 5})), "1:5");
    EXPECT_TRUE(ReadoutAt({1, 5}).contains("blocked"));
    EXPECT_TRUE(ReadoutAt({2, 79}).contains("flagged"));
    EXPECT_EQ(ReadoutAt({100, 5}), QString()); // off the picture: hidden

    // A new readout repaints the label alone, never the map under it.
    PaintCounter mapPaints(Image());
    for (int x = 0; x < 20; ++x)
        ReadoutAt({x, x});
    EXPECT_EQ(mapPaints.count, 0);

    for (int zoom = 0; zoom < 6; ++zoom) {
        Click(zoom < 3 ? "rtbtnBtnZoomIn" : "rtbtnBtnZoomOut");
        const QSize size = ImageSize();
        for (const QPoint at : {QPoint(0, 0), QPoint(7, 3), QPoint(size.width() - 1, size.height() - 1)}) {
            const QPoint cell(SourcePixel(at.x(), size.width(), 100), SourcePixel(at.y(), size.height(), 80));
            const QString readout = ReadoutAt(at);
            EXPECT_EQ(CellOf(readout), QStringLiteral("%1:%2").arg(cell.x()).arg(cell.y())) << zoom;
            EXPECT_TRUE(readout.contains(cell.x() % 3 == 0 ? "open" : cell.x() % 3 == 1 ? "blocked" : "flagged"));
        }
    }
    // Zoomed out below the map's size several cells share a pixel: the one painted.
    Repeat(3, "rtbtnBtnZoomOut");
    const QSize small = ImageSize();
    ASSERT_LT(small.width(), 100);
    const QImage painted = Image()->grab(QRect(0, 0, small.width(), 1)).toImage();
    for (int x = 0; x < small.width(); ++x) {
        const QString readout = ReadoutAt({x, 0});
        const QRgb shown = painted.pixel(x, 0);
        EXPECT_TRUE(readout.contains(shown == qRgb(0, 0, 0) ? "open" : shown == qRgb(255, 0, 0) ? "blocked" : "flagged"))
            << x << " " << readout.toStdString();
    }
}

// The map changes its scale or moves under a mouse that stands still: the
// readout tells the cell the mouse now stands on.
TEST_F(MapViewTest, TheReadoutFollowsTheMapUnderAStillMouse)
{
    ClickMap("Field.map");
    const QPoint at(90, 70);
    ASSERT_EQ(CellOf(ReadoutAt(at)), "90:70");
    const auto cellUnderMouse = [&] {
        const QSize size = ImageSize();
        const QPoint onImage = at + Scroll();
        return QStringLiteral("%1:%2").arg(SourcePixel(onImage.x(), size.width(), 100)).arg(SourcePixel(onImage.y(), size.height(), 80));
    };
    Click("rtbtnBtnZoomIn");
    EXPECT_EQ(CellOf(Readout()), cellUnderMouse());
    Click("rtbtnBtnView");
    EXPECT_EQ(CellOf(Readout()), "90:70");
    Click("rtbtnBtnZoomOut"); // the picture shrinks from under the mouse
    EXPECT_EQ(Readout(), QString());
    Repeat(21, "rtbtnBtnZoomIn");
    EXPECT_EQ(CellOf(Readout()), cellUnderMouse());
    Area()->horizontalScrollBar()->setValue(300);
    Area()->verticalScrollBar()->setValue(200);
    EXPECT_EQ(CellOf(Readout()), cellUnderMouse());
}

TEST_F(MapViewTest, ControlWheelZoomsKeepingTheCellUnderTheMouse)
{
    Write("Plain.map", MapHeaderBytes(300, 200));
    EnterFolder(maps_.path());
    ClickMap("Plain.map");
    Repeat(4, "rtbtnBtnZoomIn"); // larger than the area both ways
    for (const QPoint at : {QPoint(60, 50), QPoint(250, 200), QPoint(400, 330)}) {
        for (int step = 0; step < 4; ++step) {
            SCOPED_TRACE(QStringLiteral("at %1,%2 step %3").arg(at.x()).arg(at.y()).arg(step).toStdString());
            const QString before = CellOf(ReadoutAt(at));
            const QSize sizeBefore = ImageSize();
            Wheel(at, step < 3 ? 120 : -120, Qt::ControlModifier);
            EXPECT_NE(ImageSize(), sizeBefore);
            EXPECT_EQ(CellOf(ReadoutAt(at)), before);
        }
    }
    // Half a notch does nothing yet; the other half zooms.
    const QSize size = ImageSize();
    Wheel({100, 100}, 60, Qt::ControlModifier);
    EXPECT_EQ(ImageSize(), size);
    Wheel({100, 100}, 60, Qt::ControlModifier);
    EXPECT_EQ(ImageSize(), QSize(ZoomedInSize(size.width()), ZoomedInSize(size.height())));
}

TEST_F(MapViewTest, DraggingAndTheWheelScrollAClickDoesNot)
{
    ClickMap("Field.map");
    Repeat(20, "rtbtnBtnZoomIn");
    const QSize size = ImageSize();
    Area()->horizontalScrollBar()->setValue(200);
    Area()->verticalScrollBar()->setValue(100);
    const QString cell = CellOf(ReadoutAt({50, 50}));

    Mouse(QEvent::MouseButtonPress, {50, 50}, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, {50, 50}, Qt::LeftButton);
    EXPECT_EQ(Scroll(), QPoint(200, 100));
    EXPECT_EQ(ImageSize(), size); // nothing else happened either

    for (const Qt::MouseButton button : {Qt::LeftButton, Qt::MiddleButton}) {
        Mouse(QEvent::MouseButtonPress, {50, 50}, button);
        Mouse(QEvent::MouseMove, {40, 45}, button);
        EXPECT_EQ(Area()->viewport()->cursor().shape(), Qt::ClosedHandCursor);
        Mouse(QEvent::MouseMove, {30, 20}, button);
        Mouse(QEvent::MouseButtonRelease, {30, 20}, button);
        EXPECT_EQ(Scroll(), QPoint(220, 130)) << button;
        EXPECT_EQ(CellOf(ReadoutAt({30, 20})), cell); // the map moved with the mouse
        Area()->horizontalScrollBar()->setValue(200);
        Area()->verticalScrollBar()->setValue(100);
    }
    EXPECT_NE(Area()->viewport()->cursor().shape(), Qt::ClosedHandCursor);

    Wheel({50, 50}, -120, Qt::NoModifier);
    EXPECT_EQ(Scroll().x(), 200);
    EXPECT_GT(Scroll().y(), 100);
    Wheel({50, 50}, -120, Qt::ShiftModifier);
    EXPECT_GT(Scroll().x(), 200);
}

TEST_F(MapViewTest, FitShowsTheWholeMapAsLargeAsTheAreaAllows)
{
    const QSize area = Area()->maximumViewportSize();
    ClickMap("Harbor2.map"); // 3 x 2
    QTest::keyClick(window_.get(), Qt::Key_9, Qt::ControlModifier);
    // Beside the grid's numbers, which it shows that large.
    const QSize besideRulers = Area()->maximumViewportSize();
    EXPECT_EQ(besideRulers, area - QSize(Find<GridRuler>("gridRows")->width(), Find<GridRuler>("gridColumns")->height()));
    EXPECT_EQ(ImageSize(), QSize(besideRulers.width(), besideRulers.width() * 2 / 3));
    EXPECT_EQ(Area()->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(Area()->verticalScrollBar()->maximum(), 0);

    Write("Strip.map", MapHeaderBytes(1000, 10));
    EnterFolder(maps_.path());
    ClickMap("Strip.map"); // fitted as the map before
    EXPECT_EQ(ImageSize(), QSize(area.width(), area.width() / 100));
    QTest::keyClick(window_.get(), Qt::Key_9, Qt::ControlModifier);
    EXPECT_EQ(ImageSize(), QSize(area.width(), area.width() / 100));
}

// A map that Fit would show just large enough for the grid, but for the
// rulers' room: shown as large as it gets without them, whole.
TEST_F(MapViewTest, FitAtTheGridsThresholdShowsTheWholeMapWithoutTheGrid)
{
    const QSize area = Area()->maximumViewportSize();
    const int columns = area.width() / 8; // 8 pixels a cell fit, but not beside the rulers
    Write("Edge.map", MapHeaderBytes(columns, 4));
    EnterFolder(maps_.path());
    ClickMap("Edge.map");
    QTest::keyClick(window_.get(), Qt::Key_9, Qt::ControlModifier);
    EXPECT_FALSE(Find<GridRuler>("gridColumns")->isVisible());
    EXPECT_EQ(Area()->maximumViewportSize(), area);
    EXPECT_EQ(ImageSize().height(), 8 * 4 - 1); // a pixel short of the grid
    EXPECT_GE(ImageSize().width(), 7 * columns);
    EXPECT_EQ(Area()->horizontalScrollBar()->maximum(), 0);
    EXPECT_EQ(Area()->verticalScrollBar()->maximum(), 0);
}

// A map shown after another keeps the zoom and its own proportions.
struct ZoomKept {
    QSize first;
    int steps; // zoom steps on the first map: in when positive, out when negative
    QSize next;
    QSize expected;
};

class ZoomKeptTest : public MapViewTest, public ::testing::WithParamInterface<ZoomKept> {};

TEST_P(ZoomKeptTest, TheNextMapIsZoomedByAsManyFifths)
{
    const ZoomKept& row = GetParam();
    Write("First.map", MapHeaderBytes(row.first.width(), row.first.height()));
    Write("Next.map", MapHeaderBytes(row.next.width(), row.next.height()));
    EnterFolder(maps_.path());
    ClickMap("First.map");
    Repeat(std::abs(row.steps), row.steps > 0 ? "rtbtnBtnZoomIn" : "rtbtnBtnZoomOut");
    ClickMap("Next.map");
    EXPECT_EQ(ImageSize(), row.expected);
    Click("rtbtnBtnView");
    EXPECT_EQ(ImageSize(), row.next);
}

INSTANTIATE_TEST_SUITE_P(Shapes, ZoomKeptTest,
                         ::testing::Values(ZoomKept{{100, 80}, 0, {300, 200}, {300, 200}},  // natural stays natural
                                           ZoomKept{{100, 80}, 1, {300, 200}, {360, 240}},
                                           ZoomKept{{300, 200}, 2, {50, 50}, {72, 72}},     // a square stays square
                                           ZoomKept{{50, 50}, -2, {300, 200}, {192, 128}},
                                           ZoomKept{{50, 50}, 1, {3, 200}, {3, 240}},       // below 5 never grows
                                           ZoomKept{{3, 200}, 3, {1, 1}, {1, 1}},
                                           ZoomKept{{1, 1}, 20, {100, 80}, {3784, 3016}}));

TEST_F(MapViewTest, AfterFitTheNextMapIsFittedAndZoomedAsFarFromIt)
{
    const QSize area = Area()->maximumViewportSize();
    Write("Square.map", MapHeaderBytes(40, 40));
    Write("Strip.map", MapHeaderBytes(1000, 10));
    EnterFolder(maps_.path());
    ClickMap("Square.map");
    QTest::keyClick(window_.get(), Qt::Key_9, Qt::ControlModifier);
    const QSize besideRulers = area - QSize(Find<GridRuler>("gridRows")->width(), Find<GridRuler>("gridColumns")->height());
    const int side = std::min(besideRulers.width(), besideRulers.height()); // 10 pixels a cell: the grid shows
    EXPECT_EQ(ImageSize(), QSize(side, side));
    Click("rtbtnBtnZoomIn");
    ClickMap("Strip.map");
    EXPECT_EQ(ImageSize(), QSize(ZoomedInSize(area.width()), ZoomedInSize(area.width() / 100)));
}

} // namespace

namespace {

// The bounding box of the pixels of one colour.
QRect PixelsOf(const QImage& image, QRgb colour)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == colour)
                box |= QRect(x, y, 1, 1);
    return box;
}

} // namespace

TEST_F(MapViewTest, TheEndOfTheMapShowsAsALineJustOutsideIt)
{
    ClickMap("Field.map"); // 100 x 80 in a larger area
    QApplication::processEvents();
    const QImage area = Area()->viewport()->grab().toImage();
    EXPECT_EQ(area.pixel(100, 10), kPictureEdgeColour.rgb());
    EXPECT_EQ(area.pixel(10, 80), kPictureEdgeColour.rgb());
    EXPECT_EQ(area.pixel(99, 10), qRgb(0, 0, 0)); // column 99: open
    EXPECT_EQ(area.pixel(98, 79), qRgb(0, 0, 255)); // column 98: flagged
}

TEST_F(MapViewTest, ThePlayersRingAndTheRouteStandOutAtEveryZoom)
{
    Write("Large.map", MapHeaderBytes(2000, 2000));
    EnterFolder(maps_.path());
    ClickMap("Large.map");
    const QRgb ringColour = qRgb(0, 255, 0);
    // Fitted, a cell is a fifth of a pixel; 20 steps in, 38 pixels.
    for (const bool fitted : {true, false}) {
        if (fitted) {
            QTest::keyClick(window_.get(), Qt::Key_9, Qt::ControlModifier);
        } else {
            Click("rtbtnBtnView");
            Repeat(20, "rtbtnBtnZoomIn");
        }
        Image()->setPlayer(QPoint(1000, 1000));
        Image()->setRoute({QPoint(900, 1010), QPoint(1100, 1010)});
        const QRect cell = Image()->controlRectOf(QRect(1000, 1000, 1, 1));
        const QRect around = cell.adjusted(-400, -400, 400, 400) & Image()->rect();
        QApplication::processEvents();
        const QImage shown = Image()->grab(around).toImage();
        const QRect ring = PixelsOf(shown, ringColour);
        EXPECT_GE(ring.width(), 12) << fitted;
        EXPECT_GE(ring.height(), 12) << fitted;
        EXPECT_GE(ring.width(), 7 * cell.width()) << fitted; // around the letter, which is about 8 cells across
        EXPECT_TRUE(ring.contains(cell.translated(-around.topLeft()))) << fitted;

        // The route across the middle of row 1010: at least 3 pixels of orange between dark edges.
        const QRect row = Image()->controlRectOf(QRect(1000, 1010, 1, 1)).translated(-around.topLeft());
        const int x = row.center().x();
        int orange = 0;
        int top = -1;
        for (int y = 0; y < shown.height(); ++y) {
            if (shown.pixel(x, y) == qRgb(255, 140, 0)) {
                orange += 1;
                if (top < 0)
                    top = y;
            }
        }
        EXPECT_GE(orange, 3) << fitted;
        ASSERT_GT(top, 0);
        EXPECT_LT(qGray(shown.pixel(x, top - 1)), 80) << fitted; // the outline
    }
    // The picture itself has neither.
    const QImage picture = Shown();
    EXPECT_EQ(picture.pixel(1000, 1000), qRgb(0, 0, 0));
    EXPECT_EQ(picture.pixel(1000, 1010), qRgb(0, 0, 0));
}

// Other players: ringed in their colour and named where they stand in view,
// listed at the edge with an arrow toward them when out of view, with their
// map when elsewhere; a click on a name or a ring tells whose it is, a drag
// over one does not.
TEST_F(MapViewTest, OtherPlayersAreRingedInViewAndListedAtTheEdgeOtherwise)
{
    Write("Large.map", MapHeaderBytes(300, 200));
    EnterFolder(maps_.path());
    ClickMap("Large.map");
    Repeat(10, "rtbtnBtnZoomIn");
    auto& view = const_cast<MapView&>(window_->mapView());
    const QRect area = Area()->viewport()->rect();
    const std::optional<QPoint> middle = view.cellAt(area.center());
    ASSERT_TRUE(middle);
    const QColor scout(51, 102, 255), mule(255, 170, 0), far(255, 80, 255);
    QApplication::processEvents(); // the window's own marks (none: one player) first
    view.setPlayerMarks({{1, "Scout", scout, *middle, {}, true},
                         {2, "Mule", mule, {}, "Plains.map", true},
                         {3, "Far", far, QPoint(299, 199), {}, true}});
    const std::vector<PlayersOverlay::Label> labels = view.playersOverlay().labels();
    ASSERT_EQ(labels.size(), 3u);
    ASSERT_TRUE(labels[0].ring);
    EXPECT_LE((*labels[0].ring - QPointF(area.center())).manhattanLength(), 40.0);
    EXPECT_GT(labels[0].rect.left(), labels[0].ring->x()); // the name beside its ring
    EXPECT_FALSE(labels[1].ring || labels[1].arrow);
    EXPECT_EQ(labels[1].text, "Mule (Plains.map)");
    ASSERT_TRUE(labels[2].arrow && !labels[2].ring);
    EXPECT_GT(*labels[2].arrow, 0.0); // down and to the right, toward the map's far corner
    EXPECT_LT(*labels[2].arrow, 1.5708);
    EXPECT_LT(labels[1].rect.bottom(), labels[2].rect.top()); // listed one below the other

    QApplication::processEvents();
    const QImage shown = Area()->viewport()->grab().toImage();
    const auto near = [&](QRect where, QColor colour) { // smoothed edges: nearly the colour
        int count = 0;
        for (int y = std::max(0, where.top()); y <= std::min(shown.height() - 1, where.bottom()); ++y)
            for (int x = std::max(0, where.left()); x <= std::min(shown.width() - 1, where.right()); ++x) {
                const QColor pixel = shown.pixelColor(x, y);
                count += std::abs(pixel.red() - colour.red()) + std::abs(pixel.green() - colour.green()) +
                             std::abs(pixel.blue() - colour.blue()) < 60;
            }
        return count;
    };
    const QPoint middleOfRing = labels[0].ring->toPoint();
    const int radius = int(labels[0].ringRadius);
    EXPECT_GT(near(QRect(middleOfRing.x() - radius - 2, middleOfRing.y() - 3, 5, 6), scout), 0); // its ring's left
    EXPECT_GT(near(labels[0].rect, scout), 0);
    EXPECT_GT(near(labels[1].rect, mule), 0);
    EXPECT_GT(near(labels[2].rect.adjusted(-14, 0, 0, 0), far), 0);

    QSignalSpy clicked(&view, &MapView::playerClicked);
    Mouse(QEvent::MouseButtonPress, labels[1].rect.center(), Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, labels[1].rect.center(), Qt::LeftButton);
    ASSERT_EQ(clicked.size(), 1);
    EXPECT_EQ(clicked.takeFirst().at(0).toInt(), 2);
    const QPoint ring = labels[0].ring->toPoint();
    Mouse(QEvent::MouseButtonPress, ring, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, ring, Qt::LeftButton);
    ASSERT_EQ(clicked.size(), 1);
    EXPECT_EQ(clicked.takeFirst().at(0).toInt(), 1);
    Mouse(QEvent::MouseButtonPress, ring, Qt::LeftButton);
    Mouse(QEvent::MouseMove, ring + QPoint(30, 30), Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, ring + QPoint(30, 30), Qt::LeftButton);
    EXPECT_TRUE(clicked.isEmpty());
    // Nothing with no other player.
    view.setPlayerMarks({});
    EXPECT_TRUE(view.playersOverlay().labels().empty());
}

// Zoomed out, the edge of the picture at its earlier sizes goes from the
// screen, as Qt composes it.
TEST_F(MapViewTest, ZoomingOutLeavesNoEarlierEdgeOnTheScreen)
{
    Write("Small.map", MapHeaderBytes(20, 15));
    EnterFolder(maps_.path());
    ClickMap("Small.map");
    Repeat(4, "rtbtnBtnZoomIn");
    QApplication::processEvents();
    const QRect larger = Image()->geometry();
    PaintCounter area(Area()->viewport());
    Click("rtbtnBtnZoomOut");
    QTRY_VERIFY(area.count > 0);
    // Qt repaints only what it is told: the old edge, right and below, too.
    EXPECT_TRUE(area.painted.contains(QPoint(larger.right() + 1, larger.top() + 2))) << area.painted.boundingRect().right();
    EXPECT_TRUE(area.painted.contains(QPoint(larger.left() + 2, larger.bottom() + 1)));
}

TEST_F(MapViewTest, GoToCellPutsTheCellInTheMiddleAndMarksItForAMoment)
{
    Write("Large.map", MapHeaderBytes(300, 200));
    EnterFolder(maps_.path());
    ClickMap("Large.map");
    Repeat(10, "rtbtnBtnZoomIn");
    const QPoint middle = Area()->viewport()->rect().center();
    for (const char* typed : {"150:120", "60,50", " 240 150 "}) {
        textAnswer_ = QString::fromLatin1(typed);
        QTest::keyClick(window_.get(), Qt::Key_G, Qt::ControlModifier);
        const QPoint cell = CellOnMap(textAnswer_, {300, 200});
        const std::optional<QPoint> inTheMiddle = window_->mapView().cellAt(middle);
        ASSERT_TRUE(inTheMiddle.has_value()) << typed;
        EXPECT_LE((*inTheMiddle - cell).manhattanLength(), 1) << typed;
        EXPECT_EQ(Image()->goToMark(), cell);
    }
    EXPECT_TRUE(boxes_.empty());
    EXPECT_TRUE(inputLabels_.last().contains("0:0 to 299:199"));
    QTRY_VERIFY_WITH_TIMEOUT(!Image()->goToMark().has_value(), 3000);

    // A cell outside the map, or no cell at all, is refused and nothing moves.
    const QPoint scroll = Scroll();
    for (const char* typed : {"300:5", "-1:0", "twelve"}) {
        textAnswer_ = QString::fromLatin1(typed);
        QTest::keyClick(window_.get(), Qt::Key_G, Qt::ControlModifier);
    }
    textAnswer_ = QString(32767, '7'); // pasted by mistake: cut, and shown cut
    QTest::keyClick(window_.get(), Qt::Key_G, Qt::ControlModifier);
    ASSERT_EQ(boxes_.size(), 4u);
    EXPECT_EQ(boxes_[3].text, "\"" + QString(40, '7') + "\u2026\" is not a cell. Type its column and row as x:y, for example 12:34.");
    EXPECT_EQ(boxes_[0].text, "There is no cell 300:5 on this map of 300 x 200 cells (0:0 to 299:199)");
    EXPECT_TRUE(boxes_[1].text.startsWith("There is no cell -1:0 on this map of 300 x 200 cells"));
    EXPECT_EQ(boxes_[2].text, "\"twelve\" is not a cell. Type its column and row as x:y, for example 12:34.");
    EXPECT_EQ(Scroll(), scroll);
    EXPECT_FALSE(Image()->goToMark().has_value());
}

TEST_F(MapViewTest, TheOverviewShowsTheViewAndMovesIt)
{
    auto* overview = Find<MapOverview>("mapOverview");
    ClickMap("Field.map");
    EXPECT_FALSE(overview->isVisible()); // the whole map is in view
    Repeat(15, "rtbtnBtnZoomIn");
    ASSERT_TRUE(overview->isVisible());
    EXPECT_EQ(overview->image().size(), QSize(100, 80));
    const QRect inArea(overview->pos(), overview->size());
    EXPECT_TRUE(Area()->viewport()->rect().contains(inArea));
    EXPECT_EQ(inArea.bottomRight(), QPoint(Area()->viewport()->width() - 5, Area()->viewport()->height() - 5));

    Area()->horizontalScrollBar()->setValue(1000);
    Area()->verticalScrollBar()->setValue(500);
    EXPECT_EQ(overview->viewRect(),
              OverviewRect(QRect(QPoint(1000, 500), Area()->viewport()->size()), ImageSize(), QSize(100, 80)));

    // A click on the overview centres the view there; a drag follows the mouse.
    QTest::mouseClick(overview, Qt::LeftButton, {}, QPoint(1 + 50, 1 + 40));
    const QPoint middle = Area()->viewport()->rect().center();
    EXPECT_LE((window_->mapView().cellAt(middle).value() - QPoint(50, 40)).manhattanLength(), 1);
    QTest::mousePress(overview, Qt::LeftButton, {}, QPoint(21, 21));
    QTest::mouseMove(overview, QPoint(31, 61));
    QTest::mouseRelease(overview, Qt::LeftButton, {}, QPoint(31, 61));
    EXPECT_LE((window_->mapView().cellAt(middle).value() - QPoint(30, 60)).manhattanLength(), 1);

    // Dragging the map under it sends it to the top; O hides and shows it.
    const QPoint nearIt = inArea.center();
    Mouse(QEvent::MouseButtonPress, nearIt - QPoint(0, 30), Qt::LeftButton);
    Mouse(QEvent::MouseMove, nearIt, Qt::LeftButton);
    EXPECT_EQ(overview->y(), 4);
    Mouse(QEvent::MouseButtonRelease, nearIt, Qt::LeftButton);
    QTest::keyClick(window_.get(), Qt::Key_O);
    EXPECT_FALSE(overview->isVisible());
    QTest::keyClick(window_.get(), Qt::Key_O);
    EXPECT_TRUE(overview->isVisible());
    Click("rtbtnBtnView");
    EXPECT_FALSE(overview->isVisible());
}

TEST_F(MapViewTest, TheGridShowsFrom800PercentAndNeverInThePicture)
{
    auto* columns = Find<GridRuler>("gridColumns");
    auto* rows = Find<GridRuler>("gridRows");
    ClickMap("Field.map");
    Repeat(11, "rtbtnBtnZoomIn"); // 735 x 586: below 800%
    EXPECT_FALSE(columns->isVisible());
    const QImage before = Image()->grab(QRect(0, 0, 100, 100)).toImage();
    EXPECT_EQ(before.pixel(7, 50), qRgb(0, 0, 0));
    Click("rtbtnBtnZoomIn"); // 882 x 703
    ASSERT_TRUE(columns->isVisible());
    ASSERT_TRUE(rows->isVisible());
    ASSERT_EQ(ImageSize(), QSize(882, 703));
    ASSERT_EQ(Scroll(), QPoint(0, 0));
    // The numbers sit beside the map area, so its first cells stay in view.
    const QRect area = Area()->viewport()->geometry();
    EXPECT_FALSE(columns->geometry().intersects(area));
    EXPECT_FALSE(rows->geometry().intersects(area));
    EXPECT_EQ(columns->geometry().bottomRight(), QPoint(area.right(), area.top() - 1));
    EXPECT_EQ(rows->geometry().topRight(), QPoint(area.left() - 1, area.top()));
    EXPECT_EQ(window_->mapView().cellAt({0, 0}), QPoint(0, 0));
    EXPECT_EQ(columns->labels().front().cell, 0);
    EXPECT_EQ(columns->labels()[1].at, 89); // cell 10 starts at pixel 89 of 882
    EXPECT_EQ(rows->labels()[1].at, 88);    // row 10 of 80 at pixel 88 of 703
    QApplication::processEvents();
    // Column 1 starts at pixel 9: a thin line; column 10 at 89: a strong one.
    const QImage shown = Image()->grab(QRect(0, 0, 100, 100)).toImage();
    EXPECT_EQ(shown.pixel(9, 50), qRgb(80, 80, 80));
    EXPECT_EQ(shown.pixel(89, 50), qRgb(200, 200, 200));
    EXPECT_EQ(shown.pixel(50, 88), qRgb(200, 200, 200));
    EXPECT_EQ(shown.pixel(50, 71), qRgb(80, 80, 80)); // row 8
    EXPECT_EQ(shown.pixel(12, 50), qRgb(255, 0, 0)); // inside column 1: blocked

    // Dragged, the map moves along with the mouse: the cell under it, and so
    // the readout's text, stays; the readout stays over the numbers too.
    ReadoutAt({50, 300});
    Mouse(QEvent::MouseButtonPress, {50, 300}, Qt::LeftButton);
    Mouse(QEvent::MouseMove, {30, 300}, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, {30, 300}, Qt::LeftButton);
    EXPECT_EQ(Scroll().x(), 20);
    auto* readout = Find<QLabel>("cellReadout");
    ASSERT_TRUE(readout->isVisible());
    const QObjectList stacked = Area()->viewport()->children(); // bottom to top
    EXPECT_GT(stacked.indexOf(readout), stacked.indexOf(Find<MapOverview>("mapOverview")));
    Area()->horizontalScrollBar()->setValue(300);
    EXPECT_EQ(columns->labels().front().cell, 40);
    EXPECT_EQ(columns->labels().front().at, 353 - 300); // cell 40 starts at 352.8, pixel 353
    QTest::keyClick(window_.get(), Qt::Key_G);
    EXPECT_FALSE(columns->isVisible());
    EXPECT_FALSE(Image()->gridShown());
    QTest::keyClick(window_.get(), Qt::Key_G);
    EXPECT_TRUE(columns->isVisible());
    SaveAs(maps_.filePath("gridded"));
    EXPECT_EQ(QImage(maps_.filePath("gridded.bmp")).convertToFormat(QImage::Format_Indexed8, Shown().colorTable()), Shown());
    EXPECT_EQ(Shown().pixel(1, 10), qRgb(255, 0, 0));
}

TEST_F(MapViewTest, MeasuringShowsInTheReadoutAndEscEndsItBeforeTheRoute)
{
    ClickMap("Harbor2.map");
    Write("Open.map", MapHeaderBytes(60, 40));
    EnterFolder(maps_.path());
    ClickMap("Open.map");
    auto* routes = window_->findChild<RoutePlanner*>(QString(), Qt::FindDirectChildrenOnly);
    routes->startAt({0, 0});
    EXPECT_EQ(Image()->startMark(), QPoint(0, 0)); // shown before the route has an end
    routes->routeTo({5, 0});
    QTRY_VERIFY(!routes->isSearching());
    EXPECT_EQ(Image()->startMark(), std::nullopt); // the route's own dot shows it
    auto* measure = window_->findChild<DistanceMeasure*>();
    measure->start({10, 10});
    EXPECT_EQ(Image()->startMark(), QPoint(10, 10));
    const QPoint dot = Image()->controlRectOf(QRect(10, 10, 1, 1)).center();
    EXPECT_EQ(Image()->grab(QRect(dot, QSize(1, 1))).toImage().pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_TRUE(ReadoutAt({100, 100}).contains("measuring from 10:10 (Esc ends)"));
    ReadoutAt({20, 15});
    QTRY_VERIFY(Readout().contains("from 10:10: 10 steps straight, 10 steps walking"));
    EXPECT_EQ(Readout().split('\n'), QStringList({"20:15 open  60 \u00D7 40 cells  100%  route: 5 steps",
                                                  "from 10:10: 10 steps straight, 10 steps walking"}));
    EXPECT_LE(Find<QLabel>("cellReadout")->width(), Area()->viewport()->width()); // a line each: it fits

    QTest::keyClick(window_.get(), Qt::Key_Escape);
    EXPECT_FALSE(measure->from().has_value());
    EXPECT_EQ(Image()->startMark(), std::nullopt);
    EXPECT_FALSE(Readout().contains("from 10:10"));
    EXPECT_FALSE(routes->route().empty()); // the first Esc ends measuring only
    QTest::keyClick(window_.get(), Qt::Key_Escape);
    EXPECT_TRUE(routes->route().empty());

    // A new map ends measuring too.
    measure->start({1, 1});
    ClickMap("Harbor2.map");
    EXPECT_FALSE(measure->from().has_value());
}

TEST_F(MapViewTest, TheReadoutStaysInsideTheAreaWhenScrollBarsCome)
{
    ClickMap("Field.map");
    ReadoutAt({90, 10});
    auto* readout = Find<QLabel>("cellReadout");
    ASSERT_TRUE(readout->isVisible());
    Repeat(10, "rtbtnBtnZoomIn"); // scroll bars come, the mouse still
    QApplication::processEvents();
    ASSERT_TRUE(Area()->horizontalScrollBar()->isVisible());
    EXPECT_TRUE(Area()->viewport()->rect().contains(readout->geometry()));
    Click("rtbtnBtnView");
    QApplication::processEvents();
    EXPECT_TRUE(Area()->viewport()->rect().contains(readout->geometry()));
    EXPECT_EQ(readout->geometry().bottom(), Area()->viewport()->height() - 5); // back in the corner
}
