#include "track/ClientStart.h"

#include "map/UserText.h"
#include "track/WhyUnreadable.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

bool IsWindowsProgram(const std::string& program)
{
    if (program.size() < 4)
        return false;
    std::string ending = program.substr(program.size() - 4);
    for (char& c : ending)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ending == ".exe";
}

std::uint32_t ParentOf(std::uint32_t processId)
{
    std::ifstream status("/proc/" + std::to_string(processId) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("PPid:", 0) == 0)
            return std::uint32_t(std::strtoul(line.c_str() + 5, nullptr, 10));
    return 0;
}

} // namespace

StartedClient StartClient(const std::string& program, const std::vector<std::string>& arguments)
{
    std::vector<std::string> words;
    if (IsWindowsProgram(program))
        words.push_back("wine");
    words.push_back(program);
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    pid_t child = -1;
    const int error = ::posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ);
    if (error != 0)
        return {0, WithValues(UserText("ClientStart", "Cannot start \"%1\": %2"), {words[0], SystemErrorText(error)})};
    // Collected when it ends, so that it leaves no zombie behind while the viewer runs.
    std::thread([child] { ::waitpid(child, nullptr, 0); }).detach();
    return {std::uint32_t(child), {}};
}

bool IsDescendantOf(std::uint32_t processId, std::uint32_t ancestor)
{
    for (int depth = 0; processId > 1 && depth < 4096; ++depth) {
        if (processId == ancestor)
            return true;
        processId = ParentOf(processId);
    }
    return processId == ancestor;
}
