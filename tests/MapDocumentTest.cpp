#include "MapDocument.h"
#include "MapBytes.h"
#include "QtConversions.h"

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
    document_.load(Path("Harbor2.map"));
    EXPECT_EQ(document_.header().Width(), 3);
    ASSERT_EQ(document_.walkability().Columns(), 3);
    EXPECT_EQ(document_.walkability()[0][1], kWalkBlocked);
    EXPECT_EQ(document_.walkability()[2][0], kWalkOpen); // flagged, so walkable though blocked
    EXPECT_EQ(document_.walkability()[2][1], kWalkOpen);
    ASSERT_EQ(document_.picture().size(), QSize(3, 2));
    EXPECT_EQ(document_.picture().format(), QImage::Format_Indexed8);
    EXPECT_EQ(document_.picture().color(9), qRgb(255, 0, 0));
    EXPECT_EQ(document_.picture().color(12), qRgb(0, 0, 255));
    EXPECT_EQ(document_.cellState(0, 0), CellState::Open);
    EXPECT_EQ(document_.cellState(0, 1), CellState::Blocked);
    EXPECT_EQ(document_.cellState(1, 0), CellState::Flagged);
    EXPECT_EQ(document_.cellState(2, 0), CellState::Flagged);
    EXPECT_EQ(document_.cellState(3, 0), std::nullopt);
    EXPECT_EQ(document_.linkLines(), QStringList{"[HARBOR2 Old harbour]"});
}

TEST_F(MapDocumentTest, AVanishedFileEmptiesTheMapAndKeepsTheLines)
{
    document_.load(Path("Harbor2.map"));
    document_.load(Path("gone.map"));
    EXPECT_TRUE(document_.picture().isNull());
    EXPECT_EQ(document_.walkability().Columns(), 0);
    EXPECT_EQ(document_.linkLines(), QStringList{"[HARBOR2 Old harbour]"});
    document_.load(ToFilesystemPath(folder_.path())); // a folder is no map either
    EXPECT_TRUE(document_.picture().isNull());
}

TEST_F(MapDocumentTest, AMapWithNoRowsListsItsLinesWithoutAPicture)
{
    document_.load(Path("Harbor2.map"));
    document_.load(Path("Wide.map"));
    EXPECT_TRUE(document_.picture().isNull());
    EXPECT_EQ(document_.walkability().Columns(), 7);
    EXPECT_EQ(document_.linkLines(), QStringList{"Wide open"});
}

TEST_F(MapDocumentTest, BrokenMapFilesShowWhatTheirBytesSay)
{
    document_.load(Data("empty.map"));
    EXPECT_TRUE(document_.picture().isNull());
    EXPECT_EQ(document_.linkLines(), QStringList{"empty listed"});

    document_.load(Data("header-only.map"));
    ASSERT_EQ(document_.picture().size(), QSize(40, 30));
    EXPECT_EQ(document_.picture().pixelIndex(39, 29), 0);

    // Its last record keeps its blocking byte and takes the flags of the one before.
    document_.load(Data("truncated-record.map"));
    ASSERT_EQ(document_.picture().size(), QSize(3, 2));
    EXPECT_EQ(document_.picture().pixelIndex(2, 0), 9);
    EXPECT_EQ(document_.picture().pixelIndex(2, 1), 9);
}

TEST_F(MapDocumentTest, FailuresKeepThePreviousMapAndLines)
{
    document_.load(Path("Harbor2.map"));
    EXPECT_THROW(document_.load(Data("declares-65535x65535.map")), std::runtime_error);
    EXPECT_EQ(document_.picture().size(), QSize(3, 2));

    ASSERT_TRUE(QFile::remove(folder_.filePath("MapInfo.txt")));
    try {
        document_.load(Path("Wide.map"));
        FAIL() << "loaded without MapInfo.txt";
    } catch (const std::runtime_error& failure) {
        EXPECT_EQ(QString::fromUtf8(failure.what()),
                  "Cannot open file \"" + QDir::toNativeSeparators(folder_.filePath("MapInfo.txt")) + "\". No such file or directory");
    }
    EXPECT_EQ(document_.picture().size(), QSize(3, 2));
    EXPECT_EQ(document_.walkability().Columns(), 3);
    EXPECT_EQ(document_.linkLines(), QStringList{"[HARBOR2 Old harbour]"});

    // The file is read afresh at every load.
    Write("MapInfo.txt", "Wide back again\n");
    document_.load(Path("Wide.map"));
    EXPECT_EQ(document_.linkLines(), QStringList{"Wide back again"});
}

} // namespace
