#include "DriveSelector.h"

#include <QFileInfo>
#include <QStorageInfo>

DriveSelector::DriveSelector(QWidget* parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("drvcbb1"));
    addItems(mountedRoots());
    connect(this, &QComboBox::activated, this, [this](int index) { emit driveChosen(itemText(index)); });
}

QStringList DriveSelector::mountedRoots()
{
    QStringList roots;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Bind mounts of single files are no drives.
        if (volume.isValid() && volume.isReady() && QFileInfo(volume.rootPath()).isDir() &&
            !roots.contains(volume.rootPath()))
            roots.append(volume.rootPath());
    }
#ifndef Q_OS_WIN
    if (!roots.contains(QLatin1String("/")))
        roots.append(QStringLiteral("/"));
#endif
    roots.sort(); // "/" sorts before every other mount path, "C:/" before "D:/"

    return roots;
}

void DriveSelector::showDriveOf(const QString& path)
{
    const int index = findText(QStorageInfo(path).rootPath());
    if (index >= 0)
        setCurrentIndex(index);
}
