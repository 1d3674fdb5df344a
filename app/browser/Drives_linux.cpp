#include "app/browser/Drives.h"

#include <QFileInfo>
#include <QStorageInfo>

QStringList DriveRoots()
{
    QStringList roots{QStringLiteral("/")};
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Bind mounts of single files are no drives.
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir() &&
            !roots.contains(volume.rootPath()))
            roots.append(volume.rootPath());
    }
    roots.sort(); // "/" sorts before every other mount path
    return roots;
}

QString DriveCurrentDirectory(const QString& root)
{
    return root;
}
