#pragma once
// Runs part of a test as an ordinary user: when the tests run as root, the
// effective user is "nobody" (65534) while the guard lives, so the system
// refuses what it would refuse an ordinary user. Linux only.

#include <unistd.h>

class Unprivileged {
public:
    Unprivileged()
    {
        if (::geteuid() == 0)
            dropped_ = ::seteuid(kNobody) == 0;
    }
    ~Unprivileged()
    {
        if (dropped_)
            static_cast<void>(::seteuid(0));
    }
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;

    static constexpr uid_t kNobody = 65534;

private:
    bool dropped_ = false;
};
