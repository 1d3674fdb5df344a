// tarvex-find run as a player runs it, on the stand-in client that hides the
// position among decoys: requests in, counts out.

#include "tests/MapBytes.h"
#include "tests/Sanitizer.h"
#include "tests/StandInClient.h"
#include "track/ProcessMemory.h"
#include "track/Tracker.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

// tarvex-find with a pipe to its input and one from its output.
class FindSession {
public:
    explicit FindSession(const std::string& argument) : FindSession(std::vector<std::string>{argument}) {}
    explicit FindSession(std::vector<std::string> arguments)
    {
        int input[2], output[2];
        if (::pipe(input) != 0 || ::pipe(output) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, input[0], STDIN_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, output[1], STDERR_FILENO);
        posix_spawn_file_actions_addclose(&actions, input[1]);
        posix_spawn_file_actions_addclose(&actions, output[0]);
        std::vector<char*> argv{const_cast<char*>(TARVEX_FIND)};
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        if (::posix_spawn(&child_, TARVEX_FIND, &actions, nullptr, argv.data(), environ) != 0)
            child_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        ::close(input[0]);
        ::close(output[1]);
        input_ = input[1];
        output_ = output[0];
    }
    ~FindSession()
    {
        CloseInput();
        Finish();
        ::close(output_);
    }

    // Sends a request and returns the lines up to and with the count.
    std::string Ask(const std::string& request)
    {
        const std::string line = request + "\n";
        if (::write(input_, line.data(), line.size()) != ssize_t(line.size()))
            return {};
        std::string answer;
        for (std::string last; ; last.clear()) {
            char c = 0;
            while (::read(output_, &c, 1) == 1 && c != '\n')
                last += c;
            answer += last + "\n";
            if (last.empty() || last.find_first_not_of("0123456789") == std::string::npos)
                return answer;
        }
    }
    static long Count(const std::string& answer)
    {
        const std::size_t lastLine = answer.rfind('\n', answer.size() - 2);
        return std::stol(answer.substr(lastLine == std::string::npos ? 0 : lastLine + 1));
    }
    void CloseInput()
    {
        if (input_ >= 0)
            ::close(input_);
        input_ = -1;
    }
    // The exit status and what was left unread.
    int Finish(std::string* rest = nullptr)
    {
        char c = 0;
        while (::read(output_, &c, 1) == 1)
            if (rest)
                *rest += c;
        int status = 0;
        if (child_ > 0 && ::waitpid(child_, &status, 0) == child_)
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        child_ = -1;
        return exitCode_;
    }

private:
    pid_t child_ = -1;
    int input_ = -1;
    int output_ = -1;
    int exitCode_ = -1;
};

std::string Hex(std::uint32_t address)
{
    char text[9];
    std::snprintf(text, sizeof text, "%08X", address);
    return text;
}

std::string PositionOf(const StandInClient& client)
{
    const PlayerPosition at = ReadPlayerPosition(ProcessMemory(std::int32_t(client.processId)), client.address);
    return std::to_string(at.x) + ":" + std::to_string(at.y);
}

void WaitForAStep()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(600)); // the stand-in steps every half second
}

TEST(FindCommandTest, AKnownPositionTwiceLeavesTheOneTrueAddress)
{
    StandInClient client("--map " SAMPLES_DIR "/Harbor2.map --hidden --seconds 60");
    ASSERT_NE(client.address, 0u);
    FindSession find(std::to_string(client.processId));
    long count = 0;
    for (int step = 0; step < 3; ++step) {
        // A position read just before and after the request is the one it saw.
        std::string before, answer;
        do {
            before = PositionOf(client);
            answer = find.Ask(before);
        } while (before != PositionOf(client));
        count = FindSession::Count(answer);
        if (count == 1)
            break;
        WaitForAStep();
    }
    EXPECT_EQ(count, 1);
    EXPECT_EQ(find.Ask("list").substr(0, 8), Hex(client.address));
    find.CloseInput();
    EXPECT_EQ(find.Finish(), 0);
}

TEST(FindCommandTest, WalkingOnTheMapFindsItWithoutAPosition)
{
    StandInClient client("--map " SAMPLES_DIR "/Harbor2.map --hidden --seconds 60");
    ASSERT_NE(client.address, 0u);
    FindSession find(std::to_string(client.processId));
    long count = FindSession::Count(find.Ask("map " SAMPLES_DIR "/Harbor2.map"));
    int steps = 1;
    for (; count > 1 && steps < 8; ++steps) {
        WaitForAStep();
        count = FindSession::Count(find.Ask("moved"));
    }
    EXPECT_EQ(count, 1) << "after " << steps << " steps";
    EXPECT_EQ(find.Ask("list"), Hex(client.address) + " " + PositionOf(client) + "\n1\n");
}

