#pragma once
// Runs the stand-in game client for a test and ends it afterwards.

#include <cstdio>
#include <cstdint>
#include <string>

#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>

class StandInClient {
public:
    explicit StandInClient(const std::string& arguments)
        : pipe_(::popen(("exec " + std::string(STAND_IN_CLIENT) + " " + arguments).c_str(), "r"))
    {
        unsigned long pid = 0;
        unsigned address = 0;
        if (pipe_ && std::fscanf(pipe_, "pid %lu address %X", &pid, &address) == 2) {
            processId = std::uint32_t(pid);
            this->address = address;
        }
    }
    ~StandInClient()
    {
        End();
        if (pipe_)
            ::pclose(pipe_);
    }
    StandInClient(const StandInClient&) = delete;
    StandInClient& operator=(const StandInClient&) = delete;

    // Ends the client and waits until its process is gone.
    void End()
    {
        if (processId == 0)
            return;
        ::kill(pid_t(processId), SIGTERM);
        for (int i = 0; i < 200 && ::kill(pid_t(processId), 0) == 0; ++i) {
            int status = 0;
            ::waitpid(pid_t(processId), &status, WNOHANG);
            ::usleep(10000);
        }
    }

    std::uint32_t processId = 0;
    std::uint32_t address = 0;

private:
    FILE* pipe_;
};
