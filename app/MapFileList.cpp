#include "MapFileList.h"

#include "FolderWatch.h"

#include <QDir>
#include <QKeyEvent>

#include <stdexcept>

MapFileList::MapFileList(QWidget* parent) : QListWidget(parent), watch_(new FolderWatch(this))
{
    setObjectName(QStringLiteral("fllst1"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemClicked, this, &MapFileList::fileChosen);
    connect(watch_, &FolderWatch::changed, this, &MapFileList::followDirectory);
}

void MapFileList::setDirectory(const QString& directory)
{
    directory_ = directory;
    watch_->watch(directory);
    clear();
    followDirectory();
}

QStringList MapFileList::listing() const
{
    return QDir(directory_).entryList({QStringLiteral("*.map")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

void MapFileList::followDirectory()
{
    UpdateRows(*this, 0, listing(), [this](const QString& name, int row) { insertFile(name, row); });
}

void MapFileList::insertFile(const QString& name, int row)
{
    auto* file = new QListWidgetItem(name);
    file->setSizeHint(QSize(0, 12));
    insertItem(row, file);
}

bool MapFileList::selectFile(const QString& name)
{
    const QList<QListWidgetItem*> found = findItems(name, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found.isEmpty())
        return false;
    setCurrentItem(found.first(), QItemSelectionModel::ClearAndSelect);
    scrollToItem(found.first());
    return true;
}

QString MapFileList::selectedFilePath() const
{
    const QListWidgetItem* selected = currentItem();
    if (!selected || !selected->isSelected())
        throw std::runtime_error("List index out of bounds (-1)");
    return directory_ + QLatin1Char('/') + selected->text();
}

void MapFileList::keyPressEvent(QKeyEvent* event)
{
    const int rowBefore = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != rowBefore && currentItem() && currentItem()->isSelected())
        emit fileChosen();
}
