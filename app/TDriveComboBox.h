#pragma once
// The drive selector: the mounted file systems, "/" first, then the others
// by mount path. Choosing one asks to enter its root directory.

#include <QComboBox>

class TDriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TDriveComboBox(QWidget* parent = nullptr);

    // Shows the file system that holds path, without asking to enter it.
    void ShowDriveOf(const QString& path);

    static QStringList MountedRoots();

signals:
    void DriveChosen(const QString& root);
};
