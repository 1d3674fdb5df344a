#include "app/routes/DistanceMeasure.h"
#include "app/routes/RoutePlanner.h"
#include "qtfiles/QtConversions.h"
#include "tests/support/MapBytes.h"
#include "tests/support/RouteMaps.h"

#include <QFile>
#include <QSignalSpy>
#include <QElapsedTimer>
#include "tests/support/QTryInGoogleTest.h"
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// A 5 x 3 map whose middle column is blocked but for its flagged bottom cell:
//   . # . . .
//   . # . . .
//   . F . # .
class RoutePlannerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        WriteBytes(QFile::encodeName(folder_.filePath("MapInfo.txt")).toStdString(), "");
        std::string map = MapHeaderBytes(5, 3);
        for (int x = 0; x < 5; ++x)
            for (int y = 0; y < 3; ++y)
                map += x == 1 ? (y == 2 ? CellBytes(200, 0x80, 0x80) : CellBytes(200))
                              : (x == 3 && y == 2 ? CellBytes(200) : CellBytes(0));
        WriteBytes(QFile::encodeName(folder_.filePath("Wall.map")).toStdString(), map);
        document_.load(ToFilesystemPath(folder_.filePath("Wall.map")));
    }

    // The map as a map file in the folder, named Maze.map.
    std::filesystem::path WriteMaze(const TMatrix& walk)
    {
        std::string map = MapHeaderBytes(walk.Columns(), walk.Rows());
        for (int x = 0; x < walk.Columns(); ++x)
            for (int y = 0; y < walk.Rows(); ++y)
                map += walk[x][y] == kWalkBlocked   ? CellBytes(200)
                       : walk[x][y] == kWalkFlagged ? CellBytes(200, 0x80, 0x80)
                                                    : CellBytes(0);
        WriteBytes(QFile::encodeName(folder_.filePath("Maze.map")).toStdString(), map);
        return ToFilesystemPath(folder_.filePath("Maze.map"));
    }

    // Searches run beside the window's thread.
    void WaitForTheSearch() { QTRY_VERIFY_WITH_TIMEOUT(!routes_.isSearching(), 10000); }

    QTemporaryDir folder_;
    MapDocument document_{ToFilesystemPath(folder_.filePath("MapInfo.txt"))};
    RoutePlanner routes_{document_, nullptr};
    QSignalSpy changes_{&routes_, &RoutePlanner::routeChanged};
};

TEST_F(RoutePlannerTest, ARouteBetweenTwoChosenCellsGoesThroughTheFlaggedCell)
{
    EXPECT_EQ(routes_.summary(), QString());
    routes_.routeTo(QPoint(4, 0)); // no start chosen yet: nothing
    EXPECT_FALSE(routes_.isAsked());
    routes_.startAt(QPoint(0, 0));
    routes_.routeTo(QPoint(4, 0));
    EXPECT_EQ(routes_.summary(), "route: searching...");
    WaitForTheSearch();
    ASSERT_EQ(routes_.route().size(), 6u);
    EXPECT_EQ(routes_.route()[2], QPoint(1, 2)); // the only way through the wall
    EXPECT_EQ(routes_.route().back(), QPoint(4, 0));
    EXPECT_EQ(routes_.summary(), "route: 5 steps");

    routes_.routeTo(QPoint(3, 2)); // blocked
    EXPECT_TRUE(routes_.route().empty());
    EXPECT_EQ(routes_.summary(), "no route");
    routes_.clear();
    EXPECT_EQ(routes_.summary(), QString());
    EXPECT_FALSE(routes_.chosenStart().has_value());
    EXPECT_EQ(changes_.count(), 5); // start chosen, searching, found, refused, cleared
}

TEST_F(RoutePlannerTest, ARouteFromThePlayerFollowsThePlayer)
{
    routes_.routeFromPlayer(QPoint(4, 1)); // not tracking: no start
    EXPECT_EQ(routes_.summary(), "no route");
    routes_.setPlayer(QPoint(4, 2));
    WaitForTheSearch();
    EXPECT_EQ(routes_.summary(), "route: 1 step");
    const int changes = changes_.count();
    routes_.setPlayer(QPoint(4, 2)); // has not moved: nothing worked out again
    EXPECT_EQ(changes_.count(), changes);
    routes_.setPlayer(QPoint(0, 1));
    WaitForTheSearch();
    EXPECT_EQ(routes_.route().front(), QPoint(0, 1));
    EXPECT_EQ(routes_.summary(), "route: 4 steps");
}

