#pragma once
// Runs the stand-in game client for a test and ends it afterwards. The
// client's first line tells its process identifier and the address of the
// player's position.

#include <cstdint>
#include <cstdio>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

class StandInClient {
public:
    // program: the client to start; a Linux test may give "wine64 …/stand_in_client.exe".
    // A hidden position's address is told to the tests, and a client not
    // told how long to run ends after five minutes, so that no read of its
    // output waits longer.
    explicit StandInClient(const std::string& arguments, const std::string& program = STAND_IN_CLIENT)
    {
        const bool toldHowLong = arguments.find("--seconds") != std::string::npos;
        Start(program + " " + arguments + " --tell-address" + (toldHowLong ? "" : " --seconds 300"));
    }
    ~StandInClient() { End(); }
    StandInClient(const StandInClient&) = delete;
    StandInClient& operator=(const StandInClient&) = delete;

    // Ends the client and waits until its process is gone.
    void End();
    // The next line the client prints, without its line end; empty at the end.
    std::string ReadLine();
    // The next map a client walking a world tells it enters ("map NUMBER
    // NAME X:Y"); an empty name at the end.
    struct WorldMap {
        unsigned number = 0;
        std::string name;
    };
    WorldMap NextMap()
    {
        for (std::string line = ReadLine(); !line.empty(); line = ReadLine()) {
            WorldMap map;
            char name[64] = {};
            if (std::sscanf(line.c_str(), "map %u %63s", &map.number, name) == 2) {
                map.name = name;
                return map;
            }
        }
        return {};
    }
    // The process started: the client itself, or the Wine process that runs it.
    std::uint32_t StartedProcessId() const;

    std::uint32_t processId = 0;
    std::uint32_t address = 0;

private:
    void Start(const std::string& commandLine);
    void ReadFirstLine(const std::string& line)
    {
        unsigned long pid = 0;
        unsigned value = 0;
        if (std::sscanf(line.c_str(), "pid %lu address %X", &pid, &value) == 2) {
            processId = std::uint32_t(pid);
            address = value;
        }
    }

#ifdef _WIN32
    PROCESS_INFORMATION process_{};
    HANDLE output_ = nullptr;
#else
    pid_t child_ = -1;
    int output_ = -1;
#endif
};

#ifdef _WIN32
inline void StandInClient::Start(const std::string& commandLine)
{
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE write = nullptr;
    if (!::CreatePipe(&output_, &write, &inherit, 0))
        return;
    ::SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = write;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    std::string mutableLine = commandLine;
    const BOOL started = ::CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                          &startup, &process_);
    ::CloseHandle(write);
    if (!started)
        return;
    ReadFirstLine(ReadLine());
}

inline std::string StandInClient::ReadLine()
{
    std::string line;
    char c = 0;
    DWORD read = 0;
    while (output_ && ::ReadFile(output_, &c, 1, &read, nullptr) && read == 1 && c != '\n')
        line += c;
    return line;
}

inline std::uint32_t StandInClient::StartedProcessId() const
{
    return std::uint32_t(process_.dwProcessId);
}

inline void StandInClient::End()
{
    if (process_.hProcess) {
        ::TerminateProcess(process_.hProcess, 0);
        ::WaitForSingleObject(process_.hProcess, 10000);
        ::CloseHandle(process_.hProcess);
        ::CloseHandle(process_.hThread);
        process_ = {};
    }
    if (output_) {
        ::CloseHandle(output_);
        output_ = nullptr;
    }
}
#else
inline void StandInClient::Start(const std::string& commandLine)
{
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    // The shell makes way for the command, so the child is the client (or
    // the Wine process that runs it).
    const std::string script = "exec " + commandLine;
    char* const arguments[] = {const_cast<char*>("sh"), const_cast<char*>("-c"), const_cast<char*>(script.c_str()), nullptr};
    const int spawned = ::posix_spawn(&child_, "/bin/sh", &actions, nullptr, arguments, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeEnds[1]);
    output_ = pipeEnds[0];
    if (spawned != 0) {
        child_ = -1;
        return;
    }
    ReadFirstLine(ReadLine());
}

inline std::string StandInClient::ReadLine()
{
    std::string line;
    char c = 0;
    while (output_ >= 0 && ::read(output_, &c, 1) == 1 && c != '\n')
        line += c;
    return line;
}

inline std::uint32_t StandInClient::StartedProcessId() const
{
    return child_ > 0 ? std::uint32_t(child_) : 0;
}

inline void StandInClient::End()
{
    if (child_ > 0) {
        ::kill(child_, SIGKILL);
        ::waitpid(child_, nullptr, 0);
        child_ = -1;
    }
    if (output_ >= 0) {
        ::close(output_);
        output_ = -1;
    }
}
#endif