TEST(FindCommandTest, BadRequestsAreToldAndTheSessionGoesOn)
{
    StandInClient client("--hold 7 8 --seconds 60");
    FindSession find(std::to_string(client.processId));
    EXPECT_NE(find.Ask("moved").find("needs a search first"), std::string::npos);
    EXPECT_NE(find.Ask("jump").find("not a request: \"jump\""), std::string::npos);
    EXPECT_NE(find.Ask("map /no/such.map").find("/no/such.map: no such map file"), std::string::npos);
    EXPECT_GE(FindSession::Count(find.Ask("7:8")), 1);
    find.CloseInput();
    EXPECT_EQ(find.Finish(), 0);
}

TEST(FindCommandTest, AProcessThatCannotBeReadEndsItWithTheReason)
{
    StandInClient client("--hold 7 8 --seconds 60");
    const std::string processId = std::to_string(client.processId);
    client.End();
    FindSession find(processId);
    find.CloseInput();
    std::string said;
    EXPECT_EQ(find.Finish(&said), 2);
    EXPECT_EQ(said, "tarvex-find: cannot read process " + processId + ": The process has ended.\n");

    FindSession wrong("forty-two");
    wrong.CloseInput();
    said.clear();
    EXPECT_EQ(wrong.Finish(&said), 2);
    EXPECT_EQ(said.rfind("Usage: tarvex-find PID", 0), 0u);
}

TEST(FindCommandTest, PathsToTheAddressAndTheAddressAPathLandsOn)
{
    SKIP_POINTERS_UNDER_ADDRESS_SANITIZER();
    StandInClient client("--chained --seconds 60");
    const std::string processId = std::to_string(client.processId);
    FindSession paths({processId, "--paths", Hex(client.address)});
    paths.CloseInput();
    std::string printed;
    ASSERT_EQ(paths.Finish(&printed), 0) << printed;
    const std::string first = printed.substr(0, printed.find('\n'));
    EXPECT_EQ(first.rfind("stand_in_client+", 0), 0u) << first;

    FindSession resolve({processId, "--resolve", first});
    resolve.CloseInput();
    printed.clear();
    EXPECT_EQ(resolve.Finish(&printed), 0);
    EXPECT_EQ(printed, Hex(client.address).erase(0, Hex(client.address).find_first_not_of('0')) + "\n");

    FindSession unknown({processId, "--resolve", "other.dll+10 -> +8"});
    unknown.CloseInput();
    printed.clear();
    EXPECT_EQ(unknown.Finish(&printed), 1);
    EXPECT_EQ(printed, "tarvex-find: The client has no module \"other.dll\".\n");

    FindSession wrong({processId, "--resolve", "other.dll -> +8"});
    wrong.CloseInput();
    printed.clear();
    EXPECT_EQ(wrong.Finish(&printed), 2);
    EXPECT_NE(printed.find("begins with a module and an offset"), std::string::npos);
}

// The map key: the client crosses maps; told each change and each stay, the
// finder keeps the map's name among a few places, and says what is wrong.
TEST(FindCommandTest, ChangesAndStaysOfTheMapLeaveWhereTheClientKeepsItsName)
{
    const std::filesystem::path folder = std::filesystem::temp_directory_path() / ("tarvex-find-key-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    for (unsigned seed = 1; seed <= 3; ++seed)
        WriteBytes(folder / ("cave" + std::to_string(seed) + ".map"), MapFromRows(RoomsAndRubble(40, 30, seed)));
    StandInClient client("--world \"" + folder.string() + "\" --stay 15 --pace 100");
    FindSession session({std::to_string(client.processId), "--map-key"});
    std::string map = client.NextMap().name;
    EXPECT_GT(FindSession::Count(session.Ask("same")), 10000); // the first look takes every place
    EXPECT_NE(session.Ask("moved").find("not a request: \"moved\" (changed, same or list)"), std::string::npos);
    for (int change = 0; change < 3; ++change) {
        session.Ask("same");
        map = client.NextMap().name;
        session.Ask("changed");
        session.Ask("same");
    }
    const std::string listed = session.Ask("list");
    EXPECT_LE(FindSession::Count(listed), 20) << listed;
    EXPECT_NE(listed.find(" text \"" + map + "\"\n"), std::string::npos) << map << " not in\n" << listed;
    client.End();
    std::filesystem::remove_all(folder);
}

} // namespace
