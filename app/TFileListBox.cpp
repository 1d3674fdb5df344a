#include "TFileListBox.h"

#include "WorkingDirectory.h"

#include <QDir>
#include <QKeyEvent>

TFileListBox::TFileListBox(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemClicked, this, &TFileListBox::Click);
}

void TFileListBox::SetDirectory(const QString& directory)
{
    ChangeWorkingDirectory(directory);
    directory_ = directory;
    clear();
    addItems(QDir(directory).entryList({QStringLiteral("*.map")}, QDir::Files, QDir::Name | QDir::IgnoreCase));
    for (int row = 0; row < count(); ++row)
        item(row)->setSizeHint(QSize(0, 12));
}

void TFileListBox::keyPressEvent(QKeyEvent* event)
{
    const int rowBefore = currentRow();
    QListWidget::keyPressEvent(event);
    if (currentRow() != rowBefore && currentItem() && currentItem()->isSelected())
        emit Click();
}
