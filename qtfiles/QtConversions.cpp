#include "qtfiles/QtConversions.h"

#include <QDir>
#include <QFileInfo>

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
