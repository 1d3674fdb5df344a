#pragma once
// Linux only: what WhyUnreadable() looks at, gathered from /proc, and the
// sentences made of it.

#include <cstdint>
#include <string>

struct ReadRefusalFacts {
    bool ended = false;
    bool kernelThread = false;      // a thread of the kernel: no memory of its own
    std::string processUser;        // the name of the process's real user; empty when unknown
    std::string viewerUser;         // the viewer's effective user
    bool otherUser = false;         // the real users differ and the viewer is not root
    bool protectedMemory = false;   // not dumpable: its /proc folder belongs to root, not to its user
    int yamaScope = -1;             // kernel.yama.ptrace_scope; -1 without Yama
    bool viewerIsAncestor = false;  // the viewer started it, directly or not
    bool viewerMayTrace = false;    // the viewer holds CAP_SYS_PTRACE
    std::int64_t tracerId = 0;      // TracerPid; 0 when untraced
    std::string tracerName;
    std::string viewerProgram;      // the viewer's own file, for the setcap command
    std::string systemMessage;      // strerror of the failure
};

ReadRefusalFacts ReadRefusalFactsOf(std::int32_t processId, int systemError);
std::string ExplainReadRefusal(const ReadRefusalFacts& facts);
