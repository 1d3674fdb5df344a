#include "DriveSelector.h"

#include "Drives.h"

#include <QStorageInfo>

DriveSelector::DriveSelector(QWidget* parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("drvcbb1"));
    addItems(DriveRoots());
    connect(this, &QComboBox::activated, this,
            [this](int index) { emit driveChosen(DriveCurrentDirectory(itemText(index))); });
}

void DriveSelector::showDriveOf(const QString& path)
{
    const int index = findText(QStorageInfo(path).rootPath());
    if (index >= 0)
        setCurrentIndex(index);
}
