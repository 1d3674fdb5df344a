#include "app/mapview/MapDocument.h"
#include "qtfiles/BitmapFile.h"
#include "qtfiles/QtConversions.h"
#include "tests/support/MainWindowFixture.h"

#include <QProcess>
#include <QStandardPaths>

#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

struct ExporterRun {
    int exitCode;
    QString errors;
};

ExporterRun RunExporter(const QStringList& arguments)
{
    QProcess exporter;
    exporter.start(MAP2BMP, arguments);
    exporter.waitForFinished(60000);
    return {exporter.exitCode(), QString::fromLocal8Bit(exporter.readAllStandardError())};
}

TEST(ExporterTest, WritesWhatTheViewersSaveWritesForEverySampleMap)
{
    QTemporaryDir exported;
    ASSERT_EQ(RunExporter({"-o", exported.path(), SAMPLES_DIR}).exitCode, 0);
    const QStringList maps = QDir(SAMPLES_DIR).entryList({"*.map"}, QDir::Files);
    ASSERT_GE(maps.size(), 6);
    MapDocument document(ToFilesystemPath(exported.filePath("MapInfo.txt")));
    WriteBytes(QFile::encodeName(exported.filePath("MapInfo.txt")).toStdString(), "");
    for (const QString& map : maps) {
        SCOPED_TRACE(map.toStdString());
        const IndexedImage picture = document.load(ToFilesystemPath(QDir(SAMPLES_DIR).filePath(map))).picture;
        const QString saved = exported.filePath("saved-by-the-viewer.bmp");
        SaveBitmapFile(picture, saved);
        const QByteArray fromExporter = Contents(exported.filePath(QFileInfo(map).completeBaseName() + ".bmp"));
        EXPECT_GT(fromExporter.size(), 118);
        EXPECT_TRUE(fromExporter == Contents(saved));
    }
}

TEST(ExporterTest, ConvertsWhatItCanAndNamesWhatItCannot)
{
    QTemporaryDir folder;
    const QString good = folder.filePath("good.MAP");
    const QString huge = QString(TEST_DATA_DIR) + "/declares-65535x65535.map";
    WriteBytes(ToFilesystemPath(good), MapHeaderBytes(2, 2));
    const QString output = folder.filePath("pictures/new");

    const ExporterRun run = RunExporter({folder.filePath("missing.map"), huge, good, "-o", output});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(folder.filePath("missing.map") + ": no such map file")) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains(huge + ": Out of system resources")) << run.errors.toStdString();
    EXPECT_EQ(QImage(output + "/good.bmp").size(), QSize(2, 2));
    EXPECT_EQ(QDir(output).entryList(QDir::Files), QStringList{"good.bmp"});

    // A file where the output folder should be: the reason is given.
    const ExporterRun blocked = RunExporter({"-o", good + "/pictures", good});
    EXPECT_EQ(blocked.exitCode, 1);
    EXPECT_TRUE(blocked.errors.startsWith("tarvex-map2bmp: cannot make the folder " + good + "/pictures: "))
        << blocked.errors.toStdString();
    EXPECT_GT(blocked.errors.trimmed().size(), QString("tarvex-map2bmp: cannot make the folder " + good + "/pictures:").size());

    EXPECT_EQ(RunExporter({"--help"}).exitCode, 0);
    EXPECT_EQ(RunExporter({}).exitCode, 2);
    EXPECT_EQ(RunExporter({"--frobnicate", good}).exitCode, 2);
}

// A scratch folder of maps and other files for one exporter run.
class ExporterFolderTest : public ::testing::Test {
protected:
    fs::path Path(const std::string& name) const { return fs::path(folder_.path().toStdString()) / name; }
    QString QtPath(const std::string& name) const { return folder_.filePath(QString::fromStdString(name)); }
    void Map(const std::string& name, int width = 3, int height = 2)
    {
        fs::create_directories(Path(name).parent_path());
        std::string bytes = MapHeaderBytes(width, height);
        for (int i = 0; i < width * height; ++i)
            bytes += CellBytes(i % 2 ? 200 : 0);
        WriteBytes(Path(name), bytes);
    }
    void File(const std::string& name, const std::string& bytes) { WriteBytes(Path(name), bytes); }
    std::string Read(const std::string& name) const
    {
        std::ifstream file(Path(name), std::ios::binary);
        return file ? std::string(std::istreambuf_iterator<char>(file), {}) : "<missing>";
    }

    QTemporaryDir folder_;
};

