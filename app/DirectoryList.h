#pragma once
// The directory list: the path of its directory from "/" down, one row per
// level and each 4 pixels further in, then every subdirectory. A double click
// or Enter on a row asks to enter that directory.

#include <QListWidget>

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
    void addRow(const QString& text, const QString& path, int level, const QIcon& icon);

    QString directory_;
};
