#include "TDriveComboBox.h"

#include "Drives.h"

#include <QStorageInfo>

TDriveComboBox::TDriveComboBox(QWidget* parent) : QComboBox(parent)
{
    addItems(DriveRoots());
    connect(this, &QComboBox::activated, this,
            [this](int index) { emit DriveChosen(DriveCurrentDirectory(itemText(index))); });
}

void TDriveComboBox::ShowDriveOf(const QString& path)
{
    const int index = findText(QStorageInfo(path).rootPath());
    if (index >= 0)
        setCurrentIndex(index);
}
