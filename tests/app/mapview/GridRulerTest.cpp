#include "app/mapview/GridRuler.h"
#include "tests/support/MainWindowFixture.h"

namespace {

TEST(GridLabelsTest, EveryTenthLineInViewFrom800PercentUp)
{
    const auto labels = [](int offset, int shown, int picture, int area) {
        QList<QPoint> pairs; // (pixel, cell)
        for (const GridLabel& label : GridLabels(offset, shown, picture, area))
            pairs.append(QPoint(label.at, label.cell));
        return pairs;
    };
    // 800%: 8 pixels a cell from the left edge.
    EXPECT_EQ(labels(0, 800, 100, 511), QList<QPoint>({{0, 0}, {80, 10}, {160, 20}, {240, 30}, {320, 40}, {400, 50}, {480, 60}}));
    // 1600%, scrolled 500 pixels on: cells 31 to 63 in view.
    EXPECT_EQ(labels(-500, 1600, 100, 511), QList<QPoint>({{140, 40}, {300, 50}, {460, 60}}));
    // Uneven stretch: 882 pixels over 100 cells, the lines where the cells start.
    EXPECT_EQ(labels(-300, 882, 100, 300), QList<QPoint>({{53, 40}, {141, 50}, {230, 60}}));
    // The far edge of the map gets its number when in view.
    EXPECT_EQ(labels(-1400, 1600, 100, 511), QList<QPoint>({{40, 90}, {200, 100}}));
    EXPECT_TRUE(labels(0, 799, 100, 511).isEmpty()); // below 800%
}

} // namespace
