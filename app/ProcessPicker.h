#pragma once
// The process list: one row per running process, its executable name and
// its identifier, in the system's order. The identifier of each row is kept
// as data beside its text.

#include "ProcessList.h"

#include <QTreeView>

#include <cstdint>
#include <optional>
#include <vector>

class QStandardItemModel;

class ProcessPicker : public QTreeView {
    Q_OBJECT
public:
    explicit ProcessPicker(QWidget* parent);

    // Lists the running processes and selects the first row.
    void refresh();
    // The same with a given list.
    void showProcesses(const std::vector<ProcessEntry>& processes);

    int rowCount() const;
    std::optional<std::uint32_t> selectedProcessId() const;
    // Selects the row of processId alone; false when it is not listed.
    bool selectProcess(std::uint32_t processId);
    // Off: the selection shows only while the list has the focus.
    void setSelectionAlwaysShown(bool on);

signals:
    void selectedProcessChanged();

private:
    QStandardItemModel* processes_;
    QPalette alwaysShown_;
    QPalette focusedOnly_;
};
