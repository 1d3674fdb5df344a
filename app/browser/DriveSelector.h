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
    // Lists the system's drives, keeping the shown one, unless they are listed
    // already. Until then the selector holds the shown drive alone: reading
    // the drives, which is no part of the window's first picture, is left
    // until the list is opened, scrolled or typed in.
    void listDrives();
    void showPopup() override;

signals:
    void driveChosen(const QString& directory);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool listed_ = false;
};
