#pragma once
// Linux only: runs a piece of a test as a user without root's power over
// file permissions, so that permission failures can be seen when the tests
// run as root (as CI does).

#include <functional>
#include <optional>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

// Runs work in a child process as the user "nobody" when this process is
// root, or right here when it is not, and gives what work returned;
// std::nullopt when no such child could be had.
inline std::optional<std::string> AsOrdinaryUser(const std::function<std::string()>& work)
{
    if (::geteuid() != 0)
        return work();
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return std::nullopt;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        const std::string result = ::setgid(65534) == 0 && ::setuid(65534) == 0 ? "=" + work() : "!";
        (void)!::write(pipeEnds[1], result.data(), result.size());
        ::_exit(0);
    }
    ::close(pipeEnds[1]);
    std::string result;
    char buffer[256];
    for (ssize_t got; child > 0 && (got = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        result.append(buffer, std::size_t(got));
    ::close(pipeEnds[0]);
    if (child > 0)
        ::waitpid(child, nullptr, 0);
    if (result.empty() || result[0] != '=')
        return std::nullopt;
    return result.substr(1);
}
