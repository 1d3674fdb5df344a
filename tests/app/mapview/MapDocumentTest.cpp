#include "app/mapview/MapDocument.h"
#include "qtfiles/QtConversions.h"
#include "tests/support/MapBytes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class MapDocumentTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(folder_.isValid());
        Write("MapInfo.txt", "[HARBOR2 Old harbour]\r\nMine7 gate\r\nWide open\r\nempty listed\n");
        Write("Harbor2.map", MapHeaderBytes(3, 2) + CellBytes(0) + CellBytes(200) + CellBytes(0, 0x80, 0x80) +
                                 CellBytes(150) + CellBytes(101, 0x80, 0x80) + CellBytes(7));
        Write("Wide.map", MapHeaderBytes(7, 0));
    }
    void Write(const QString& name, const std::string& bytes) const
    {
        WriteBytes(QFile::encodeName(folder_.filePath(name)).toStdString(), bytes);
    }
    std::filesystem::path Path(const QString& name) const { return ToFilesystemPath(folder_.filePath(name)); }
    static std::filesystem::path Data(const char* name) { return std::filesystem::path(TEST_DATA_DIR) / name; }

    QTemporaryDir folder_;
    MapDocument document_{ToFilesystemPath(folder_.filePath("MapInfo.txt"))};
};

TEST_F(MapDocumentTest, AMapBringsItsCellsPictureAndLines)
{
    const LoadedMap map = document_.load(Path("Harbor2.map"));
    const IndexedImage& picture = map.picture;
    EXPECT_EQ(document_.header().Width(), 3);
    ASSERT_EQ(document_.walkability().Columns(), 3);
    EXPECT_EQ(document_.walkability()[0][1], kWalkBlocked);
    EXPECT_EQ(document_.walkability()[2][0], kWalkFlagged); // walkable though blocked
    EXPECT_EQ(document_.walkability()[2][1], kWalkOpen);
    ASSERT_EQ(picture.Width(), 3);
    ASSERT_EQ(picture.Height(), 2);
    EXPECT_EQ(picture.Pixel(0, 1), kEntryBlocked);
    EXPECT_EQ(picture.Pixel(2, 0), kEntryFlagged);
    EXPECT_EQ(document_.cellState(0, 0), CellState::Open);
    EXPECT_EQ(document_.cellState(0, 1), CellState::Blocked);
    EXPECT_EQ(document_.cellState(1, 0), CellState::Flagged);
    EXPECT_EQ(document_.cellState(2, 0), CellState::Flagged);
    EXPECT_EQ(document_.cellState(3, 0), std::nullopt);
    EXPECT_EQ(map.linkText, "[HARBOR2 Old harbour]");
}

TEST_F(MapDocumentTest, AVanishedFileEmptiesTheMapAndBringsNoLines)
{
    document_.load(Path("Harbor2.map"));
    const LoadedMap gone = document_.load(Path("gone.map"));
    EXPECT_TRUE(gone.picture.IsEmpty());
    EXPECT_EQ(gone.linkText, std::nullopt);
    EXPECT_EQ(document_.walkability().Columns(), 0);
    EXPECT_EQ(document_.cellState(0, 0), std::nullopt);
    EXPECT_TRUE(document_.load(ToFilesystemPath(folder_.path())).picture.IsEmpty()); // a folder is no map either
}

TEST_F(MapDocumentTest, AMapWithNoRowsListsItsLinesWithoutAPicture)
{
    document_.load(Path("Harbor2.map"));
    const LoadedMap wide = document_.load(Path("Wide.map"));
    EXPECT_TRUE(wide.picture.IsEmpty());
    EXPECT_EQ(document_.walkability().Columns(), 7);
    EXPECT_EQ(wide.linkText, "Wide open");
}

TEST_F(MapDocumentTest, BrokenMapFilesShowWhatTheirBytesSay)
{
    const LoadedMap empty = document_.load(Data("empty.map"));
    EXPECT_TRUE(empty.picture.IsEmpty());
    EXPECT_EQ(empty.linkText, "empty listed");

    const IndexedImage headerOnly = document_.load(Data("header-only.map")).picture;
    ASSERT_EQ(headerOnly.Width(), 40);
    ASSERT_EQ(headerOnly.Height(), 30);
    EXPECT_EQ(headerOnly.Pixel(39, 29), 0);

    // Its last record keeps its blocking byte and takes the flags of the one before.
    const IndexedImage truncated = document_.load(Data("truncated-record.map")).picture;
    ASSERT_EQ(truncated.Width(), 3);
    EXPECT_EQ(truncated.Pixel(2, 0), 9);
    EXPECT_EQ(truncated.Pixel(2, 1), 9);
}

TEST_F(MapDocumentTest, FailuresKeepThePreviousMapAndLines)
{
    int previousLetGo = 0;
    const auto letGo = [&previousLetGo] { ++previousLetGo; };
    document_.load(Path("Harbor2.map"), letGo);
    EXPECT_EQ(previousLetGo, 1);
    EXPECT_THROW(document_.load(Data("declares-65535x65535.map"), letGo), std::runtime_error);
    EXPECT_EQ(document_.walkability().Columns(), 3);

    ASSERT_TRUE(QFile::remove(folder_.filePath("MapInfo.txt")));
    try {
        document_.load(Path("Wide.map"), letGo);
        FAIL() << "loaded without MapInfo.txt";
    } catch (const std::runtime_error& failure) {
        EXPECT_EQ(QString::fromUtf8(failure.what()),
                  "Cannot open file \"" + QDir::toNativeSeparators(folder_.filePath("MapInfo.txt")) + "\". No such file or directory");
    }
    EXPECT_EQ(previousLetGo, 1); // neither failure touched the map on show
    EXPECT_EQ(document_.walkability().Columns(), 3);

    // The file is read afresh at every load.
    Write("MapInfo.txt", "Wide back again\n");
    EXPECT_EQ(document_.load(Path("Wide.map")).linkText, "Wide back again");
}

} // namespace
