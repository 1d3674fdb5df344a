#include "track/PlayerTrail.h"

void PlayerTrail::See(std::int64_t atMs, int x, int y, const std::string& map)
{
    if (x == 0 && y == 0)
        return;
    while (!steps_.empty() && steps_.front().step.atMs < atMs - kKeptMs)
        steps_.pop_front();
    if (!steps_.empty() && steps_.back().step.x == x && steps_.back().step.y == y && steps_.back().map == map)
        return;
    if (steps_.size() == kMostSteps)
        steps_.pop_front();
    steps_.push_back({{atMs, x, y}, map});
}

std::vector<TrailStep> PlayerTrail::On(const std::string& map, std::int64_t nowMs) const
{
    std::vector<TrailStep> steps;
    for (const Seen& seen : steps_)
        if (seen.map == map && seen.step.atMs >= nowMs - kKeptMs)
            steps.push_back(seen.step);
    return steps;
}
