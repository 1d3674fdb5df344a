#include "QtConversions.h"

#include <QDir>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#ifdef Q_OS_WIN
#include <windows.h>
#include <string>
#endif

#ifdef Q_OS_WIN
// Qt's converters know GBK only where Qt was built with ICU; Windows knows it
// as code page 936 whatever the system's own code page is.
constexpr UINT kGbkCodePage = 936;

QByteArray ToGbk(const QString& text)
{
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    const int size = ::WideCharToMultiByte(kGbkCodePage, 0, wide, int(text.size()), nullptr, 0, nullptr, nullptr);
    QByteArray bytes(size, Qt::Uninitialized);
    ::WideCharToMultiByte(kGbkCodePage, 0, wide, int(text.size()), bytes.data(), size, nullptr, nullptr);
    return bytes;
}

QString FromGbk(std::string_view bytes)
{
    const int size = ::MultiByteToWideChar(kGbkCodePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    std::wstring wide(std::size_t(size), L'\0');
    ::MultiByteToWideChar(kGbkCodePage, 0, bytes.data(), int(bytes.size()), wide.data(), size);
    return QString::fromStdWString(wide);
}
#else
QByteArray ToGbk(const QString& text)
{
    QStringEncoder encoder("GBK");
    return encoder.isValid() ? QByteArray(encoder(text)) : text.toLocal8Bit();
}

QString FromGbk(std::string_view bytes)
{
    const QByteArrayView view(bytes.data(), qsizetype(bytes.size()));
    QStringDecoder decoder("GBK");
    return decoder.isValid() ? QString(decoder(view)) : QString::fromLocal8Bit(view);
}
#endif

std::filesystem::path ToFilesystemPath(const QString& path)
{
    return QFileInfo(path).filesystemFilePath();
}

std::runtime_error FileFailure(const char* verb, const QString& path, const QString& systemText)
{
    QString reason = systemText;
    while (!reason.isEmpty() && (reason.back().isSpace() || reason.back() == QLatin1Char('.')))
        reason.chop(1);
    return std::runtime_error(QStringLiteral("Cannot %1 file \"%2\". %3")
                                  .arg(QLatin1String(verb), QDir::toNativeSeparators(path), reason)
                                  .toStdString());
}
