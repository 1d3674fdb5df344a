#pragma once
// The file list: the "*.map" files of one directory (letter case ignored),
// sorted by name, without directories, hidden files or system files. It
// follows its directory: files created, removed or renamed there show up or
// go within a second, and the selection and scroll position stay. A folder
// of many files is listed while the window goes on answering. Names are
// kept as the system's bytes: one that is not valid UTF-8 is shown decoded
// as GBK (or with its bytes escaped) and opened under its own bytes.

#include <QListWidget>

#include <filesystem>

class FolderRows;
class FolderWatch;

class MapFileList : public QListWidget {
    Q_OBJECT
public:
    explicit MapFileList(QWidget* parent = nullptr);

    const std::filesystem::path& directory() const { return directory_; }
    void setDirectory(const std::filesystem::path& directory);
    // Until the rows show the whole directory (a large one takes a while).
    bool isListing() const;
    // Why the directory could not be listed (the system's text); empty when it was.
    const QString& listingFailure() const;

    // The full path of the selected file; throws "List index out of bounds
    // (-1)" when no file is selected.
    std::filesystem::path selectedFilePath() const;
    // Makes the file of that bare name (its bytes) the selected one; false
    // when it is not listed.
    bool selectFile(const std::filesystem::path& name);

signals:
    // A click on a file (also the selected one), or a move of the selection
    // with the keyboard.
    void fileChosen();
    // The directory was removed or renamed while it was shown.
    void directoryGone();
    // The rows show the whole directory, or it could not be listed.
    void listed();
    // The directory just set cannot be listed (the system's text).
    void directoryUnreadable(const QString& reason);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void followDirectory();

    std::filesystem::path directory_;
    FolderWatch* watch_;
    FolderRows* rows_;
    bool enteringDirectory_ = false;
};
