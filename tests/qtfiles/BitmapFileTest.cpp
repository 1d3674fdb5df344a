// Saving pictures: what is written, what is refused, and the system's words
// for what cannot be done.

#include "qtfiles/BitmapFile.h"
#include "qtfiles/FileNames.h"
#include "qtfiles/QtConversions.h"
#include "tests/support/MapBytes.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <fstream>
#include <functional>
#include <stdexcept>

#ifndef _WIN32
#include "tests/support/AsOrdinaryUser.h"

#include <csignal>
#include <fcntl.h>
#include <thread>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

IndexedImage Picture(int width, int height)
{
    IndexedImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixel(x, y, std::uint8_t((x + y) % 16));
    return image;
}

std::string FailureOf(const std::function<void()>& save)
{
    try {
        save();
    } catch (const std::exception& failure) {
        return failure.what();
    }
    return "";
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(cannot be read)");
}

void WriteEarlierPicture(const QString& path)
{
    QFile earlier(path);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier picture");
}

TEST(BitmapFileTest, NoPictureWritesNothing)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("plan.bmp");
    WriteEarlierPicture(path);
    EXPECT_EQ(FailureOf([&] { SaveBitmapFile(IndexedImage(), path); }), "There is no map to save");
    EXPECT_EQ(FailureOf([&] { SaveBitmapFile(IndexedImage(0, 5), path); }), "There is no map to save");
    EXPECT_EQ(FailureOf([&] { SaveBitmapFile(IndexedImage(), fs::path(path.toStdString())); }), "There is no map to save");
    EXPECT_EQ(Contents(path), "earlier picture");
    EXPECT_FALSE(QFile::exists(folder.filePath("other.bmp")));
    EXPECT_EQ(FailureOf([&] { SaveBitmapFile(IndexedImage(), folder.filePath("other.bmp")); }), "There is no map to save");
    EXPECT_FALSE(QFile::exists(folder.filePath("other.bmp")));
}

TEST(BitmapFileTest, BothWaysOfNamingWriteTheSameBytes)
{
    QTemporaryDir folder;
    const IndexedImage picture = Picture(7, 5);
    SaveBitmapFile(picture, folder.filePath("by-qt.bmp"));
    SaveBitmapFile(picture, fs::path(folder.filePath("by-bytes.bmp").toStdString()));
    EXPECT_GT(Contents(folder.filePath("by-qt.bmp")).size(), 118);
    EXPECT_EQ(Contents(folder.filePath("by-qt.bmp")), Contents(folder.filePath("by-bytes.bmp")));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // no temporary file left
}

// "Cannot create file "<path>". <reason>", the reason in the system's own
// words: on Windows those of its language, so only its presence is checked.
void ExpectCannotCreate(const std::string& failure, const QString& path, const std::string& linuxReason)
{
    const std::string prefix = "Cannot create file \"" + QDir::toNativeSeparators(path).toStdString() + "\". ";
#ifdef _WIN32
    static_cast<void>(linuxReason);
    EXPECT_EQ(failure.substr(0, prefix.size()), prefix);
    EXPECT_GT(failure.size(), prefix.size());
#else
    EXPECT_EQ(failure, prefix + linuxReason);
#endif
}

TEST(BitmapFileTest, ATargetThatIsAFolderGivesTheSystemsText)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir("plan.bmp"));
    const QString path = folder.filePath("plan.bmp");
    ExpectCannotCreate(FailureOf([&] { SaveBitmapFile(Picture(2, 2), path); }), path, "Is a directory");
    const QString missing = folder.filePath("missing/plan.bmp");
    ExpectCannotCreate(FailureOf([&] { SaveBitmapFile(Picture(2, 2), missing); }), missing, "No such file or directory");
}

#ifndef _WIN32
TEST(BitmapFileTest, NamesThatAreNotUtf8AreWrittenByteForByte)
{
    QTemporaryDir folder;
    const fs::path gbkFolder = fs::path(folder.path().toStdString()) / "\xB5\xD8\xCD\xBC"; // 地图 in GBK
    fs::create_directory(gbkFolder);
    const fs::path name = gbkFolder / "\xB8\xDB\xBF\xDA.bmp"; // 港口.bmp
    SaveBitmapFile(Picture(3, 2), name);
    std::ifstream written(name, std::ios::binary);
    ASSERT_TRUE(written.good());
    EXPECT_EQ(written.get(), 'B');
    EXPECT_EQ(std::distance(fs::directory_iterator(gbkFolder), fs::directory_iterator()), 1);
    EXPECT_EQ(BmpPathFor(fs::path("maps/\xB8\xDB\xBF\xDA.MAP")), fs::path("maps/\xB8\xDB\xBF\xDA.bmp"));
    EXPECT_EQ(BmpPathFor(fs::path("maps.v2/plan")), fs::path("maps.v2/plan.bmp"));
}

TEST(BitmapFileTest, ANameAsLongAsTheSystemAllowsIsWritten)
{
    QTemporaryDir folder;
    const std::string longest = std::string(255 - 4, 'd') + ".bmp";
    const fs::path name = fs::path(folder.path().toStdString()) / longest;
    SaveBitmapFile(Picture(3, 2), name);
    EXPECT_TRUE(fs::is_regular_file(name));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary file left
}

