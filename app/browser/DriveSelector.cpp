#include "app/browser/DriveSelector.h"

#include "app/browser/Drives.h"

#include <QStorageInfo>

#include <algorithm>

DriveSelector::DriveSelector(QWidget* parent) : QComboBox(parent)
{
    setObjectName(QStringLiteral("drvcbb1"));
    connect(this, &QComboBox::activated, this,
            [this](int index) { emit driveChosen(DriveCurrentDirectory(itemText(index))); });
}

void DriveSelector::showDriveOf(const QString& path)
{
    const QString root = QStorageInfo(path).rootPath();
    if (!listed_) {
        if (!root.isEmpty()) {
            clear();
            addItem(root);
        }
        return;
    }
    const int index = findText(root);
    if (index >= 0)
        setCurrentIndex(index);
}

void DriveSelector::listDrives()
{
    if (listed_)
        return;
    listed_ = true;
    const QString shown = currentText();
    clear();
    addItems(DriveRoots());
    setCurrentIndex(std::max(0, findText(shown)));
}

void DriveSelector::showPopup()
{
    listDrives();
    QComboBox::showPopup();
}

void DriveSelector::keyPressEvent(QKeyEvent* event)
{
    listDrives();
    QComboBox::keyPressEvent(event);
}

void DriveSelector::wheelEvent(QWheelEvent* event)
{
    listDrives();
    QComboBox::wheelEvent(event);
}
