#include "app/following/ProcessPicker.h"

#include "process/ProcessDetails.h"
#include "process/WhyUnreadable.h"
#include "qtfiles/FileNames.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QSortFilterProxyModel>
#include <QStandardItemModel>
#include <QStyleOptionHeader>

namespace {

constexpr int kProcessIdRole = Qt::UserRole;      // on both cells of a row
constexpr int kKeyRole = Qt::UserRole + 1;        // what filters and sorts: the bare name, the identifier
constexpr int kDetailsRole = Qt::UserRole + 2;    // command line and owner, for the tooltip
constexpr int kAccessRole = Qt::UserRole + 3;
constexpr int kStartRole = Qt::UserRole + 4; // the start time of the process the row was made for
constexpr int kNameColumn = 0;
constexpr int kIdColumn = 1;

QString NameHeader()
{
    return ProcessPicker::tr("Process");
}

QString DetailsText(std::uint32_t processId)
{
    const ProcessDetails details = DetailsOfProcess(processId);
    QStringList lines;
    if (!details.commandLine.empty())
        lines.append(QString::fromLocal8Bit(details.commandLine.c_str()));
    if (!details.owner.empty())
        lines.append(ProcessPicker::tr("Owner: %1").arg(QString::fromLocal8Bit(details.owner.c_str())));
    return lines.join(QLatin1Char('\n'));
}

// The text with a zero-width space in every long run of characters without
// a blank: a command line of one long word wraps there.
QString Breakable(const QString& text)
{
    constexpr int kLongestRun = 40;
    QString broken;
    int run = 0;
    for (const QChar c : text) {
        broken += c;
        run = c.isSpace() ? 0 : run + 1;
        if (run >= kLongestRun && !c.isHighSurrogate()) {
            broken += QChar(0x200B);
            run = 0;
        }
    }
    return broken;
}

// Rich text, so a long command line wraps and no character in it is taken
// for markup.
QString ToolTip(const QStringList& paragraphs)
{
    QStringList shown;
    for (const QString& paragraph : paragraphs)
        if (!paragraph.isEmpty())
            shown.append(Breakable(paragraph).toHtmlEscaped().replace(QLatin1Char('\n'), QLatin1String("<br>")));
    return QStringLiteral("<p>%1</p>").arg(shown.join(QLatin1String("<br>")));
}

QList<QStandardItem*> RowOf(const ProcessEntry& process)
{
    // Read as file names are: a Chinese name in GBK bytes shows in Chinese.
    const QString name = ShownFileName(std::filesystem::path(process.exeFile));
    auto* nameCell = new QStandardItem(name);
    nameCell->setData(name, kKeyRole);
    nameCell->setData(DetailsText(process.processId), kDetailsRole);
    nameCell->setData(int(ProcessAccess::Open), kAccessRole);
    if (process.startTime)
        nameCell->setData(qulonglong(*process.startTime), kStartRole);
    auto* idCell = new QStandardItem(QString::number(process.processId));
    idCell->setData(process.processId, kKeyRole);
    for (QStandardItem* cell : {nameCell, idCell}) {
        cell->setEditable(false);
        cell->setData(process.processId, kProcessIdRole);
        cell->setToolTip(ToolTip({name, nameCell->data(kDetailsRole).toString()}));
    }
    return {nameCell, idCell};
}

// Measures its labels in the font they are shown in. Qt's header measures
// them in bold whatever they are shown in, and loading a bold face of the
// window's font, which nothing shows, cost the start half a millisecond.
class PlainLabelHeader : public QHeaderView {
public:
    using QHeaderView::QHeaderView;

protected:
    QSize sectionSizeFromContents(int section) const override
    {
        QStyleOptionHeader label;
        initStyleOption(&label);
        label.section = section;
        label.text = model()->headerData(section, orientation()).toString();
        if (isSortIndicatorShown())
            label.sortIndicator = QStyleOptionHeader::SortDown;
        return style()->sizeFromContents(QStyle::CT_HeaderSection, &label, QSize(), this);
    }
};

} // namespace

