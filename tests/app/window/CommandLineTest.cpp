// The viewer started from the command line, run as its own process: the
// folder it ends up in is its working directory, read from /proc.

#include "tests/support/MainWindowFixture.h"
#include "tests/support/Unprivileged.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include <sys/stat.h>

#include <utility>
#include <vector>

namespace {

class CommandLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(start_.isValid() && maps_.isValid());
        WriteBytes(QFile::encodeName(maps_.filePath("Harbor2.map")).toStdString(), MapHeaderBytes(2, 2));
        WriteBytes(QFile::encodeName(maps_.filePath("notes.txt")).toStdString(), "");
    }
    void TearDown() override
    {
        if (viewer_.state() != QProcess::NotRunning) {
            viewer_.kill();
            viewer_.waitForFinished(10000);
        }
    }

    // The viewer with a window on the offscreen platform, or with no window
    // system at all.
    void Start(const QStringList& arguments, bool withWindowSystem = true)
    {
        Launch(VIEWER, arguments, withWindowSystem);
    }
    // Through the shell, for an argument that is not text: printf's escapes.
    void StartWithRawArgument(const QString& printfText)
    {
        Launch("/bin/sh", {"-c", QStringLiteral("exec \"$0\" --language en \"$(printf '%1')\"").arg(printfText), VIEWER}, true);
    }
    void Launch(const QString& program, const QStringList& arguments, bool withWindowSystem)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        environment.remove("WAYLAND_DISPLAY");
        if (withWindowSystem)
            environment.insert("QT_QPA_PLATFORM", "offscreen");
        else
            environment.remove("QT_QPA_PLATFORM");
        viewer_.setProcessEnvironment(environment);
        viewer_.setWorkingDirectory(start_.path());
        viewer_.start(program, arguments);
        ASSERT_TRUE(viewer_.waitForStarted(10000));
    }
    QString Folder() const
    {
        return QFile::symLinkTarget(QStringLiteral("/proc/%1/cwd").arg(viewer_.processId()));
    }
    // Waits for the window to have come up in its folder.
    bool ShowsWindowIn(const QString& folder)
    {
        const QString expected = QDir(folder).canonicalPath();
        if (!QTest::qWaitFor([&] { return Folder() == expected; }, 10000)) {
            ADD_FAILURE() << "in " << Folder().toStdString() << ", not in " << expected.toStdString();
            return false;
        }
        QTest::qWait(500); // a line on standard error would have come by now
        return viewer_.state() == QProcess::Running;
    }
    // The viewer's own lines, without the toolkit's notes.
    QStringList ErrorLines()
    {
        const QStringList lines = QString::fromLocal8Bit(viewer_.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
        return lines.filter(QRegularExpression("^tarvex-viewer: "));
    }

    QTemporaryDir start_;
    QTemporaryDir maps_;
    QProcess viewer_;
};

TEST_F(CommandLineTest, HelpVersionAndAnUnknownLanguageAnswerWithoutAWindow)
{
    Start({"--help"}, false);
    ASSERT_TRUE(viewer_.waitForFinished(10000));
    EXPECT_EQ(viewer_.exitCode(), 0);
    const QString help = QString::fromLocal8Bit(viewer_.readAllStandardOutput());
    EXPECT_TRUE(help.contains("tarvex-viewer [options] [MAP-OR-FOLDER]\n")) << help.toStdString();
    EXPECT_TRUE(help.contains("--version"));

    Start({"--version"}, false);
    ASSERT_TRUE(viewer_.waitForFinished(10000));
    EXPECT_EQ(viewer_.exitCode(), 0);
    EXPECT_EQ(QString::fromLocal8Bit(viewer_.readAllStandardOutput()), "tarvex-viewer 1.8.0\n");

    Start({"--language", "fr"}, false);
    ASSERT_TRUE(viewer_.waitForFinished(10000));
    EXPECT_EQ(viewer_.exitCode(), 2);
    EXPECT_EQ(QString::fromLocal8Bit(viewer_.readAllStandardError()),
              "tarvex-viewer: there is no language \"fr\"; the languages are:\n"
              "zh  Chinese (the default)\nen  English\n");
}

