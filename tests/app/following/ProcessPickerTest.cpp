#include "app/following/ProcessPicker.h"
#include "app/shared/WindowStyle.h"
#include "tests/support/StandInClient.h"

#include <QAbstractItemModel>
#include <QAccessible>
#include <QApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QFontMetrics>
#include <QProcess>
#include <QTest>
#include <QTextDocument>
#include <QTreeView>

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

namespace {

QString Cell(const ProcessPicker& picker, int row, int column)
{
    return picker.model()->index(row, column).data().toString();
}

QStringList Names(const ProcessPicker& picker)
{
    QStringList names;
    for (int row = 0; row < picker.rowCount(); ++row)
        names.append(Cell(picker, row, 0));
    return names;
}

QString NameHeader(const ProcessPicker& picker)
{
    return picker.model()->headerData(0, Qt::Horizontal).toString();
}

void ClickHeader(ProcessPicker& picker, int column)
{
    QHeaderView* header = picker.header();
    const int middle = header->sectionViewportPosition(column) + header->sectionSize(column) / 2;
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(middle, header->height() / 2));
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

TEST(ProcessPickerTest, TypingFiltersByNameOrIdentifierAndShowsTheFilterInTheHeader)
{
    ProcessPicker picker(nullptr);
    picker.show();
    picker.setFocus();
    picker.showProcesses({{"systemd", 1}, {"Stand_In_Client", 812}, {"bash", 2812}, {"game.exe", 4242},
                          {"stand-alone", 77}});
    ASSERT_TRUE(picker.selectProcess(4242));
    QSignalSpy changes(&picker, &ProcessPicker::selectedProcessChanged);

    QTest::keyClicks(&picker, "sTaNd");
    EXPECT_EQ(Names(picker), QStringList({"Stand_In_Client", "stand-alone"}));
    EXPECT_EQ(NameHeader(picker), "Process [sTaNd]");
    EXPECT_EQ(picker.selectedProcessId(), std::nullopt); // game.exe no longer shows
    EXPECT_GE(changes.count(), 1);

    QTest::keyClick(&picker, Qt::Key_Escape);
    EXPECT_EQ(NameHeader(picker), "Process");
    EXPECT_EQ(picker.rowCount(), 5);
    EXPECT_EQ(picker.selectedProcessId(), 4242u); // shown again, selected again

    // Identifiers match as text: 812 is in 812 and 2812.
    ASSERT_TRUE(picker.selectProcess(2812));
    QTest::keyClicks(&picker, "812");
    EXPECT_EQ(Names(picker), QStringList({"Stand_In_Client", "bash"}));
    EXPECT_EQ(picker.selectedProcessId(), 2812u); // its row still shows
    QTest::keyClick(&picker, Qt::Key_9);
    EXPECT_EQ(picker.rowCount(), 0);
    EXPECT_EQ(picker.selectedProcessId(), std::nullopt);
    QTest::keyClick(&picker, Qt::Key_Backspace);
    EXPECT_EQ(NameHeader(picker), "Process [812]");
    EXPECT_EQ(picker.selectedProcessId(), 2812u);

    // A refresh keeps the filter and selects the first row it shows.
    picker.showProcesses({{"bash", 2812}, {"zsh", 9000}, {"Stand_In_Client", 812}});
    EXPECT_EQ(Names(picker), QStringList({"bash", "Stand_In_Client"}));
    EXPECT_EQ(picker.selectedProcessId(), 2812u);
}

// Qt's own header measures its labels in bold; this one in the font they show in.
TEST(ProcessPickerTest, TheHeaderIsAsHighAsQtsOwnAndFitsItsLabel)
{
    ProcessPicker picker(nullptr);
    QFont large = WindowFont();
    large.setPixelSize(30); // far from the application's font
    picker.setFont(large);
    QTreeView qtsOwn;
    qtsOwn.setFont(picker.font());
    qtsOwn.setModel(picker.model());
    qtsOwn.setSortingEnabled(true);
    EXPECT_EQ(picker.header()->sizeHint().height(), qtsOwn.header()->sizeHint().height());
    EXPECT_EQ(picker.header()->defaultAlignment(), qtsOwn.header()->defaultAlignment());
    EXPECT_EQ(picker.header()->sectionsMovable(), qtsOwn.header()->sectionsMovable());

    picker.setFilterText("stand_in_client");
    EXPECT_GE(picker.header()->sectionSizeHint(0), picker.fontMetrics().horizontalAdvance(NameHeader(picker)));
}

TEST(ProcessPickerTest, HeaderClicksSortAndARefreshShowsTheSystemsOrderAgain)
{
    ProcessPicker picker(nullptr);
    picker.show();
    const std::vector<ProcessEntry> processes = {{"kworker", 100}, {"Bash", 9}, {"agetty", 10}, {"cron", 2000}};
    picker.showProcesses(processes);
    ASSERT_TRUE(picker.selectProcess(10));

    ClickHeader(picker, 1); // identifiers as numbers, not as text
    EXPECT_EQ(Names(picker), QStringList({"Bash", "agetty", "kworker", "cron"}));
    ClickHeader(picker, 1);
    EXPECT_EQ(Names(picker), QStringList({"cron", "kworker", "agetty", "Bash"}));
    ClickHeader(picker, 0); // names with letter case ignored
    EXPECT_EQ(Names(picker), QStringList({"agetty", "Bash", "cron", "kworker"}));
    EXPECT_EQ(picker.selectedProcessId(), 10u); // sorting keeps the selection
    ClickHeader(picker, 0);
    EXPECT_EQ(Names(picker), QStringList({"kworker", "cron", "Bash", "agetty"}));

    picker.showProcesses(processes);
    EXPECT_EQ(Names(picker), QStringList({"kworker", "Bash", "agetty", "cron"}));
    EXPECT_EQ(picker.selectedProcessId(), 100u);
}

TEST(ProcessPickerTest, ALongNameIsElidedInItsMiddleAndWholeInTheTooltip)
{
    ProcessPicker picker(nullptr);
    const std::string longName = "游戏客户端-" + std::string(100, 'x') + "-最后";
    picker.showProcesses({{longName, 4242}});
    EXPECT_EQ(picker.textElideMode(), Qt::ElideMiddle); // so that an ended one keeps its "(ended)" in sight
    const QString name = QString::fromStdString(longName);
    EXPECT_EQ(Cell(picker, 0, 0), name);
    // As shown: without the zero-width spaces where it may wrap.
    for (int column : {0, 1})
        EXPECT_TRUE(picker.model()->index(0, column).data(Qt::ToolTipRole).toString().remove(QChar(0x200B)).contains(name));
}

TEST(ProcessPickerTest, NamesAreReadAsFileNamesAre)
{
    ProcessPicker picker(nullptr);
    picker.showProcesses({{"\xD3\xCE\xCF\xB7.exe", 42}, {"\xE6\xB8\xB8\xE6\x88\x8F", 43}, {"odd\xFF", 44}});
    EXPECT_EQ(Cell(picker, 0, 0), QString::fromUtf8("\xE6\xB8\xB8\xE6\x88\x8F.exe")); // 游戏.exe in GBK bytes
    EXPECT_EQ(Cell(picker, 1, 0), QString::fromUtf8("\xE6\xB8\xB8\xE6\x88\x8F"));
    EXPECT_EQ(Cell(picker, 2, 0), "odd\\xFF");
}

TEST(ProcessPickerTest, AnEndedProcessIsGreyedWithAMarkAndARefusedOneSaysWhy)
{
    ProcessPicker picker(nullptr);
    picker.showProcesses({{"game.exe", 4242}, {"other", 5}});
    const QModelIndex name = picker.model()->index(0, 0);
    const QVariant normalColour = name.data(Qt::ForegroundRole);

    picker.showAccess(4242, ProcessAccess::Ended);
    EXPECT_EQ(Cell(picker, 0, 0), "game.exe (ended)");
    EXPECT_EQ(name.data(Qt::ForegroundRole).value<QBrush>().color(),
              picker.palette().color(QPalette::Disabled, QPalette::Text));
    EXPECT_EQ(Cell(picker, 1, 0), "other");

    // The filter still goes by the name alone.
    picker.setFilterText("ended");
    EXPECT_EQ(picker.rowCount(), 0);
    picker.setFilterText("");

    picker.showAccess(4242, ProcessAccess::Denied);
    EXPECT_EQ(Cell(picker, 0, 0), "game.exe");
    EXPECT_EQ(name.data(Qt::ForegroundRole), normalColour);
    for (int column : {0, 1})
        EXPECT_TRUE(picker.model()->index(0, column).data(Qt::ToolTipRole).toString().contains(
            "Permission to read another process"));
    picker.showAccess(4242, ProcessAccess::Open);
    EXPECT_FALSE(name.data(Qt::ToolTipRole).toString().contains("Permission"));
}

TEST(ProcessPickerTest, RefreshListsARunningProgramByItsNameWithItsCommandLineAndOwner)
{
    StandInClient client("--hold 1 1 --seconds 30");
    ProcessPicker picker(nullptr);
    picker.refresh();
    ASSERT_TRUE(picker.selectProcess(client.processId));
    const QModelIndex row = picker.selectionModel()->selectedRows(0).value(0);
    EXPECT_EQ(row.data().toString(), "stand_in_client");
    const QString toolTip = row.data(Qt::ToolTipRole).toString().remove(QChar(0x200B)); // as shown
    EXPECT_TRUE(toolTip.contains(QString(STAND_IN_CLIENT) + " --hold 1 1 --seconds 30")) << toolTip.toStdString();
    EXPECT_TRUE(toolTip.contains(QString("Owner: ") + ::getpwuid(::geteuid())->pw_name)) << toolTip.toStdString();
}

// A command line of one long word wraps in its tooltip, as a long one with
// blanks does, rather than running off the screen.
TEST(ProcessPickerTest, ALongCommandLineWrapsInTheToolTip)
{
    QProcess longLine;
    longLine.start("/bin/sh", {"-c", "sleep 30", "/" + QString(3000, 'a')});
    ASSERT_TRUE(longLine.waitForStarted());
    ProcessPicker picker(nullptr);
    picker.refresh();
    ASSERT_TRUE(picker.selectProcess(std::uint32_t(longLine.processId())));
    const QString toolTip = picker.selectionModel()->selectedRows(0).value(0).data(Qt::ToolTipRole).toString();
    longLine.kill();
    longLine.waitForFinished();
    EXPECT_TRUE(QString(toolTip).remove(QChar(0x200B)).contains(QString(3000, 'a')));
    QTextDocument shown;
    shown.setHtml(toolTip);
    shown.setTextWidth(500);
    EXPECT_LE(shown.idealWidth(), 500);
    EXPECT_GT(shown.size().height(), 20 * QFontMetrics(shown.defaultFont()).height());
}

TEST(ProcessPickerTest, RefreshingKeepsTheSelectedProcessWhileItRuns)
{
    StandInClient client("--hold 1 1 --seconds 30");
    ProcessPicker picker(nullptr);
    picker.refreshKeepingSelection(); // nothing chosen yet: the first row, as the button does
    EXPECT_TRUE(picker.selectedProcessId().has_value());
    ASSERT_TRUE(picker.selectProcess(client.processId));
    picker.refreshKeepingSelection();
    EXPECT_EQ(picker.selectedProcessId(), client.processId);
    client.End();
    picker.refreshKeepingSelection();
    EXPECT_EQ(picker.selectedProcessId(), std::nullopt);
    picker.refresh();
    EXPECT_NE(picker.selectedProcessId(), std::nullopt);
}

} // namespace