QString ProcessAccessNote(std::uint32_t processId, ProcessAccess access)
{
    switch (access) {
    case ProcessAccess::Ended:
        return ProcessPicker::tr("The process has ended.");
    case ProcessAccess::Denied:
        return ProcessPicker::tr("The viewer may not read this process's memory, so the position reads as 0:0. %1 "
                                 "The README's section \"Permission to read another process\" tells more.")
            .arg(QString::fromStdString(WhyAccessIsDenied(std::int32_t(processId))));
    case ProcessAccess::Open:
    case ProcessAccess::Failed:
        break;
    }
    return {};
}

ProcessPicker::ProcessPicker(QWidget* parent)
    : QTreeView(parent), processes_(new QStandardItemModel(0, 2, this)), shown_(new QSortFilterProxyModel(this))
{
    setObjectName(QStringLiteral("lv1"));
    auto* plainLabelHeader = new PlainLabelHeader(Qt::Horizontal, this);
    plainLabelHeader->setDefaultAlignment(header()->defaultAlignment());
    plainLabelHeader->setSectionsMovable(header()->sectionsMovable());
    setHeader(plainLabelHeader);
    processes_->setHorizontalHeaderLabels({NameHeader(), QStringLiteral("PID")});
    shown_->setSourceModel(processes_);
    shown_->setFilterRole(kKeyRole);
    shown_->setFilterKeyColumn(-1); // any column
    shown_->setFilterCaseSensitivity(Qt::CaseInsensitive);
    shown_->setSortRole(kKeyRole);
    shown_->setSortCaseSensitivity(Qt::CaseInsensitive);
    setModel(shown_);
    setColumnWidth(kNameColumn, 120);
    setTextElideMode(Qt::ElideMiddle); // a long name keeps its "(ended)" in sight
    setColumnWidth(kIdColumn, 50);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    header()->setStretchLastSection(false);
    header()->setSortIndicator(-1, Qt::AscendingOrder); // the system's order until a header is clicked
    setSortingEnabled(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAttribute(Qt::WA_InputMethodEnabled);
    alwaysShown_ = palette();
    focusedOnly_ = palette();
    focusedOnly_.setColor(QPalette::Inactive, QPalette::Highlight, focusedOnly_.color(QPalette::Inactive, QPalette::Base));
    focusedOnly_.setColor(QPalette::Inactive, QPalette::HighlightedText,
                          focusedOnly_.color(QPalette::Inactive, QPalette::Text));
    setSelectionAlwaysShown(false);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!filtering_)
            chosen_ = selectedProcessId();
        emit selectedProcessChanged();
    });
}

void ProcessPicker::refresh()
{
    showProcesses(SnapshotProcesses());
}

void ProcessPicker::refreshKeepingSelection()
{
    const std::optional<std::uint32_t> kept = selectedProcessId();
    const std::optional<std::uint64_t> keptStart = selectedStartTime();
    fill(SnapshotProcesses());
    if (!kept)
        selectFirstRow();
    else if (startTimeOf(*kept) == keptStart) // the same process, not a later one given its identifier
        selectProcess(*kept);
    emit selectedProcessChanged();
}

std::optional<std::uint64_t> ProcessPicker::startTimeOf(std::uint32_t processId) const
{
    const QStandardItem* name = nameItemOf(processId);
    if (!name || !name->data(kStartRole).isValid())
        return std::nullopt;
    return std::uint64_t(name->data(kStartRole).toULongLong());
}

std::optional<std::uint64_t> ProcessPicker::selectedStartTime() const
{
    const std::optional<std::uint32_t> selected = selectedProcessId();
    return selected ? startTimeOf(*selected) : std::nullopt;
}

void ProcessPicker::showProcesses(const std::vector<ProcessEntry>& processes)
{
    fill(processes);
    selectFirstRow();
    emit selectedProcessChanged();
}

void ProcessPicker::fill(const std::vector<ProcessEntry>& processes)
{
    header()->setSortIndicator(-1, Qt::AscendingOrder);
    processes_->removeRows(0, processes_->rowCount());
    chosen_.reset();
    for (const ProcessEntry& process : processes)
        processes_->appendRow(RowOf(process));
}

