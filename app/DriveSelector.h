#pragma once
// The drive selector: the mounted file systems, "/" first, then the others
// by mount path. Choosing one asks to enter its root directory.

#include <QComboBox>

class DriveSelector : public QComboBox {
    Q_OBJECT
public:
    explicit DriveSelector(QWidget* parent = nullptr);

    // Shows the file system that holds path, without asking to enter it.
    void showDriveOf(const QString& path);

    static QStringList mountedRoots();

signals:
    void driveChosen(const QString& root);
};
