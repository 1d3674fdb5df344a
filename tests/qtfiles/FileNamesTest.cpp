#include "qtfiles/FileNames.h"
#include "qtfiles/QtConversions.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

#include <QTemporaryDir>

namespace fs = std::filesystem;

namespace {

TEST(FileNamesTest, NamesAreShownAsUtf8ThenGbkThenEscaped)
{
    EXPECT_EQ(ShownFileName("Harbor2.map"), QStringLiteral("Harbor2.map"));
    EXPECT_EQ(ShownFileName(fs::u8path(u8"\u6E2F\u53E3.map")), QStringLiteral("港口.map"));
#ifndef _WIN32
    // The same name in GBK bytes, as archives made on Windows unpack it.
    EXPECT_EQ(ShownFileName("\xB8\xDB\xBF\xDA.map"), QStringLiteral("港口.map"));
    EXPECT_EQ(ShownFileName("maps/\xB8\xDB\xBF\xDA"), QStringLiteral("maps/港口"));
    // Neither: a lone lead byte, bytes GBK leaves undefined.
    EXPECT_EQ(ShownFileName("a\xB8.map"), QStringLiteral("a\\xB8.map"));
    EXPECT_EQ(ShownFileName("\xFF\xFF"), QStringLiteral("\\xFF\\xFF"));
    EXPECT_EQ(ShownFileName("\x01\x80\x80\xB8"), QStringLiteral("\\x01\\x80\\x80\\xB8"));
#endif
    EXPECT_EQ(ShownFileName(""), QString());
}

class FolderListingTest : public ::testing::Test {
protected:
    QTemporaryDir temporary_;
    const fs::path folder_ = ToFilesystemPath(temporary_.path());
};

TEST_F(FolderListingTest, EveryNameIsKeptByteForByte)
{
    std::vector<fs::path> names = {"plain.map", ".hidden", fs::u8path(u8"\u6E2F\u53E3.map")};
#ifndef _WIN32
    names.push_back("\xB8\xDB\xBF\xDA.map");
    names.push_back("\xFF-odd");
#endif
    for (const fs::path& name : names)
        std::ofstream(folder_ / name) << "x";
    fs::create_directory(folder_ / ".sub");

    const FolderListing listing = ListFolder(folder_);
    ASSERT_TRUE(listing.read);
    ASSERT_EQ(listing.entries.size(), names.size() + 1);
    for (const fs::path& name : names) {
        const auto found = std::find_if(listing.entries.begin(), listing.entries.end(),
                                        [&name](const FolderEntry& entry) { return entry.name == name; });
        ASSERT_NE(found, listing.entries.end()) << name;
        EXPECT_FALSE(found->isFolder);
        EXPECT_TRUE(fs::exists(folder_ / found->name)); // the listed name opens the file
    }
    const auto sub = std::find_if(listing.entries.begin(), listing.entries.end(),
                                  [](const FolderEntry& entry) { return entry.name == ".sub"; });
    ASSERT_NE(sub, listing.entries.end());
    EXPECT_TRUE(sub->isFolder);

    const FolderListing missing = ListFolder(folder_ / "missing");
    EXPECT_FALSE(missing.read);
    EXPECT_EQ(missing.failure, QStringLiteral("No such file or directory"));
}

#ifndef _WIN32
// Names that read alike, in letter case or in two encodings, come in one
// order, whatever order the system lists them in.
TEST_F(FolderListingTest, ShownEntriesComeInOneOrderWhateverTheSystemsOrder)
{
    const std::vector<fs::path> names = {"b.map", "a.map", "A.map", "\xB8\xDB\xBF\xDA.map", fs::u8path(u8"\u6E2F\u53E3.map")};
    std::vector<std::vector<fs::path>> orders;
    for (const bool forwards : {true, false}) {
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        for (std::size_t i = 0; i < names.size(); ++i)
            std::ofstream(folder_ / names[forwards ? i : names.size() - 1 - i]) << "x";
        std::vector<fs::path> order;
        for (const ShownEntry& entry : ListShownEntries(folder_, [](const FolderEntry&) { return true; }).entries)
            order.push_back(entry.bytes);
        orders.push_back(order);
    }
    EXPECT_EQ(orders[0], orders[1]);
    ASSERT_EQ(orders[0].size(), names.size());
    EXPECT_EQ(std::vector<fs::path>(orders[0].begin(), orders[0].begin() + 3), std::vector<fs::path>({"A.map", "a.map", "b.map"}));
}
#endif

TEST(FileNamesTest, QtNamesOnlyWhatItCanName)
{
    EXPECT_TRUE(QtCanNamePath(fs::u8path(u8"maps/\u6E2F\u53E3.map")));
    EXPECT_EQ(ToQtPath(fs::u8path(u8"maps/\u6E2F\u53E3.map")), QStringLiteral("maps/港口.map"));
#ifndef _WIN32
    EXPECT_FALSE(QtCanNamePath("maps/\xB8\xDB\xBF\xDA.map"));
#endif
}

} // namespace
