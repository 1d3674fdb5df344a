#include "app/browser/MapFileList.h"

#include "app/browser/FolderRows.h"
#include "app/browser/FolderWatch.h"
#include "map/MapFormat.h"
#include "qtfiles/FileNames.h"

#include <QKeyEvent>

#include <cctype>
#include <stdexcept>
#include <utility>


MapFileList::MapFileList(QWidget* parent) : QListWidget(parent), watch_(new FolderWatch(this))
{
    setObjectName(QStringLiteral("fllst1"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    rows_ = new FolderRows(
        this, [](const FolderEntry& entry) { return !entry.isFolder && entry.name.native().front() != '.' && HasMapExtension(entry.name); },
        [](const ShownEntry& file) {
            auto* row = new QListWidgetItem(file.name);
            row->setSizeHint(QSize(0, 12));
            return row;
        });
    connect(this, &QListWidget::itemClicked, this, &MapFileList::fileChosen);
    connect(watch_, &FolderWatch::changed, this, &MapFileList::followDirectory);
    connect(rows_, &FolderRows::listed, this, [this] {
        if (std::exchange(enteringDirectory_, false) && !rows_->failure().isEmpty())
            emit directoryUnreadable(rows_->failure());
        emit listed();
    });
}

void MapFileList::setDirectory(const std::filesystem::path& directory)
{
    directory_ = directory;
    watch_->watch(ToQtPath(directory));
    clear();
    enteringDirectory_ = true;
    rows_->show(directory_, 0);
}

bool MapFileList::isListing() const
{
    return rows_->isListing();
}

const QString& MapFileList::listingFailure() const
{
    return rows_->failure();
}

void MapFileList::followDirectory()
{
    std::error_code error;
    if (!directory_.empty() && !std::filesystem::is_directory(directory_, error) &&
        error != std::errc::permission_denied) {
        emit directoryGone();
        return;
    }
    rows_->refresh();
}

bool MapFileList::selectFile(const std::filesystem::path& name)
{
    for (int row = 0; row < count(); ++row) {
        if (EntryBytes(*item(row)) != name)
            continue;
        setCurrentRow(row, QItemSelectionModel::ClearAndSelect);
        scrollToItem(item(row));
        return true;
    }
    return false;
}

std::filesystem::path MapFileList::selectedFilePath() const
{
    const QListWidgetItem* selected = currentItem();
    if (!selected || !selected->isSelected())
        throw std::runtime_error("List index out of bounds (-1)");
    return directory_ / EntryBytes(*selected);
}

void MapFileList::keyPressEvent(QKeyEvent* event)
{
    const int rowBefore = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != rowBefore && currentItem() && currentItem()->isSelected())
        emit fileChosen();
}
