// tarvex-map2bmp: turns map files into the BMP pictures the viewer's Save
// writes at natural size, several at a time.

#include "map/MapReader.h"
#include "programs/map2bmp/CommandLine.h"
#include "programs/map2bmp/ExportPlan.h"
#include "qtfiles/BitmapFile.h"
#include "qtfiles/FileNames.h"
#include "qtfiles/QtConversions.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace {

const char kDescription[] =
    "Turns map files into 16-colour BMP pictures, one pixel per map cell, exactly\n"
    "as the viewer's Save writes them: open cells black, blocked cells red,\n"
    "flagged cells blue. FILE.map becomes FOLDER/FILE.bmp; a folder given as a\n"
    "MAP stands for the .map files in it. Only files named *.map (any letter\n"
    "case) are read. An existing picture is replaced, but never a file named on\n"
    "the command line, never through a symbolic link, and never by two maps.\n"
    "\n"
    "Exit status: 0 when every map was converted, 1 when some could not be\n"
    "(each is named on standard error), 2 when the command line is wrong.";

void Print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

struct Options {
    fs::path outputFolder = ".";
    std::vector<fs::path> named;
    int jobs = 1;
};

// The options, or the exit status when there is nothing to convert.
std::optional<Options> ParseCommandLine(const CommandLine& commandLine, int& exitStatus)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(kDescription));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption outputOption(QStringLiteral("o"), QStringLiteral("Where the pictures go (made if missing; default: the current folder)."),
                                          QStringLiteral("FOLDER"), QStringLiteral("."));
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const QCommandLineOption jobsOption(QStringLiteral("jobs"), QStringLiteral("How many maps are converted at a time (default: %1, the number of cores).").arg(cores),
                                        QStringLiteral("N"), QString::number(cores));
    parser.addOption(outputOption);
    parser.addOption(jobsOption);
    parser.addPositionalArgument(QStringLiteral("MAP"), QStringLiteral("Map files, or folders of map files."), QStringLiteral("MAP..."));
    exitStatus = 2;
    if (!parser.parse(commandLine.Arguments())) {
        Print(stderr, QStringLiteral("tarvex-map2bmp: %1\n\n%2").arg(parser.errorText(), parser.helpText()));
        return std::nullopt;
    }
    if (parser.isSet(helpOption) || parser.isSet(versionOption)) {
        Print(stdout, parser.isSet(helpOption) ? parser.helpText()
                                               : QStringLiteral("tarvex-map2bmp %1\n").arg(QCoreApplication::applicationVersion()));
        exitStatus = 0;
        return std::nullopt;
    }
    Options options;
    bool isNumber = false;
    options.jobs = parser.value(jobsOption).toInt(&isNumber);
    if (!isNumber || options.jobs < 1 || options.jobs > 1024) {
        Print(stderr, QStringLiteral("tarvex-map2bmp: --jobs takes a number from 1 to 1024, not \"%1\"\n").arg(parser.value(jobsOption)));
        return std::nullopt;
    }
    options.outputFolder = commandLine.PathOf(parser.value(outputOption));
    for (const QString& argument : parser.positionalArguments())
        options.named.push_back(commandLine.PathOf(argument));
    if (options.named.empty()) {
        Print(stderr, parser.helpText());
        return std::nullopt;
    }
    return options;
}

// Converts one map; throws with the reason when it cannot.
void Convert(const Conversion& conversion, const ReadingThreads& readingThreads)
{
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(conversion.picture, error)))
        throw std::runtime_error(QStringLiteral("%1 is a symbolic link; not written").arg(ShownFileName(conversion.picture)).toStdString());
    MapFileRead read = ReadMapFileTellingWhyNot(conversion.map, readingThreads, MapParts::ImageOnly);
    if (!read.map)
        throw std::runtime_error((read.noRegularFile ? "no such map file: " : "cannot open the map file: ") + read.failure);
    std::optional<MapLoad>& map = read.map;
    if (map->image.IsEmpty())
        throw std::runtime_error(QStringLiteral("the map is empty (%1 x %2 cells); no picture written")
                                     .arg(map->header.Width()).arg(map->header.Height()).toStdString());
    SaveBitmapFile(map->image, conversion.picture);
}

