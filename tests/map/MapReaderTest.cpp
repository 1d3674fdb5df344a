#include "map/MapReader.h"
#include "tests/support/MapBytes.h"

#include <gtest/gtest.h>

#include <random>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

class MapReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("tarvex-reader-" + std::to_string(std::random_device{}()) +
                                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    MapLoad Load(const std::string& bytes)
    {
        const fs::path path = folder_ / "test.map";
        WriteBytes(path, bytes);
        std::optional<MapLoad> load = ReadMapFile(path);
        EXPECT_TRUE(load.has_value());
        return load ? std::move(*load) : MapLoad{};
    }

    fs::path folder_;
};

std::string MapBytes(int width, int height, const std::vector<std::string>& cells)
{
    std::string bytes = MapHeaderBytes(width, height);
    for (const std::string& cell : cells)
        bytes += cell;
    return bytes;
}

void ExpectSameAsPositionedReads(const MapLoad& load, const std::string& file)
{
    const PositionedReadMap expected = ReadByPositionedReads(file);
    ASSERT_EQ(load.header.bytes, expected.header.bytes);
    ASSERT_EQ(load.matrix, expected.walk);
    ASSERT_EQ(load.lastCell.bytes, expected.lastCell.bytes);
    const int width = expected.header.Width(), height = expected.header.Height();
    if (width == 0 || height == 0) {
        ASSERT_TRUE(load.image.IsEmpty());
        return;
    }
    ASSERT_EQ(load.image.Width(), width);
    ASSERT_EQ(load.image.Height(), height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(load.image.Pixel(x, y), expected.entry[std::size_t(y)][std::size_t(x)]) << x << "," << y;
        for (int padding = width; padding < int(load.image.BytesPerLine()) * 2; ++padding)
            ASSERT_EQ(load.image.Pixel(padding, y), 0) << "padding " << padding << " of row " << y;
    }
}

TEST_F(MapReaderTest, HeaderSizesAreUnsignedLittleEndian)
{
    MapLoad load = Load(std::string("\x34\x12\x06\x00", 4) + std::string(48, '\0'));
    EXPECT_EQ(load.header.Width(), 4660);
    EXPECT_EQ(load.header.Height(), 6);
    EXPECT_EQ(load.matrix.Columns(), 4660);
    EXPECT_EQ(load.image.Width(), 4660);

    TMapHeader header;
    header.bytes[0] = header.bytes[1] = header.bytes[2] = header.bytes[3] = 0xFF;
    EXPECT_EQ(header.Width(), 65535);
    EXPECT_EQ(header.Height(), 65535);
}

TEST_F(MapReaderTest, CellsRunColumnByColumnFromOffset52)
{
    // Six cells of a 3 x 2 map, told apart by their blocking and flag bytes.
    const MapLoad load = Load(MapBytes(3, 2, {CellBytes(0), CellBytes(200), CellBytes(0, 0x80, 0x80),
                                              CellBytes(150), CellBytes(101, 0x80, 0x80), CellBytes(7)}));
    EXPECT_EQ(load.matrix, (TMatrix{{kWalkOpen, kWalkBlocked}, {kWalkFlagged, kWalkBlocked}, {kWalkFlagged, kWalkOpen}}));
    EXPECT_EQ(load.image.Pixel(0, 0), kEntryOpen);
    EXPECT_EQ(load.image.Pixel(0, 1), kEntryBlocked);
    EXPECT_EQ(load.image.Pixel(1, 0), kEntryFlagged);
    EXPECT_EQ(load.image.Pixel(1, 1), kEntryBlocked);
    EXPECT_EQ(load.image.Pixel(2, 0), kEntryFlagged);
    EXPECT_EQ(load.image.Pixel(2, 1), kEntryOpen);
    EXPECT_EQ(load.endOfCells, 52 + 6 * 12);

    // 2 x 3: the fifth record, at offset 100, is pixel (1, 1).
    std::vector<std::string> cells(6, CellBytes(0));
    cells[4] = CellBytes(255);
    const MapLoad tall = Load(MapBytes(2, 3, cells));
    EXPECT_EQ(tall.image.Width(), 2);
    EXPECT_EQ(tall.image.Height(), 3);
    EXPECT_EQ(tall.image.Pixel(1, 1), kEntryBlocked);
    EXPECT_EQ(CellOffset(1, 1, 3), 100);
}

