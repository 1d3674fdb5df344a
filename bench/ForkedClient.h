#pragma once
// A client process for a benchmark: forked, it runs `life`, which writes a
// Report (the address of what the benchmark looks for) to the descriptor it
// is given and then lives until it is killed, at the latest when this goes.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

template <typename Report>
class ForkedClient {
public:
    explicit ForkedClient(const std::function<void(int report)>& life)
    {
        int ends[2];
        if (::pipe(ends) != 0)
            return;
        child_ = ::fork();
        if (child_ == 0) {
            ::close(ends[0]);
            life(ends[1]);
            ::_exit(0);
        }
        ::close(ends[1]);
        if (child_ > 0 && ::read(ends[0], &report_, sizeof report_) != ssize_t(sizeof report_))
            report_ = Report{};
        ::close(ends[0]);
    }
    ~ForkedClient()
    {
        if (child_ > 0) {
            ::kill(child_, SIGKILL);
            ::waitpid(child_, nullptr, 0);
        }
    }
    ForkedClient(const ForkedClient&) = delete;
    ForkedClient& operator=(const ForkedClient&) = delete;

    pid_t ProcessId() const { return child_; }
    // What the client wrote; a Report{} when it wrote nothing.
    const Report& Reported() const { return report_; }

private:
    pid_t child_ = -1;
    Report report_{};
};
