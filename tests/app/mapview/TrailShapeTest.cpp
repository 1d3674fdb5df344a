// A trail's pixels kept from tick to tick are the pixels drawn anew.

#include "app/mapview/TrailShape.h"

#include <gtest/gtest.h>

#include <random>

static bool operator==(const TrailPixel& a, const TrailPixel& b)
{
    return a.x == b.x && a.y == b.y && a.step == b.step;
}

namespace {

std::vector<TrailPixel> Drawn(const std::vector<QPoint>& cells, QSize picture, const QRect& target)
{
    TrailShape fresh;
    fresh.update(cells, picture, target);
    return fresh.pixels();
}

// A player walking about (now and then carried far, now and then back over
// its own steps) while the oldest steps go, at several zooms: the kept shape
// is at every tick the one drawn from nothing.
TEST(TrailShapeTest, FollowingTheStepsDrawsWhatDrawingAnewDraws)
{
    std::mt19937 random(7);
    const QSize picture(200, 150);
    for (const QRect& target : {QRect(0, 0, 200, 150), QRect(-40, -30, 1000, 750), QRect(5, 3, 73, 55)}) {
        TrailShape kept;
        std::vector<QPoint> cells{QPoint(100, 75)};
        for (int tick = 0; tick < 400; ++tick) {
            const int steps = int(random() % 3); // standing still, one step, two
            for (int step = 0; step < steps; ++step) {
                QPoint next = cells.back() + QPoint(int(random() % 3) - 1, int(random() % 3) - 1);
                if (random() % 40 == 0)
                    next = QPoint(int(random() % 200), int(random() % 150)); // a door
                cells.push_back(next);
            }
            while (cells.size() > 60 || (cells.size() > 1 && random() % 10 == 0))
                cells.erase(cells.begin());
            kept.update(cells, picture, target);
            ASSERT_EQ(kept.pixels(), Drawn(cells, picture, target)) << "tick " << tick;
        }
    }
    // Another place of the picture, and cells that did not walk on, are drawn anew.
    TrailShape shape;
    shape.update({QPoint(1, 1), QPoint(2, 2), QPoint(3, 2)}, picture, QRect(0, 0, 400, 300));
    shape.update({QPoint(1, 1), QPoint(2, 2), QPoint(3, 2)}, picture, QRect(0, 0, 200, 150));
    EXPECT_EQ(shape.pixels(), Drawn({QPoint(1, 1), QPoint(2, 2), QPoint(3, 2)}, picture, QRect(0, 0, 200, 150)));
    shape.update({QPoint(9, 9), QPoint(10, 9)}, picture, QRect(0, 0, 200, 150));
    EXPECT_EQ(shape.pixels(), Drawn({QPoint(9, 9), QPoint(10, 9)}, picture, QRect(0, 0, 200, 150)));
    EXPECT_FALSE(shape.pixels().empty());
    shape.update({QPoint(9, 9), QPoint(30, 9)}, picture, QRect(0, 0, 200, 150)); // carried: no line
    EXPECT_TRUE(shape.pixels().empty());
}

} // namespace
