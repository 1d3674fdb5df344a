#pragma once
// The file list: the "*.map" files of one directory (letter case ignored),
// sorted by name, without directories, hidden files or system files.

#include <QListWidget>

class MapFileList : public QListWidget {
    Q_OBJECT
public:
    explicit MapFileList(QWidget* parent = nullptr);

    const QString& directory() const { return directory_; }
    void setDirectory(const QString& directory);

    // The full path of the selected file; throws "List index out of bounds
    // (-1)" when no file is selected.
    QString selectedFilePath() const;

signals:
    // A click on a file (also the selected one), or a move of the selection
    // with the keyboard.
    void fileChosen();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString directory_;
};