TEST(BitmapFilePermissionTest, AWritableFileInAFolderThatIsNotIsWrittenInPlace)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("plan.bmp");
    WriteEarlierPicture(path);
    ::chmod(QFile::encodeName(path).constData(), 0666);
    ::chmod(QFile::encodeName(folder.path()).constData(), 0555);
    const std::optional<std::string> failure = AsOrdinaryUser([&] { return FailureOf([&] { SaveBitmapFile(Picture(5, 4), path); }); });
    ::chmod(QFile::encodeName(folder.path()).constData(), 0700);
    if (!failure)
        GTEST_SKIP() << "no ordinary user to run as";
    EXPECT_EQ(*failure, "");
    EXPECT_EQ(QImage(path).size(), QSize(5, 4));
}

// Written in place, a picture could be cut off by a full disk: its space is
// reserved first, and the earlier file stays whole when there is none.
TEST(BitmapFilePermissionTest, InPlaceTheSpaceIsReservedBeforeTheEarlierFileChanges)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("plan.bmp");
    WriteEarlierPicture(path);
    ::chmod(QFile::encodeName(path).constData(), 0666);
    ::chmod(QFile::encodeName(folder.path()).constData(), 0555);
    const std::optional<std::string> failure = AsOrdinaryUser([&] {
        // A file size limit refuses what a full disk refuses.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &small);
        return FailureOf([&] { SaveBitmapFile(Picture(100, 80), path); });
    });
    ::chmod(QFile::encodeName(folder.path()).constData(), 0700);
    if (!failure)
        GTEST_SKIP() << "no ordinary user to run as";
    EXPECT_EQ(*failure, "Cannot create file \"" + path.toStdString() + "\". File too large");
    EXPECT_EQ(Contents(path), "earlier picture");
}

TEST(BitmapFilePermissionTest, AFileThatIsNotWritableGivesTheSystemsText)
{
    QTemporaryDir folder;
    ::chmod(QFile::encodeName(folder.path()).constData(), 0777);
    const QString path = folder.filePath("plan.bmp");
    WriteEarlierPicture(path);
    ::chmod(QFile::encodeName(path).constData(), 0444);
    const std::optional<std::string> failure = AsOrdinaryUser([&] { return FailureOf([&] { SaveBitmapFile(Picture(5, 4), path); }); });
    if (!failure)
        GTEST_SKIP() << "no ordinary user to run as";
    EXPECT_EQ(*failure, "Cannot create file \"" + path.toStdString() + "\". Permission denied");
    EXPECT_EQ(Contents(path), "earlier picture");

    const std::optional<std::string> inLockedFolder = AsOrdinaryUser([&] {
        ::mkdir((folder.path().toStdString() + "/locked").c_str(), 0555);
        return FailureOf([&] { SaveBitmapFile(Picture(5, 4), folder.filePath("locked/new.bmp")); });
    });
    EXPECT_EQ(inLockedFolder, "Cannot create file \"" + folder.filePath("locked/new.bmp").toStdString() + "\". Permission denied");
}
#endif

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray bytes;
    for (int value : values)
        bytes.append(char(value));
    return bytes;
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
        SaveBitmapFile(Pattern(width, 3), path);
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

#ifndef _WIN32 // ImageMagick is a tool of the Linux build
TEST(BitmapFileTest, ImageMagickReadsBackTheSamePixels)
{
    QTemporaryDir folder;
    const IndexedImage image = Pattern(7, 5);
    const QString path = folder.filePath("plan.bmp");
    SaveBitmapFile(image, path);

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
#endif

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
        SaveBitmapFile(Pattern(100, 80), path);
    } catch (const std::runtime_error& error) {
        failure = error.what();
    }
    setrlimit(RLIMIT_FSIZE, &previous);

    EXPECT_EQ(failure, "Stream write error");
    EXPECT_EQ(Contents(path), "earlier picture");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"plan.bmp"});
}

// Opening a pipe for writing waits for a reader: a pipe at the chosen name
// is refused at once and left as it was.
TEST(BitmapFileTest, APipeAtTheNameIsRefusedWithoutWaiting)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("plan.bmp");
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0666), 0);
    std::string failure = "(still waiting)";
    std::thread saving([&] { failure = FailureOf([&] { SaveBitmapFile(Picture(5, 4), path); }); });
    for (int waited = 0; waited < 100 && failure == "(still waiting)"; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const int reader = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK); // lets a waiting save go on
    saving.join();
    ::close(reader);
    EXPECT_EQ(failure, "Cannot create file \"" + path.toStdString() + "\". It is a pipe, not a file");
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
}

// As an export stopped with Ctrl+C or killed: the writer ends in the middle of
// the picture, by the signal of the file size limit.
TEST(BitmapFileTest, AWriterStoppedHalfWayLeavesNoFileBehind)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("plan.bmp");
    WriteBytes(QFile::encodeName(path).toStdString(), "earlier picture");
    const pid_t writer = ::fork();
    if (writer == 0) {
        std::signal(SIGXFSZ, SIG_DFL);
        const rlimit noCore{0, 0};
        const rlimit halfThePicture{1 << 20, 1 << 20};
        setrlimit(RLIMIT_CORE, &noCore);
        setrlimit(RLIMIT_FSIZE, &halfThePicture);
        SaveBitmapFile(Pattern(4096, 1024), fs::path(QFile::encodeName(path).toStdString()));
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(writer, &status, 0), writer);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
    EXPECT_EQ(Contents(path), "earlier picture");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList{"plan.bmp"});
}
#endif

} // namespace
