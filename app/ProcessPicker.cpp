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
    QPalette unfocused = palette(); // the selection shows only while the list has the focus
    unfocused.setColor(QPalette::Inactive, QPalette::Highlight, unfocused.color(QPalette::Inactive, QPalette::Base));
    unfocused.setColor(QPalette::Inactive, QPalette::HighlightedText, unfocused.color(QPalette::Inactive, QPalette::Text));
    setPalette(unfocused);
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

bool ProcessPicker::selectProcess(std::uint32_t processId)
{
    const QModelIndexList found =
        processes_->match(processes_->index(0, kIdColumn), kProcessIdRole, processId, 1, Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    selectionModel()->select(found.first(), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    return true;
}
