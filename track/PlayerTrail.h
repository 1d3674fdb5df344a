#pragma once
// Where the player has been: the positions the tracker read, kept as steps
// (a position is kept when it differs from the one before), each with the
// map it was seen on, for the last ten minutes and never more than 600 of
// them: the oldest go first.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

struct TrailStep {
    std::int64_t atMs = 0; // when it was seen, on any steady clock
    int x = 0;
    int y = 0;
};

class PlayerTrail {
public:
    static constexpr std::int64_t kKeptMs = 10 * 60 * 1000;
    static constexpr std::size_t kMostSteps = 600;

    // 0:0, a failed read, is no position.
    void See(std::int64_t atMs, int x, int y, const std::string& map);
    // The steps on that map seen within kKeptMs before nowMs, oldest first.
    std::vector<TrailStep> On(const std::string& map, std::int64_t nowMs) const;
    std::size_t Size() const { return steps_.size(); }

private:
    struct Seen {
        TrailStep step;
        std::string map;
    };
    std::deque<Seen> steps_;
};
