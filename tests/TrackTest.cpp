#include "ProcessList.h"
#include "ProcessMemory.h"
#include "StandInClient.h"
#include "Tracker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sys/mman.h>
#include <unistd.h>

namespace {

struct AddressCase {
    const char* text;
    std::optional<std::uint32_t> address;
};

class AddressTextTest : public ::testing::TestWithParam<AddressCase> {};

TEST_P(AddressTextTest, HexadecimalDigitsAfterTheDollarOnly)
{
    EXPECT_EQ(ParseHexAddress(GetParam().text), GetParam().address) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, AddressTextTest,
    ::testing::Values(AddressCase{"$12ab", 0x12AB}, AddressCase{"$12AB", 0x12AB}, AddressCase{"$0", 0},
                      AddressCase{"$FFFFFFFF", 0xFFFFFFFF}, AddressCase{"$80000000", 0x80000000},
                      AddressCase{"$0FFFFFFFF", 0xFFFFFFFF}, AddressCase{"$000000000001", 1},
                      AddressCase{"$123456789", std::nullopt}, AddressCase{"$100000000", std::nullopt},
                      AddressCase{"$", std::nullopt}, AddressCase{"$0x12", std::nullopt},
                      AddressCase{"$$12", std::nullopt}, AddressCase{"$ 12", std::nullopt},
                      AddressCase{"$12 ", std::nullopt}, AddressCase{"$1 2", std::nullopt},
                      AddressCase{"$-1", std::nullopt}, AddressCase{"$+1", std::nullopt},
                      AddressCase{"$12g", std::nullopt}, AddressCase{"12", std::nullopt},
                      AddressCase{"", std::nullopt}));

TEST(ProcessIdTextTest, SignedThirtyTwoBitDecimal)
{
    EXPECT_EQ(ParseDecimalInteger("0"), 0);
    EXPECT_EQ(ParseDecimalInteger("4242"), 4242);
    EXPECT_EQ(ParseDecimalInteger("2147483647"), 2147483647);
    EXPECT_EQ(ParseDecimalInteger("-2147483648"), -2147483647 - 1);
    EXPECT_EQ(ParseDecimalInteger("+7"), 7);
    EXPECT_EQ(ParseDecimalInteger("2147483648"), std::nullopt);
    EXPECT_EQ(ParseDecimalInteger(""), std::nullopt);
    EXPECT_EQ(ParseDecimalInteger("12a"), std::nullopt);
    EXPECT_EQ(ParseDecimalInteger("-"), std::nullopt);
    EXPECT_EQ(NotAValidInteger("$"), "'$' is not a valid integer value");
}

const ProcessEntry* Find(const std::vector<ProcessEntry>& processes, std::uint32_t processId)
{
    const auto found = std::find_if(processes.begin(), processes.end(),
                                    [processId](const ProcessEntry& p) { return p.processId == processId; });
    return found == processes.end() ? nullptr : &*found;
}

TEST(ProcessListTest, TheWalkNamesThisProcessAndAStartedClient)
{
    StandInClient client("--hold 1 2 --seconds 30");
    ASSERT_NE(client.processId, 0u);
    const std::vector<ProcessEntry> processes = SnapshotProcesses();
    const ProcessEntry* self = Find(processes, std::uint32_t(::getpid()));
    ASSERT_NE(self, nullptr);
    EXPECT_EQ(self->exeFile, "track_tests");
    const ProcessEntry* started = Find(processes, client.processId);
    ASSERT_NE(started, nullptr);
    EXPECT_EQ(started->exeFile, "stand_in_client");
    EXPECT_TRUE(std::is_sorted(processes.begin(), processes.end(),
                               [](const ProcessEntry& a, const ProcessEntry& b) { return a.processId < b.processId; }));
    for (const ProcessEntry& process : processes)
        EXPECT_LE(process.exeFile.size(), kMaxProcessNameLength);
}

class ProcessNameTest : public ::testing::Test {
protected:
    void SetUp() override { folder_ = std::filesystem::temp_directory_path() / ("tarvex-proc-" + std::to_string(::getpid())); }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    std::string NameOf(const std::string& commandLine, const std::string& executable, const std::string& shortName)
    {
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        std::ofstream(folder_ / "cmdline", std::ios::binary) << commandLine;
        std::ofstream(folder_ / "comm") << shortName << "\n";
        if (!executable.empty())
            std::filesystem::create_symlink(executable, folder_ / "exe");
        return ProcessNameOf(folder_);
    }

    std::filesystem::path folder_;
};

TEST_F(ProcessNameTest, ProgramsUnderWineShowTheirExeName)
{
    using namespace std::string_literals;
    EXPECT_EQ(NameOf("C:\\games\\client.exe\0-window\0"s, "/usr/lib/wine/wine64-preloader", "client.exe"), "client.exe");
    EXPECT_EQ(NameOf("/home/me/Game Client.EXE\0"s, "/usr/bin/wine64-preloader", "Game Client.EXE"), "Game Client.EXE");
    // Wine's loader never names a process: the kernel's short name does (cut at 15 characters).
    EXPECT_EQ(NameOf("client\0"s, "/usr/lib/wine/wine64-preloader", "averylongclient"), "averylongclient");
    EXPECT_EQ(NameOf("/usr/bin/python3\0script.py\0"s, "/usr/bin/python3.11", "python3"), "python3.11");
    EXPECT_EQ(NameOf("", "", "kthreadd"), "kthreadd"); // kernel threads have neither
}

TEST(ProcessMemoryTest, ReadsThePlayerPositionOfARunningClient)
{
    StandInClient client("--hold 312 207 --seconds 30");
    ASSERT_NE(client.processId, 0u);
    const ProcessMemory memory(std::int32_t(client.processId));
    ASSERT_TRUE(memory.IsOpen());
    const PlayerPosition position = ReadPlayerPosition(memory, client.address);
    EXPECT_EQ(position.x, 312);
    EXPECT_EQ(position.y, 207);
    EXPECT_EQ(ReadPlayerPosition(memory, client.address + 2).x, 207); // y is two bytes on

    const PlayerPosition unmapped = ReadPlayerPosition(memory, 0);
    EXPECT_EQ(unmapped.x, 0);
    EXPECT_EQ(unmapped.y, 0);

    client.End();
    const ProcessMemory ended(std::int32_t(client.processId));
    EXPECT_EQ(ReadPlayerPosition(ended, client.address).x, 0);
}

TEST(ProcessMemoryTest, UnmappedAddressesReadAsZeroAndMappedOnesAsStored)
{
    // x at FFFFFFFF is never mapped here, and y wraps round to address 1.
    const ProcessMemory memory(std::int32_t(::getpid()));
    const PlayerPosition position = ReadPlayerPosition(memory, 0xFFFFFFFF);
    EXPECT_EQ(position.x, 0);
    EXPECT_EQ(position.y, 0);

    void* page = ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_32BIT, -1, 0);
    ASSERT_NE(page, MAP_FAILED);
    auto* bytes = static_cast<unsigned char*>(page);
    bytes[0] = 0x34;
    bytes[1] = 0x12;
    bytes[2] = 0xFF;
    bytes[3] = 0xFF;
    const PlayerPosition own = ReadPlayerPosition(memory, std::uint32_t(reinterpret_cast<std::uintptr_t>(page)));
    EXPECT_EQ(own.x, 0x1234);
    EXPECT_EQ(own.y, 65535);
    ::munmap(page, 4096);
}

} // namespace
