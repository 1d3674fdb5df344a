#include "app/window/WindowPlacement.h"
#include "tests/support/MainWindowFixture.h"

namespace {

// A 1280 x 1024 screen with a 40-pixel panel, at three scalings: the
// available area in the window's own pixels.
struct Screen {
    double scale;
    QRect available;
    QPoint frameTopLeft;
    QSize size;
};

class WindowPlacementTest : public ::testing::TestWithParam<Screen> {};

TEST_P(WindowPlacementTest, TheWholeWindowIsOnTheAvailableArea)
{
    const Screen& screen = GetParam();
    const WindowPlace place = PlaceOnScreen({688, 582}, {300, 200}, kUsualFrame, screen.available);
    EXPECT_EQ(place.frameTopLeft, screen.frameTopLeft) << screen.scale;
    EXPECT_EQ(place.size, screen.size) << screen.scale;
    const QRect outer(place.frameTopLeft, place.size.grownBy(kUsualFrame));
    EXPECT_TRUE(screen.available.contains(outer)) << screen.scale;
}

INSTANTIATE_TEST_SUITE_P(Scalings, WindowPlacementTest,
                         ::testing::Values(Screen{1.0, {0, 0, 1280, 984}, {288, 181}, {688, 582}},
                                           Screen{1.5, {0, 0, 853, 656}, {75, 17}, {688, 582}},
                                           Screen{2.0, {0, 0, 640, 492}, {0, 0}, {624, 453}},
                                           Screen{2.0, {640, 20, 640, 492}, {640, 20}, {624, 453}}));

TEST(WindowPlacementEdgeTest, TooLargeEvenAtItsSmallestItKeepsTheTitleBarOnTheArea)
{
    const WindowPlace place = PlaceOnScreen({688, 582}, {660, 470}, kUsualFrame, {100, 50, 640, 492});
    EXPECT_EQ(place.frameTopLeft, QPoint(100, 50));
    EXPECT_EQ(place.size, QSize(660, 470));
}

// A window of its own never covers the map area where there is another place.
TEST(WindowPlacementEdgeTest, AWindowOfItsOwnOpensBesideTheMapArea)
{
    const QRect screen(0, 0, 1920, 1040);
    const QRect main(300, 100, 704, 621);
    const QRect map(570, 180, 420, 500); // right of the browser side
    const QSize finder(520, 480);
    EXPECT_EQ(PlaceBeside(main, map, finder, screen), QPoint(1004, 100));
    EXPECT_EQ(PlaceBeside(main.translated(900, 0), map.translated(900, 0), finder, screen), QPoint(680, 100));
    // No room either side: over the browser side, as much of the map left in sight as can be.
    const QRect full(0, 0, 1024, 768);
    const QRect wide(0, 0, 1024, 740);
    const QRect wideMap(270, 80, 740, 650);
    const QPoint over = PlaceBeside(wide, wideMap, finder, full);
    EXPECT_EQ(over, QPoint(0, 0));
    EXPECT_LT(QRect(over, finder).intersected(wideMap).width(), finder.width());
    // Low on the screen, its bottom stays on it.
    EXPECT_EQ(PlaceBeside(main.translated(0, 500), map, finder, screen).y(), 1040 - 480);
}

// The real window can be made small enough for a 1280 x 1024 screen at 200%.
TEST_F(MainWindowTest, TheWindowFitsASmallScreenAtDoubleScale)
{
    window_->fitHeightInto(984 - kUsualFrame.top() - kUsualFrame.bottom()); // at 100%: room enough
    EXPECT_EQ(Find<QWidget>("mmo1")->height(), 122);
    const QRect available(0, 0, 640, 492);
    window_->fitHeightInto(492 - kUsualFrame.top() - kUsualFrame.bottom());
    QApplication::processEvents();
    // The memo gives up what is missing, and what the map file list needs for four rows.
    EXPECT_LT(Find<QWidget>("mmo1")->height(), 122 - (461 - 453));
    EXPECT_GE(Find<QWidget>("mmo1")->height(), 40);
    const WindowPlace place = PlaceOnScreen(window_->size(), window_->minimumSizeHint(), kUsualFrame, available);
    EXPECT_TRUE(available.contains(QRect(place.frameTopLeft, place.size.grownBy(kUsualFrame))))
        << window_->minimumSizeHint().width() << " x " << window_->minimumSizeHint().height();
    window_->resize(place.size);
    QApplication::processEvents();
    EXPECT_EQ(window_->size(), place.size);
    EXPECT_GE(FileList()->height(), 4 * FileList()->fontMetrics().height());
}

} // namespace
