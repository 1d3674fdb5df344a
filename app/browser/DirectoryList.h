#pragma once
// The directory list: the path of its directory from "/" down, one row per
// level and each 4 pixels further in, then every subdirectory. A double click
// or Enter on a row asks to enter that directory. Subdirectories created,
// removed or renamed show up or go within a second; the selection and scroll
// position stay. Folder names are kept as the system's bytes: one that is
// not valid UTF-8 is shown decoded as GBK (or with its bytes escaped) and
// entered under its own bytes.

#include <QListWidget>

#include <filesystem>

class FolderRows;
class FolderWatch;

class DirectoryList : public QListWidget {
    Q_OBJECT
public:
    explicit DirectoryList(QWidget* parent = nullptr);

    const std::filesystem::path& directory() const { return directory_; }
    // directory is absolute and clean.
    void setDirectory(const std::filesystem::path& directory);

    static std::filesystem::path rowPath(const QListWidgetItem* row);

signals:
    void directoryActivated(const std::filesystem::path& directory);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    static QListWidgetItem* makeRow(const QString& text, const std::filesystem::path& path, int level, const QIcon& icon);

    std::filesystem::path directory_;
    int levels_ = 0; // the rows of the path from the root
    FolderWatch* watch_;
    FolderRows* rows_;
};
