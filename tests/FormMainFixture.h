#pragma once
// The window under test.

#include "MapBytes.h"
#include "QtConversions.h"
#include "TFileListBox.h"
#include "TImage.h"
#include "TSaveDialog.h"
#include "UnitFormMain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

QT_BEGIN_NAMESPACE
// Lets GoogleTest print texts in its failure reports.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

// A file's bytes, or "<missing>".
inline QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// The system's words for why path cannot be opened so, without the closing
// dot, as file failures quote them.
inline QString SystemReason(const QString& path, QIODevice::OpenMode mode)
{
    QFile file(path);
    if (file.open(mode))
        return "<opened>";
    QString reason = file.errorString();
    while (reason.endsWith('.'))
        reason.chop(1);
    return reason;
}

struct ShownBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QPixmap iconPixmap;
};

// Builds the window in a folder of test maps, with a "MapInfo.txt" beside
// the test program, and records the message boxes instead of showing them.
class FormMainTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousDirectory_ = QDir::currentPath();
        ASSERT_TRUE(maps_.isValid());
        Write("Harbor2.map", MapHeaderBytes(3, 2) + CellBytes(0) + CellBytes(200) + CellBytes(0, 0x80, 0x80) +
                                 CellBytes(150) + CellBytes(101, 0x80, 0x80) + CellBytes(7));
        Write("Mine7.map", MapHeaderBytes(2, 2) + CellBytes(255) + CellBytes(255) + CellBytes(255) + CellBytes(255));
        Write("\xE6\xB8\xAF\xE5\x8F\xA3.map", MapHeaderBytes(1, 1) + CellBytes(0)); // 港口.map
        Write("Wide.map", MapHeaderBytes(7, 0));
        Write("Huge.map", MapHeaderBytes(65535, 65535));
        WriteMapInfo("[HARBOR2 Old harbour]\r\nharbor2\tnorth pier\r\nHARBOR20 east gate\r\n"
                     "Mine7 gate to HARBOR2\r\n[\xB8\xDB\xBF\xDA \xC2\xEB\xCD\xB7]\r\nWide open\r\n");
        ASSERT_TRUE(QDir::setCurrent(maps_.path()));
        form_ = std::make_unique<TFormMain>();
        form_->ExecMessageBox = [this](QMessageBox& box) {
            boxes_.push_back({box.windowTitle(), box.text(), box.icon(), box.standardButtons(), box.iconPixmap()});
        };
        // A system save dialog takes and gives its file name only while it is shown.
        form_->dlgSave1->setOption(QFileDialog::DontUseNativeDialog);
        form_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
    }

    void TearDown() override
    {
        form_.reset();
        QFile::remove(MapInfoPath());
        QDir::setCurrent(previousDirectory_);
    }

    static QString MapInfoPath() { return QCoreApplication::applicationDirPath() + "/MapInfo.txt"; }
    static void WriteMapInfo(const QByteArray& bytes)
    {
        QFile file(MapInfoPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void Write(const QString& name, const std::string& bytes) const
    {
        WriteBytes(ToFilesystemPath(maps_.filePath(name)), bytes);
    }

    void ClickMap(const QString& name)
    {
        const QList<QListWidgetItem*> items = form_->fllst1->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        QTest::mouseClick(form_->fllst1->viewport(), Qt::LeftButton, {},
                          form_->fllst1->visualItemRect(items[0]).center());
    }
    QRect PlaceInForm(const QWidget* control) const
    {
        return QRect(control->mapTo(form_.get(), QPoint(0, 0)), control->size());
    }
    const QImage& Shown() const { return form_->img1->Picture(); }
    const QImage& Clean() const { return form_->FCleanBitmap; }
    QStringList MemoLines() const { return form_->mmo1->toPlainText().split('\n', Qt::SkipEmptyParts); }

    QTemporaryDir maps_;
    QString previousDirectory_;
    std::unique_ptr<TFormMain> form_;
    std::vector<ShownBox> boxes_;
};

