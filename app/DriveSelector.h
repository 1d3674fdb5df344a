#pragma once
// The drive selector: the drives of Drives.h. Choosing one asks to enter
// that drive's current directory.

#include <QComboBox>

class DriveSelector : public QComboBox {
    Q_OBJECT
public:
    explicit DriveSelector(QWidget* parent = nullptr);

    // Shows the drive that holds path, without asking to enter it.
    void showDriveOf(const QString& path);

signals:
    void driveChosen(const QString& directory);
};
