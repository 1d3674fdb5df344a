// tarvex-map2bmp: turns map files into the BMP pictures the viewer's Save
// writes at natural size.

#include "BitmapFile.h"
#include "MapReader.h"
#include "QtConversions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>
#include <stdexcept>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace {

const char kUsage[] =
    "Usage: tarvex-map2bmp [-o FOLDER] MAP...\n"
    "\n"
    "Turns map files into 16-colour BMP pictures, one pixel per map cell, exactly\n"
    "as the viewer's Save writes them: open cells black, blocked cells red,\n"
    "flagged cells blue. FILE.map becomes FOLDER/FILE.bmp. A folder given as a\n"
    "MAP stands for the .map files in it. An existing picture is replaced.\n"
    "\n"
    "  -o FOLDER   where the pictures go (made if missing; default: the current folder)\n"
    "  -h, --help  show this text\n"
    "\n"
    "Exit status: 0 when every map was converted, 1 when some could not be\n"
    "(each is named on standard error), 2 when the command line is wrong.\n";

void Print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
}

// The map files named on the command line, folders replaced by their maps.
QStringList MapFiles(const QStringList& inputs)
{
    QStringList files;
    for (const QString& input : inputs) {
        const QFileInfo info(input);
        if (!info.isDir()) {
            files.append(input);
            continue;
        }
        const QDir folder(input);
        for (const QString& name : folder.entryList({QStringLiteral("*.map")}, QDir::Files, QDir::Name | QDir::IgnoreCase))
            files.append(folder.filePath(name));
    }
    return files;
}

void Convert(const QString& mapFile, const QDir& output)
{
    const std::optional<MapLoad> map = ReadMapFile(ToFilesystemPath(mapFile));
    if (!map)
        throw std::runtime_error("no such map file, or it cannot be read");
    SaveBitmapFile(ToQImage(map->image), output.filePath(WithBmpExtension(QFileInfo(mapFile).fileName())));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    QStringList arguments = QCoreApplication::arguments().mid(1);
    QString outputFolder = QStringLiteral(".");
    QStringList inputs;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (argument == QLatin1String("-o") && i + 1 < arguments.size()) {
            outputFolder = arguments[++i];
        } else if (argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-")) {
            Print(stderr, QStringLiteral("tarvex-map2bmp: unknown option %1\n\n").arg(argument));
            std::fputs(kUsage, stderr);
            return 2;
        } else {
            inputs.append(argument);
        }
    }
    if (inputs.isEmpty()) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (!QDir().mkpath(outputFolder)) {
        Print(stderr, QStringLiteral("tarvex-map2bmp: cannot make the folder %1\n").arg(outputFolder));
        return 1;
    }

    const QStringList files = MapFiles(inputs);
    const bool showProgress = files.size() > 1 && isatty(fileno(stderr));
    int failed = 0;
    for (int i = 0; i < files.size(); ++i) {
        if (showProgress)
            Print(stderr, QStringLiteral("\r\033[K[%1/%2] %3").arg(i + 1).arg(files.size()).arg(files[i]));
        try {
            Convert(files[i], QDir(outputFolder));
        } catch (const std::exception& failure) {
            ++failed;
            Print(stderr, QStringLiteral("%1tarvex-map2bmp: %2: %3\n")
                              .arg(showProgress ? QStringLiteral("\r\033[K") : QString(), files[i],
                                   QString::fromUtf8(failure.what())));
        }
    }
    if (showProgress)
        Print(stderr, QStringLiteral("\r\033[K%1 of %2 maps converted\n").arg(files.size() - failed).arg(files.size()));
    return failed == 0 ? 0 : 1;
}
