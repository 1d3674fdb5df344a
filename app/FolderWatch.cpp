#include "FolderWatch.h"

#include <QFileSystemWatcher>
#include <QListWidget>
#include <QSet>
#include <QTimer>

FolderWatch::FolderWatch(QObject* parent)
    : QObject(parent), watcher_(new QFileSystemWatcher(this)), settle_(new QTimer(this)), poll_(new QTimer(this))
{
    settle_->setSingleShot(true);
    settle_->setInterval(100);
    poll_->setInterval(1000);
    connect(watcher_, &QFileSystemWatcher::directoryChanged, settle_, qOverload<>(&QTimer::start));
    connect(settle_, &QTimer::timeout, this, &FolderWatch::changed);
    connect(poll_, &QTimer::timeout, this, &FolderWatch::changed);
}

void FolderWatch::watch(const QString& folder)
{
    if (!watcher_->directories().isEmpty())
        watcher_->removePaths(watcher_->directories());
    if (!folder.isEmpty() && watcher_->addPath(folder))
        poll_->stop();
    else
        poll_->start();
}

bool FolderWatch::isPolling() const
{
    return poll_->isActive();
}

void UpdateRows(QListWidget& list, int first, const QStringList& names,
                const std::function<void(const QString& name, int row)>& insertRow)
{
    const QSet<QString> listed(names.begin(), names.end());
    bool selectedGone = false;
    for (int row = list.count() - 1; row >= first; --row) {
        if (listed.contains(list.item(row)->text()))
            continue;
        selectedGone = selectedGone || list.item(row)->isSelected();
        delete list.takeItem(row);
    }
    if (selectedGone) // rather than the neighbour a single-selection list would pick
        list.clearSelection();
    for (int i = 0; i < names.size(); ++i) {
        const int row = first + i;
        if (row >= list.count() || list.item(row)->text() != names[i])
            insertRow(names[i], row);
    }
}
