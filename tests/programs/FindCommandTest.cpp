// tarvex-find run as a player runs it, on the stand-in client that hides the
// position among decoys: requests in, counts out.

#include "process/ProcessMemory.h"
#include "tests/support/MapBytes.h"
#include "tests/support/Sanitizer.h"
#include "tests/support/StandInClient.h"
#include "track/Tracker.h"

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
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

    // Sends the bytes as they are; false once it stops reading.
    bool Send(const std::string& bytes)
    {
        for (std::size_t sent = 0; sent < bytes.size();) {
            const ssize_t wrote = ::write(input_, bytes.data() + sent, bytes.size() - sent);
            if (wrote <= 0)
                return false;
            sent += std::size_t(wrote);
        }
        return true;
    }
    // Sends a request and returns the lines up to and with the count.
    std::string Ask(const std::string& request)
    {
        if (!Send(request + "\n"))
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

void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

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
    const long found = FindSession::Count(find.Ask("7:8"));
    EXPECT_GE(found, 1);

    // What is not a map is refused with its reason, and the places stay.
    const std::string folder = ::testing::TempDir() + "find-requests";
    std::filesystem::create_directories(folder);
    const std::string pipe = folder + "/pipe.map";
    std::filesystem::remove(pipe);
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    WriteFile(folder + "/empty.map", "");
    WriteFile(folder + "/huge.map", MapHeaderBytes(65535, 65535) + "short");
    WriteFile(folder + "/text.map", "hello");
    const std::vector<std::pair<std::string, std::string>> refused{
        {folder, "a folder, not a map file"},
        {pipe, "not a regular file (a pipe or a device), not a map file"},
        {"/dev/zero", "not a regular file (a pipe or a device), not a map file"},
        {folder + "/empty.map", "not a map: it holds no cells"},
        {"/proc/self/mem", "not a map"},
        {folder + "/huge.map", "cannot be read"},
        {folder + "/text.map", "cannot be read"},
    };
    for (const auto& [path, why] : refused) {
        const std::string answer = find.Ask("map " + path);
        EXPECT_NE(answer.find(path + ": " + why), std::string::npos) << answer;
        EXPECT_EQ(FindSession::Count(answer), found) << path;
    }

    // Lines too long, and bytes a terminal would act on, are never echoed.
    std::string answer = find.Ask(std::string(5000, 'x'));
    EXPECT_NE(answer.find("a request is at most 4096 bytes long"), std::string::npos);
    EXPECT_EQ(answer.find("xxxx"), std::string::npos);
    answer = find.Ask("\x1B[2Jhello");
    EXPECT_NE(answer.find("not a request: \"\\x1B[2Jhello\""), std::string::npos) << answer;
    EXPECT_EQ(answer.find('\x1B'), std::string::npos);
    EXPECT_EQ(FindSession::Count(answer), found);

    EXPECT_EQ(FindSession::Count(find.Ask("reset")), 0);
    EXPECT_NE(find.Ask("moved").find("needs a search first"), std::string::npos);
    find.CloseInput();
    EXPECT_EQ(find.Finish(), 0);
}

// Input that never ends a line is not taken for ever more memory.
TEST(FindCommandTest, InputThatIsNoLinesEndsIt)
{
    StandInClient client("--hold 7 8 --seconds 60");
    FindSession find(std::to_string(client.processId));
    std::signal(SIGPIPE, SIG_IGN);
    find.Send(std::string(3 << 20, '\0')); // stops part way once it has given up
    find.CloseInput();
    std::string said;
    EXPECT_EQ(find.Finish(&said), 2);
    EXPECT_NE(said.find("the input is not lines of text"), std::string::npos) << said;
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
    EXPECT_EQ(said, "tarvex-find: no process has the identifier " + processId + "\n");

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
    StandInClient client("--world \"" + folder.string() + "\" --stay 40 --pace 100");
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
