#include "app/browser/FolderRows.h"

#include "app/shared/WorkerThread.h"

#include <QElapsedTimer>
#include <QListWidget>
#include <QTimer>

#include <algorithm>

namespace {

constexpr int kEntryBytesRole = Qt::UserRole + 16; // clear of the lists' own roles
// Long enough for a folder of thousands of entries to be listed before
// show() returns, short enough for the window to answer meanwhile.
constexpr int kWaitForListingMs = 50;
constexpr int kSliceMs = 20;

} // namespace

RowChanges CompareEntries(const std::vector<ShownEntry>& before, const std::vector<ShownEntry>& after)
{
    RowChanges changes;
    std::size_t b = 0;
    std::size_t a = 0;
    while (b < before.size() || a < after.size()) {
        if (a == after.size() || (b < before.size() && ShownBefore(before[b], after[a]))) {
            changes.goneRows.push_back(int(b++));
        } else if (b == before.size() || ShownBefore(after[a], before[b])) {
            changes.newEntries.push_back(int(a++));
        } else { // the same name and bytes
            ++b;
            ++a;
        }
    }
    std::reverse(changes.goneRows.begin(), changes.goneRows.end());
    return changes;
}

std::filesystem::path EntryBytes(const QListWidgetItem& row)
{
    return PathFromVariant(row.data(kEntryBytesRole));
}

struct FolderRows::Listing {
    int id = 0; // told apart by it, never by address: a listing let go may leave its end to be told
    std::filesystem::path folder;
    Keep keep;
    std::shared_ptr<const std::vector<ShownEntry>> before;
    std::atomic<bool> cancel{false};
    std::unique_ptr<WorkerThread> worker;
    // Made on the worker's thread:
    ShownListing after;
    RowChanges changes;
    // Put in on the window's thread:
    bool taken = false;
    std::size_t rowsTaken = 0;
    std::size_t rowsPut = 0;

    ~Listing()
    {
        cancel = true;
        worker.reset(); // waits for it
    }
};

FolderRows::FolderRows(QListWidget* list, Keep keep, MakeRow makeRow)
    : QObject(list), list_(list), keep_(std::move(keep)), makeRow_(std::move(makeRow)),
      shown_(std::make_shared<const std::vector<ShownEntry>>())
{
}

FolderRows::~FolderRows() = default; // each listing's thread stops at its next entry

void FolderRows::show(const std::filesystem::path& folder, int first)
{
    if (listing_ && listing_->worker->isRunning()) {
        listing_->cancel = true;
        givenUp_.push_back(listing_);
    }
    listing_.reset();
    folder_ = folder;
    first_ = first;
    shown_ = std::make_shared<const std::vector<ShownEntry>>();
    failure_.clear();
    startListing();
}

void FolderRows::refresh()
{
    if (listing_)
        again_ = true;
    else
        startListing();
}

void FolderRows::startListing()
{
    again_ = false;
    listing_ = std::make_shared<Listing>();
    Listing* listing = listing_.get();
    listing->id = ++listingsStarted_;
    listing->folder = folder_;
    listing->keep = keep_;
    listing->before = shown_;
    listing->worker = std::make_unique<WorkerThread>(
        [listing] {
            listing->after = ListShownEntries(listing->folder, listing->keep, &listing->cancel);
            listing->changes = CompareEntries(*listing->before, listing->after.entries);
        },
        nullptr);
    connect(listing->worker.get(), &WorkerThread::ended, this, [this, id = listing->id] {
        if (listing_ && listing_->id == id) {
            take(listing_);
            return;
        }
        givenUp_.erase(std::remove_if(givenUp_.begin(), givenUp_.end(),
                                      [id](const std::shared_ptr<Listing>& kept) { return kept->id == id; }),
                       givenUp_.end());
    });
    if (listing->worker->wait(kWaitForListingMs))
        take(listing_);
}

void FolderRows::take(const std::shared_ptr<Listing>& listing)
{
    if (listing->taken)
        return;
    listing->taken = true;
    failure_ = listing->after.failure;
    putRowsInSlices();
}

// A slice at a time, so that a folder of many entries keeps the window
// answering while they are put in.
void FolderRows::putRowsInSlices()
{
    if (!listing_ || !listing_->taken)
        return;
    Listing& listing = *listing_;
    const RowChanges& changes = listing.changes;
    // Rows going and coming above the view would move what it shows: the
    // row at its top is put back there.
    const QListWidgetItem* top = list_->itemAt(QPoint(0, 0));
    if (top && list_->row(top) < first_)
        top = nullptr;
    const int topRowBefore = top ? list_->row(top) : -1;
    bool selectedGone = false;
    QElapsedTimer spent;
    spent.start();
    while (spent.elapsed() < kSliceMs) {
        if (listing.rowsTaken < changes.goneRows.size()) {
            const int gone = first_ + changes.goneRows[listing.rowsTaken++];
            selectedGone = selectedGone || list_->item(gone)->isSelected();
            QListWidgetItem* row = list_->takeItem(gone);
            if (row == top)
                top = nullptr;
            delete row;
        } else if (listing.rowsPut < changes.newEntries.size()) {
            const int index = changes.newEntries[listing.rowsPut++];
            const ShownEntry& entry = listing.after.entries[std::size_t(index)];
            QListWidgetItem* row = makeRow_(entry);
            row->setData(kEntryBytesRole, PathToVariant(entry.bytes));
            list_->insertItem(first_ + index, row);
        } else {
            break;
        }
    }
    if (selectedGone) // rather than the neighbour a single-selection list would pick
        list_->clearSelection();
    if (top && list_->row(top) != topRowBefore) {
        list_->doItemsLayout();
        list_->scrollToItem(top, QAbstractItemView::PositionAtTop);
    }
    if (listing.rowsTaken < changes.goneRows.size() || listing.rowsPut < changes.newEntries.size())
        QTimer::singleShot(0, this, &FolderRows::putRowsInSlices);
    else
        finishListing();
}

void FolderRows::finishListing()
{
    shown_ = std::make_shared<const std::vector<ShownEntry>>(std::move(listing_->after.entries));
    listing_.reset();
    emit listed();
    if (again_ && !listing_)
        startListing();
}