TEST_F(ExporterFolderTest, OnlyMapFilesAreReadAndNoInputIsEverReplaced)
{
    Map("holiday.map");
    File("holiday.bmp", "a photo");
    File("notes.txt", "text");
    Map("Upper.MAP");
    const ExporterRun run = RunExporter({"-o", folder_.path(), QtPath("holiday.bmp"), QtPath("notes.txt"),
                                         QtPath("holiday.map"), QtPath("Upper.MAP")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QtPath("holiday.bmp") + ": not a .map file; not read")) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains(QtPath("notes.txt") + ": not a .map file")) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains(QtPath("holiday.map") + ": its picture would replace " + QtPath("holiday.bmp")))
        << run.errors.toStdString();
    EXPECT_EQ(Read("holiday.bmp"), "a photo");
    EXPECT_EQ(Read("notes.txt"), "text");
    EXPECT_EQ(QImage(QtPath("Upper.bmp")).size(), QSize(3, 2));
    EXPECT_FALSE(fs::exists(Path("notes.bmp")));
}

TEST_F(ExporterFolderTest, AFolderWithoutMapsIsNamedAndNothingToConvertMakesNoFolder)
{
    Map("maps/hidden/.old.map");
    File("notes.txt", "text");
    const ExporterRun run = RunExporter({"-o", QtPath("out"), QtPath("maps"), QtPath("notes.txt")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QtPath("maps") + ": no .map files in the folder")) << run.errors.toStdString();
    EXPECT_FALSE(fs::exists(Path("out")));
}

TEST_F(ExporterFolderTest, TwoMapsForOnePictureAreBothNamedAndNeitherWritten)
{
    Map("a/X.map", 3, 2);
    Map("b/X.map", 5, 5);
    Map("c/Y.map");
    Map("c/Y.MAP");
    Map("c/Z.map");
    const QString output = QtPath("out");
    const ExporterRun run = RunExporter({"-o", output, QtPath("a/X.map"), QtPath("b/X.map"), QtPath("c")});
    EXPECT_EQ(run.exitCode, 1);
    for (const char* map : {"a/X.map", "b/X.map", "c/Y.map", "c/Y.MAP"})
        EXPECT_TRUE(run.errors.contains(QtPath(map) + ": its picture")) << map << "\n" << run.errors.toStdString();
    EXPECT_EQ(QDir(output).entryList(QDir::Files), QStringList{"Z.bmp"});

    // The same map named twice is one map.
    const ExporterRun twice = RunExporter({"-o", output, QtPath("a/X.map"), QtPath("a/../a/X.map")});
    EXPECT_EQ(twice.exitCode, 0) << twice.errors.toStdString();
    EXPECT_EQ(QImage(output + "/X.bmp").size(), QSize(3, 2));
}

// Through a linked folder the same map is converted once; a link of another
// name beside it is converted under its own name, and the map it points to
// under its own (no map is dropped).
TEST_F(ExporterFolderTest, AMapReachedThroughLinksIsConvertedOnceUnderEachName)
{
    Map("c/Z.map");
    fs::create_directory_symlink(Path("c"), Path("linked"));
    fs::create_symlink(Path("c/Z.map"), Path("c/alias.map"));
    const QString output = QtPath("out");
    const ExporterRun run = RunExporter({"-o", output, QtPath("c/Z.map"), QtPath("linked"), QtPath("linked/../c")});
    EXPECT_EQ(run.exitCode, 0) << run.errors.toStdString();
    EXPECT_EQ(QDir(output).entryList(QDir::Files), QStringList({"alias.bmp", "Z.bmp"}));
    EXPECT_EQ(Contents(QDir(output).filePath("alias.bmp")), Contents(QDir(output).filePath("Z.bmp")));
}

TEST_F(ExporterFolderTest, EmptyMapsAndLinksAtOutputNamesAreReported)
{
    Map("wide.map", 4, 0);
    Map("tall.map", 0, 9);
    Map("good.map");
    File("elsewhere.txt", "keep me");
    fs::create_directory(Path("out"));
    fs::create_symlink(Path("elsewhere.txt"), Path("out/good.bmp"));
    const ExporterRun run = RunExporter({"-o", QtPath("out"), QtPath("wide.map"), QtPath("tall.map"), QtPath("good.map")});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QtPath("wide.map") + ": the map is empty (4 x 0 cells)")) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains(QtPath("tall.map") + ": the map is empty (0 x 9 cells)")) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains(QtPath("good.map") + ": " + QtPath("out/good.bmp") + " is a symbolic link; not written"))
        << run.errors.toStdString();
    EXPECT_EQ(Read("elsewhere.txt"), "keep me");
    EXPECT_TRUE(fs::is_symlink(Path("out/good.bmp")));
    EXPECT_EQ(QDir(QtPath("out")).entryList(QDir::Files | QDir::System), QStringList{"good.bmp"});
}

