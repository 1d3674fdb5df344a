#include "atlas/MapAtlas.h"
#include "atlas/MapIdentifier.h"
#include "map/MapReader.h"
#include "tests/support/MapFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>

namespace {

// Three maps of one folder:
//   open.map   10 x 6, open everywhere;
//   west.map   10 x 6, the four left columns blocked but for a flagged cell;
//   small.map  4 x 3, open.
class MapIdentifierTest : public MapFolderFixture {
protected:
    void SetUp() override
    {
        MapFolderFixture::SetUp();
        Write("open.map", MapFromRows(std::vector<std::string>(6, "..........")));
        std::vector<std::string> west(6, "####......");
        west[2][1] = 'f';
        Write("west.map", MapFromRows(west));
        Write("small.map", MapFromRows(std::vector<std::string>(3, "....")));
        atlas_ = MapAtlas(folder_);
    }

    // The candidates after each position, as the table reads them.
    Strings Candidates() const { return Names(identifier_.Candidates()); }
    std::string Shown() const { return identifier_.Shown() ? identifier_.Shown()->string() : "-"; }

    MapAtlas atlas_;
    MapIdentifier identifier_{atlas_};
};

TEST_F(MapIdentifierTest, PositionsNarrowTheCandidatesUntilOneMapIsShown)
{
    struct Row {
        int x, y;
        Strings candidates;
        const char* shown;
        bool changed;
        MapVerdict verdict;
    };
    const Row table[] = {
        {0, 0, {}, "-", false, MapVerdict::NoPosition},                                        // a failed read
        {2, 1, {"open.map", "small.map"}, "-", false, MapVerdict::Ambiguous},                  // blocked on west
        {1, 2, {"open.map", "small.map"}, "-", false, MapVerdict::Ambiguous},                  // flagged on west
        {0, 0, {"open.map", "small.map"}, "-", false, MapVerdict::Ambiguous},                  // a failed read
        {5, 1, {"open.map"}, "open.map", true, MapVerdict::Known},                             // outside small
        {5, 1, {"open.map"}, "open.map", false, MapVerdict::Known},                            // standing still
        {7, 5, {"open.map"}, "open.map", false, MapVerdict::Known},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(std::to_string(row.x) + ":" + std::to_string(row.y));
        EXPECT_EQ(identifier_.See(row.x, row.y), row.changed);
        EXPECT_EQ(Candidates(), row.candidates);
        EXPECT_EQ(Shown(), row.shown);
        EXPECT_EQ(identifier_.Verdict(), row.verdict);
    }
}

TEST_F(MapIdentifierTest, LeavingTheShownMapStartsAgainFromThereWhenNoOtherMapFits)
{
    fs::remove(folder_ / "open.map");
    atlas_ = MapAtlas(folder_);
    identifier_.Show("small.map");
    identifier_.See(2, 1);
    identifier_.See(3, 1);
    EXPECT_EQ(Candidates(), Strings{"small.map"});
    // A step past small.map's edge, onto west.map, where the cells walked
    // before are blocked: they no longer count. One position does not
    // change the map on show (it may pair a new x with an old y); the next
    // that leaves west.map alone too does.
    EXPECT_FALSE(identifier_.See(4, 1));
    EXPECT_EQ(Candidates(), Strings{"west.map"});
    EXPECT_EQ(Shown(), "small.map");
    EXPECT_TRUE(identifier_.See(5, 1));
    EXPECT_EQ(Shown(), "west.map");
    // Off both: no map of the folder fits, and west.map stays on show.
    EXPECT_FALSE(identifier_.See(12, 1));
    EXPECT_EQ(identifier_.Verdict(), MapVerdict::NotInFolder);
    EXPECT_FALSE(identifier_.See(13, 1));
    EXPECT_EQ(identifier_.Verdict(), MapVerdict::NotInFolder);
    EXPECT_EQ(Shown(), "west.map");
}

TEST_F(MapIdentifierTest, JumpsStartAgainAndTheShownMapNeverFlickers)
{
    // Two long maps, alike but for a wall across the one's east end.
    Write("long.map", MapFromRows(std::vector<std::string>(3, std::string(20, '.'))));
    Write("walled.map", MapFromRows(std::vector<std::string>(3, std::string(16, '.') + "####")));
    atlas_ = MapAtlas(folder_);
    identifier_.Show("walled.map");
    EXPECT_FALSE(identifier_.See(1, 1)); // the map picked fits the first position
    EXPECT_EQ(Candidates(), Strings{"walled.map"});
    // A teleport inside the same map, 14 cells on: anew, both fit.
    EXPECT_FALSE(identifier_.See(15, 1));
    EXPECT_EQ(Shown(), "walled.map");
    EXPECT_EQ(Candidates(), (Strings{"long.map", "walled.map"}));
    EXPECT_EQ(identifier_.Verdict(), MapVerdict::Ambiguous);
    // Walking on cells both maps have: ambiguous, and the shown map stays.
    for (int x = 14; x >= 10; --x)
        EXPECT_FALSE(identifier_.See(x, 2));
    EXPECT_EQ(Shown(), "walled.map");
    // A step onto a cell walled.map blocks settles it for long.map.
    for (int x = 11; x <= 15; ++x)
        EXPECT_FALSE(identifier_.See(x, 2));
    EXPECT_FALSE(identifier_.See(16, 2));
    EXPECT_TRUE(identifier_.See(17, 2));
    EXPECT_EQ(Shown(), "long.map");
    EXPECT_EQ(identifier_.Verdict(), MapVerdict::Known);
}

TEST_F(MapIdentifierTest, APickSettlesIdenticalMapsAndAMapNotInTheFolderIsSaid)
{
    Write("twin.map", MapFromRows(std::vector<std::string>(6, "..........")));
    atlas_ = MapAtlas(folder_);
    for (int x = 2; x <= 6; ++x)
        identifier_.See(x, 4);
    EXPECT_EQ(Candidates(), (Strings{"open.map", "twin.map"}));
    EXPECT_EQ(Shown(), "-");
    identifier_.Show("twin.map");
    EXPECT_EQ(identifier_.Verdict(), MapVerdict::Known);
    identifier_.See(8, 4);
    EXPECT_EQ(Shown(), "twin.map");

    // Off every map of the folder: the shown map stays on show.
    identifier_.See(40, 30);
    EXPECT_EQ(identifier_.Verdict(), MapVerdict::NotInFolder);
    EXPECT_EQ(Shown(), "twin.map");
    identifier_.See(41, 30);
    EXPECT_EQ(identifier_.Verdict(), MapVerdict::NotInFolder);
}

TEST_F(MapIdentifierTest, MapsThatAppearChangeOrGoWhileFollowingAreWeighed)
{
    for (int x = 6; x <= 9; ++x)
        identifier_.See(x, 4);
    EXPECT_EQ(Candidates(), (Strings{"open.map", "west.map"}));
    // west.map replaced by a map of the same size that blocks where the
    // player walked (told by the time of the last write: a later second).
    Write("west.map", MapFromRows(std::vector<std::string>(6, "#######.##")));
    fs::last_write_time(folder_ / "west.map", fs::last_write_time(folder_ / "west.map") + std::chrono::seconds(2));
    Write("copy.map", MapFromRows(std::vector<std::string>(6, "..........")));
    EXPECT_FALSE(identifier_.Update(atlas_.Refresh()));
    EXPECT_EQ(Candidates(), (Strings{"copy.map", "open.map"}));
    fs::remove(folder_ / "copy.map");
    EXPECT_TRUE(identifier_.Update(atlas_.Refresh()));
    EXPECT_EQ(Shown(), "open.map");
}

TEST_F(MapIdentifierTest, AMapKeyIsLearnedFromThePositionsAndThenShowsItsMapAtOnce)
{
    // Learned: the key held while the positions single out a map.
    identifier_.See(1, 1, "O");
    identifier_.See(2, 1, "O"); // both blocked on west.map
    EXPECT_EQ(Candidates(), (Strings{"open.map", "small.map"}));
    EXPECT_TRUE(identifier_.Learned().empty());
    EXPECT_TRUE(identifier_.See(5, 2, "O")); // outside small.map
    EXPECT_EQ(Shown(), "open.map");
    EXPECT_EQ(identifier_.Learned(), (MapIdentifier::LearnedMaps{{"O", "open.map"}}));

    // A key learned before: its map at the first position, one that both
    // maps have; back on open.map the same way.
    MapIdentifier::LearnedMaps learned = identifier_.Learned();
    learned["W"] = "west.map";
    identifier_.Learn(learned);
    EXPECT_TRUE(identifier_.See(6, 2, "W"));
    EXPECT_EQ(Shown(), "west.map");
    EXPECT_EQ(identifier_.Verdict(), MapVerdict::Known);
    EXPECT_TRUE(identifier_.See(6, 3, "O"));
    EXPECT_EQ(Shown(), "open.map");

    // Where the key names a map the player cannot stand on, the positions win.
    EXPECT_FALSE(identifier_.See(2, 3, "W"));
    EXPECT_TRUE(identifier_.KeyDisagrees());
    EXPECT_EQ(Shown(), "open.map");
    EXPECT_FALSE(identifier_.See(3, 3, "O"));
    EXPECT_FALSE(identifier_.KeyDisagrees());
}

TEST_F(MapIdentifierTest, ANewKeyStartsAgainAndAPickAmongTheCandidatesTeachesIt)
{
    Write("twin.map", MapFromRows(std::vector<std::string>(6, "..........")));
    atlas_ = MapAtlas(folder_);
    identifier_.See(6, 1, "A");
    identifier_.Show("open.map"); // a pick: teaches the key
    EXPECT_EQ(identifier_.Learned().at("A"), "open.map");
    EXPECT_EQ(identifier_.Verdict(), MapVerdict::Known);
    // One step on, the key changes: the map may have too.
    EXPECT_FALSE(identifier_.See(7, 1, "B"));
    EXPECT_EQ(Candidates(), (Strings{"open.map", "twin.map", "west.map"}));
    identifier_.See(2, 2, "B");
    EXPECT_EQ(Candidates(), (Strings{"open.map", "twin.map"}));
    // A click on a map the positions rule out teaches nothing; a pick does.
    identifier_.Show("small.map");
    EXPECT_EQ(identifier_.Learned().count("B"), 0u);
    identifier_.See(5, 2, "B"); // off small.map: anew
    EXPECT_EQ(Candidates(), (Strings{"open.map", "twin.map", "west.map"}));
    identifier_.Show("twin.map");
    EXPECT_EQ(identifier_.Learned().at("B"), "twin.map");
}

} // namespace