// A search cancelled after it ended, before the window's thread heard of
// it, once left the planner searching for ever: the next search's thread
// could take the old one's address, and the old end was taken for it.
TEST_F(RoutePlannerTest, ASearchCancelledJustAfterItEndedLeavesTheNextOneToEnd)
{
    for (int round = 0; round < 5; ++round) {
        routes_.startAt(QPoint(0, 0));
        routes_.routeTo(QPoint(4, 0));
        std::this_thread::sleep_for(std::chrono::milliseconds(30)); // ended, not yet heard of
        routes_.clear();
        routes_.startAt(QPoint(0, 0));
        routes_.routeTo(QPoint(4, 0));
        WaitForTheSearch();
        EXPECT_EQ(routes_.summary(), "route: 5 steps");
    }
}

// A route asked for while the map is worked out does not wait for it and is
// as short as a plain search's; letting the map go meanwhile ends the search.
TEST_F(RoutePlannerTest, ARouteAskedWhileTheMapIsWorkedOutIsShortest)
{
    const TMatrix walk = TightMaze(600, 500, 7);
    const std::filesystem::path maze = WriteMaze(walk);
    std::mt19937 random(4);
    for (int round = 0; round < 3; ++round) {
        routes_.letMapGo();
        document_.load(maze); // worked out afresh
        const Cell player = RandomWalkableCell(walk, random), goal = RandomWalkableCell(walk, random);
        routes_.setPlayer(QPoint(player.x, player.y));
        routes_.routeFromPlayer(QPoint(goal.x, goal.y));
        EXPECT_TRUE(routes_.isPreparing());
        if (round == 1) {
            routes_.letMapGo();
            EXPECT_FALSE(routes_.isSearching());
            EXPECT_FALSE(routes_.isPreparing());
            continue;
        }
        WaitForTheSearch();
        ASSERT_FALSE(routes_.route().empty()) << CellText(player) << " to " << CellText(goal);
        EXPECT_EQ(routes_.route().size(), FindRouteBreadthFirst(walk, player, goal)->size());
    }
}

// A maze prepared once the player is seen on it: the player's routes go
// through its core, as short as a plain search's; letting the map go while
// it is prepared cancels the preparation.
TEST_F(RoutePlannerTest, OnAPreparedMazeTheRoutesFromThePlayerAreShortest)
{
    const TMatrix walk = TightMaze(280, 210, 6);
    document_.load(WriteMaze(walk));
    ASSERT_EQ(document_.walkability(), walk);
    EXPECT_FALSE(routes_.isPreparing()); // a map only looked at
    std::mt19937 random(8);
    const Cell first = RandomWalkableCell(walk, random);
    routes_.setPlayer(QPoint(first.x, first.y));
    EXPECT_TRUE(routes_.isPreparing());
    QTRY_VERIFY_WITH_TIMEOUT(!routes_.isPreparing(), 10000);
    EXPECT_TRUE(routes_.hasCore());

    const Cell goal = RandomWalkableCell(walk, random);
    routes_.routeFromPlayer(QPoint(goal.x, goal.y));
    for (int move = 0; move < 6; ++move) {
        const Cell player = RandomWalkableCell(walk, random);
        routes_.setPlayer(QPoint(player.x, player.y));
        WaitForTheSearch();
        Route route;
        for (const QPoint& point : routes_.route())
            route.push_back({point.x(), point.y()});
        EXPECT_EQ(route.size(), FindRouteBreadthFirst(walk, player, goal)->size()) << CellText(player);
        EXPECT_EQ(RouteFault(walk, route, player, goal), "") << CellText(player);
    }

    // A second planner, as the measure's, searches through the same core.
    RoutePlanner measuring(document_, nullptr);
    measuring.startAt(QPoint(first.x, first.y));
    measuring.routeTo(QPoint(goal.x, goal.y));
    EXPECT_FALSE(measuring.isPreparing());
    EXPECT_TRUE(measuring.hasCore());
    QTRY_VERIFY_WITH_TIMEOUT(!measuring.isSearching(), 10000);
    EXPECT_EQ(measuring.route().size(), FindRouteBreadthFirst(walk, first, goal)->size());

    document_.load(ToFilesystemPath(folder_.filePath("Wall.map"))); // another map
    routes_.setPlayer(QPoint(0, 1));
    EXPECT_TRUE(routes_.isPreparing());
    routes_.letMapGo();
    EXPECT_FALSE(routes_.isPreparing());
    EXPECT_FALSE(routes_.isAsked());
}

