#pragma once
// The file list: the "*.map" files of one directory (letter case ignored),
// sorted by name, without directories, hidden files or system files.
// Filling it makes its directory the working directory.

#include <QListWidget>

class TFileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TFileListBox(QWidget* parent = nullptr);

    const QString& Directory() const { return directory_; }
    // Throws std::runtime_error when the directory cannot be entered; the
    // list then keeps its previous directory.
    void SetDirectory(const QString& directory);

signals:
    // A click on an item (also the selected one) or a move of the selection
    // with the keyboard.
    void Click();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString directory_;
};
