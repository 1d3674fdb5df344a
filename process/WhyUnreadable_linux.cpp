#include "base/UserText.h"
#include "process/ClientStart.h"
#include "process/ProcessDetails.h"
#include "process/ProcessList.h"
#include "process/ProcessName_linux.h"
#include "process/ReadRefusal_linux.h"
#include "process/WhyUnreadable.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace {

// The value of "Name:\tvalue" in /proc/PID/status (or /proc/self/status).
std::string StatusField(const std::string& folder, const std::string& name)
{
    std::ifstream status(folder + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(name + ":", 0) == 0) {
            std::istringstream fields(line.substr(name.size() + 1));
            std::string value;
            fields >> value;
            return value;
        }
    }
    return {};
}

std::int64_t NumberOr(const std::string& text, std::int64_t fallback)
{
    try {
        return text.empty() ? fallback : std::stoll(text, nullptr, 0);
    } catch (const std::exception&) {
        return fallback;
    }
}

// Field 9 of /proc/PID/stat holds the kernel's flags for the process.
bool IsKernelThread(const std::string& folder)
{
    constexpr unsigned long long kKernelThreadFlag = 0x00200000;
    std::ifstream stat(folder + "/stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t nameEnd = line.rfind(')');
    if (nameEnd == std::string::npos)
        return false;
    std::istringstream fields(line.substr(nameEnd + 1));
    std::string skipped;
    for (int field = 3; field < 9; ++field)
        fields >> skipped;
    unsigned long long flags = 0;
    return fields >> flags && (flags & kKernelThreadFlag) != 0;
}

bool ViewerMayTrace()
{
    constexpr int kCapSysPtrace = 19;
    try {
        return (std::stoull(StatusField("/proc/self", "CapEff"), nullptr, 16) >> kCapSysPtrace & 1) != 0;
    } catch (const std::exception&) {
        return false;
    }
}

int YamaScope()
{
    std::ifstream setting("/proc/sys/kernel/yama/ptrace_scope");
    int scope = -1;
    return setting >> scope ? scope : -1;
}

std::string UserName(uid_t user)
{
    std::vector<char> buffer(16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(user, &entry, buffer.data(), buffer.size(), &found) == 0 && found)
        return found->pw_name;
    return std::to_string(user);
}

std::string ViewerProgram()
{
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string("tarvex-viewer") : program.string();
}

} // namespace

ReadRefusalFacts ReadRefusalFactsOf(std::int32_t processId, int systemError)
{
    ReadRefusalFacts facts;
    const std::string folder = "/proc/" + std::to_string(processId);
    struct stat folderStatus {};
    const std::string realUser = StatusField(folder, "Uid");
    if (::stat(folder.c_str(), &folderStatus) != 0 || realUser.empty()) {
        facts.ended = true;
        return facts;
    }
    facts.kernelThread = IsKernelThread(folder);
    facts.processUser = DetailsOfProcess(std::uint32_t(processId)).owner;
    facts.viewerUser = UserName(::geteuid());
    facts.otherUser = ::geteuid() != 0 && std::to_string(::geteuid()) != realUser;
    facts.protectedMemory = folderStatus.st_uid == 0 && realUser != "0";
    facts.yamaScope = YamaScope();
    facts.viewerIsAncestor = IsDescendantOf(std::uint32_t(processId), std::uint32_t(::getpid()));
    facts.viewerMayTrace = ViewerMayTrace();
    facts.tracerId = NumberOr(StatusField(folder, "TracerPid"), 0);
    if (facts.tracerId != 0)
        facts.tracerName = ProcessNameOf("/proc/" + std::to_string(facts.tracerId));
    facts.viewerProgram = ViewerProgram();
    facts.systemMessage = SystemErrorText(systemError);
    return facts;
}

std::string ExplainReadRefusal(const ReadRefusalFacts& facts)
{
    if (facts.ended)
        return UserText("WhyUnreadable", "The process has ended.");
    if (facts.kernelThread)
        return UserText("WhyUnreadable", "It is a thread of the system's kernel, which has no memory of its own to read.");
    std::string why;
    if (facts.otherUser) {
        why = WithValues(UserText("WhyUnreadable", "It runs as the user %1 and the viewer as %2: a program may read the "
                                                   "memory of its own user's processes only."),
                         {facts.processUser, facts.viewerUser});
    } else if (facts.protectedMemory && !facts.viewerMayTrace) {
        why = UserText("WhyUnreadable", "It protects its memory from other programs of its user (it is not dumpable): "
                                        "only a program with the capability to trace (CAP_SYS_PTRACE) may read it.");
    } else if (facts.yamaScope >= 1 && !facts.viewerMayTrace &&
               !(facts.yamaScope == 1 && facts.viewerIsAncestor)) {
        const std::string setcap = "sudo setcap cap_sys_ptrace=ep " + facts.viewerProgram;
        if (facts.yamaScope == 1) {
            why = WithValues(UserText("WhyUnreadable",
                                      "The system's Yama setting kernel.yama.ptrace_scope is 1: a program may read the "
                                      "memory of the programs it started only. Three ways out: start the client from "
                                      "the viewer (\"Start a Game Client...\" in the process list's context menu); or "
                                      "allow it until the next restart with \"sudo sysctl kernel.yama.ptrace_scope=0\"; "
                                      "or give the viewer the capability to trace with \"%1\"."),
                             {setcap});
        } else if (facts.yamaScope == 2) {
            why = WithValues(UserText("WhyUnreadable",
                                      "The system's Yama setting kernel.yama.ptrace_scope is 2: only a program with the "
                                      "capability to trace may read another's memory. Give the viewer that capability "
                                      "with \"%1\", or allow reading until the next restart with \"sudo sysctl "
                                      "kernel.yama.ptrace_scope=0\"."),
                             {setcap});
        } else {
            why = WithValues(UserText("WhyUnreadable", "The system's Yama setting kernel.yama.ptrace_scope is %1: no "
                                                       "program may read another's memory until the system restarts."),
                             {std::to_string(facts.yamaScope)});
        }
    } else {
        why = WithValues(UserText("WhyUnreadable", "The system refuses to let the viewer read it: %1."),
                         {facts.systemMessage});
    }
    if (facts.tracerId != 0)
        why += " " + WithValues(UserText("WhyUnreadable", "Another program traces it: %1 (process %2)."),
                                {facts.tracerName, std::to_string(facts.tracerId)});
    return why;
}

std::string WhyUnreadable(std::int32_t processId, int systemError)
{
    return ExplainReadRefusal(ReadRefusalFactsOf(processId, systemError));
}

std::string WhyAccessIsDenied(std::int32_t processId)
{
    return WhyUnreadable(processId, EACCES);
}

std::string SystemErrorText(int systemError)
{
    return std::strerror(systemError);
}
