#include "app/browser/FolderWatch.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

FolderWatch::FolderWatch(QObject* parent)
    : QObject(parent), watcher_(new QFileSystemWatcher(this)), settle_(new QTimer(this)), poll_(new QTimer(this))
{
    settle_->setSingleShot(true);
    settle_->setInterval(250);
    poll_->setInterval(1000);
    // Started by the first change and not again by those that follow, so
    // that changes without a pause (a program's temporary files) are told too.
    // The folder's own removal is told by its parent: while the folder is the
    // working directory, the system tells its watcher nothing.
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this](const QString& changed) {
        if (changed != folder_ && QFileInfo(folder_).isDir())
            return;
        if (!settle_->isActive())
            settle_->start();
    });
    connect(settle_, &QTimer::timeout, this, &FolderWatch::changed);
    connect(poll_, &QTimer::timeout, this, &FolderWatch::changed);
}

void FolderWatch::watch(const QString& folder)
{
    if (!watcher_->directories().isEmpty())
        watcher_->removePaths(watcher_->directories());
    folder_ = folder;
    if (!folder.isEmpty() && watcher_->addPath(folder)) {
        poll_->stop();
        const QString parent = QFileInfo(folder).absolutePath();
        if (parent != folder)
            watcher_->addPath(parent);
    } else {
        poll_->start();
    }
}

bool FolderWatch::isPolling() const
{
    return poll_->isActive();
}
