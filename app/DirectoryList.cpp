#include "DirectoryList.h"

#include "FolderWatch.h"

#include <QDir>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

namespace {

constexpr int kPathRole = Qt::UserRole;
constexpr int kLevelRole = Qt::UserRole + 1;
constexpr int kIndentPerLevel = 4;
constexpr int kRowHeight = 16;

class IndentedRowDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem indented(option);
        indented.rect.setLeft(option.rect.left() + kIndentPerLevel * index.data(kLevelRole).toInt());
        QStyledItemDelegate::paint(painter, indented, index);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), kRowHeight);
    }
};

// "/a/b" gives "/", "/a", "/a/b"; "C:/a" gives "C:/", "C:/a".
QStringList PathFromRoot(const QString& directory)
{
    const QString root = directory.left(directory.indexOf(QLatin1Char('/')) + 1);
    QStringList paths{root};
    for (const QString& name : directory.mid(root.size()).split(QLatin1Char('/'), Qt::SkipEmptyParts))
        paths.append((paths.size() == 1 ? root : paths.last() + QLatin1Char('/')) + name);
    return paths;
}

} // namespace

DirectoryList::DirectoryList(QWidget* parent) : QListWidget(parent), watch_(new FolderWatch(this))
{
    setObjectName(QStringLiteral("dirlst1"));
    setSelectionMode(QAbstractItemView::SingleSelection);
    setIconSize(QSize(16, 16));
    setItemDelegate(new IndentedRowDelegate(this));
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* row) { emit directoryActivated(rowPath(row)); });
    connect(watch_, &FolderWatch::changed, this, &DirectoryList::followDirectory);
}

QString DirectoryList::rowPath(const QListWidgetItem* row)
{
    return row->data(kPathRole).toString();
}

void DirectoryList::setDirectory(const QString& directory)
{
    directory_ = directory;
    clear();
    const QStringList levels = PathFromRoot(directory_);
    for (int level = 0; level < levels.size(); ++level) {
        const bool current = level == levels.size() - 1;
        const QString name = level == 0 ? levels[0] : QDir(levels[level]).dirName();
        addRow(name, levels[level], level,
               QIcon(current ? QStringLiteral(":/icons/folder-current.png") : QStringLiteral(":/icons/folder-open.png")));
    }
    setCurrentRow(int(levels.size()) - 1);
    levels_ = int(levels.size());
    watch_->watch(directory_);
    followDirectory();
}

QStringList DirectoryList::subdirectories() const
{
    return QDir(directory_).entryList(QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
}

void DirectoryList::followDirectory()
{
    const QDir dir(directory_);
    const QIcon closed(QStringLiteral(":/icons/folder-closed.png"));
    UpdateRows(*this, levels_, subdirectories(),
               [&](const QString& name, int row) { addRow(name, dir.filePath(name), levels_, closed, row); });
}

void DirectoryList::addRow(const QString& text, const QString& path, int level, const QIcon& icon, int row)
{
    auto* item = new QListWidgetItem(icon, text);
    item->setData(kPathRole, path);
    item->setData(kLevelRole, level);
    insertItem(row < 0 ? count() : row, item);
}

void DirectoryList::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        emit directoryActivated(rowPath(currentItem()));
        return;
    }
    QListWidget::keyPressEvent(event);
}
