#pragma once
// A stand-in client with 1 MiB that a read waits on for ever
// (--never-answering, Linux). Should a test wait on that memory after all,
// a watchdog ends the client after a while: the read then fails, and the
// test fails instead of hanging.

#include "tests/support/StandInClient.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <signal.h>
#include <string>
#include <thread>

class NeverAnsweringClient {
public:
    explicit NeverAnsweringClient(const std::string& arguments, std::chrono::seconds patience = std::chrono::seconds(20))
        : client(arguments + " --never-answering")
    {
        client.ReadLine(); // what to do with the address
        unsigned found = 0;
        if (std::sscanf(client.ReadLine().c_str(), "never answering %X", &found) == 1)
            block = found;
        watchdog_ = std::thread([this, patience, processId = client.processId] {
            std::unique_lock<std::mutex> lock(mutex_);
            if (!done_.wait_for(lock, patience, [this] { return finished_; })) {
                fired_ = true;
                ::kill(pid_t(processId), SIGKILL);
            }
        });
    }
    ~NeverAnsweringClient()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            finished_ = true;
        }
        done_.notify_one();
        watchdog_.join();
    }

    // The client had to be ended to let a read go.
    bool WatchdogFired()
    {
        const std::lock_guard<std::mutex> lock(mutex_);
        return fired_;
    }

    StandInClient client;
    std::uint32_t block = 0; // where the memory is; 0: the system refuses userfaultfd here

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    bool fired_ = false;
    std::thread watchdog_;
};
