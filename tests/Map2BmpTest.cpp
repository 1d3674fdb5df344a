#include "FormMainFixture.h"
#include "TDirectoryListBox.h"
#include "TSaveDialog.h"

#include <QProcess>
#include <QToolButton>

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

TEST_F(FormMainTest, TheExporterWritesWhatSaveWritesForEverySampleMap)
{
    QTemporaryDir exported;
    ASSERT_EQ(RunExporter({"-o", exported.path(), SAMPLES_DIR}).exitCode, 0);
    emit form_->dirlst1->DirectoryActivated(SAMPLES_DIR);
    ASSERT_GE(form_->fllst1->count(), 6);
    for (int row = 0; row < form_->fllst1->count(); ++row) {
        const QString map = form_->fllst1->item(row)->text();
        SCOPED_TRACE(map.toStdString());
        ClickMap(map);
        const QString saved = maps_.filePath("saved.bmp");
        form_->dlgSave1->RunModal = [&saved](TSaveDialog& dialog) {
            dialog.selectFile(saved);
            return true;
        };
        form_->rtbtnBtnSave->click();
        const QByteArray fromExporter = Contents(exported.filePath(QFileInfo(map).completeBaseName() + ".bmp"));
        EXPECT_GT(fromExporter.size(), 118);
        EXPECT_TRUE(fromExporter == Contents(saved));
    }
    EXPECT_TRUE(boxes_.empty());
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

    EXPECT_EQ(RunExporter({"--help"}).exitCode, 0);
    EXPECT_EQ(RunExporter({}).exitCode, 2);
    EXPECT_EQ(RunExporter({"--frobnicate", good}).exitCode, 2);
}

} // namespace
