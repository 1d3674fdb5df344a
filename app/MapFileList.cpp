#include "MapFileList.h"

#include <QDir>
#include <QKeyEvent>

#include <stdexcept>

MapFileList::MapFileList(QWidget* parent) : QListWidget(parent)
{
    setObjectName(QStringLiteral("fllst1"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemClicked, this, &MapFileList::fileChosen);
}

void MapFileList::setDirectory(const QString& directory)
{
    directory_ = directory;
    clear();
    addItems(QDir(directory).entryList({QStringLiteral("*.map")}, QDir::Files, QDir::Name | QDir::IgnoreCase));
    for (int row = 0; row < count(); ++row)
        item(row)->setSizeHint(QSize(0, 12));
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
