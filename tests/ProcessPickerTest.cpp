#include "ProcessPicker.h"
#include "StandInClient.h"

#include <QAbstractItemModel>
#include <QAccessible>
#include <QApplication>
#include <QItemSelectionModel>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {

QString Cell(const ProcessPicker& picker, int row, int column)
{
    return picker.model()->index(row, column).data().toString();
}

TEST(ProcessPickerTest, ListsProcessesInTheGivenOrderAndSelectsTheFirst)
{
    ProcessPicker picker(nullptr);
    QSignalSpy changes(&picker, &ProcessPicker::selectedProcessChanged);
    EXPECT_EQ(picker.selectedProcessId(), std::nullopt);
    picker.showProcesses({{"game.exe", 4242}, {"init", 1}, {"big", 4294967295u}});
    ASSERT_EQ(picker.rowCount(), 3);
    EXPECT_EQ(Cell(picker, 0, 0), "game.exe");
    EXPECT_EQ(Cell(picker, 1, 1), "1");
    EXPECT_EQ(Cell(picker, 2, 1), "4294967295"); // never negative
    EXPECT_EQ(picker.selectedProcessId(), 4242u);
    EXPECT_GE(changes.count(), 1);

    // Another row chosen, then a refresh: the first row is selected again.
    EXPECT_TRUE(picker.selectProcess(4294967295u));
    EXPECT_EQ(picker.selectedProcessId(), 4294967295u);
    EXPECT_FALSE(picker.selectProcess(7));
    picker.showProcesses({{"init", 1}, {"game.exe", 4242}});
    EXPECT_EQ(picker.selectedProcessId(), 1u);
    picker.selectionModel()->clearSelection();
    EXPECT_EQ(picker.selectedProcessId(), std::nullopt);

    picker.show(); // rows are laid out for a shown list
    QApplication::processEvents();
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&picker);
    ASSERT_NE(accessible, nullptr);
    ASSERT_NE(accessible->tableInterface(), nullptr);
    EXPECT_EQ(accessible->tableInterface()->rowCount(), 2);
    EXPECT_EQ(accessible->tableInterface()->columnCount(), 2);
    EXPECT_EQ(accessible->tableInterface()->cellAt(1, 0)->text(QAccessible::Name), "game.exe");

    picker.showProcesses({});
    EXPECT_EQ(picker.rowCount(), 0);
    EXPECT_EQ(picker.selectedProcessId(), std::nullopt);
}

TEST(ProcessPickerTest, RefreshListsARunningProgramByItsName)
{
    StandInClient client("--hold 1 1 --seconds 30");
    ProcessPicker picker(nullptr);
    picker.refresh();
    ASSERT_TRUE(picker.selectProcess(client.processId));
    const QModelIndex row = picker.selectionModel()->selectedRows(0).value(0);
    EXPECT_EQ(row.data().toString(), "stand_in_client");
}

} // namespace
