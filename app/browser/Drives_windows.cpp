#include "app/browser/Drives.h"

#include <QDir>

#include <windows.h>

QStringList DriveRoots()
{
    QStringList roots;
    const DWORD drives = ::GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if (drives & (DWORD(1) << letter))
            roots.append(QStringLiteral("%1:/").arg(QChar(u'A' + letter)));
    }
    return roots;
}

// "X:" alone names the drive's current directory; resolving it touches no
// medium, so a drive without one gives its root and fails only when entered.
QString DriveCurrentDirectory(const QString& root)
{
    const std::wstring drive = root.left(2).toStdWString();
    wchar_t full[MAX_PATH];
    const DWORD length = ::GetFullPathNameW(drive.c_str(), MAX_PATH, full, nullptr);
    if (length == 0 || length >= MAX_PATH)
        return root;
    return QDir::cleanPath(QDir::fromNativeSeparators(QString::fromWCharArray(full, int(length))));
}
