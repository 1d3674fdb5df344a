#include "BitmapFile.h"

#include "BitmapFormat.h"
#include "FileNames.h"
#include "QtConversions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

void RefuseNullPicture(const IndexedImage& picture)
{
    if (picture.IsEmpty())
        throw std::runtime_error(kNoMapToSave);
}

// Hands the file's bytes to write, headers first, then the rows bottom-up;
// false as soon as a write fails.
template <typename Write>
bool WriteBitmap(const IndexedImage& picture, Write write)
{
    const auto headers = BitmapHeadersOf(picture);
    if (!write(headers.data(), headers.size()))
        return false;
    for (int y = picture.Height() - 1; y >= 0; --y)
        if (!write(picture.Row(y), picture.BytesPerLine()))
            return false;
    return true;
}

#ifdef Q_OS_WIN
QString SystemText(DWORD error)
{
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                              FORMAT_MESSAGE_IGNORE_INSERTS,
                                          nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    const QString message = QString::fromWCharArray(text, int(length));
    ::LocalFree(text);
    return message;
}

// Why the file cannot be opened for writing, asked of the system; empty
// when it can be.
QString WhyNotWritable(const QString& fileName)
{
    const HANDLE file = ::CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(fileName).utf16()),
                                      GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        ::CloseHandle(file);
        return QString();
    }
    return SystemText(::GetLastError());
}

QString LastErrorText()
{
    return SystemText(::GetLastError());
}

// Pipes and devices are not reached through names on Windows.
QString WhyNotAFileToReplace(const QString&)
{
    return QString();
}

// Writes the bytes over the file from its start, the space reserved first.
void OverwriteInPlace(const QString& fileName, const std::vector<std::uint8_t>& bytes)
{
    const HANDLE file = ::CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(fileName).utf16()),
                                      GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                      nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw FileFailure("create", QFileInfo(fileName).absoluteFilePath(), LastErrorText());
    LARGE_INTEGER size{}, now{}, start{};
    size.QuadPart = LONGLONG(bytes.size());
    if (!::GetFileSizeEx(file, &now) || (now.QuadPart < size.QuadPart &&
                                         !(::SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && ::SetEndOfFile(file)))) {
        const QString why = LastErrorText();
        ::CloseHandle(file);
        throw FileFailure("create", QFileInfo(fileName).absoluteFilePath(), why);
    }
    DWORD written = 0;
    const bool done = ::SetFilePointerEx(file, start, nullptr, FILE_BEGIN) &&
                      ::WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) &&
                      written == bytes.size() && ::SetEndOfFile(file);
    if (!::CloseHandle(file) || !done)
        throw std::runtime_error("Stream write error");
}
#else
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
        return errno == ENXIO ? QStringLiteral("It is a pipe, not a file") : QString(); // ENXIO: a pipe with no reader
    struct stat status {};
    const bool regular = ::fstat(file, &status) == 0 && S_ISREG(status.st_mode);
    ::close(file);
    return regular ? QString() : QStringLiteral("It is a pipe, a device or a socket, not a file");
}

// Writes the bytes over the file from its start. The space is reserved
// first, so a full disk refuses before a byte of the old file changes.
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
#endif

// A short name no other save uses at the same moment, in the folder of the
// file it replaces: one made from that file's name could pass the system's
// limit on the length of a name.
std::filesystem::path TemporaryNameFor(const std::filesystem::path& fileName)
{
    static std::atomic<unsigned> counter{0};
    const QString name = QStringLiteral(".tarvex-%1-%2.tmp").arg(QCoreApplication::applicationPid()).arg(counter++);
    return fileName.parent_path() / name.toStdString();
}

// A new file that gets its temporary name only once every byte is in it,
// where the system can: a writer stopped half-way then leaves nothing
// behind. Elsewhere it is written under that name from the start, which
// is removed when the file is not finished.
class UnfinishedFile {
public:
    explicit UnfinishedFile(std::filesystem::path temporaryName) : name_(std::move(temporaryName))
    {
#ifndef Q_OS_WIN
        static const bool linkable = ::access("/proc/self/fd", X_OK) == 0; // what gives an unnamed file a name
        const std::filesystem::path folder = name_.has_parent_path() ? name_.parent_path() : ".";
        const int unnamed = linkable ? ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666) : -1;
        if (unnamed >= 0) {
            file_ = ::fdopen(unnamed, "wb");
            if (file_)
                return;
            ::close(unnamed);
        }
#endif
        file_ = OpenForWriting(name_);
        named_ = file_ != nullptr;
    }
    ~UnfinishedFile()
    {
        if (file_)
            std::fclose(file_);
        if (named_) {
            std::error_code ignored;
            std::filesystem::remove(name_, ignored);
        }
    }
    UnfinishedFile(const UnfinishedFile&) = delete;
    UnfinishedFile& operator=(const UnfinishedFile&) = delete;

    std::FILE* stream() const { return file_; }

    // Writes out what is buffered and gives the file its name; false, with
    // nothing left under that name, when either fails.
    bool finish()
    {
        bool finished = std::fflush(file_) == 0 && !std::ferror(file_);
#ifndef Q_OS_WIN
        if (finished && !named_) {
            const std::string self = "/proc/self/fd/" + std::to_string(::fileno(file_));
            named_ = ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name_.c_str(), AT_SYMLINK_FOLLOW) == 0;
            finished = named_;
        }
