#pragma once
// Following a folder shown in a list: FolderWatch tells when the entries of
// the folder may have changed (a file-system watcher, or a look once a second
// where the system cannot watch the folder).

#include <QObject>

class QFileSystemWatcher;
class QTimer;

class FolderWatch : public QObject {
    Q_OBJECT
public:
    explicit FolderWatch(QObject* parent);

    // Stops following the previous folder.
    void watch(const QString& folder);
    bool isPolling() const;

signals:
    // Perhaps changed: the owner lists the folder again and compares.
    void changed();

private:
    QString folder_;
    QFileSystemWatcher* watcher_;
    QTimer* settle_; // one notice a quarter of a second for changes that go on, such as a copy
    QTimer* poll_;
};