TEST_F(MapReaderTest, BlockingThresholdAndBothFlagBits)
{
    struct Case {
        int blocking, flag6, flag7;
        std::uint8_t walk, entry;
    };
    const Case cases[] = {
        {100, 0, 0, kWalkOpen, kEntryOpen},          {101, 0, 0, kWalkBlocked, kEntryBlocked},
        {255, 0, 0, kWalkBlocked, kEntryBlocked},    {0, 0x80, 0x80, kWalkFlagged, kEntryFlagged},
        {0, 0xFF, 0x7F, kWalkOpen, kEntryOpen},      {0, 0x80, 0xFF, kWalkFlagged, kEntryFlagged},
        {0, 0x7F, 0xFF, kWalkOpen, kEntryOpen},      {200, 0x80, 0x80, kWalkFlagged, kEntryFlagged},
        {200, 0x80, 0x00, kWalkBlocked, kEntryBlocked},
    };
    // A column of 17 cells per case: 16 of them read together, one alone.
    constexpr int kRows = 17;
    std::vector<std::string> cells;
    for (const Case& c : cases)
        cells.insert(cells.end(), kRows, CellBytes(c.blocking, c.flag6, c.flag7));
    const MapLoad load = Load(MapBytes(int(std::size(cases)), kRows, cells));
    for (int x = 0; x < int(std::size(cases)); ++x) {
        for (int y = 0; y < kRows; ++y) {
            EXPECT_EQ(load.matrix[x][y], cases[x].walk) << "case " << x << " row " << y;
            EXPECT_EQ(load.image.Pixel(x, y), cases[x].entry) << "case " << x << " row " << y;
        }
    }
}

TEST_F(MapReaderTest, ShortFilesOfEveryLengthMatchPositionedReads)
{
    std::mt19937 random(7);
    std::string full = MapHeaderBytes(5, 7);
    for (int i = 0; i < 5 * 7 * 12; ++i)
        full += char(random());
    for (std::size_t length = 0; length <= full.size(); ++length) {
        SCOPED_TRACE("length " + std::to_string(length));
        const std::string file = full.substr(0, length);
        ExpectSameAsPositionedReads(Load(file), file);
    }
}

TEST_F(MapReaderTest, BlocksBoundariesAndTrailingBytesChangeNothing)
{
    // More records than one block read holds, cut inside a record past it.
    std::mt19937 random(11);
    std::string file = MapHeaderBytes(300, 250);
    for (int i = 0; i < 300 * 250 * 12; ++i)
        file += char(random());
    const std::string cut = file.substr(0, file.size() - 12 * 9000 - 5);
    ExpectSameAsPositionedReads(Load(cut), cut);

    const MapLoad plain = Load(file);
    const MapLoad trailing = Load(file + std::string(1000, '\xFF'));
    EXPECT_EQ(plain.matrix, trailing.matrix);
    EXPECT_EQ(plain.image.Bytes(), trailing.image.Bytes());
}

TEST_F(MapReaderTest, LargeMapsCutAnywhereMatchPositionedReads)
{
    // Large enough to be read by two threads, which meet at column 256.
    std::mt19937 random(13);
    std::string file = MapHeaderBytes(601, 500); // rows padded by 3 bytes
    for (int i = 0; i < 601 * 500 * 12; ++i)
        file += char(random());
    const std::int64_t cellsBytes = 601 * 500 * 12;
    for (const std::int64_t kept : {cellsBytes, cellsBytes - 1, cellsBytes - 12 * 500, std::int64_t(12 * 500 * 256),
                                    std::int64_t(12 * 500 * 256 + 7), std::int64_t(12 * 500 * 100 + 12 * 3 + 5),
                                    std::int64_t(11)}) {
        SCOPED_TRACE("cell bytes kept: " + std::to_string(kept));
        const std::string cut = file.substr(0, std::size_t(52 + kept));
        ExpectSameAsPositionedReads(Load(cut), cut);
    }
}

TEST_F(MapReaderTest, ColumnsTallerThanABlockMatchPositionedReads)
{
    // One column a block: every other column starts in the middle of a picture byte.
    std::mt19937 random(19);
    std::string file = MapHeaderBytes(5, 22000);
    for (int i = 0; i < 5 * 22000 * 12; ++i)
        file += char(random());
    for (const std::size_t cut : {std::size_t(0), std::size_t(12 * 22000 + 12 * 100 + 4)}) {
        const std::string kept = file.substr(0, file.size() - cut);
        ExpectSameAsPositionedReads(Load(kept), kept);
    }
}

