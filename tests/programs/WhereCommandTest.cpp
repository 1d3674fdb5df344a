// tarvex-where run as a user runs it: its output and exit status, with
// positions given and following a live stand-in client through a folder.

#include "tests/support/MapBytes.h"
#include "tests/support/Sanitizer.h"
#include "tests/support/ShortestPointerPath.h"
#include "tests/support/StandInClient.h"
#include "track/TrackingFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <mutex>
#include <random>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

struct CommandRun {
    std::string output;
    int status = -1;
};

CommandRun RunWhere(const std::string& arguments)
{
    CommandRun run;
    FILE* pipe = ::popen((std::string(TARVEX_WHERE) + " " + arguments + " 2>&1").c_str(), "r");
    char buffer[4096];
    while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe))
        run.output.append(buffer, got);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

class WhereCommandTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / ("tarvex-where-" + std::to_string(std::random_device{}()) +
                                               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Folder() const { return "'" + folder_.string() + "'"; }

    fs::path folder_;
};

TEST_F(WhereCommandTest, PrintsTheMapsEveryPositionFitsWithExitStatusOneOnlyForOneMap)
{
    WriteBytes(folder_ / "open.map", MapFromRows(std::vector<std::string>(6, "..........")));
    std::vector<std::string> west(6, "####......");
    west[2][1] = 'f';
    WriteBytes(folder_ / "west.map", MapFromRows(west));
    WriteBytes(folder_ / "small.map", MapFromRows(std::vector<std::string>(3, "....")));
    struct Row {
        const char* positions;
        const char* output;
        int status;
    } const table[] = {
        {"1:1", "open.map\nsmall.map\n", 1},
        {"1,2 5:1", "open.map\nwest.map\n", 1},
        {"1:1 3:2 3:3", "open.map\n", 0},
        {"9:5", "open.map\nwest.map\n", 1},
        {"10:5", "", 1},
        {"-1:0", "", 1},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.positions);
        const CommandRun run = RunWhere(Folder() + " " + row.positions);
        EXPECT_EQ(run.output, row.output);
        EXPECT_EQ(run.status, row.status);
    }
}

TEST_F(WhereCommandTest, SaysWhatIsWrongWithExitStatusTwo)
{
    struct Row {
        std::string arguments;
        const char* said;
    } const table[] = {
        {"", "no folder given"},
        {Folder(), "give the positions, or the process to follow"},
        {Folder() + " 3", "not a position: \"3\""},
        {Folder() + " 1:x", "not a position: \"1:x\""},
        {"'" + (folder_ / "none").string() + "' 1:1", "cannot list the folder"},
        {Folder() + " --pid 1", "give the process with --pid and where it keeps the position with --address"},
        {Folder() + " --pid 1 --address G1", "not an address: \"G1\""},
        {Folder() + " --pid 0 --address 10", "not a process identifier: \"0\""},
        {Folder() + " --pid 1 --address 10 --interval 5", "not an interval: \"5\""},
        {Folder() + " --pid 1 --adress 10", "unknown option --adress"},
        {Folder() + " --track", "--track needs a value"},
        {Folder() + " --track a --address 10", "give --address or --track for a client, not both"},
        {Folder() + " --pid 1 --address 10 --address 20", "give the process with --pid"},
        {Folder() + " --track '" + (folder_ / "none").string() + "'", "none"},
    };
    for (const Row& row : table) {
        SCOPED_TRACE(row.arguments);
        const CommandRun run = RunWhere(row.arguments);
        EXPECT_NE(run.output.find(row.said), std::string::npos) << run.output;
        EXPECT_EQ(run.status, 2);
    }
    EXPECT_EQ(RunWhere("--version").output, "tarvex-where 1.8.0\n");
    EXPECT_EQ(RunWhere("--help").status, 0);
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        lines.push_back(line);
    return lines;
}

TEST_F(WhereCommandTest, FollowsALiveClientAcrossThreeMapsUntilItEnds)
{
    for (unsigned seed = 1; seed <= 4; ++seed)
        WriteBytes(folder_ / ("area" + std::to_string(seed) + ".map"), MapFromRows(RoomsAndRubble(70, 50, seed)));
    StandInClient client("--world '" + folder_.string() + "' --stay 40 --pace 50");
    ASSERT_NE(client.address, 0u);
    CommandRun run;
    std::thread where([&] {
        char address[16];
        std::snprintf(address, sizeof address, "%X", client.address);
        run = RunWhere(Folder() + " --pid " + std::to_string(client.processId) + " --address " + address + " --interval 20");
    });
    // The maps the client walks on, as it says.
    std::vector<std::string> visited;
    while (visited.size() < 6) {
        const std::string map = client.NextMap().name;
        if (map.empty())
            break;
        visited.push_back(map);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1000)); // on the last map, half its stay
    client.End();
    where.join();
    ASSERT_EQ(visited.size(), 6u);
    EXPECT_EQ(run.status, 0) << run.output;

    // The maps named, in the order the client walked on them, never one it
    // was not on; at least three of them (the others may have been left
    // before their positions told them apart).
    std::vector<std::string> named;
    for (const std::string& line : Lines(run.output)) {
        ASSERT_FALSE(line.empty());
        const std::string name = line.substr(0, line.find(' '));
        if (name != "?" && name != "-" && (named.empty() || named.back() != name))
            named.push_back(name);
    }
    EXPECT_GE(named.size(), 3u) << run.output;
    auto walked = visited.begin();
    for (const std::string& name : named) {
        walked = std::find(walked, visited.end(), name);
        ASSERT_NE(walked, visited.end()) << name << " named out of turn; walked: " << ::testing::PrintToString(visited) << "\n" << run.output;
        ++walked;
    }
}


