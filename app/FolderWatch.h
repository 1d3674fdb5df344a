#pragma once
// Following a folder shown in a list: FolderWatch tells when the entries of
// the folder may have changed (a file-system watcher, or a look once a second
// where the system cannot watch the folder); UpdateRows brings the rows in
// line with a new listing without disturbing the rows that stay.

#include <QObject>
#include <QStringList>

#include <functional>

class QFileSystemWatcher;
class QListWidget;
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
    QTimer* settle_; // one notice for a burst of changes, such as a copy
    QTimer* poll_;
};

// Makes the rows of list from row `first` on hold names, in their order:
// rows whose text is no longer listed go, rows for new names are made by
// insertRow(name, row) at their place, the rest stay as they are, with
// their selection and the scroll position. When the selected row goes,
// nothing is selected. Both lists in the same order.
void UpdateRows(QListWidget& list, int first, const QStringList& names,
                const std::function<void(const QString& name, int row)>& insertRow);
