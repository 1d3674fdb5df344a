#include "BitmapFile.h"
#include "MainWindowFixture.h"
#include "MapDocument.h"

#include <QProcess>

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
    MapDocument document(exported.filePath("MapInfo.txt"));
    WriteBytes(QFile::encodeName(exported.filePath("MapInfo.txt")).toStdString(), "");
    for (const QString& map : maps) {
        SCOPED_TRACE(map.toStdString());
        document.load(QDir(SAMPLES_DIR).filePath(map));
        const QString saved = exported.filePath("saved-by-the-viewer.bmp");
        SaveBitmapFile(document.picture(), saved);
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
    WriteBytes(QFile::encodeName(good).toStdString(), MapHeaderBytes(2, 2));
    const QString output = folder.filePath("pictures/new");

    const ExporterRun run = RunExporter({folder.filePath("missing.map"), huge, good, "-o", output});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(run.errors.contains(folder.filePath("missing.map") + ": no such map file")) << run.errors.toStdString();
    EXPECT_TRUE(run.errors.contains(huge + ": Out of system resources")) << run.errors.toStdString();
    EXPECT_EQ(QImage(output + "/good.bmp").size(), QSize(2, 2));
    EXPECT_EQ(QDir(output).entryList(QDir::Files), QStringList{"good.bmp"});

    EXPECT_EQ(RunExporter({"--help"}).exitCode, 0);
    EXPECT_EQ(RunExporter({}).exitCode, 2);
    EXPECT_EQ(RunExporter({"--frobnicate", good}).exitCode, 2);
}

} // namespace
