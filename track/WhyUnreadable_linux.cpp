#include "track/ClientStart.h"
#include "track/ProcessDetails.h"
#include "track/ProcessList.h"
#include "track/ProcessName_linux.h"
#include "track/ReadRefusal_linux.h"
#include "track/WhyUnreadable.h"

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
        return "The process has ended.";
    std::string why;
    if (facts.otherUser) {
        why = "It runs as the user " + facts.processUser + " and the viewer as " + facts.viewerUser +
              ": a program may read the memory of its own user's processes only.";
    } else if (facts.protectedMemory && !facts.viewerMayTrace) {
        why = "It protects its memory from other programs of its user (it is not dumpable): only a program "
              "with the capability to trace (CAP_SYS_PTRACE) may read it.";
    } else if (facts.yamaScope >= 1 && !facts.viewerMayTrace &&
               !(facts.yamaScope == 1 && facts.viewerIsAncestor)) {
        const std::string setcap = "sudo setcap cap_sys_ptrace=ep " + facts.viewerProgram;
        if (facts.yamaScope == 1) {
            why = "The system's Yama setting kernel.yama.ptrace_scope is 1: a program may read the memory of the "
                  "programs it started only. Three ways out: start the client from the viewer (\"Start a Game "
                  "Client...\" in the process list's context menu); or allow it until the next restart with "
                  "\"sudo sysctl kernel.yama.ptrace_scope=0\"; or give the viewer the capability to trace with \"" +
                  setcap + "\".";
        } else if (facts.yamaScope == 2) {
            why = "The system's Yama setting kernel.yama.ptrace_scope is 2: only a program with the capability to "
                  "trace may read another's memory. Give the viewer that capability with \"" + setcap +
                  "\", or allow reading until the next restart with \"sudo sysctl kernel.yama.ptrace_scope=0\".";
        } else {
            why = "The system's Yama setting kernel.yama.ptrace_scope is " + std::to_string(facts.yamaScope) +
                  ": no program may read another's memory until the system restarts.";
        }
    } else {
        why = "The system refuses to let the viewer read it: " + facts.systemMessage + ".";
    }
    if (facts.tracerId != 0)
        why += " Another program traces it: " + facts.tracerName + " (process " + std::to_string(facts.tracerId) + ").";
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
