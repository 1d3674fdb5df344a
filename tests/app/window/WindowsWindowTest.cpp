// What the window does only on Windows: the drive letters, the system's
// error codes when a directory cannot be entered, and the system's About box.

#include "app/browser/Drives.h"
#include "app/browser/DriveSelector.h"
#include "app/browser/MapFileList.h"
#include "app/browser/WorkingDirectory.h"
#include "app/shared/WindowStyle.h"
#include "app/window/Language.h"
#include "qtfiles/FileNames.h"
#include "tests/support/MainWindowFixture.h"

#include <QComboBox>

#include <QRegularExpression>
#include <QTimer>
#include <QToolButton>

#include <windows.h>

namespace {

TEST(WindowsDirectoryChangeTest, SystemErrorCodesGiveTheirTexts)
{
    auto text = [](int code) {
        return DirectoryChangeFailureText(std::error_code(code, std::system_category()), "C:\\Games\\maps");
    };
    EXPECT_EQ(text(ERROR_FILE_NOT_FOUND), "File not found");
    EXPECT_EQ(text(ERROR_PATH_NOT_FOUND), "Invalid filename");
    EXPECT_EQ(text(ERROR_TOO_MANY_OPEN_FILES), "Too many open files");
    EXPECT_EQ(text(ERROR_ACCESS_DENIED), "File access denied: you may not enter \"C:\\Games\\maps\"");
    EXPECT_EQ(text(ERROR_FILENAME_EXCED_RANGE), "File name too long: \"C:\\Games\\maps\"");
    EXPECT_EQ(text(ERROR_NOT_READY), "I/O error 21");
    EXPECT_EQ(text(ERROR_DIRECTORY), "I/O error 267");
}

TEST_F(MainWindowTest, TheDriveSelectorListsDriveLettersAndShowsTheWorkingOne)
{
    auto Drives = [this] { return Find<DriveSelector>("drvcbb1"); };
    Drives()->listDrives();
    QStringList listed;
    for (int i = 0; i < Drives()->count(); ++i)
        listed << Drives()->itemText(i);
    EXPECT_EQ(listed, DriveRoots());
    EXPECT_TRUE(listed.filter(QRegularExpression("^[A-Z]:/$")) == listed) << listed.join(' ').toStdString();
    EXPECT_EQ(Drives()->currentText(), QDir::currentPath().left(3));
    EXPECT_EQ(Find<QListWidget>("dirlst1")->item(0)->text(), QDir::currentPath().left(3));
}

TEST_F(MainWindowTest, ChoosingADriveEntersItsCurrentDirectoryNotItsRoot)
{
    auto Drives = [this] { return Find<DriveSelector>("drvcbb1"); };
    Drives()->listDrives();
    const QString here = QDir::currentPath();
    const int ownDrive = Drives()->findText(here.left(3));
    ASSERT_GE(ownDrive, 0);
    EXPECT_EQ(DriveCurrentDirectory(here.left(3)), here);

    emit Drives()->activated(ownDrive); // the same drive again: nothing moves
    EXPECT_EQ(QDir::currentPath(), here);
    EXPECT_EQ(ToQtPath(Find<MapFileList>("fllst1")->directory()), here);
    EXPECT_EQ(FileList()->count(), 5);

    for (int other = 0; other < Drives()->count(); ++other) {
        const QString root = Drives()->itemText(other);
        const QString entered = DriveCurrentDirectory(root);
        if (other == ownDrive || QDir(entered).entryList().isEmpty())
            continue; // not this drive, nor one that cannot be entered
        EXPECT_TRUE(entered.startsWith(root)) << entered.toStdString();
        Drives()->setCurrentIndex(other); // as the user's choice does
        emit Drives()->activated(other);
        EXPECT_EQ(QDir::currentPath(), entered);
        EXPECT_EQ(ToQtPath(Find<DirectoryList>("dirlst1")->directory()), entered);
        EXPECT_EQ(Drives()->currentText(), root);
        emit Drives()->activated(other); // and again: still there
        EXPECT_EQ(QDir::currentPath(), entered);
        break;
    }
    EXPECT_TRUE(boxes_.empty());
}

// TARVEX_DRIVE_WITHOUT_MEDIUM names a drive letter that lists but cannot be
// entered (tools/windows-checks.sh makes one in its Wine prefix).
TEST_F(MainWindowTest, ADriveWithoutAMediumGivesItsFailureAndKeepsTheLists)
{
    auto Drives = [this] { return Find<DriveSelector>("drvcbb1"); };
    Drives()->listDrives();
    const QString letter = qEnvironmentVariable("TARVEX_DRIVE_WITHOUT_MEDIUM");
    if (letter.isEmpty())
        GTEST_SKIP() << "no drive without a medium given";
    const int drive = Drives()->findText(letter + ":/");
    ASSERT_GE(drive, 0) << "the drive is listed";
    const QString before = ToQtPath(Find<MapFileList>("fllst1")->directory());
    const int rows = FileList()->count();

    Drives()->setCurrentIndex(drive);
    emit Drives()->activated(drive);
    ASSERT_EQ(boxes_.size(), 1u);
    EXPECT_EQ(boxes_[0].caption, ApplicationTitle());
    EXPECT_TRUE(boxes_[0].text == "Invalid filename." || boxes_[0].text.startsWith("I/O error "))
        << boxes_[0].text.toStdString();
    EXPECT_EQ(ToQtPath(Find<MapFileList>("fllst1")->directory()), before);
    EXPECT_EQ(FileList()->count(), rows);
    EXPECT_EQ(QDir::currentPath(), before);
    EXPECT_EQ(Drives()->currentText(), letter + ":/"); // the chosen drive stays shown
}

struct SystemBox {
    QString title;
    QStringList texts;
};

BOOL CALLBACK CollectText(HWND control, LPARAM texts)
{
    wchar_t text[512];
    const int length = ::GetWindowTextW(control, text, 512);
    if (length > 0)
        reinterpret_cast<QStringList*>(texts)->append(QString::fromWCharArray(text, length));
    return TRUE;
}

// Reads the first dialog box of this thread, then closes it with OK.
BOOL CALLBACK ReadAndCloseDialog(HWND window, LPARAM found)
{
    wchar_t className[64];
    if (!::IsWindowVisible(window) || !::GetClassNameW(window, className, 64) || QString::fromWCharArray(className) != "#32770")
        return TRUE;
    auto* box = reinterpret_cast<SystemBox*>(found);
    wchar_t title[512];
    box->title = QString::fromWCharArray(title, ::GetWindowTextW(window, title, 512));
    ::EnumChildWindows(window, CollectText, reinterpret_cast<LPARAM>(&box->texts));
    ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    return FALSE;
}

TEST_F(MainWindowTest, ContextHelpShowsTheSystemsAboutBox)
{
    if (::GetACP() != 936)
        GTEST_SKIP() << "the About texts go through the ANSI code page, which is not 936 (GBK) here";
    const LanguageInUse chinese(Language::Chinese); // the texts whose code page matters
    SystemBox box;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (box.title.isEmpty())
            ::EnumThreadWindows(::GetCurrentThreadId(), ReadAndCloseDialog, reinterpret_cast<LPARAM>(&box));
    });
    poll.start(100);
    Click("rtbtnBtnContextHelp"); // returns once the box is closed
    poll.stop();

    EXPECT_TRUE(box.title.endsWith(QStringLiteral("Tarvex1.8地图查看器！"))) << box.title.toStdString();
    EXPECT_TRUE(box.texts.contains(QStringLiteral("Tarvex1.8地图查看器！"))) << box.texts.join('|').toStdString();
    EXPECT_TRUE(box.texts.contains(AboutCredit())) << box.texts.join('|').toStdString();
    EXPECT_TRUE(boxes_.empty()); // not the Qt box
}

} // namespace
