// Saving pictures: what is written, what is refused, and the system's words
// for what cannot be done.

#include "BitmapFile.h"
#include "FileNames.h"
#include "QtConversions.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include <fstream>
#include <functional>
#include <stdexcept>

#ifndef _WIN32
#include "AsOrdinaryUser.h"

#include <sys/stat.h>
#endif

namespace fs = std::filesystem;

namespace {

QImage Picture(int width, int height)
{
    IndexedImage image(width, height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixel(x, y, std::uint8_t((x + y) % 16));
    return ToQImage(std::move(image));
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

TEST(BitmapFileTest, NoPictureWritesNothing)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("plan.bmp");
    QFile earlier(path);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier picture");
    earlier.close();
    EXPECT_EQ(FailureOf([&] { SaveBitmapFile(QImage(), path); }), "There is no map to save");
    EXPECT_EQ(FailureOf([&] { SaveBitmapFile(QImage(0, 0, QImage::Format_Indexed8), path); }), "There is no map to save");
    EXPECT_EQ(FailureOf([&] { SaveBitmapFile(QImage(), fs::path(path.toStdString())); }), "There is no map to save");
    EXPECT_EQ(Contents(path), "earlier picture");
    EXPECT_FALSE(QFile::exists(folder.filePath("other.bmp")));
    EXPECT_EQ(FailureOf([&] { SaveBitmapFile(QImage(), folder.filePath("other.bmp")); }), "There is no map to save");
    EXPECT_FALSE(QFile::exists(folder.filePath("other.bmp")));
}

TEST(BitmapFileTest, BothWaysOfNamingWriteTheSameBytes)
{
    QTemporaryDir folder;
    const QImage picture = Picture(7, 5);
    SaveBitmapFile(picture, folder.filePath("by-qt.bmp"));
    SaveBitmapFile(picture, fs::path(folder.filePath("by-bytes.bmp").toStdString()));
    EXPECT_GT(Contents(folder.filePath("by-qt.bmp")).size(), 118);
    EXPECT_EQ(Contents(folder.filePath("by-qt.bmp")), Contents(folder.filePath("by-bytes.bmp")));
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // no temporary file left
}

TEST(BitmapFileTest, ATargetThatIsAFolderGivesTheSystemsText)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir("plan.bmp"));
    const QString path = folder.filePath("plan.bmp");
#ifdef _WIN32
    const std::string reason = "Access is denied";
#else
    const std::string reason = "Is a directory";
#endif
    EXPECT_EQ(FailureOf([&] { SaveBitmapFile(Picture(2, 2), path); }),
              "Cannot create file \"" + QDir::toNativeSeparators(path).toStdString() + "\". " + reason);
    EXPECT_EQ(FailureOf([&] { SaveBitmapFile(Picture(2, 2), folder.filePath("missing/plan.bmp")); }),
              "Cannot create file \"" + QDir::toNativeSeparators(folder.filePath("missing/plan.bmp")).toStdString() +
                  "\". No such file or directory");
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

TEST(BitmapFilePermissionTest, AWritableFileInAFolderThatIsNotIsWrittenInPlace)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("plan.bmp");
    QFile earlier(path);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier picture");
    earlier.close();
    ::chmod(QFile::encodeName(path).constData(), 0666);
    ::chmod(QFile::encodeName(folder.path()).constData(), 0555);
    const std::optional<std::string> failure = AsOrdinaryUser([&] { return FailureOf([&] { SaveBitmapFile(Picture(5, 4), path); }); });
    ::chmod(QFile::encodeName(folder.path()).constData(), 0700);
    if (!failure)
        GTEST_SKIP() << "no ordinary user to run as";
    EXPECT_EQ(*failure, "");
    EXPECT_EQ(QImage(path).size(), QSize(5, 4));
}

TEST(BitmapFilePermissionTest, AFileThatIsNotWritableGivesTheSystemsText)
{
    QTemporaryDir folder;
    ::chmod(QFile::encodeName(folder.path()).constData(), 0777);
    const QString path = folder.filePath("plan.bmp");
    QFile earlier(path);
    ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
    earlier.write("earlier picture");
    earlier.close();
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

} // namespace
