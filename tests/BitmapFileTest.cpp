#include "BitmapFile.h"
#include "MapBytes.h"
#include "QtConversions.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int value : values)
        bytes.append(char(value));
    return bytes;
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

struct NameCase {
    const char* name;
    const char* typed;
    const char* saved;
};

class BmpNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(BmpNameTest, ExtensionIsReplacedOrAppended)
{
    EXPECT_EQ(WithBmpExtension(GetParam().typed).toStdString(), GetParam().saved);
}

INSTANTIATE_TEST_SUITE_P(Names, BmpNameTest,
                         ::testing::Values(NameCase{"no_extension", "plan", "plan.bmp"},
                                           NameCase{"other_extension", "plan.png", "plan.bmp"},
                                           NameCase{"bmp_already", "plan.bmp", "plan.bmp"},
                                           NameCase{"last_dot_counts", "a.b.c", "a.b.bmp"},
                                           NameCase{"dotted_folder", "/maps.old/plan", "/maps.old/plan.bmp"},
                                           NameCase{"dotted_relative_folder", "maps.old/plan", "maps.old/plan.bmp"},
                                           NameCase{"dot_file", "/x/.hidden", "/x/.bmp"},
                                           NameCase{"empty", "", ".bmp"}),
                         [](const ::testing::TestParamInfo<NameCase>& row) { return std::string(row.param.name); });

IndexedImage Pattern(int width, int height)
{
    IndexedImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixel(x, y, std::uint8_t((x + 5 * y) % 16));
    return image;
}

// Pins the bytes of the 4-bit BMP files, so a change of Qt cannot alter them unseen.
TEST(BitmapFileTest, FourBitFilesHaveTheseBytes)
{
    QTemporaryDir folder;
    for (int width = 1; width <= 9; ++width) {
        SCOPED_TRACE("width " + std::to_string(width));
        const QString path = folder.filePath(QString("w%1.bmp").arg(width));
        SaveBitmapFile(ToQImage(Pattern(width, 3)), path);
        const QByteArray bytes = Contents(path);
        auto u16 = [&](int at) { return quint8(bytes[at]) | quint8(bytes[at + 1]) << 8; };
        auto u32 = [&](int at) { return quint32(u16(at)) | quint32(u16(at + 2)) << 16; };

        const int rowBytes = ((width + 1) / 2 + 3) / 4 * 4;
        ASSERT_EQ(bytes.size(), 14 + 40 + 64 + 3 * rowBytes);
        EXPECT_EQ(bytes.left(2), "BM");
        EXPECT_EQ(u32(2), quint32(bytes.size()));
        EXPECT_EQ(u32(6), 0u);
        EXPECT_EQ(u32(10), 118u);
        EXPECT_EQ(u32(14), 40u);
        EXPECT_EQ(u32(18), quint32(width));
        EXPECT_EQ(u32(22), 3u); // positive: rows bottom-up
        EXPECT_EQ(u16(26), 1);
        EXPECT_EQ(u16(28), 4);
        EXPECT_EQ(u32(30), 0u);
        EXPECT_EQ(u32(34), quint32(3 * rowBytes));
        EXPECT_EQ(u32(38), 3780u); // 96 dots per inch
        EXPECT_EQ(u32(42), 3780u);
        EXPECT_EQ(u32(46), 16u);
        EXPECT_EQ(u32(50), 16u);
        for (int entry = 0; entry < 16; ++entry) {
            const Rgb colour = kColorTable[std::size_t(entry)];
            EXPECT_EQ(bytes.mid(54 + 4 * entry, 4), Bytes({colour.blue, colour.green, colour.red, 0}));
        }
        for (int row = 0; row < 3; ++row) {
            const int y = 2 - row;
            QByteArray expected(rowBytes, '\0');
            for (int x = 0; x < width; ++x)
                expected[x / 2] = char(expected[x / 2] | (((x + 5 * y) % 16) << (x % 2 ? 0 : 4)));
            EXPECT_EQ(bytes.mid(118 + row * rowBytes, rowBytes).toHex(), expected.toHex()) << "row " << row;
        }
    }
}

TEST(BitmapFileTest, ImageMagickReadsBackTheSamePixels)
{
    QTemporaryDir folder;
    const IndexedImage image = Pattern(7, 5);
    const QString path = folder.filePath("plan.bmp");
    SaveBitmapFile(ToQImage(image), path);

    QProcess convert;
    convert.start("convert", {path, "-depth", "8", "rgb:-"});
    ASSERT_TRUE(convert.waitForFinished(20000)) << "ImageMagick's convert is needed";
    const QByteArray rgb = convert.readAllStandardOutput();
    ASSERT_EQ(rgb.size(), 7 * 5 * 3) << convert.readAllStandardError().toStdString();
    for (int y = 0; y < 5; ++y) {
        for (int x = 0; x < 7; ++x) {
            const Rgb colour = kColorTable[image.Pixel(x, y)];
            EXPECT_EQ(rgb.mid((y * 7 + x) * 3, 3), Bytes({colour.red, colour.green, colour.blue})) << x << "," << y;
        }
    }
}

TEST(BitmapFileTest, AFileThatCannotBeCreatedIsReported)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("no-such-folder/plan.bmp");
    try {
        SaveBitmapFile(ToQImage(Pattern(2, 2)), path);
        FAIL() << "saved into a missing folder";
    } catch (const std::runtime_error& failure) {
        EXPECT_EQ(QString::fromUtf8(failure.what()),
                  "Cannot create file \"" + QDir::toNativeSeparators(path) + "\". No such file or directory");
    }
}

#ifndef _WIN32
TEST(BitmapFileTest, AFailedWriteKeepsTheEarlierFileAndLeavesNoPartialOne)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("plan.bmp");
    WriteBytes(QFile::encodeName(path).toStdString(), "earlier picture");
    // A file size limit makes every write past 4 KiB fail, as a full disk does.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit previous{};
    getrlimit(RLIMIT_FSIZE, &previous);
    const rlimit small{4096, previous.rlim_max};
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string failure;
    try {
        SaveBitmapFile(ToQImage(Pattern(100, 80)), path);
    } catch (const std::runtime_error& error) {
        failure = error.what();
    }
    setrlimit(RLIMIT_FSIZE, &previous);

    EXPECT_EQ(failure, "Stream write error");
    EXPECT_EQ(Contents(path), "earlier picture");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"plan.bmp"});
}
#endif

} // namespace
