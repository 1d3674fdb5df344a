#include "ProcessPicker.h"

#include <QHeaderView>
#include <QStandardItemModel>

namespace {

constexpr int kProcessIdRole = Qt::UserRole;
constexpr int kNameColumn = 0;
constexpr int kIdColumn = 1;

QList<QStandardItem*> RowOf(const ProcessEntry& process)
{
    auto* name = new QStandardItem(QString::fromLocal8Bit(process.exeFile.c_str()));
    auto* id = new QStandardItem(QString::number(process.processId));
    id->setData(process.processId, kProcessIdRole);
    for (QStandardItem* cell : {name, id})
        cell->setEditable(false);
    return {name, id};
}

} // namespace

ProcessPicker::ProcessPicker(QWidget* parent) : QTreeView(parent), processes_(new QStandardItemModel(0, 2, this))
{
    setObjectName(QStringLiteral("lv1"));
    processes_->setHorizontalHeaderLabels({QStringLiteral("进程"), QStringLiteral("PID")});
    setModel(processes_);
    setColumnWidth(kNameColumn, 120);
    setColumnWidth(kIdColumn, 50);
    setRootIsDecorated(false);
    setUniformRowHeights(true);
    header()->setStretchLastSection(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    alwaysShown_ = palette();
    focusedOnly_ = palette();
    focusedOnly_.setColor(QPalette::Inactive, QPalette::Highlight, focusedOnly_.color(QPalette::Inactive, QPalette::Base));
    focusedOnly_.setColor(QPalette::Inactive, QPalette::HighlightedText,
                          focusedOnly_.color(QPalette::Inactive, QPalette::Text));
    setSelectionAlwaysShown(false);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &ProcessPicker::selectedProcessChanged);
}

void ProcessPicker::refresh()
{
    showProcesses(SnapshotProcesses());
}

void ProcessPicker::showProcesses(const std::vector<ProcessEntry>& processes)
{
    processes_->removeRows(0, processes_->rowCount());
    for (const ProcessEntry& process : processes)
        processes_->appendRow(RowOf(process));
    if (processes_->rowCount() > 0) // the focused row stays as it is
        selectionModel()->select(processes_->index(0, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

int ProcessPicker::rowCount() const
{
    return processes_->rowCount();
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
        processes_->match(processes_->index(0, kIdColumn), kProcessIdRole, processId, 1, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    selectionModel()->select(found.first(), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return true;
}
