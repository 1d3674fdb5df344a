#pragma once
// The directory list: the path of its directory from "/" down, one row per
// level and each 4 pixels further in, then every subdirectory. A double click
// or Enter on a row asks to enter that directory. Subdirectories created,
// removed or renamed show up or go within a second; the selection and scroll
// position stay.

#include <QListWidget>

class FolderWatch;

class DirectoryList : public QListWidget {
    Q_OBJECT
public:
    explicit DirectoryList(QWidget* parent = nullptr);

    const QString& directory() const { return directory_; }
    // directory is absolute and clean.
    void setDirectory(const QString& directory);

    static QString rowPath(const QListWidgetItem* row);

signals:
    void directoryActivated(const QString& directory);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QStringList subdirectories() const;
    void followDirectory();
    // At the end when row is -1.
    void addRow(const QString& text, const QString& path, int level, const QIcon& icon, int row = -1);

    QString directory_;
    int levels_ = 0; // the rows of the path from the root
    FolderWatch* watch_;
};