TEST_F(CommandLineTest, WithoutADisplayItSaysSoInOneLineAndEndsWithOne)
{
    Start({}, false);
    ASSERT_TRUE(viewer_.waitForFinished(10000));
    EXPECT_EQ(viewer_.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(viewer_.exitCode(), 1);
    const QStringList lines = QString::fromLocal8Bit(viewer_.readAllStandardError()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1) << lines.join('\n').toStdString();
    EXPECT_TRUE(lines[0].startsWith("tarvex-viewer: no display could be opened")) << lines[0].toStdString();
}

// A wrong command line is told as such, display or not.
TEST_F(CommandLineTest, AWrongCommandLineIsToldWithoutADisplay)
{
    const std::vector<std::pair<QStringList, QString>> wrong{
        {{"--bogus"}, "tarvex-viewer: Unknown option 'bogus'."},
        {{"--language"}, "tarvex-viewer: Missing value after '--language'."},
        {{"one", "two"}, "tarvex-viewer: give one map or folder at most"},
    };
    for (const auto& [arguments, said] : wrong) {
        Start(arguments, false);
        ASSERT_TRUE(viewer_.waitForFinished(10000));
        EXPECT_EQ(viewer_.exitCode(), 1);
        EXPECT_EQ(QString::fromLocal8Bit(viewer_.readAllStandardError()).trimmed(), said);
        TearDown();
    }
}

TEST_F(CommandLineTest, AFolderOrAMapStartsTheWindowThere)
{
    Start({maps_.path()});
    EXPECT_TRUE(ShowsWindowIn(maps_.path()));
    EXPECT_TRUE(ErrorLines().isEmpty());
    TearDown();

    Start({maps_.filePath("Harbor2.map")});
    EXPECT_TRUE(ShowsWindowIn(maps_.path()));
    EXPECT_TRUE(ErrorLines().isEmpty());
    TearDown();

    Start({});
    EXPECT_TRUE(ShowsWindowIn(start_.path()));
    EXPECT_TRUE(ErrorLines().isEmpty());
}

TEST_F(CommandLineTest, WhatCannotBeOpenedIsOneLineAndTheWindowOpensInTheCurrentFolder)
{
    const std::pair<QString, QString> rejected[] = {
        {maps_.filePath("gone.map"), "no such file or folder"},
        {maps_.filePath("notes.txt"), "not a folder or a .map file"},
        {maps_.filePath(QString(5000, 'x')), "the path is longer than the system allows"},
    };
    for (const auto& [path, reason] : rejected) {
        Start({"--language", "en", path});
        EXPECT_TRUE(ShowsWindowIn(start_.path()));
        EXPECT_EQ(ErrorLines(), QStringList{QStringLiteral("tarvex-viewer: Cannot open \"%1\": %2").arg(path, reason)});
        TearDown();
    }
    // In the window's language, Chinese unless asked otherwise.
    Start({maps_.filePath("gone.map")});
    EXPECT_TRUE(ShowsWindowIn(start_.path()));
    EXPECT_EQ(ErrorLines(), QStringList{QStringLiteral("tarvex-viewer: 无法打开 \"%1\": 没有这个文件或文件夹").arg(maps_.filePath("gone.map"))});
    TearDown();

    // A name is taken as the system's bytes, as the file list takes it.
    StartWithRawArgument(maps_.path() + "/bad\\377.map");
    EXPECT_TRUE(ShowsWindowIn(start_.path()));
    EXPECT_EQ(ErrorLines(), QStringList{QStringLiteral("tarvex-viewer: Cannot open \"%1/bad\\xFF.map\": no such file or folder")
                                            .arg(maps_.path())});
}

TEST_F(CommandLineTest, AMapNamedInGbkBytesOpensAsInTheFileList)
{
    ASSERT_TRUE(QDir(maps_.path()).mkdir("sub"));
    WriteBytes(QFile::encodeName(maps_.path()).toStdString() + "/sub/\xC2\xEB\xCD\xB7.map", MapHeaderBytes(2, 2)); // 码头.map
    StartWithRawArgument(maps_.path() + "/sub/\\302\\353\\315\\267.map");
    EXPECT_TRUE(ShowsWindowIn(maps_.filePath("sub")));
    EXPECT_TRUE(ErrorLines().isEmpty());
}

TEST_F(CommandLineTest, AFolderThatMayNotBeReadIsRefusedInOneLine)
{
    // Searchable but not readable, for an ordinary user.
    ASSERT_TRUE(QDir(maps_.path()).mkdir("locked"));
    const QString locked = maps_.filePath("locked");
    ASSERT_EQ(::chmod(QFile::encodeName(maps_.path()).constData(), 0711), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(locked).constData(), 0111), 0);
    MainWindow window(maps_.filePath("MapInfo.txt"), maps_.path());
    try {
        const Unprivileged asAnOrdinaryUser;
        window.openPath(locked);
        ADD_FAILURE() << "the folder was entered";
    } catch (const std::runtime_error& failure) {
        EXPECT_EQ(QString::fromUtf8(failure.what()),
                  QStringLiteral("Cannot open \"%1\": the folder cannot be read: Permission denied").arg(locked));
    }
    EXPECT_EQ(QDir::currentPath(), QDir(maps_.path()).canonicalPath());
    ::chmod(QFile::encodeName(locked).constData(), 0755);
}

// --track reads the tracking file and follows the client it names (as
// FinderWindowTest shows); what cannot be followed is one line, and the
// window opens all the same.
TEST_F(CommandLineTest, ATrackingFileIsFollowedOrItsFailureIsOneLine)
{
    const QString file = maps_.filePath("client.tarvex-track");
    WriteBytes(QFile::encodeName(file).toStdString(), "program=no-such-client.exe\npath=no-such-client.exe+10 -> +8\n");
    Start({"--language", "en", "--track", file});
    EXPECT_TRUE(ShowsWindowIn(start_.path()));
    EXPECT_EQ(ErrorLines(), QStringList{"tarvex-viewer: No running process is named \"no-such-client.exe\". Start the "
                                        "game client first."});
    TearDown();

    WriteBytes(QFile::encodeName(file).toStdString(), "program=stand_in_client\n");
    Start({"--track", file}); // in Chinese, the window's language
    EXPECT_TRUE(ShowsWindowIn(start_.path()));
    EXPECT_EQ(ErrorLines(), QStringList{QStringLiteral("tarvex-viewer: 跟踪文件没有指针路径 (一行 "
                                                       "\"path=Client.exe+1A2B3C -> +10\")。")});
}

} // namespace
