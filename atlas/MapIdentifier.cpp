#include "atlas/MapIdentifier.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool Holds(const std::vector<std::filesystem::path>& names, const std::filesystem::path& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

bool MapIdentifier::See(int x, int y)
{
    const Cell cell{x, y};
    if ((x == 0 && y == 0) || (last_ && last_->x == x && last_->y == y))
        return false;
    if (IsJump(cell)) {
        StartAgainAt(cell);
    } else {
        longestWalk_ = std::max({longestWalk_, std::abs(x - last_->x), std::abs(y - last_->y)});
        const bool leavesShown = shown_ && Holds(candidates_, *shown_) && !atlas_.Standable(*shown_, x, y);
        Narrow(cell);
        if (leavesShown && candidates_.empty())
            StartAgainAt(cell);
    }
    last_ = cell;
    return ShowSingleCandidate();
}

bool MapIdentifier::IsJump(Cell cell) const
{
    return !last_ || std::max(std::abs(cell.x - last_->x), std::abs(cell.y - last_->y)) > std::max(kLongestWalkAtFirst, longestWalk_);
}

void MapIdentifier::StartAgainAt(Cell cell)
{
    positions_.assign(1, cell);
    candidates_.clear();
    for (const AtlasMap& map : atlas_.Maps())
        if (atlas_.Standable(map, cell.x, cell.y))
            candidates_.push_back(map.name);
}

void MapIdentifier::Narrow(Cell cell)
{
    positions_.push_back(cell);
    if (positions_.size() > kKeptPositions)
        positions_.pop_front();
    candidates_.erase(std::remove_if(candidates_.begin(), candidates_.end(),
                                     [&](const std::filesystem::path& name) { return !atlas_.Standable(name, cell.x, cell.y); }),
                      candidates_.end());
}

void MapIdentifier::Show(const std::filesystem::path& name)
{
    shown_ = name;
    candidates_.assign(1, name);
    positions_.clear();
    if (last_ && atlas_.Standable(name, last_->x, last_->y))
        positions_.push_back(*last_);
}

bool MapIdentifier::Update(const AtlasChanges& changes)
{
    for (const std::filesystem::path& name : changes.gone)
        candidates_.erase(std::remove(candidates_.begin(), candidates_.end(), name), candidates_.end());
    if (!positions_.empty()) {
        for (const auto* names : {&changes.appeared, &changes.changed}) {
            for (const std::filesystem::path& name : *names) {
                candidates_.erase(std::remove(candidates_.begin(), candidates_.end(), name), candidates_.end());
                if (const AtlasMap* map = atlas_.Find(name); map && FitsEveryPosition(*map))
                    candidates_.push_back(name);
            }
        }
        std::sort(candidates_.begin(), candidates_.end(),
                  [](const std::filesystem::path& a, const std::filesystem::path& b) { return a.native() < b.native(); });
    }
    return ShowSingleCandidate();
}

bool MapIdentifier::FitsEveryPosition(const AtlasMap& map) const
{
    return std::all_of(positions_.begin(), positions_.end(),
                       [&](Cell cell) { return atlas_.Standable(map, cell.x, cell.y); });
}

bool MapIdentifier::ShowSingleCandidate()
{
    if (candidates_.size() != 1 || (shown_ && *shown_ == candidates_.front()))
        return false;
    shown_ = candidates_.front();
    return true;
}

MapVerdict MapIdentifier::Verdict() const
{
    if (positions_.empty() && candidates_.size() != 1)
        return MapVerdict::NoPosition;
    if (candidates_.empty())
        return MapVerdict::NotInFolder;
    return candidates_.size() == 1 ? MapVerdict::Known : MapVerdict::Ambiguous;
}
