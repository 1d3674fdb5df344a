#include "BitmapFile.h"

#include "QtConversions.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <stdexcept>

QString WithBmpExtension(const QString& fileName)
{
    qsizetype lastSeparator = fileName.lastIndexOf(QLatin1Char('/'));
#ifdef Q_OS_WIN
    lastSeparator = std::max({lastSeparator, fileName.lastIndexOf(QLatin1Char('\\')), fileName.lastIndexOf(QLatin1Char(':'))});
#endif
    const qsizetype lastDot = fileName.lastIndexOf(QLatin1Char('.'));
    return (lastDot > lastSeparator ? fileName.left(lastDot) : fileName) + QStringLiteral(".bmp");
}

void SaveBitmapFile(const QImage& picture, const QString& fileName)
{
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw FileFailure("create", QFileInfo(fileName).absoluteFilePath(), file.errorString());
    // commit() alone would not notice a failure of the last buffered write
    // and would put a cut-off file in place: flush and check first. Without
    // a commit the temporary file is removed.
    const bool written = (picture.isNull() || picture.save(&file, "BMP")) && file.flush() &&
                         file.error() == QFileDevice::NoError;
    if (!written || !file.commit())
        throw std::runtime_error("Stream write error");
}
