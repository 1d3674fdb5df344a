#pragma once
// The main window under test, in a folder of test maps with its own
// "MapInfo.txt"; message boxes and the save dialog are answered here.

#include "app/browser/DirectoryList.h"
#include "app/following/MapFollower.h"
#include "app/following/PlayerTracker.h"
#include "app/following/ProcessPicker.h"
#include "app/mapview/ImageControl.h"
#include "app/mapview/MapView.h"
#include "app/window/MainWindow.h"
#include "qtfiles/QtConversions.h"
#include "tests/support/MapBytes.h"
#include "tests/support/Sanitizer.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QAction>
#include <QListWidget>
#include <QAbstractButton>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include "tests/support/QTryInGoogleTest.h"

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

struct ShownBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
    QPixmap iconPixmap;
};

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(maps_.isValid() && programFolder_.isValid());
        Write("Harbor2.map", MapHeaderBytes(3, 2) + CellBytes(0) + CellBytes(200) + CellBytes(0, 0x80, 0x80) +
                                 CellBytes(150) + CellBytes(101, 0x80, 0x80) + CellBytes(7));
        Write("Mine7.map", MapHeaderBytes(2, 2) + CellBytes(255) + CellBytes(255) + CellBytes(255) + CellBytes(255));
        Write("\xE6\xB8\xAF\xE5\x8F\xA3.map", MapHeaderBytes(1, 1) + CellBytes(0)); // 港口.map
        Write("Wide.map", MapHeaderBytes(7, 0));
        Write("Huge.map", MapHeaderBytes(65535, 65535));
        WriteMapInfo("[HARBOR2 Old harbour]\r\nharbor2\tnorth pier\r\nHARBOR20 east gate\r\n"
                     "Mine7 gate to HARBOR2\r\n[\xB8\xDB\xBF\xDA \xC2\xEB\xCD\xB7]\r\nWide open\r\n");
        window_ = std::make_unique<MainWindow>(MapInfoPath(), maps_.path());
        window_->setModalRunner([this](QDialog& dialog) { return Answer(dialog); });
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }

    // Message boxes are recorded and closed (a question with replaceAnswer_);
    // a choice takes the item ending in choiceAnswer_ (cancelled when none
    // does), a text asked for is given textAnswer_ (cancelled when empty);
    // the save dialog is given saveAnswer_, or cancelled when it is empty.
    virtual bool Answer(QDialog& dialog)
    {
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            boxes_.push_back({box->windowTitle(), box->text(), box->icon(), box->standardButtons(), box->iconPixmap()});
            if (box->button(QMessageBox::Yes))
                box->button(replaceAnswer_)->click();
            return true;
        }
        if (auto* choice = qobject_cast<QInputDialog*>(&dialog)) {
            const QStringList items = choice->comboBoxItems();
            if (items.isEmpty()) { // a text asked for
                inputLabels_.push_back(choice->labelText());
                choice->setTextValue(textAnswer_);
                return !textAnswer_.isEmpty();
            }
            for (const QString& item : items)
                if (item.endsWith(choiceAnswer_))
                    choice->setTextValue(item);
            return items.contains(choice->textValue()) && choice->textValue().endsWith(choiceAnswer_);
        }
        auto& save = dynamic_cast<QFileDialog&>(dialog);
        saveStartedWith_ = save.selectedFiles().value(0);
        if (saveAnswer_.isEmpty())
            return false;
        save.selectFile(saveAnswer_);
        return true;
    }

    QString MapInfoPath() const { return programFolder_.filePath("MapInfo.txt"); }
    void WriteMapInfo(const QByteArray& bytes) const
    {
        QFile file(MapInfoPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    void Write(const QString& name, const std::string& bytes) const
    {
        WriteBytes(ToFilesystemPath(maps_.filePath(name)), bytes);
    }

    template <typename Control>
    Control* Find(const char* objectName) const
    {
        auto* control = window_->findChild<Control*>(QLatin1String(objectName));
        EXPECT_NE(control, nullptr) << objectName;
        return control;
    }
    QListWidget* FileList() const { return Find<QListWidget>("fllst1"); }
    // As a user follows a client: lists the processes, picks its row, types
    // its address and ticks "读取坐标".
    void FollowAt(std::uint32_t processId, std::uint32_t address)
    {
        Click("rtbBtnBtnExecute");
        ASSERT_TRUE(window_->findChild<ProcessPicker*>("lv1")->selectProcess(processId));
        Find<QLineEdit>("edt1")->setText(QString::number(address, 16));
        if (!Find<QCheckBox>("chk1")->isChecked())
            Click("chk1");
    }
    // The window's command of that text.
    QAction* Command(const QString& text) const
    {
        for (QAction* action : window_->actions())
            if (action->text() == text)
                return action;
        ADD_FAILURE() << text.toStdString();
        return nullptr;
    }
    PlayerTracker* Tracker() const { return window_->findChild<PlayerTracker*>(); }
    // A tick, and what it read shown: the reads run off the window's thread.
    void Tick() const
    {
        Tracker()->tick();
        MapFollower* follower = window_->findChild<MapFollower*>();
        QTRY_VERIFY(!Tracker()->isReading() && !follower->isReadingKey());
    }
    // The window goes on while the client is read for the file's paths.
    void OpenTrackingFile(const QString& file) const
    {
        window_->openTrackingFile(ToFilesystemPath(file));
        EXPECT_TRUE(window_->isOpeningTrackingFile());
        QTRY_VERIFY(!window_->isOpeningTrackingFile());
    }
    void Click(const char* buttonName) const { QTest::mouseClick(Find<QWidget>(buttonName), Qt::LeftButton); }

    // As a double click on a row of the directory list does.
    void EnterFolder(const QString& folder)
    {
        emit Find<DirectoryList>("dirlst1")->directoryActivated(ToFilesystemPath(folder));
    }
    void ClickMap(const QString& name)
    {
        const QList<QListWidgetItem*> items = FileList()->findItems(name, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << name.toStdString();
        FileList()->scrollToItem(items[0]);
        QTest::mouseClick(FileList()->viewport(), Qt::LeftButton, {}, FileList()->visualItemRect(items[0]).center());
    }
    void SaveAs(const QString& path)
    {
        saveAnswer_ = path;
        Click("rtbtnBtnSave");
    }
    QRect PlaceInWindow(const QWidget* control) const
    {
        return QRect(control->mapTo(window_.get(), QPoint(0, 0)), control->size());
    }
    QImage Shown() const { return ToQImage(window_->mapView().picture()); }
    QStringList MemoLines() const
    {
        return Find<QPlainTextEdit>("mmo1")->toPlainText().split('\n', Qt::SkipEmptyParts);
    }
    QString Caption() const { return window_->windowTitle(); }

    QTemporaryDir maps_;
    QTemporaryDir programFolder_;
    std::unique_ptr<MainWindow> window_;
    std::vector<ShownBox> boxes_;
    QString saveAnswer_;
    QString choiceAnswer_;
    QString textAnswer_; // typed into a text asked for; empty: cancelled
    QStringList inputLabels_;
    QMessageBox::StandardButton replaceAnswer_ = QMessageBox::No;
    QString saveStartedWith_;
};
