#pragma once
// The directory list: the path of its directory from "/" down, one row per
// level and each 4 pixels further in, then the subdirectories (hidden ones
// left out). A double click or Enter on a row asks to enter that directory.

#include <QListWidget>

class TDirectoryListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TDirectoryListBox(QWidget* parent = nullptr);

    const QString& Directory() const { return directory_; }
    // Throws std::runtime_error when the directory cannot be entered; the
    // list then keeps its previous directory.
    void SetDirectory(const QString& directory);

    static QString RowPath(const QListWidgetItem* row);

signals:
    void DirectoryActivated(const QString& directory);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void AddRow(const QString& text, const QString& path, int level, const QIcon& icon);

    QString directory_;
};
