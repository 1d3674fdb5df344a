#include "app/browser/DirectoryList.h"

#include "app/browser/FolderRows.h"
#include "app/browser/FolderWatch.h"
#include "app/shared/WindowStyle.h"
#include "qtfiles/FileNames.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <vector>

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
std::vector<std::filesystem::path> PathFromRoot(const std::filesystem::path& directory)
{
    std::vector<std::filesystem::path> paths{directory.root_path()};
    for (const std::filesystem::path& name : directory.relative_path())
        if (!name.empty())
            paths.push_back(paths.back() / name);
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
    rows_ = new FolderRows(
        this, [](const FolderEntry& entry) { return entry.isFolder; },
        [this, closed = IconNamed("folder-closed")](const ShownEntry& subdirectory) {
            return makeRow(subdirectory.name, directory_ / subdirectory.bytes, levels_, closed);
        });
    connect(watch_, &FolderWatch::changed, rows_, &FolderRows::refresh);
}

std::filesystem::path DirectoryList::rowPath(const QListWidgetItem* row)
{
    return PathFromVariant(row->data(kPathRole));
}

void DirectoryList::setDirectory(const std::filesystem::path& directory)
{
    directory_ = directory;
    clear();
    const std::vector<std::filesystem::path> levels = PathFromRoot(directory_);
    for (std::size_t level = 0; level < levels.size(); ++level) {
        const bool current = level == levels.size() - 1;
        const QString name = level == 0 ? ToQtPath(levels[0]) : ShownFileName(levels[level].filename());
        addItem(makeRow(name, levels[level], int(level), IconNamed(current ? "folder-current" : "folder-open")));
    }
    setCurrentRow(int(levels.size()) - 1);
    levels_ = int(levels.size());
    watch_->watch(ToQtPath(directory_));
    rows_->show(directory_, levels_);
}

QListWidgetItem* DirectoryList::makeRow(const QString& text, const std::filesystem::path& path, int level, const QIcon& icon)
{
    auto* item = new QListWidgetItem(icon, text);
    item->setData(kPathRole, PathToVariant(path));
    item->setData(kLevelRole, level);
    return item;
}

void DirectoryList::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        emit directoryActivated(rowPath(currentItem()));
        return;
    }
    QListWidget::keyPressEvent(event);
}
