#include "atlas/MapAtlas.h"
#include "map/MapReader.h"
#include "tests/support/MapFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <stdexcept>

namespace {

class MapAtlasTest : public MapFolderFixture {};

TEST_F(MapAtlasTest, EveryCellAnswersAsAWholeReadOfTheFile)
{
    // Random records, among them flagged ones that block, in files cut at
    // every length: the reader's filling-in of a short file included.
    std::mt19937 random(5);
    std::string full = MapHeaderBytes(4, 5);
    for (int i = 0; i < 4 * 5; ++i) {
        const int kind = int(random() % 4);
        full += CellBytes(kind & 1 ? 101 + int(random() % 150) : int(random() % 101), kind & 2 ? 0xC0 : 0x40,
                          kind == 2 ? 0x40 : 0x80);
    }
    for (std::size_t length = 0; length <= full.size(); ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        Write("cut.map", full.substr(0, length));
        const MapAtlas atlas(folder_);
        const MapLoad whole = ReadMapBytes(full.substr(0, length));
        for (int x = -1; x <= 4; ++x)
            for (int y = -1; y <= 5; ++y) {
                const bool inside = x >= 0 && y >= 0 && x < whole.matrix.Columns() && y < whole.matrix.Rows();
                ASSERT_EQ(atlas.Standable(fs::path("cut.map"), x, y), inside && whole.matrix[x][y] != kWalkBlocked)
                    << x << ":" << y;
            }
    }
}

TEST_F(MapAtlasTest, ListsTheFolderAsTheFileListDoesAndNoticesChanges)
{
    Write("b.map", MapFromRows({"..", ".."}));
    Write("A.MAP", MapFromRows({"...", "..."}));
    Write(".hidden.map", MapFromRows({"."}));
    Write("notes.txt", "no map");
    fs::create_directory(folder_ / "folder.map");
    MapAtlas atlas(folder_);
    ASSERT_EQ(atlas.Maps().size(), 2u);
    EXPECT_EQ(atlas.Maps()[0].name, "A.MAP");
    EXPECT_EQ(atlas.Maps()[0].width, 3);
    EXPECT_EQ(atlas.Maps()[0].height, 2);
    EXPECT_EQ(atlas.Maps()[1].name, "b.map");
    EXPECT_EQ(atlas.Find("c.map"), nullptr);
    EXPECT_FALSE(atlas.Standable(fs::path("c.map"), 0, 0));
    EXPECT_TRUE(atlas.Refresh().IsEmpty());

    Write("b.map", MapFromRows({"#..", "..."})); // replaced: a new size
    Write("c.map", MapFromRows({"."}));
    fs::remove(folder_ / "A.MAP");
    const AtlasChanges changes = atlas.Refresh();
    EXPECT_EQ(Names(changes.appeared), Strings{"c.map"});
    EXPECT_EQ(Names(changes.gone), Strings{"A.MAP"});
    EXPECT_EQ(Names(changes.changed), Strings{"b.map"});
    EXPECT_EQ(atlas.Find("b.map")->width, 3);
    EXPECT_FALSE(atlas.Standable(fs::path("b.map"), 0, 0));
    EXPECT_TRUE(atlas.Standable(fs::path("b.map"), 2, 1));

    fs::remove_all(folder_);
    EXPECT_THROW(atlas.Refresh(), std::runtime_error);
    EXPECT_THROW(MapAtlas{folder_}, std::runtime_error);
}

TEST_F(MapAtlasTest, MapsTooLargeToShowAreNeverWhereThePlayerIs)
{
    Write("huge.map", MapHeaderBytes(65535, 65535) + CellBytes(0));
    Write("empty.map", "");
    const MapAtlas atlas(folder_);
    EXPECT_EQ(atlas.Maps().size(), 2u);
    EXPECT_FALSE(atlas.Standable(fs::path("huge.map"), 1, 1));
    EXPECT_FALSE(atlas.Standable(fs::path("empty.map"), 0, 0));
}

} // namespace
