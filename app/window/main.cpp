// tarvex-viewer [MAP-OR-FOLDER]: the map viewer, started on a folder or a map.

#include "app/window/MainWindow.h"

#include "app/window/Language.h"
#include "app/window/ScrollBarClipStyle.h"
#include "app/window/WindowPlacement.h"
#include "map/MapLinks.h"
#include "qtfiles/FileNames.h"
#include "qtfiles/QtConversions.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QScreen>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <functional>
#include <filesystem>
#include <optional>

namespace {

const char kProgramName[] = "tarvex-viewer";

void Print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

void Describe(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Shows the walkability of Tarvex 1.8 map files, one pixel per cell, with the map's lines of\n"
        "MapInfo.txt, and can follow the player on a running game client.\n"
        "\n"
        "With a folder the viewer starts in it; with a .map file it starts in the file's folder\n"
        "with the map loaded. Without one it starts in the current folder."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("MAP-OR-FOLDER"), QStringLiteral("a .map file or a folder to open"),
                                 QStringLiteral("[MAP-OR-FOLDER]"));
    parser.addOption(QCommandLineOption(QStringLiteral("track"),
                                        QStringLiteral("follow the player as the tracking file FILE says, on the running "
                                                       "game client it names"),
                                        QStringLiteral("FILE")));
    parser.addOption(QCommandLineOption(QStringLiteral("follow-maps"),
                                        QStringLiteral("show the map the player is on among the maps of the folder on "
                                                       "show (Follow Across Maps)")));
    parser.addOption(QCommandLineOption(QStringLiteral("language"),
                                        QStringLiteral("show the window in LANGUAGE: zh (Chinese, the default) or en "
                                                       "(English)"),
                                        QStringLiteral("LANGUAGE"), QStringLiteral("zh")));
}

// --help, --version, a wrong command line and a language there is none of
// are answered before the window system is asked for: they work without a
// display. The exit code when answered.
std::optional<int> AnsweredWithoutWindow(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QFile::decodeName(argv[i]));
    QCommandLineParser parser;
    Describe(parser);
    const bool understood = parser.parse(arguments);
    if (parser.isSet(QStringLiteral("help"))) {
        // Without the application object the parser knows no program name.
        Print(stdout, parser.helpText().replace(QLatin1String("<executable_name>"), QLatin1String(kProgramName)));
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        Print(stdout, QStringLiteral("%1 %2\n").arg(QLatin1String(kProgramName), QLatin1String(TARVEX_VERSION)));
        return 0;
    }
    if (!understood) {
        Print(stderr, QStringLiteral("%1: %2\n").arg(QLatin1String(kProgramName), parser.errorText()));
        return 1;
    }
    if (parser.positionalArguments().size() > 1) {
        Print(stderr, QStringLiteral("%1: give one map or folder at most\n").arg(QLatin1String(kProgramName)));
        return 1;
    }
    const QString language = parser.value(QStringLiteral("language"));
    if (!LanguageNamed(language)) {
        Print(stderr, QStringLiteral("%1: there is no language \"%2\"; the languages are:\n%3")
                          .arg(QLatin1String(kProgramName), language, LanguageList()));
        return 2;
    }
    return std::nullopt;
}

// While the application connects to the window system, Qt's notes are held
// back: should no platform start (no display), one line tells so and the
// program ends with 1 instead of aborting; otherwise they follow as usual.
class NoDisplayGuard {
public:
    NoDisplayGuard() { Previous() = qInstallMessageHandler(&NoDisplayGuard::Hold); }
    ~NoDisplayGuard()
    {
        qInstallMessageHandler(Previous());
        for (const auto& [type, message] : Notes())
            Previous()(type, QMessageLogContext(), message);
        Notes().clear();
    }
    NoDisplayGuard(const NoDisplayGuard&) = delete;
    NoDisplayGuard& operator=(const NoDisplayGuard&) = delete;

private:
    static void Hold(QtMsgType type, const QMessageLogContext&, const QString& message)
    {
        if (type != QtFatalMsg) {
            Notes().append({type, message});
            return;
        }
        const QString why = Notes().isEmpty() ? QString() : QStringLiteral(" (%1)").arg(Notes().first().second.trimmed());
        Print(stderr, QStringLiteral("%1: no display could be opened%2\n").arg(QLatin1String(kProgramName), why));
        std::_Exit(1);
    }
    static QList<QPair<QtMsgType, QString>>& Notes()
    {
        static QList<QPair<QtMsgType, QString>> held;
        return held;
    }
    static QtMessageHandler& Previous()
    {
        static QtMessageHandler previous = nullptr;
        return previous;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QLatin1String(kProgramName));
    QCoreApplication::setApplicationVersion(QLatin1String(TARVEX_VERSION));
    if (const std::optional<int> exitCode = AnsweredWithoutWindow(argc, argv))
        return *exitCode;

    std::optional<NoDisplayGuard> noDisplay(std::in_place);
    QApplication application(argc, argv);
    noDisplay.reset();
    QCommandLineParser parser;
    Describe(parser);
    parser.process(application);
    ScrollBarClipStyle::UseForApplication();
    const LanguageInUse language(*LanguageNamed(parser.value(QStringLiteral("language"))));

    // The links are read from "MapInfo.txt" beside the program itself.
    // Qt's own working directory is empty when its path is longer than 4,095 bytes.
    std::error_code noWorkingDirectory;
    const std::filesystem::path workingDirectory = std::filesystem::current_path(noWorkingDirectory);
    MainWindow window(QDir(QCoreApplication::applicationDirPath()).filePath(QLatin1String(kMapInfoFileName)),
                      ToQtPath(workingDirectory));
    const QRect available = window.screen()->availableGeometry();
    window.fitHeightInto(available.height() - kUsualFrame.top() - kUsualFrame.bottom());
    const WindowPlace place = PlaceOnScreen(window.size(), window.minimumSizeHint(), kUsualFrame, available);
    window.resize(place.size);
    window.move(place.frameTopLeft);
    window.show();
    const auto printFailure = [](const QString& failure) {
        Print(stderr, QStringLiteral("%1: %2\n").arg(QLatin1String(kProgramName), failure));
    };
    const auto tellFailure = [&printFailure](const std::function<void()>& open) {
        try {
            open();
        } catch (const std::exception& failure) {
            printFailure(QString::fromUtf8(failure.what()));
        }
    };
    window.setFollowingAcrossMaps(parser.isSet(QStringLiteral("follow-maps")));
    if (!parser.positionalArguments().isEmpty())
        tellFailure([&] { window.openPath(ArgumentBytes(argc, argv, parser.positionalArguments().first())); });
    if (parser.isSet(QStringLiteral("track")))
        tellFailure([&] {
            window.openTrackingFile(ArgumentBytes(argc, argv, parser.value(QStringLiteral("track"))), printFailure);
        });
    return application.exec();
}