TEST_F(MapReaderTest, NothingCarriesOverFromThePreviousMap)
{
    std::vector<std::string> blocked(4, CellBytes(255, 0x80, 0x80));
    Load(MapBytes(2, 2, blocked));

    const MapLoad oneByte = Load(std::string(1, '\x05'));
    EXPECT_EQ(oneByte.header.Width(), 5);
    EXPECT_EQ(oneByte.header.Height(), 0);
    EXPECT_TRUE(oneByte.image.IsEmpty());

    const MapLoad headerOnly = Load(MapHeaderBytes(3, 2));
    EXPECT_EQ(headerOnly.matrix, (TMatrix{{0, 0}, {0, 0}, {0, 0}}));
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            EXPECT_EQ(headerOnly.image.Pixel(x, y), kEntryOpen);

    const MapLoad empty = Load("");
    EXPECT_EQ(empty.header.Width(), 0);
    EXPECT_EQ(empty.header.Height(), 0);
    EXPECT_EQ(empty.matrix.Columns(), 0);
}

TEST_F(MapReaderTest, ZeroWidthOrHeightGivesAnEmptyImage)
{
    const MapLoad noRows = Load(MapHeaderBytes(4, 0));
    EXPECT_EQ(noRows.matrix.Columns(), 4);
    EXPECT_EQ(noRows.matrix.Rows(), 0);
    EXPECT_TRUE(noRows.image.IsEmpty());
    EXPECT_EQ(noRows.image.Width(), 0);
    EXPECT_TRUE(Load(MapHeaderBytes(0, 9)).image.IsEmpty());
}

TEST_F(MapReaderTest, FileNamesOutsideAsciiOpen)
{
    const fs::path path = folder_ / fs::u8path(u8"\u6E2F\u53E3.map"); // 港口.map
    WriteBytes(path, MapHeaderBytes(2, 1) + CellBytes(255) + CellBytes(0));
    const std::optional<MapLoad> load = ReadMapFile(path);
    ASSERT_TRUE(load);
    EXPECT_EQ(load->image.Pixel(0, 0), kEntryBlocked);
}

TEST_F(MapReaderTest, NoRegularFileGivesNothing)
{
    EXPECT_FALSE(ReadMapFile(folder_ / "missing.map"));
    fs::create_directory(folder_ / "folder.map");
    EXPECT_FALSE(ReadMapFile(folder_ / "folder.map"));
#ifndef _WIN32
    EXPECT_FALSE(ReadMapFile("/dev/zero")); // never read a device forever
#endif
}

TEST_F(MapReaderTest, MapsBeyondCapacityAreRefusedBeforeAllocating)
{
    for (const auto& [width, height] : {std::pair{65535, 65535}, std::pair{65535, 4097}}) {
        try {
            Load(MapHeaderBytes(width, height));
            ADD_FAILURE() << width << " x " << height << " was not refused";
        } catch (const std::runtime_error& failure) {
            EXPECT_STREQ(failure.what(), "Out of system resources");
        }
    }
}

TEST_F(MapReaderTest, A16384By16384MapLoadsFromAShortFile)
{
    const MapLoad load = Load(MapHeaderBytes(16384, 16384) + CellBytes(0) + CellBytes(255, 0x80, 0x80));
    ASSERT_EQ(load.image.Width(), 16384);
    EXPECT_EQ(load.image.Pixel(0, 0), kEntryOpen);
    EXPECT_EQ(load.image.Pixel(0, 1), kEntryFlagged);
    EXPECT_EQ(load.image.Pixel(16383, 16383), kEntryFlagged);
    EXPECT_EQ(load.matrix[9000][77], kWalkFlagged);
    EXPECT_EQ(load.endOfCells, 52 + std::int64_t(12) * 16384 * 16384);
}

