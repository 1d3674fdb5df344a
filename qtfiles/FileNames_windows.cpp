#include "qtfiles/FileNames.h"

#include "qtfiles/QtConversions.h"

#include <QDir>

// Windows names files in UTF-16, which Qt's strings hold as they are.

QString ShownFileName(const std::filesystem::path& name)
{
    return QString::fromStdWString(name.native());
}

std::filesystem::path LocalPathBytes(const QUrl& url)
{
    return ToFilesystemPath(url.toLocalFile());
}

std::string GbkFileName(const std::filesystem::path& name)
{
    return ToGbk(QString::fromStdWString(name.native())).toStdString();
}

QVariant PathToVariant(const std::filesystem::path& path)
{
    return QString::fromStdWString(path.native());
}

std::filesystem::path PathFromVariant(const QVariant& data)
{
    return std::filesystem::path(data.toString().toStdWString());
}

QString ToQtPath(const std::filesystem::path& path)
{
    return QDir::fromNativeSeparators(QString::fromStdWString(path.native())); // "/", as Qt writes paths
}

bool QtCanNamePath(const std::filesystem::path&)
{
    return true;
}

std::filesystem::path ArgumentBytes(int, char**, const QString& argument)
{
    return ToFilesystemPath(argument);
}
