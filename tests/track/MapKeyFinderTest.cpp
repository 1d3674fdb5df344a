#include "tests/support/MapBytes.h"
#include "tests/support/StandInClient.h"
#include "track/MapKeyFinder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

namespace fs = std::filesystem;

namespace {

std::optional<std::string> KeyIn(const std::string& bytes, MapKeyForm form, bool afterLetter = false)
{
    return MapKeyIn(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), form, afterLetter);
}

TEST(MapKeyTest, NumbersAreTheirBytesAndTextsAreNamesEndedByANul)
{
    using namespace std::string_literals;
    EXPECT_EQ(KeyIn("\x01\x02\x03"s, MapKeyForm::Number16), "\x01\x02"s);
    EXPECT_EQ(KeyIn("\x01\x02\x03\x04\x05"s, MapKeyForm::Number32), "\x01\x02\x03\x04"s);
    EXPECT_EQ(KeyIn("\x01\x02\x03"s, MapKeyForm::Number32), std::nullopt); // cut off
    EXPECT_EQ(KeyIn("Village.map\0junk"s, MapKeyForm::Text), "Village.map");
    EXPECT_EQ(KeyIn("\xB8\xDB\xBF\xDA\0"s, MapKeyForm::Text), "\xB8\xDB\xBF\xDA"); // GBK
    EXPECT_EQ(KeyIn("abc\0"s, MapKeyForm::Text), "abc");
    EXPECT_EQ(KeyIn("ab\0"s, MapKeyForm::Text), std::nullopt);               // too short to be a name
    EXPECT_EQ(KeyIn("Village.map"s, MapKeyForm::Text), std::nullopt);        // no end in sight
    EXPECT_EQ(KeyIn("Vill\nage\0"s, MapKeyForm::Text), std::nullopt);        // a control byte
    EXPECT_EQ(KeyIn("abc\x7F\0"s, MapKeyForm::Text), std::nullopt);
    EXPECT_EQ(KeyIn("lage.map\0"s, MapKeyForm::Text, true), std::nullopt);  // inside another text
    EXPECT_EQ(KeyIn(std::string(31, 'a') + '\0', MapKeyForm::Text), std::string(31, 'a'));
    EXPECT_EQ(KeyIn(std::string(32, 'a') + '\0', MapKeyForm::Text), std::nullopt); // longer than a key
}

class MapKeyFinderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("tarvex-key-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder_);
        for (unsigned seed = 1; seed <= 3; ++seed)
            WriteBytes(folder_ / ("place" + std::to_string(seed) + ".map"), MapFromRows(RoomsAndRubble(40, 30, seed)));
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path folder_;
};


TEST_F(MapKeyFinderTest, ChangesAndStillsNarrowToTheNumberAndTheNameTheClientKeeps)
{
    // Each map kept 3 seconds: under Wine a look at all the client's memory takes a while.
    StandInClient client("--world \"" + folder_.string() + "\" --stay 30 --pace 100");
    ASSERT_NE(client.address, 0u);
    const ProcessReader reader(std::int32_t(client.processId));
    ASSERT_TRUE(reader.Refusal().empty()) << reader.Refusal();
    MapKeyFinder finder(reader);
    FinderProgress progress;
    StandInClient::WorldMap map = client.NextMap();
    ASSERT_FALSE(finder.Look(progress).cancelled);
    const std::uint64_t first = finder.Count();
    for (int change = 0; change < 4; ++change) {
        finder.KeepSame(progress);
        map = client.NextMap();
        ASSERT_FALSE(map.name.empty());
        finder.KeepChanged(progress);
        finder.KeepSame(progress);
    }
    EXPECT_LT(finder.Count(), first / 1000) << "of " << first; // 6 of 789,505 on Linux
    std::string number(4, '\0');
    std::memcpy(number.data(), &map.number, 4);
    bool numberFound = false, nameFound = false;
    for (const FoundMapKey& found : finder.First(std::size_t(finder.Count()))) {
        if (found.place.form == MapKeyForm::Number32 && found.key == number) {
            numberFound = true;
            EXPECT_EQ(ReadMapKey(reader, found.place), number);
        }
        if (found.place.form == MapKeyForm::Text && found.key == map.name) {
            nameFound = true;
            EXPECT_EQ(ReadMapKey(reader, found.place), map.name);
        }
    }
    EXPECT_TRUE(numberFound);
    EXPECT_TRUE(nameFound);

    // Once the client has ended nothing can be read: nothing is left.
    client.End();
    finder.KeepSame(progress);
    EXPECT_EQ(finder.Count(), 0u);
}

} // namespace