// Widths whose halves meet at the first multiple of 128 columns, at the
// nearest one above the middle, and where no split is left, and columns so
// tall that the threads read one at a time; each whole and cut short in its
// first half.
TEST_F(MapReaderTest, OneThreadAndTwoGiveTheSameMap)
{
    std::mt19937 random(17);
    for (const auto& [width, height] : {std::pair{300, 40}, {1000, 40}, {128, 40}, {130, 6000}}) {
        std::string file = MapHeaderBytes(width, height);
        for (int i = 0; i < width * height * 12; ++i)
            file += char(random());
        const fs::path path = folder_ / "wide.map";
        for (const std::size_t cut : {std::size_t(0), std::size_t(12 * height * (width - width / 3) + 5)}) {
            SCOPED_TRACE(testing::Message() << width << " x " << height << ", " << cut << " bytes cut");
            WriteBytes(path, file.substr(0, file.size() - cut));
            int threadsAskedFor = 0;
            const std::optional<MapLoad> two = ReadMapFile(path, [&threadsAskedFor](std::int64_t cells) {
                threadsAskedFor = int(cells);
                return 2;
            });
            ASSERT_TRUE(two);
            EXPECT_EQ(threadsAskedFor, width * height);
            ExpectSameAsPositionedReads(*two, file.substr(0, file.size() - cut));
            const MapLoad one = ReadMapBytes(file.substr(0, file.size() - cut), [](std::int64_t) { return 1; });
            EXPECT_EQ(one.matrix, two->matrix);
            EXPECT_EQ(one.image.Bytes(), two->image.Bytes());
            // A picture-only load paints the same picture and keeps no values.
            const std::optional<MapLoad> pictureOnly = ReadMapFile(path, [](std::int64_t) { return 2; }, MapParts::ImageOnly);
            ASSERT_TRUE(pictureOnly);
            EXPECT_EQ(pictureOnly->matrix.Columns(), 0);
            EXPECT_EQ(pictureOnly->image.Bytes(), two->image.Bytes());
            EXPECT_EQ(pictureOnly->lastCell.bytes, two->lastCell.bytes);
        }
    }
}

TEST(ReadingThreadsTest, ASecondThreadOnlyForLargeMapsAndAFreeProcessor)
{
    const std::int64_t large = 2000 * 2000, small = 1000 * 1000;
    EXPECT_EQ(ReadingThreadsFor(large, {2, 1}), 2);
    EXPECT_EQ(ReadingThreadsFor(large, {2, 2}), 1); // the other core is busy
    EXPECT_EQ(ReadingThreadsFor(large, {1, 1}), 1); // one core only
    EXPECT_EQ(ReadingThreadsFor(large, {8, 3}), 2);
    EXPECT_EQ(ReadingThreadsFor(large, {4, 9}), 1);
    EXPECT_EQ(ReadingThreadsFor(small, {2, 1}), 1);
    EXPECT_EQ(ReadingThreadsNow(small), 1);
    const int now = ReadingThreadsNow(large);
    EXPECT_TRUE(now == 1 || now == 2);
}

TEST(ReadingThreadsTest, RunnableThreadsFromTheLoadAverage)
{
    EXPECT_EQ(RunnableThreadsOfLoadAverage("0.58 0.34 0.13 5/140 7242\n"), 5);
    EXPECT_EQ(RunnableThreadsOfLoadAverage("12.00 9.50 3.10 17/2048 99"), 17);
    EXPECT_EQ(RunnableThreadsOfLoadAverage("0.58 0.34 0.13 0/140 7242"), std::nullopt);
    EXPECT_EQ(RunnableThreadsOfLoadAverage("0.58 0.34 0.13 140 7242"), std::nullopt);
    EXPECT_EQ(RunnableThreadsOfLoadAverage("0.58 0.34"), std::nullopt);
    EXPECT_EQ(RunnableThreadsOfLoadAverage(""), std::nullopt);
    const CpuLoad load = CurrentCpuLoad();
    EXPECT_GE(load.usableProcessors, 1);
    EXPECT_GE(load.runnableThreads, 1);
}

// The one rule for which files are maps, for the file list, the paths a
// user opens and the exporter alike.
TEST(MapFileNameTest, AMapNameEndsInDotMapInAnyCaseAfterSomethingElse)
{
    for (const char* name : {"a.map", "Harbor2.MAP", "x.Map", "folder/b.mAp", "two.dots.map"})
        EXPECT_TRUE(HasMapExtension(name)) << name;
    for (const char* name : {".map", "map", "a.mapx", "a.ma", "a.map.bak", "amap", ""})
        EXPECT_FALSE(HasMapExtension(name)) << name;
}

} // namespace
