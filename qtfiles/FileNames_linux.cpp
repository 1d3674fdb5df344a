#include "qtfiles/FileNames.h"

#include "qtfiles/QtConversions.h"

#include <QFile>
#include <QStringDecoder>

// Linux names files in bytes: UTF-8 mostly, GBK from the game's own folders,
// anything at all at worst. The bytes are kept; the text is for showing.

namespace {

QString DecodedOrEmpty(QStringDecoder&& decoder, const QByteArray& bytes)
{
    if (!decoder.isValid())
        return QString();
    const QString text = decoder(bytes);
    return decoder.hasError() ? QString() : text;
}

QString Utf8OrEmpty(const QByteArray& bytes)
{
    return DecodedOrEmpty(QStringDecoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless), bytes);
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
    const QByteArray bytes = QByteArray::fromStdString(name.native());
    const QString utf8 = Utf8OrEmpty(bytes);
    if (!utf8.isEmpty() || bytes.isEmpty())
        return utf8;
    const QString gbk = DecodedOrEmpty(QStringDecoder("GBK", QStringDecoder::Flag::Stateless), bytes);
    if (!gbk.isEmpty() && !HasPrivateUseCharacters(gbk))
        return gbk;
    return EscapedBytes(bytes);
}

std::filesystem::path LocalPathBytes(const QUrl& url)
{
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

std::string GbkFileName(const std::filesystem::path& name)
{
    const QString utf8 = Utf8OrEmpty(QByteArray::fromStdString(name.native()));
    return utf8.isEmpty() ? name.native() : ToGbk(utf8).toStdString();
}

QVariant PathToVariant(const std::filesystem::path& path)
{
    return QByteArray::fromStdString(path.native());
}

std::filesystem::path PathFromVariant(const QVariant& data)
{
    return std::filesystem::path(data.toByteArray().toStdString());
}

QString ToQtPath(const std::filesystem::path& path)
{
    return QString::fromStdString(path.native());
}

bool QtCanNamePath(const std::filesystem::path& path)
{
    return ToQtPath(path).toStdString() == path.native();
}

std::filesystem::path ArgumentBytes(int argc, char** argv, const QString& argument)
{
    for (int i = 1; i < argc; ++i)
        if (QFile::decodeName(argv[i]) == argument)
            return std::filesystem::path(argv[i]);
    return ToFilesystemPath(argument);
}
