#include "qtfiles/BitmapFile.h"

#include "map/BitmapFormat.h"
#include "qtfiles/FileNames.h"
#include "qtfiles/FileReplacing.h"
#include "qtfiles/QtConversions.h"
#include "qtfiles/SafeWriting.h"

#include <QCoreApplication>

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
        file_ = OpenUnnamedIn(name_.has_parent_path() ? name_.parent_path() : ".");
        if (file_)
            return;
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
        if (finished && !named_) {
            named_ = NameUnnamed(file_, name_);
            finished = named_;
        }
        finished = std::fclose(std::exchange(file_, nullptr)) == 0 && finished;
        if (finished)
            named_ = false; // the name is the caller's from now on
        return finished;
    }

private:
    const std::filesystem::path name_;
    std::FILE* file_ = nullptr;
    bool named_ = false;
};

} // namespace

QString WithBmpExtension(const QString& fileName)
{
    const qsizetype lastSeparator = LastSeparatorIn(fileName);
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
    try {
        ReplaceFileWith(fileName, [&picture](QIODevice& file) {
            return WriteBitmap(picture, [&file](const std::uint8_t* bytes, std::size_t size) {
                return file.write(reinterpret_cast<const char*>(bytes), qint64(size)) == qint64(size);
            });
        });
    } catch (const WriteFailure&) {
        throw std::runtime_error("Stream write error");
    }
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
