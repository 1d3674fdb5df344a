#include "app/browser/FolderRows.h"
#include "qtfiles/QtConversions.h"
#include "tests/support/MapBytes.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QListWidget>
#include <QSignalSpy>
#include <QTemporaryDir>

#include <algorithm>

namespace {

// Rows know their entries by the names' bytes: two names shown alike are two
// rows, and a new listing takes away and puts in just the rows that changed.
TEST(FolderRowsTest, ComparingListingsChangesJustTheRowsThatDiffer)
{
    const ShownEntry upper{"A.map", "A.map"};
    const ShownEntry lower{"a.map", "a.map"};
    const ShownEntry b{"b.map", "b.map"};
    const ShownEntry gbk{QStringLiteral("码头.map"), "\xC2\xEB\xCD\xB7.map"};
    const ShownEntry utf8{QStringLiteral("码头.map"), std::filesystem::u8path(u8"\u7801\u5934.map")};
    const auto bytes = [](const std::vector<ShownEntry>& entries) {
        std::vector<std::filesystem::path> names;
        for (const ShownEntry& entry : entries)
            names.push_back(entry.bytes);
        return names;
    };
    const auto applied = [](std::vector<ShownEntry> rows, const std::vector<ShownEntry>& after, const RowChanges& changes) {
        for (const int row : changes.goneRows)
            rows.erase(rows.begin() + row);
        for (const int entry : changes.newEntries)
            rows.insert(rows.begin() + entry, after[std::size_t(entry)]);
        return rows;
    };
    const std::vector<std::pair<std::vector<ShownEntry>, std::vector<ShownEntry>>> listings = {
        {{}, {upper, lower, b}}, {{upper, lower, b}, {b}}, {{upper, b}, {upper, lower, b}},
        {{gbk}, {gbk, utf8}},    {{upper, gbk}, {lower, utf8}}, {{upper, lower, b}, {}}};
    for (const auto& [before, after] : listings) {
        ASSERT_TRUE(std::is_sorted(after.begin(), after.end(), ShownBefore));
        const RowChanges changes = CompareEntries(before, after);
        EXPECT_EQ(bytes(applied(before, after, changes)), bytes(after));
        EXPECT_TRUE(std::is_sorted(changes.goneRows.rbegin(), changes.goneRows.rend()));
    }
    EXPECT_TRUE(CompareEntries({upper, lower, b}, {upper, lower, b}).goneRows.empty());
    EXPECT_TRUE(CompareEntries({upper, lower, b}, {upper, lower, b}).newEntries.empty());
    EXPECT_EQ(CompareEntries({upper, b}, {upper, lower, b}).newEntries, std::vector<int>{1});
    EXPECT_EQ(CompareEntries({upper, lower, b}, {b}).goneRows, std::vector<int>({1, 0}));
}

// The folder's rows come after the rows the list holds already; when the
// selected row goes, nothing is selected.
TEST(FolderRowsTest, RowsFollowTheFolderBelowTheRowsAbove)
{
    QTemporaryDir folder;
    for (const char* name : {"b.map", "a.map"})
        WriteBytes(QFile::encodeName(folder.filePath(name)).toStdString(), "");
    QListWidget list;
    list.addItem(QStringLiteral("above"));
    FolderRows rows(&list, [](const FolderEntry&) { return true; },
                    [](const ShownEntry& entry) { return new QListWidgetItem(entry.name); });
    const auto texts = [&list] {
        QStringList shown;
        for (int row = 0; row < list.count(); ++row)
            shown.append(list.item(row)->text());
        return shown;
    };
    rows.show(ToFilesystemPath(folder.path()), 1);
    EXPECT_EQ(texts(), QStringList({"above", "a.map", "b.map"})); // a small folder is there at once
    EXPECT_EQ(EntryBytes(*list.item(2)), std::filesystem::path("b.map"));
    list.setCurrentRow(1);
    ASSERT_TRUE(QFile::remove(folder.filePath("a.map")));
    QSignalSpy listed(&rows, &FolderRows::listed);
    rows.refresh();
    EXPECT_TRUE(listed.count() == 1 || listed.wait(5000));
    EXPECT_EQ(texts(), QStringList({"above", "b.map"}));
    EXPECT_TRUE(list.selectedItems().isEmpty());
}

} // namespace
