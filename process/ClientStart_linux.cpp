#include "process/ClientStart.h"

#include "base/UserText.h"
#include "process/WhyUnreadable.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
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

// The machine a Windows program is built for, from its PE header: 0x8664
// for 64-bit programs, 0x14C for 32-bit ones; 0 when unreadable.
unsigned MachineOf(const std::string& program)
{
    std::ifstream file(program, std::ios::binary);
    unsigned char header[0x40] = {};
    if (!file.read(reinterpret_cast<char*>(header), sizeof header) || header[0] != 'M' || header[1] != 'Z')
        return 0;
    const std::uint32_t peAt = header[0x3C] | header[0x3D] << 8 | header[0x3E] << 16 | std::uint32_t(header[0x3F]) << 24;
    unsigned char pe[6] = {};
    if (!file.seekg(peAt) || !file.read(reinterpret_cast<char*>(pe), sizeof pe) || pe[0] != 'P' || pe[1] != 'E' || pe[2] || pe[3])
        return 0;
    return pe[4] | pe[5] << 8;
}

bool IsExecutable(const std::string& path)
{
    return ::access(path.c_str(), X_OK) == 0;
}

std::string OnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream folders(path ? path : "");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (!folder.empty() && IsExecutable(folder + "/" + name))
            return folder + "/" + name;
    return {};
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

// Where Wine's 32-bit part is installed, "wine" runs a 64-bit program in a
// process that is no descendant of the caller (Debian's "wine" hands it on
// through Wine's own start.exe), which the system (Yama scope 1) then keeps
// the viewer from reading: 64-bit Wine's own loader runs it as a child.
std::string WineFor(const std::string& program)
{
    if (MachineOf(program) != 0x8664)
        return "wine";
    if (std::string wine64 = OnPath("wine64"); !wine64.empty())
        return wine64;
    const std::string debians = "/usr/lib/wine/wine64";
    return IsExecutable(debians) ? debians : "wine";
}

StartedClient StartClient(const std::string& program, const std::vector<std::string>& arguments)
{
    std::vector<std::string> words;
    if (IsWindowsProgram(program))
        words.push_back(WineFor(program));
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
