#pragma once
// The process list: one row per running process, its executable name and
// its identifier, in the system's order. The identifier of each row is kept
// as data beside its text; a row's tooltip tells the full name, the command
// line and the owner of the process. A long name is elided at its end.
//
// Typing while the list has the focus shows only the rows whose name or
// identifier contains the typed text, letter case ignored; the header shows
// the filter, Backspace takes back its last character and Esc clears it. A
// click on a column header sorts by that column, a second click the other
// way round; each refresh shows the system's order again. A selected row
// that the filter hides is selected again when it shows again.

#include "process/ProcessList.h"
#include "process/ProcessMemory.h"

#include <QTreeView>

#include <cstdint>
#include <optional>
#include <vector>

class QSortFilterProxyModel;
class QStandardItem;
class QStandardItemModel;

// What the tooltips say when the tracker cannot read a process's memory,
// with the reason; empty when there is nothing to say.
QString ProcessAccessNote(std::uint32_t processId, ProcessAccess access);

class ProcessPicker : public QTreeView {
    Q_OBJECT
public:
    explicit ProcessPicker(QWidget* parent);

    // Lists the running processes and selects the first row shown.
    void refresh();
    // Lists them again and keeps the selected process selected while it is
    // listed; when it is gone nothing is selected, so the tracker never
    // switches to another process unasked.
    void refreshKeepingSelection();
    // refresh() with a given list.
    void showProcesses(const std::vector<ProcessEntry>& processes);

    // The rows shown, that is those the filter lets through.
    int rowCount() const;
    std::optional<std::uint32_t> selectedProcessId() const;
    // When the process the selected row was made for started; none when the
    // system did not tell (it had ended by then).
    std::optional<std::uint64_t> selectedStartTime() const;
    // The name a row shows for processId; empty when it is not listed.
    QString processName(std::uint32_t processId) const;
    // Selects the row of processId alone and shows it; false when it is not shown.
    bool selectProcess(std::uint32_t processId);
    // Off: the selection shows only while the list has the focus.
    void setSelectionAlwaysShown(bool on);

    const QString& filterText() const { return filterText_; }
    void setFilterText(const QString& text);

    // What the tracker found when it opened processId: an ended process is
    // greyed with "(ended)" after its name; a refused one says why in its
    // tooltip.
    void showAccess(std::uint32_t processId, ProcessAccess access);

signals:
    void selectedProcessChanged();

protected:
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void fill(const std::vector<ProcessEntry>& processes);
    void selectFirstRow();
    QStandardItem* nameItemOf(std::uint32_t processId) const;
    std::optional<std::uint64_t> startTimeOf(std::uint32_t processId) const;
    void markRow(QStandardItem* name, ProcessAccess access);

    QStandardItemModel* processes_;
    QPalette alwaysShown_;
    QPalette focusedOnly_;
    QSortFilterProxyModel* shown_;
    QString filterText_;
    std::optional<std::uint32_t> chosen_; // the user's choice, kept while the filter hides it
    bool filtering_ = false;
};
