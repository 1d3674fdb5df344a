#pragma once
// Following a folder shown in a list: FolderWatch tells when the entries of
// the folder may have changed (a file-system watcher, or a look once a second
// where the system cannot watch the folder); UpdateRows brings the rows in
// line with a new listing without disturbing the rows that stay.

#include "FileNames.h"

#include <QObject>

#include <filesystem>
#include <functional>
#include <vector>

class QFileSystemWatcher;
class QListWidget;
class QListWidgetItem;
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
    QFileSystemWatcher* watcher_;
    QTimer* settle_; // one notice a quarter of a second for changes that go on, such as a copy
    QTimer* poll_;
};

// Makes the rows of list from row `first` on hold the entries, in their
// order, each row knowing its entry by the name's bytes: rows of entries no
// longer listed go, rows for new entries are made by makeRow(entry) and put
// in their place, the rest stay as they are, with their selection and the
// scroll position. When the selected row goes, nothing is selected.
void UpdateRows(QListWidget& list, int first, const std::vector<ShownEntry>& entries,
                const std::function<QListWidgetItem*(const ShownEntry& entry)>& makeRow);
// The bytes of the name of the entry a row made by UpdateRows shows.
std::filesystem::path EntryBytes(const QListWidgetItem& row);
