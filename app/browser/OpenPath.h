#pragma once
// What the command line and a drop on the window open: a folder, or a
// ".map" file in its folder.

#include <QObject>
#include <QString>
#include <QUrl>

#include <filesystem>

class QMimeData;
class QWidget;

struct OpenTarget {
    std::filesystem::path folder;  // absolute and clean
    std::filesystem::path mapFile; // the bare file name; empty when a folder is opened
};

// Throws std::runtime_error with one line that names the path and says why
// it cannot be opened: it does not exist, it is neither a folder nor a
// ".map" file, the map is hidden (so not listed), the folder cannot be read,
// or the path is longer than the system allows. The path is taken as the
// system's bytes, as the file list takes names: a Chinese name in GBK bytes
// opens as it does there.
OpenTarget ResolveOpenTarget(const std::filesystem::path& path);
// The same for a path as text; text that lost bytes on its way in (holding
// U+FFFD) is refused for holding bytes not valid in the system's encoding.
OpenTarget ResolveOpenTarget(const QString& path);

// Whether a drag is worth dropping: one URL, and not a file on this computer
// that is plainly neither a folder nor a ".map" file. Anything else (text,
// several files, a picture) is refused.
bool IsWorthDropping(const QMimeData& data);

// Takes the drops on a window, wherever on it they land (its controls pass
// them on), refusing what IsWorthDropping() refuses; tells of a drop once it
// is over, so that a failure box does not hold up the program the drag came
// from.
class DropOpener : public QObject {
    Q_OBJECT
public:
    explicit DropOpener(QWidget* window);

signals:
    void dropped(const QUrl& url);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The local path a dropped URL names, as the system's bytes (its escapes
// undone byte for byte); throws std::runtime_error when the URL is not a
// file on this computer.
std::filesystem::path DroppedPath(const QUrl& url);