void ProcessPicker::selectFirstRow()
{
    if (shown_->rowCount() > 0) // the focused row stays as it is
        selectionModel()->select(shown_->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

int ProcessPicker::rowCount() const
{
    return shown_->rowCount();
}

std::optional<std::uint32_t> ProcessPicker::selectedProcessId() const
{
    const QModelIndexList rows = selectionModel()->selectedRows(kIdColumn);
    if (rows.isEmpty())
        return std::nullopt;
    return rows.first().data(kProcessIdRole).toUInt();
}

void ProcessPicker::setSelectionAlwaysShown(bool on)
{
    setPalette(on ? alwaysShown_ : focusedOnly_);
}

bool ProcessPicker::selectProcess(std::uint32_t processId)
{
    const QModelIndexList found =
        shown_->match(shown_->index(0, kIdColumn), kProcessIdRole, processId, 1, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    selectionModel()->select(found.first(), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    scrollTo(found.first());
    return true;
}

// The tracker hears of a selection that was filtered away or came back.
void ProcessPicker::setFilterText(const QString& text)
{
    filterText_ = text;
    processes_->setHeaderData(kNameColumn, Qt::Horizontal,
                              text.isEmpty() ? NameHeader() : QStringLiteral("%1 [%2]").arg(NameHeader(), text));
    filtering_ = true;
    shown_->setFilterFixedString(text);
    if (chosen_ && !selectedProcessId())
        selectProcess(*chosen_);
    filtering_ = false;
    const QModelIndexList selected = selectionModel()->selectedRows();
    if (!selected.isEmpty())
        scrollTo(selected.first());
    emit selectedProcessChanged();
}

// Typed text goes to the filter, before the window's one-letter shortcuts
// (F, G, O) may take it; Esc clears the filter before any shortcut.
bool ProcessPicker::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool command = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        const bool typed = !command && !key->text().isEmpty() && key->text().front().isPrint();
        if (typed || (!filterText_.isEmpty() && key->key() == Qt::Key_Escape)) {
            event->accept();
            return true;
        }
    }
    return QTreeView::event(event);
}

void ProcessPicker::keyPressEvent(QKeyEvent* event)
{
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (event->key() == Qt::Key_Backspace && !filterText_.isEmpty()) {
        const int last = filterText_.size() >= 2 && filterText_.back().isLowSurrogate() ? 2 : 1;
        setFilterText(filterText_.chopped(last));
    } else if (event->key() == Qt::Key_Escape && !filterText_.isEmpty()) {
        setFilterText(QString());
    } else if (!command && !event->text().isEmpty() && event->text().front().isPrint()) {
        setFilterText(filterText_ + event->text());
    } else {
        QTreeView::keyPressEvent(event);
    }
}

// Text typed through an input method, Chinese names for instance.
void ProcessPicker::inputMethodEvent(QInputMethodEvent* event)
{
    if (!event->commitString().isEmpty())
        setFilterText(filterText_ + event->commitString());
    event->accept();
}

QString ProcessPicker::processName(std::uint32_t processId) const
{
    const QStandardItem* name = nameItemOf(processId);
    return name ? name->data(kKeyRole).toString() : QString();
}

QStandardItem* ProcessPicker::nameItemOf(std::uint32_t processId) const
{
    const QModelIndexList found =
        processes_->match(processes_->index(0, kNameColumn), kProcessIdRole, processId, 1, Qt::MatchExactly);
    return found.isEmpty() ? nullptr : processes_->itemFromIndex(found.first());
}

void ProcessPicker::showAccess(std::uint32_t processId, ProcessAccess access)
{
    QStandardItem* name = nameItemOf(processId);
    if (name && name->data(kAccessRole).toInt() != int(access))
        markRow(name, access);
}

void ProcessPicker::markRow(QStandardItem* name, ProcessAccess access)
{
    const bool ended = access == ProcessAccess::Ended;
    const QString bareName = name->data(kKeyRole).toString();
    name->setData(int(access), kAccessRole);
    name->setText(ended ? tr("%1 (ended)").arg(bareName) : bareName);
    const auto processId = std::uint32_t(name->data(kProcessIdRole).toUInt());
    const QString toolTip = ToolTip({bareName, name->data(kDetailsRole).toString(), ProcessAccessNote(processId, access)});
    for (QStandardItem* cell : {name, processes_->item(name->row(), kIdColumn)}) {
        cell->setToolTip(toolTip);
        if (ended)
            cell->setForeground(palette().color(QPalette::Disabled, QPalette::Text));
        else
            cell->setData(QVariant(), Qt::ForegroundRole);
    }
}