#endif
        finished = std::fclose(std::exchange(file_, nullptr)) == 0 && finished;
        if (finished)
            named_ = false; // the name is the caller's from now on
        return finished;
    }

private:
    static std::FILE* OpenForWriting(const std::filesystem::path& path)
    {
#ifdef Q_OS_WIN
        return ::_wfopen(path.c_str(), L"wb");
#else
        return std::fopen(path.c_str(), "wbe");
#endif
    }

    const std::filesystem::path name_;
    std::FILE* file_ = nullptr;
    bool named_ = false;
};

} // namespace

QString WithBmpExtension(const QString& fileName)
{
    qsizetype lastSeparator = fileName.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    lastSeparator = std::max({lastSeparator, fileName.lastIndexOf(QLatin1Char('\\')), fileName.lastIndexOf(QLatin1Char(':'))});
#endif
    const qsizetype lastDot = fileName.lastIndexOf(QLatin1Char('.'));
    return (lastDot > lastSeparator ? fileName.left(lastDot) : fileName) + QStringLiteral(".bmp");
}

std::filesystem::path BmpPathFor(const std::filesystem::path& fileName)
{
    // "." never occurs as the second byte of a GBK character.
    std::filesystem::path name = fileName.filename();
    const auto& native = name.native();
    const auto lastDot = native.rfind('.');
    std::filesystem::path withBmp = lastDot == native.npos ? name : std::filesystem::path(native.substr(0, lastDot));
    withBmp += ".bmp";
    return fileName.parent_path() / withBmp;
}

void SaveBitmapFile(const IndexedImage& picture, const QString& fileName)
{
    RefuseNullPicture(picture);
    const QString shownName = QFileInfo(fileName).absoluteFilePath();
    if (const QString why = WhyNotAFileToReplace(fileName); !why.isEmpty())
        throw FileFailure("create", shownName, why);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) && QFileInfo(fileName).isFile()) {
        // A writable file in a folder that takes no new file is written in place.
        std::vector<std::uint8_t> bytes;
        WriteBitmap(picture, [&bytes](const std::uint8_t* part, std::size_t size) {
            bytes.insert(bytes.end(), part, part + size);
            return true;
        });
        OverwriteInPlace(fileName, bytes);
        return;
    }
    if (!file.isOpen()) {
        const QString why = WhyNotWritable(fileName);
        throw FileFailure("create", shownName, why.isEmpty() ? file.errorString() : why);
    }
    // commit() alone would not notice a failure of the last buffered write
    // and would put a cut-off file in place: flush and check first. Without
    // a commit the temporary file is removed.
    const bool written = WriteBitmap(picture, [&file](const std::uint8_t* bytes, std::size_t size) {
        return file.write(reinterpret_cast<const char*>(bytes), qint64(size)) == qint64(size);
    }) && file.flush() && file.error() == QFileDevice::NoError;
    if (!written || !file.commit())
        throw std::runtime_error("Stream write error");
}

void SaveBitmapFile(const IndexedImage& picture, const std::filesystem::path& fileName)
{
    RefuseNullPicture(picture);
    const std::filesystem::path temporary = TemporaryNameFor(fileName);
    std::vector<char> buffer(64 << 10); // a few large writes rather than one per 4 KiB; outlives the stream
    UnfinishedFile file(temporary);
    if (!file.stream()) {
        const QString why = LastErrorText();
        throw FileFailure("create", ShownFileName(std::filesystem::absolute(fileName)), why);
    }
    std::setvbuf(file.stream(), buffer.data(), _IOFBF, buffer.size());
    const bool written = WriteBitmap(picture, [&file](const std::uint8_t* bytes, std::size_t size) {
        return std::fwrite(bytes, 1, size, file.stream()) == size;
    });
    if (!written || !file.finish())
        throw std::runtime_error("Stream write error");
    std::error_code error;
    std::filesystem::rename(temporary, fileName, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw FileFailure("create", ShownFileName(std::filesystem::absolute(fileName)),
                          QString::fromLocal8Bit(error.message().c_str()));
    }
}