TEST_F(ExporterFolderTest, ParallelJobsWriteWhatOneJobWrites)
{
    for (int i = 0; i < 12; ++i)
        Map("maps/m" + std::to_string(i) + ".map", 40 + i * 13, 30 + i);
    File("maps/broken.map", "");
    const ExporterRun one = RunExporter({"--jobs", "1", "-o", QtPath("one"), QtPath("maps")});
    const ExporterRun four = RunExporter({"--jobs", "4", "-o", QtPath("four"), QtPath("maps")});
    EXPECT_EQ(one.exitCode, 1);
    EXPECT_EQ(four.exitCode, 1);
    EXPECT_EQ(one.errors, four.errors); // the one failure: the empty map
    const QStringList pictures = QDir(QtPath("one")).entryList(QDir::Files);
    ASSERT_EQ(pictures.size(), 12);
    EXPECT_EQ(QDir(QtPath("four")).entryList(QDir::Files), pictures);
    for (const QString& picture : pictures)
        EXPECT_TRUE(Contents(QtPath("one/") + picture) == Contents(QtPath("four/") + picture)) << picture.toStdString();

    QProcess version;
    version.start(MAP2BMP, {"--version"});
    version.waitForFinished(20000);
    EXPECT_EQ(version.readAllStandardOutput(), "tarvex-map2bmp 1.8.0\n");
    EXPECT_EQ(RunExporter({"--jobs", "0", QtPath("maps")}).exitCode, 2);
    EXPECT_EQ(RunExporter({"--jobs", "many", QtPath("maps")}).exitCode, 2);
}

#ifndef _WIN32
// Runs the exporter through the shell, so arguments can be any bytes.
ExporterRun RunExporterOnBytes(const std::vector<std::string>& arguments)
{
    QString script = QStringLiteral("exec \"$0\"");
    for (const std::string& argument : arguments) {
        script += QStringLiteral(" \"$(printf '");
        for (unsigned char byte : argument)
            script += QStringLiteral("\\%1").arg(byte, 3, 8, QLatin1Char('0'));
        script += QStringLiteral("')\"");
    }
    QProcess shell;
    shell.start("/bin/sh", {"-c", script, MAP2BMP});
    shell.waitForFinished(60000);
    return {shell.exitCode(), QString::fromUtf8(shell.readAllStandardError())};
}

TEST_F(ExporterFolderTest, NamesInGbkBytesAreReadAndWrittenByteForByte)
{
    const std::string harbour = "\xB8\xDB\xBF\xDA", maps = "\xB5\xD8\xCD\xBC"; // 港口, 地图
    Map(maps + "/" + harbour + ".map", 4, 3);
    Map("single/" + harbour + ".MAP", 2, 2);
    File(harbour + ".txt", "not a map");
    const ExporterRun run = RunExporterOnBytes({"-o", Path(maps + "-out").string(), Path(maps).string(),
                                                Path(harbour + ".txt").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(QStringLiteral("港口.txt: not a .map file"))) << run.errors.toStdString();
    EXPECT_TRUE(fs::exists(Path(maps + "-out/" + harbour + ".bmp")));
    EXPECT_EQ(Read(maps + "-out/" + harbour + ".bmp").substr(0, 2), "BM");
    EXPECT_EQ(std::distance(fs::directory_iterator(Path(maps + "-out")), fs::directory_iterator()), 1);

    const ExporterRun single = RunExporterOnBytes({"-o", Path("single").string(), Path("single/" + harbour + ".MAP").string()});
    EXPECT_EQ(single.exitCode, 0) << single.errors.toStdString();
    EXPECT_EQ(Read("single/" + harbour + ".bmp").substr(0, 2), "BM");
}

TEST_F(ExporterFolderTest, AFolderThatCannotBeReadIsReported)
{
    Map("locked/inside.map");
    ::chmod(folder_.path().toLocal8Bit().constData(), 0777);
    ::chmod(QtPath("locked").toLocal8Bit().constData(), 0300); // can be entered, not listed
    QStringList arguments = {"-o", QtPath("out"), QtPath("locked")};
    QString program = MAP2BMP;
    if (::geteuid() == 0) {
        if (QStandardPaths::findExecutable("setpriv").isEmpty())
            GTEST_SKIP() << "root without setpriv: cannot run as an ordinary user";
        arguments = QStringList{"--reuid=65534", "--regid=65534", "--clear-groups", MAP2BMP} + arguments;
        program = "setpriv";
    }
    QProcess exporter;
    exporter.start(program, arguments);
    exporter.waitForFinished(60000);
    const QString errors = QString::fromUtf8(exporter.readAllStandardError());
    EXPECT_EQ(exporter.exitCode(), 1) << errors.toStdString();
    EXPECT_TRUE(errors.contains(QtPath("locked") + ": cannot read the folder: Permission denied")) << errors.toStdString();
    ::chmod(QtPath("locked").toLocal8Bit().constData(), 0700);
}
#endif

} // namespace