// Maps alike in every cell: the map key a tracking file keeps, and the maps
// learned for its keys, tell them apart at once.
TEST_F(WhereCommandTest, ATrackingFileWithTheMapKeyTellsMapsAlikeApart)
{
    SKIP_POINTERS_UNDER_ADDRESS_SANITIZER();
    const std::vector<std::string> hall(20, std::string(30, '.'));
    for (const char* name : {"hall1.map", "hall2.map", "hall3.map"})
        WriteBytes(folder_ / name, MapFromRows(hall));
    StandInClient client("--chained --world \"" + folder_.string() + "\" --stay 40 --pace 50 --tell-key");
    std::string map = client.NextMap().name;
    unsigned number = 0, name = 0;
    ASSERT_EQ(std::sscanf(client.ReadLine().c_str(), "key number %X name %X", &number, &name), 2);
    const ProcessReader reader(std::int32_t(client.processId));
    TrackingFile tracking;
    tracking.program = "stand_in_client";
    const std::optional<PointerPath> position = ShortestPointerPath(reader, client.address);
    const std::optional<PointerPath> key = ShortestPointerPath(reader, name);
    ASSERT_TRUE(position && key);
    tracking.path = *position;
    tracking.mapKey = TrackedMapKey{*key, MapKeyForm::Text};
    tracking.mapFolder = folder_.u8string();
    for (const char* hallName : {"hall1.map", "hall2.map", "hall3.map"})
        tracking.learnedMaps.emplace_back(hallName, hallName);
    WriteBytes(folder_ / "client.tarvex-track", TrackingFileText(tracking));

    CommandRun run;
    std::thread where([&] {
        run = RunWhere(Folder() + " --track '" + (folder_ / "client.tarvex-track").string() + "' --pid " +
                       std::to_string(client.processId) + " --interval 20");
    });
    std::vector<std::string> visited{map};
    for (int change = 0; change < 3; ++change)
        visited.push_back(client.NextMap().name);
    std::this_thread::sleep_for(std::chrono::milliseconds(1000)); // on the last map, half its stay
    client.End();
    where.join();
    EXPECT_EQ(run.status, 0) << run.output;
    // Every map named as it was walked on; never a "?".
    std::vector<std::string> named;
    for (const std::string& line : Lines(run.output)) {
        const std::string shown = line.substr(0, line.find(' '));
        EXPECT_NE(shown, "?") << run.output;
        if (named.empty() || named.back() != shown)
            named.push_back(shown);
    }
    EXPECT_EQ(named, visited) << run.output;
}

// Two clients at once: each line names its client (by the name its
// tracking file gives the player, or by program and process), a client that
// ends says so, and the command ends when both have.
TEST_F(WhereCommandTest, SeveralClientsAreFollowedAtOnceEachLineNamingItsOwn)
{
    SKIP_POINTERS_UNDER_ADDRESS_SANITIZER();
    // Each map open in a band of columns of its own, so that every position
    // names its map: the test is about whose line it is, not about weighing.
    for (int area = 0; area < 3; ++area) {
        std::vector<std::string> rows(50, std::string(69, '#'));
        for (std::string& row : rows)
            row.replace(std::size_t(area) * 23, 23, 23, '.');
        WriteBytes(folder_ / ("area" + std::to_string(area + 1) + ".map"), MapFromRows(rows));
    }
    StandInClient first("--world '" + folder_.string() + "' --stay 40 --pace 50");
    StandInClient second("--chained --world '" + folder_.string() + "' --stay 40 --pace 50");
    ASSERT_NE(first.address, 0u);
    ASSERT_NE(second.address, 0u);
    const auto client = [](const StandInClient& one) {
        char address[16];
        std::snprintf(address, sizeof address, "%X", one.address);
        return " --pid " + std::to_string(one.processId) + " --address " + address;
    };
    TrackingFile helper;
    helper.program = "stand_in_client";
    helper.name = "Helper";
    const std::optional<PointerPath> path = ShortestPointerPath(ProcessReader(std::int32_t(second.processId)), second.address);
    ASSERT_TRUE(path);
    helper.path = *path;
    WriteBytes(folder_ / "helper.tarvex-track", TrackingFileText(helper));
    CommandRun run;
    std::thread where([&] {
        run = RunWhere(Folder() + client(first) + " --interval 20 --track '" + (folder_ / "helper.tarvex-track").string() +
                       "' --pid " + std::to_string(second.processId));
    });
    const std::string firstMap = first.NextMap().name;
    const std::string secondMap = second.NextMap().name;
    std::this_thread::sleep_for(std::chrono::milliseconds(1500)); // both well into their first maps
    first.End();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    second.End();
    where.join();
    EXPECT_EQ(run.status, 0) << run.output;
    const std::string firstName = "stand_in_client " + std::to_string(first.processId) + ": ";
    const std::string secondName = "Helper: ";
    std::vector<std::string> firstLines, secondLines;
    for (const std::string& line : Lines(run.output)) {
        if (line.rfind(firstName, 0) == 0)
            firstLines.push_back(line.substr(firstName.size()));
        else if (line.rfind(secondName, 0) == 0)
            secondLines.push_back(line.substr(secondName.size()));
        else
            ADD_FAILURE() << "a line naming no client: " << line;
    }
    ASSERT_GE(firstLines.size(), 2u) << run.output;
    ASSERT_GE(secondLines.size(), 2u) << run.output;
    EXPECT_EQ(firstLines.back(), "ended");
    EXPECT_EQ(secondLines.back(), "ended");
    const auto named = [](const std::vector<std::string>& lines, const std::string& map) {
        return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(map + " ", 0) == 0; });
    };
    EXPECT_TRUE(named(firstLines, firstMap)) << run.output;
    EXPECT_TRUE(named(secondLines, secondMap)) << run.output;
}

} // namespace
