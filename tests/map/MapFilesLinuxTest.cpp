// What only Linux shows: FIFOs and devices where a map or "MapInfo.txt" is
// expected, and a map file swapped for a FIFO while it is being opened.

#include "base/RegularFile.h"
#include "map/MapLinks.h"
#include "map/MapReader.h"
#include "tests/support/AsOrdinaryUser.h"
#include "tests/support/MapBytes.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <future>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Runs work and gives its result, or ends the test program with a failure
// when it has not returned within ten seconds (a hung thread cannot be
// stopped otherwise).
template <typename Work>
auto WithinSeconds(Work work)
{
    auto result = std::async(std::launch::async, work);
    if (result.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
        std::fputs("the call hung for ten seconds\n", stderr);
        std::_Exit(1);
    }
    return result.get();
}

class MapFilesLinuxTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() /
                  ("tarvex-files-" + std::to_string(::getpid()) + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    fs::path Fifo(const std::string& name)
    {
        const fs::path path = folder_ / name;
        EXPECT_EQ(::mkfifo(path.c_str(), 0600), 0);
        return path;
    }

    fs::path folder_;
};

TEST_F(MapFilesLinuxTest, AFifoOrADeviceIsNoMap)
{
    const fs::path fifo = Fifo("waiting.map");
    EXPECT_FALSE(WithinSeconds([&] { return ReadMapFile(fifo).has_value(); }));
    fs::create_symlink("/dev/zero", folder_ / "zero.map");
    EXPECT_FALSE(WithinSeconds([&] { return ReadMapFile(folder_ / "zero.map").has_value(); }));
}

TEST_F(MapFilesLinuxTest, AMapSwappedForAFifoWhileOpeningNeverHangs)
{
    std::string bytes = MapHeaderBytes(300, 900); // read by two threads when a processor is free
    for (int i = 0; i < 300 * 900; ++i)
        bytes += CellBytes(i % 3 == 0 ? 200 : 0);
    const fs::path path = folder_ / "swapped.map";
    WriteBytes(folder_ / "real.map", bytes);
    Fifo("fifo");
    // The swapper puts the FIFO and the map in turn at the path, as fast as
    // it can, while the reader opens the path again and again.
    std::atomic<bool> done{false};
    std::thread swapper([&] {
        for (bool fifo = true; !done; fifo = !fifo) {
            fs::path source = folder_ / (fifo ? "fifo-link" : "real-link");
            std::error_code error;
            fs::remove(source, error);
            fs::create_hard_link(folder_ / (fifo ? "fifo" : "real.map"), source, error);
            fs::rename(source, path, error);
        }
    });
    int maps = 0, noMaps = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    while (std::chrono::steady_clock::now() < deadline) {
        const std::optional<MapLoad> load = WithinSeconds([&] { return ReadMapFile(path, [](std::int64_t) { return 2; }); });
        if (!load) {
            ++noMaps;
            continue;
        }
        ++maps;
        if (load->header.Width() != 300 || load->matrix[299][897] != kWalkBlocked || load->matrix[299][899] != kWalkOpen) {
            ADD_FAILURE() << "a map that is not the file's";
            break;
        }
    }
    done = true;
    swapper.join();
    EXPECT_GT(maps, 0);
    EXPECT_GT(noMaps, 0);
}

TEST_F(MapFilesLinuxTest, MapInfoThatIsNoRegularFileFailsAtOnce)
{
    const fs::path fifo = Fifo(kMapInfoFileName);
    const WholeFile fromFifo = WithinSeconds([&] { return ReadWholeRegularFile(fifo, kMaxMapInfoBytes); });
    EXPECT_FALSE(fromFifo.read);
    EXPECT_EQ(fromFifo.failure, kNotARegularFile);

    fs::create_directory(folder_ / "linked");
    fs::create_symlink("/dev/zero", folder_ / "linked" / kMapInfoFileName);
    const WholeFile fromZero =
        WithinSeconds([&] { return ReadWholeRegularFile(folder_ / "linked" / kMapInfoFileName, kMaxMapInfoBytes); });
    EXPECT_FALSE(fromZero.read);
    EXPECT_EQ(fromZero.failure, kNotARegularFile);
    EXPECT_TRUE(fromZero.bytes.empty());
}

