#pragma once
// The drive selector: the drives of Drives.h. Choosing one asks to enter
// that drive's current directory.

#include <QComboBox>

class TDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* parent = nullptr);

    // Shows the drive that holds path, without asking to enter it.
    void ShowDriveOf(const QString& path);

signals:
    void DriveChosen(const QString& directory);
};
