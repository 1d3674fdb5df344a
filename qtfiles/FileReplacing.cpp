#include "qtfiles/FileReplacing.h"

#include "qtfiles/QtConversions.h"
#include "qtfiles/SafeWriting.h"

#include <QBuffer>
#include <QFileInfo>
#include <QSaveFile>

#include <vector>

void ReplaceFileWith(const QString& fileName, const std::function<bool(QIODevice& file)>& write)
{
    const QString shownName = QFileInfo(fileName).absoluteFilePath();
    if (const QString why = WhyNotAFileToReplace(fileName); !why.isEmpty())
        throw FileFailure("create", shownName, why);
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) && QFileInfo(fileName).isFile()) {
        QBuffer bytes;
        bytes.open(QIODevice::WriteOnly);
        write(bytes);
        const QByteArray& written = bytes.data();
        OverwriteInPlace(fileName, std::vector<std::uint8_t>(written.begin(), written.end()));
        return;
    }
    if (!file.isOpen()) {
        const QString why = WhyNotWritable(fileName);
        throw FileFailure("create", shownName, why.isEmpty() ? file.errorString() : why);
    }
    // commit() alone would not notice a failure of the last buffered write
    // and would put a cut-off file in place: flush and check first. Without
    // a commit the temporary file is removed.
    if (!write(file) || !file.flush() || file.error() != QFileDevice::NoError)
        throw WriteFailure(LastErrorText().toStdString()); // Qt's own text does not tell a full disk
    if (!file.commit())
        throw WriteFailure(file.errorString().toStdString());
}
