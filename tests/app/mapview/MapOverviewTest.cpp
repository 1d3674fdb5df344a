#include "app/mapview/MapOverview.h"
#include "tests/support/MainWindowFixture.h"

namespace {

TEST(OverviewTest, TheRectangleInViewAtSeveralZoomsAndScrolls)
{
    // A 1000 x 800 map on an overview of 160 x 128, shown at three sizes.
    EXPECT_EQ(OverviewRect({0, 0, 500, 400}, {1000, 800}, {160, 128}), QRect(0, 0, 80, 64));
    EXPECT_EQ(OverviewRect({500, 400, 500, 400}, {1000, 800}, {160, 128}), QRect(80, 64, 80, 64));
    EXPECT_EQ(OverviewRect({1000, 800, 511, 428}, {4000, 3200}, {160, 128}), QRect(40, 32, 20, 17));
    EXPECT_EQ(OverviewRect({3489, 2772, 511, 428}, {4000, 3200}, {160, 128}), QRect(139, 110, 21, 18));
    // Zoomed far in, the rectangle is still a pixel; an area larger than the control is cut to it.
    EXPECT_EQ(OverviewRect({380000, 0, 511, 428}, {383333, 306666}, {160, 128}), QRect(158, 0, 1, 1));
    EXPECT_EQ(OverviewRect({0, 0, 511, 428}, {300, 200}, {160, 106}), QRect(0, 0, 160, 106));
}

TEST(OverviewTest, TheWholeMapAtMost160PixelsWithItsProportions)
{
    const std::pair<QSize, QSize> sizes[] = {
        {{1000, 500}, {160, 80}}, {{100, 80}, {100, 80}}, {{3, 2000}, {1, 160}}, {{16384, 16384}, {160, 160}}};
    for (const auto& [map, overview] : sizes)
        EXPECT_EQ(OverviewImage(IndexedImage(map.width(), map.height())).size(), overview) << map.width();

    // Left half blocked, the bottom-right quarter flagged, the rest open.
    IndexedImage picture(1600, 800);
    for (int y = 0; y < 800; ++y)
        for (int x = 0; x < 1600; ++x)
            picture.SetPixel(x, y, x < 800 ? kEntryBlocked : y >= 400 ? kEntryFlagged : kEntryOpen);
    const QImage image = OverviewImage(picture);
    ASSERT_EQ(image.size(), QSize(160, 80));
    for (const QPoint at : {QPoint(0, 0), QPoint(79, 79)})
        EXPECT_EQ(image.pixel(at), qRgb(255, 0, 0));
    for (const QPoint at : {QPoint(80, 0), QPoint(159, 39)})
        EXPECT_EQ(image.pixel(at), qRgb(0, 0, 0));
    for (const QPoint at : {QPoint(80, 40), QPoint(159, 79)})
        EXPECT_EQ(image.pixel(at), qRgb(0, 0, 255));
}

} // namespace