// Progress on a terminal, and failures, from any of the converting threads.
class Report {
public:
    explicit Report(std::size_t total) : total_(total), showProgress_(total > 1 && IsTerminal(stderr)) {}

    void Starting(const fs::path& map)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        if (showProgress_)
            Print(stderr, QStringLiteral("\r\033[K[%1/%2] %3").arg(++started_).arg(total_).arg(ShownFileName(map)));
    }
    void Refused(const fs::path& name, const QString& reason)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ++refused_;
        PrintFailure(name, reason);
    }
    void Failed(const fs::path& name, const QString& reason)
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        ++failed_;
        PrintFailure(name, reason);
    }
    void Finished() const
    {
        if (showProgress_)
            Print(stderr, QStringLiteral("\r\033[K%1 of %2 maps converted\n").arg(total_ - failed_).arg(total_));
    }
    bool AllConverted() const { return failed_ == 0 && refused_ == 0; }

private:
    void PrintFailure(const fs::path& name, const QString& reason)
    {
        Print(stderr, QStringLiteral("%1tarvex-map2bmp: %2: %3\n")
                          .arg(showProgress_ ? QStringLiteral("\r\033[K") : QString(), ShownFileName(name), reason));
    }

    std::mutex mutex_;
    const std::size_t total_;
    const bool showProgress_;
    std::size_t started_ = 0;
    std::size_t failed_ = 0;
    std::size_t refused_ = 0;
};

void ConvertAll(const std::vector<Conversion>& conversions, int jobs, Report& report)
{
    // With several maps at a time each is read by one thread.
    const int workers = std::max(1, std::min<int>(jobs, int(conversions.size())));
    const ReadingThreads readingThreads = workers > 1 ? ReadingThreads([](std::int64_t) { return 1; }) : ReadingThreadsNow;
    std::atomic<std::size_t> next{0};
    auto work = [&] {
        for (std::size_t index = next++; index < conversions.size(); index = next++) {
            report.Starting(conversions[index].map);
            try {
                Convert(conversions[index], readingThreads);
            } catch (const std::exception& failure) {
                report.Failed(conversions[index].map, QString::fromUtf8(failure.what()));
            }
        }
    };
    std::vector<std::thread> helpers;
    for (int i = 1; i < workers; ++i)
        helpers.emplace_back(work);
    work();
    for (std::thread& helper : helpers)
        helper.join();
}

// Says why on standard error when the folder cannot be made.
bool MakeFolder(const fs::path& folder)
{
    std::error_code error;
    fs::create_directories(folder, error);
    std::error_code ignored;
    if (fs::is_directory(folder, ignored))
        return true;
    const QString why = error ? QString::fromLocal8Bit(error.message().c_str()) : QStringLiteral("it is not a folder");
    Print(stderr, QStringLiteral("tarvex-map2bmp: cannot make the folder %1: %2\n").arg(ShownFileName(folder), why));
    return false;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("tarvex-map2bmp"));
    QCoreApplication::setApplicationVersion(QStringLiteral(TARVEX_VERSION));
    int exitStatus = 0;
    const std::optional<Options> options = ParseCommandLine(CommandLine(argc, argv), exitStatus);
    if (!options)
        return exitStatus;
    const ExportPlan plan = PlanExport(options->named, options->outputFolder);
    if (!plan.conversions.empty() && !MakeFolder(options->outputFolder))
        return 1;
    Report report(plan.conversions.size());
    for (const Refusal& refusal : plan.refusals)
        report.Refused(refusal.name, refusal.reason);
    ConvertAll(plan.conversions, options->jobs, report);
    report.Finished();
    return report.AllConverted() ? 0 : 1;
}
