#pragma once
// What the command line and a drop on the window open: a folder, or a
// ".map" file in its folder.

#include <QObject>
#include <QString>
#include <QUrl>

class QMimeData;
class QWidget;

struct OpenTarget {
    QString folder;  // absolute and clean
    QString mapFile; // the bare file name; empty when a folder is opened
};

// Throws std::runtime_error with one line that names the path and says why
// it cannot be opened: it does not exist, it is neither a folder nor a
// ".map" file, the map is hidden (so not listed), the folder cannot be read, the name holds bytes that are not
// valid in the system's encoding, or the path is longer than the system
// allows.
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

// The local path a dropped URL names; throws std::runtime_error when the URL
// is not a file on this computer.
QString DroppedPath(const QUrl& url);
