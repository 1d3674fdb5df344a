#include "FileNames.h"

#include "QtConversions.h"

#include <QDir>
#include <QStringDecoder>

#include <algorithm>
#include <system_error>

namespace {

QString DecodedOrEmpty(QStringDecoder&& decoder, const QByteArray& bytes)
{
    if (!decoder.isValid())
        return QString();
    const QString text = decoder(bytes);
    return decoder.hasError() ? QString() : text;
}

// Valid GBK decodes without error and without the private-use characters
// that stand in for bytes GBK leaves undefined.
bool HasPrivateUseCharacters(const QString& text)
{
    for (QChar c : text)
        if (c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF)
            return true;
    return false;
}

QString EscapedBytes(const QByteArray& bytes)
{
    QString shown;
    for (char byte : bytes) {
        const auto value = static_cast<unsigned char>(byte);
        if (value >= 0x20 && value < 0x7F)
            shown += QLatin1Char(byte);
        else
            shown += QLatin1String("\\x") + QString::number(value, 16).toUpper().rightJustified(2, QLatin1Char('0'));
    }
    return shown;
}

} // namespace

QString ShownFileName(const std::filesystem::path& name)
{
#ifdef Q_OS_WIN
    return QString::fromStdWString(name.native());
#else
    const QByteArray bytes = QByteArray::fromStdString(name.native());
    const QString utf8 = DecodedOrEmpty(QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless), bytes);
    if (!utf8.isEmpty() || bytes.isEmpty())
        return utf8;
    const QString gbk = DecodedOrEmpty(QStringDecoder("GBK", QStringDecoder::Flag::Stateless), bytes);
    if (!gbk.isEmpty() && !HasPrivateUseCharacters(gbk))
        return gbk;
    return EscapedBytes(bytes);
#endif
}

QString ShownPathCut(const std::filesystem::path& path, int maxCharacters)
{
    const QString shown = ShownFileName(path);
    if (shown.size() <= maxCharacters)
        return shown;
    const int head = (maxCharacters - 1) / 2;
    return shown.left(head) + QChar(0x2026) + shown.right(maxCharacters - 1 - head);
}

std::filesystem::path LocalPathBytes(const QUrl& url)
{
#ifdef Q_OS_WIN
    return ToFilesystemPath(url.toLocalFile());
#else
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
#endif
}

std::string GbkFileName(const std::filesystem::path& name)
{
#ifdef Q_OS_WIN
    return ToGbk(QString::fromStdWString(name.native())).toStdString();
#else
    const QByteArray bytes = QByteArray::fromStdString(name.native());
    const QString utf8 = DecodedOrEmpty(QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless), bytes);
    return utf8.isEmpty() ? name.native() : ToGbk(utf8).toStdString();
#endif
}

QVariant PathToVariant(const std::filesystem::path& path)
{
#ifdef Q_OS_WIN
    return QString::fromStdWString(path.native());
#else
    return QByteArray::fromStdString(path.native());
#endif
}

std::filesystem::path PathFromVariant(const QVariant& data)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(data.toString().toStdWString());
#else
    return std::filesystem::path(data.toByteArray().toStdString());
#endif
}

QString ToQtPath(const std::filesystem::path& path)
{
#ifdef Q_OS_WIN
    return QDir::fromNativeSeparators(QString::fromStdWString(path.native())); // "/", as Qt writes paths
#else
    return QString::fromStdString(path.native());
#endif
}

bool QtCanNamePath(const std::filesystem::path& path)
{
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return true;
#else
    return ToQtPath(path).toStdString() == path.native();
#endif
}

FolderListing ListFolder(const std::filesystem::path& folder, const std::atomic<bool>* cancel)
{
    FolderListing listing;
    std::error_code error;
    std::filesystem::directory_iterator entry(folder, error);
    for (; !error && entry != std::filesystem::directory_iterator(); entry.increment(error)) {
        if (cancel && *cancel) {
            listing.entries.clear();
            return listing;
        }
        std::error_code typeError;
        listing.entries.push_back({entry->path().filename(), entry->is_directory(typeError)});
    }
    if (error) {
        listing.failure = QString::fromLocal8Bit(error.message().c_str());
        listing.entries.clear();
        return listing;
    }
    listing.read = true;
    return listing;
}

bool ShownBefore(const ShownEntry& a, const ShownEntry& b)
{
    if (const int byReading = a.name.compare(b.name, Qt::CaseInsensitive))
        return byReading < 0;
    if (const int byCase = a.name.compare(b.name))
        return byCase < 0;
    return a.bytes < b.bytes;
}

ShownListing ListShownEntries(const std::filesystem::path& folder, const std::function<bool(const FolderEntry&)>& keep,
                              const std::atomic<bool>* cancel)
{
    FolderListing listing = ListFolder(folder, cancel);
    ShownListing shown{listing.read, std::move(listing.failure), {}};
    for (const FolderEntry& entry : listing.entries)
        if (keep(entry))
            shown.entries.push_back({ShownFileName(entry.name), entry.name});
    std::sort(shown.entries.begin(), shown.entries.end(), ShownBefore);
    return shown;
}
