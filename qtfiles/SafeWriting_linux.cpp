#include "qtfiles/SafeWriting.h"

#include "qtfiles/QtConversions.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

QString WhyNotWritable(const QString& fileName)
{
    const QByteArray name = QFile::encodeName(fileName);
    const int file = ::open(name.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (file >= 0) {
        ::close(file);
        return QString();
    }
    if (errno != ENOENT)
        return QString::fromLocal8Bit(std::strerror(errno));
    // No such file: the folder decides.
    const QByteArray folder = QFile::encodeName(QFileInfo(fileName).absolutePath());
    return ::access(folder.constData(), W_OK | X_OK) == 0 ? QString() : QString::fromLocal8Bit(std::strerror(errno));
}

QString LastErrorText()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Opening a pipe for writing waits for a reader: it is opened without
// waiting, and anything but a regular file is refused.
QString WhyNotAFileToReplace(const QString& fileName)
{
    const int file = ::open(QFile::encodeName(fileName).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (file < 0)
        return errno == ENXIO ? QCoreApplication::translate("SafeWriting", "It is a pipe, not a file") : QString(); // ENXIO: a pipe with no reader
    struct stat status {};
    const bool regular = ::fstat(file, &status) == 0 && S_ISREG(status.st_mode);
    ::close(file);
    return regular ? QString() : QCoreApplication::translate("SafeWriting", "It is a pipe, a device or a socket, not a file");
}

void OverwriteInPlace(const QString& fileName, const std::vector<std::uint8_t>& bytes)
{
    const int file = ::open(QFile::encodeName(fileName).constData(), O_WRONLY | O_CLOEXEC | O_NOCTTY);
    const int reserved = file < 0 ? errno : ::posix_fallocate(file, 0, off_t(bytes.size()));
    if (reserved != 0) {
        if (file >= 0)
            ::close(file);
        throw FileFailure("create", QFileInfo(fileName).absoluteFilePath(), QString::fromLocal8Bit(std::strerror(reserved)));
    }
    std::size_t done = 0;
    for (ssize_t wrote = 1; done < bytes.size() && wrote > 0;) {
        wrote = ::pwrite(file, bytes.data() + done, bytes.size() - done, off_t(done));
        done += wrote > 0 ? std::size_t(wrote) : 0;
    }
    const bool written = done == bytes.size() && ::ftruncate(file, off_t(bytes.size())) == 0;
    if (::close(file) != 0 || !written)
        throw std::runtime_error("Stream write error");
}

std::FILE* OpenUnnamedIn(const std::filesystem::path& folder)
{
    static const bool linkable = ::access("/proc/self/fd", X_OK) == 0; // what gives an unnamed file a name
    const int unnamed = linkable ? ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666) : -1;
    if (unnamed < 0)
        return nullptr;
    std::FILE* file = ::fdopen(unnamed, "wb");
    if (!file)
        ::close(unnamed);
    return file;
}

bool NameUnnamed(std::FILE* file, const std::filesystem::path& name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(::fileno(file));
    return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

std::FILE* OpenForWriting(const std::filesystem::path& path)
{
    return std::fopen(path.c_str(), "wbe");
}

qsizetype LastSeparatorIn(const QString& fileName)
{
    return fileName.lastIndexOf(QLatin1Char('/'));
}
