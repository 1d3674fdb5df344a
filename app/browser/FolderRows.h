#pragma once
// The rows of a list, from a first row on, that show the entries of a folder
// and follow it. A folder is listed on a thread of its own: a small one
// within a moment, so that its rows are there when show() returns; a large
// one (100,000 files) while the window goes on answering, its rows put in a
// slice at a time. Each row knows its entry by the name's bytes
// (EntryBytes); rows that stay keep their selection and the row at the top
// of the view stays there. When the selected row goes, nothing is selected.

#include "qtfiles/FileNames.h"

#include <QObject>

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

class QListWidget;
class QListWidgetItem;

// How the rows of the entries `before` become those of `after` (both in
// ShownBefore order): the rows to take away, counted in `before`, last
// first; then the entries of `after` to put in at their place, first first.
struct RowChanges {
    std::vector<int> goneRows;
    std::vector<int> newEntries;
};
RowChanges CompareEntries(const std::vector<ShownEntry>& before, const std::vector<ShownEntry>& after);

// The bytes of the name of the entry a row of FolderRows shows.
std::filesystem::path EntryBytes(const QListWidgetItem& row);

class FolderRows : public QObject {
    Q_OBJECT
public:
    using Keep = std::function<bool(const FolderEntry& entry)>;
    using MakeRow = std::function<QListWidgetItem*(const ShownEntry& entry)>;

    FolderRows(QListWidget* list, Keep keep, MakeRow makeRow);
    ~FolderRows() override;

    // The list holds `first` rows; the folder's follow them. A listing of
    // another folder still under way is given up.
    void show(const std::filesystem::path& folder, int first);
    // Lists the folder again (after the one under way) and brings the rows in line.
    void refresh();

    bool isListing() const { return listing_ != nullptr || again_; }
    // Why the last listing failed (the system's text); empty when it was read.
    const QString& failure() const { return failure_; }

signals:
    // The rows show a whole listing of the folder, or the listing failed.
    void listed();

private:
    struct Listing;

    void startListing();
    void take(const std::shared_ptr<Listing>& listing);
    void putRowsInSlices();
    void finishListing();

    QListWidget* list_;
    Keep keep_;
    MakeRow makeRow_;
    std::filesystem::path folder_;
    int first_ = 0;
    std::shared_ptr<const std::vector<ShownEntry>> shown_;
    std::shared_ptr<Listing> listing_; // under way, or its rows being put in
    std::vector<std::shared_ptr<Listing>> givenUp_; // threads still running
    int listingsStarted_ = 0;
    bool again_ = false;
    QString failure_;
};
