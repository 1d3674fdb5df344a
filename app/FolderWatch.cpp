#include "FolderWatch.h"

#include <QFileSystemWatcher>
#include <QListWidget>
#include <QTimer>

#include <optional>
#include <set>

FolderWatch::FolderWatch(QObject* parent)
    : QObject(parent), watcher_(new QFileSystemWatcher(this)), settle_(new QTimer(this)), poll_(new QTimer(this))
{
    settle_->setSingleShot(true);
    settle_->setInterval(250);
    poll_->setInterval(1000);
    // Started by the first change and not again by those that follow, so
    // that changes without a pause (a program's temporary files) are told too.
    connect(watcher_, &QFileSystemWatcher::directoryChanged, this, [this] {
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
    if (!folder.isEmpty() && watcher_->addPath(folder))
        poll_->stop();
    else
        poll_->start();
}

bool FolderWatch::isPolling() const
{
    return poll_->isActive();
}

namespace {

constexpr int kEntryBytesRole = Qt::UserRole + 16; // clear of the lists' own roles

} // namespace

std::filesystem::path EntryBytes(const QListWidgetItem& row)
{
    return PathFromVariant(row.data(kEntryBytesRole));
}

void UpdateRows(QListWidget& list, int first, const std::vector<ShownEntry>& entries,
                const std::function<QListWidgetItem*(const ShownEntry& entry)>& makeRow)
{
    std::set<std::filesystem::path> listed;
    for (const ShownEntry& entry : entries)
        listed.insert(entry.bytes);
    // Rows going and coming above the view would move what it shows, by how
    // many depending on how the changes fall into layouts: the row at its top
    // is put back there.
    const QListWidgetItem* top = list.itemAt(QPoint(0, 0));
    const std::optional<std::filesystem::path> topEntry =
        top && list.row(top) >= first ? std::optional(EntryBytes(*top)) : std::nullopt;
    bool selectedGone = false;
    const auto takeRow = [&](int row) {
        selectedGone = selectedGone || list.item(row)->isSelected();
        delete list.takeItem(row);
    };
    for (int row = list.count() - 1; row >= first; --row)
        if (listed.count(EntryBytes(*list.item(row))) == 0)
            takeRow(row);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int row = first + int(i);
        if (row < list.count() && EntryBytes(*list.item(row)) == entries[i].bytes)
            continue;
        QListWidgetItem* made = makeRow(entries[i]);
        made->setData(kEntryBytesRole, PathToVariant(entries[i].bytes));
        list.insertItem(row, made);
    }
    // Rows of entries that came before others they used to follow were made
    // again in their new place; their old rows are left below the last entry.
    while (list.count() > first + int(entries.size()))
        takeRow(list.count() - 1);
    if (selectedGone) // rather than the neighbour a single-selection list would pick
        list.clearSelection();
    if (!topEntry)
        return;
    for (int row = first; row < list.count(); ++row) {
        if (EntryBytes(*list.item(row)) == *topEntry) {
            list.doItemsLayout();
            list.scrollToItem(list.item(row), QAbstractItemView::PositionAtTop);
            break;
        }
    }
}