TEST_F(MapFilesLinuxTest, MapInfoOfMoreThan64MiBIsTooLarge)
{
    const fs::path path = folder_ / kMapInfoFileName;
    WriteBytes(path, "");
    fs::resize_file(path, kMaxMapInfoBytes + 1); // sparse: no time spent writing
    const WholeFile tooLarge = ReadWholeRegularFile(path, kMaxMapInfoBytes);
    EXPECT_FALSE(tooLarge.read);
    EXPECT_EQ(tooLarge.failure, "File too large");
    EXPECT_TRUE(tooLarge.bytes.empty());

    fs::resize_file(path, kMaxMapInfoBytes);
    const WholeFile atTheLimit = ReadWholeRegularFile(path, kMaxMapInfoBytes);
    EXPECT_TRUE(atTheLimit.read);
    EXPECT_EQ(std::int64_t(atTheLimit.bytes.size()), kMaxMapInfoBytes);
}

TEST_F(MapFilesLinuxTest, MapInfoReadsFilesOfEverySizeTheSystemReports)
{
    // /proc reports a size of 0 for files that do hold bytes.
    const WholeFile status = ReadWholeRegularFile("/proc/self/status", kMaxMapInfoBytes);
    EXPECT_TRUE(status.read);
    EXPECT_NE(status.bytes.find("Pid:"), std::string::npos);

    const std::string text = "[HARBOR2 Old harbour]\r\nHarbor2 north pier\n";
    WriteBytes(folder_ / kMapInfoFileName, text);
    EXPECT_EQ(ReadWholeRegularFile(folder_ / kMapInfoFileName, kMaxMapInfoBytes).bytes, text);
    EXPECT_EQ(ReadWholeRegularFile(folder_ / kMapInfoFileName, 10).failure, kFileTooLarge);
}

TEST_F(MapFilesLinuxTest, OpenFailuresCarryTheSystemsText)
{
    const WholeFile missing = ReadWholeRegularFile(folder_ / kMapInfoFileName, kMaxMapInfoBytes);
    EXPECT_FALSE(missing.read);
    EXPECT_EQ(missing.failure, "No such file or directory");
    fs::create_directory(folder_ / "folder");
    EXPECT_EQ(ReadWholeRegularFile(folder_ / "folder", kMaxMapInfoBytes).failure, "Is a directory");
}

TEST_F(MapFilesLinuxTest, TheMemoLinesOfAMapComeWholeOrWithTheReason)
{
    std::string text = "[HARBOR2 Old harbour]\nMine7 gate\n";
    for (int i = 0; i < 10005; ++i)
        text += "Harbor2 pier " + std::to_string(i) + "\n";
    WriteBytes(folder_ / kMapInfoFileName, text);
    const MapInfoLinks links = ReadMapInfoLinks(folder_ / kMapInfoFileName, MapNameOf("Harbor2.map"));
    ASSERT_TRUE(links.read);
    ASSERT_EQ(links.lines.size(), 10001u);
    EXPECT_EQ(links.lines[0], "[HARBOR2 Old harbour]");
    EXPECT_EQ(links.lines[9999], "Harbor2 pier 9998");
    EXPECT_EQ(links.lines[10000], "... and 6 more lines for this map");
    EXPECT_EQ(ReadMapInfoLinks(folder_ / kMapInfoFileName, "MINE7").lines, std::vector<std::string>{"Mine7 gate"});

    const fs::path fifo = Fifo("fifo");
    const MapInfoLinks fromFifo = WithinSeconds([&] { return ReadMapInfoLinks(fifo, "MINE7"); });
    EXPECT_FALSE(fromFifo.read);
    EXPECT_EQ(fromFifo.failure, kNotARegularFile);
    EXPECT_EQ(ReadMapInfoLinks(folder_ / "missing.txt", "MINE7").failure, "No such file or directory");
}

TEST_F(MapFilesLinuxTest, NoMapTellsWhetherThereWasNoFileOrItCouldNotBeOpened)
{
    for (const fs::path& noFile : {folder_ / "missing.map", folder_ / "missing" / "x.map", Fifo("fifo.map"), folder_}) {
        const MapFileRead read = WithinSeconds([&] { return ReadMapFileTellingWhyNot(noFile); });
        EXPECT_FALSE(read.map) << noFile;
        EXPECT_TRUE(read.noRegularFile) << noFile;
    }
    WriteBytes(folder_ / "locked.map", MapHeaderBytes(2, 2));
    fs::permissions(folder_, fs::perms::all);
    fs::permissions(folder_ / "locked.map", fs::perms::none);
    const std::optional<std::string> failure = AsOrdinaryUser([&] {
        const MapFileRead read = ReadMapFileTellingWhyNot(folder_ / "locked.map");
        return read.map || read.noRegularFile ? std::string("read or not found") : read.failure;
    });
    if (!failure)
        GTEST_SKIP() << "no ordinary user to run as";
    EXPECT_EQ(*failure, "Permission denied");
    fs::permissions(folder_ / "locked.map", fs::perms::owner_all);
    EXPECT_TRUE(ReadMapFileTellingWhyNot(folder_ / "locked.map").map);
}

} // namespace