// A large map split by a wall: a goal behind it is refused, and the window's
// thread never waits for a search.
TEST_F(RoutePlannerTest, AGoalBehindAWallIsRefusedWithoutHoldingTheWindow)
{
    constexpr int kColumns = 3000, kRows = 2000, kWall = 10;
    std::string map = MapHeaderBytes(kColumns, kRows);
    map.reserve(map.size() + std::size_t(kColumns) * kRows * 12);
    const std::string open = CellBytes(0), blocked = CellBytes(200);
    for (int x = 0; x < kColumns; ++x)
        for (int y = 0; y < kRows; ++y)
            map += x == kWall ? blocked : open;
    WriteBytes(QFile::encodeName(folder_.filePath("Split.map")).toStdString(), map);
    map = std::string();
    document_.load(ToFilesystemPath(folder_.filePath("Split.map")));

    // A watchdog on the window's thread: the longest wait between its ticks.
    QElapsedTimer sinceTick;
    qint64 longestWait = 0;
    QTimer watchdog;
    QObject::connect(&watchdog, &QTimer::timeout, [&] {
        longestWait = std::max(longestWait, sinceTick.restart());
    });
    watchdog.start(10);
    sinceTick.start();

    routes_.setPlayer(QPoint(kColumns - 1, kRows - 1));
    routes_.routeFromPlayer(QPoint(0, 0));
    for (int x = kColumns - 2; x > kColumns - 5; --x) // the player walks on while it is worked out
        routes_.setPlayer(QPoint(x, kRows - 1));
    WaitForTheSearch();
    EXPECT_EQ(routes_.summary(), "no route");
    QTest::qWait(50);
    EXPECT_LT(longestWait, 200);

    // Once the areas are known: refused at once, with no search.
    QTRY_VERIFY_WITH_TIMEOUT(!routes_.isPreparing(), 10000);
    routes_.setPlayer(QPoint(kColumns / 2, kRows / 2));
    EXPECT_FALSE(routes_.isSearching());
    EXPECT_EQ(routes_.summary(), "no route");
    routes_.routeFromPlayer(QPoint(kColumns - 1, 0)); // the same side: a route
    WaitForTheSearch();
    EXPECT_EQ(routes_.route().size(), std::size_t(kColumns / 2));
}

} // namespace

namespace {

TEST(MeasureTextTest, StraightStepsToAnyOfEightNeighboursAndTheWalk)
{
    EXPECT_EQ(StraightSteps({10, 20}, {25, 12}), 15);
    EXPECT_EQ(StraightSteps({3, 3}, {3, 3}), 0);
    EXPECT_EQ(StraightSteps({0, 0}, {-4, 1}), 4);
    EXPECT_EQ(MeasureText({10, 20}, {25, 12}, 18, false), "from 10:20: 15 steps straight, 18 steps walking");
    EXPECT_EQ(MeasureText({0, 0}, {1, 1}, 1, false), "from 0:0: 1 step straight, 1 step walking");
    EXPECT_EQ(MeasureText({0, 0}, {5, 0}, std::nullopt, false), "from 0:0: 5 steps straight, no route");
    EXPECT_EQ(MeasureText({0, 0}, {5, 0}, std::nullopt, true), "from 0:0: 5 steps straight, walking: searching...");
}

TEST_F(RoutePlannerTest, MeasuringTellsTheWalkAroundTheWall)
{
    DistanceMeasure measure(document_, nullptr);
    EXPECT_EQ(measure.note(), "");
    measure.measureTo(QPoint(2, 0)); // not measuring: nothing
    EXPECT_EQ(measure.note(), "");
    measure.start({0, 0});
    EXPECT_EQ(measure.note(), "measuring from 0:0 (Esc ends)");
    measure.measureTo(QPoint(2, 0));
    QTRY_VERIFY_WITH_TIMEOUT(!measure.note().contains("searching"), 10000);
    EXPECT_EQ(measure.note(), "from 0:0: 2 steps straight, 4 steps walking"); // through the flagged cell
    measure.measureTo(QPoint(1, 0));
    QTRY_VERIFY_WITH_TIMEOUT(!measure.note().contains("searching"), 10000);
    EXPECT_EQ(measure.note(), "from 0:0: 1 step straight, no route"); // a blocked cell
    measure.measureTo(QPoint(4, 2));
    QTRY_VERIFY_WITH_TIMEOUT(!measure.note().contains("searching"), 10000);
    EXPECT_EQ(measure.note(), "from 0:0: 4 steps straight, 5 steps walking");
    measure.stop();
    EXPECT_EQ(measure.note(), "");
}

} // namespace
