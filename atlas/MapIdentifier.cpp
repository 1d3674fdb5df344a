#include "atlas/MapIdentifier.h"

#include <algorithm>
#include <cstdlib>

namespace {

bool Holds(const std::vector<std::filesystem::path>& names, const std::filesystem::path& name)
{
    return std::find(names.begin(), names.end(), name) != names.end();
}

} // namespace

bool MapIdentifier::See(int x, int y, const std::optional<MapKey>& key)
{
    const Cell cell{x, y};
    if (x == 0 && y == 0)
        return false;
    const bool keyChanged = key && lastKey_ && *key != *lastKey_;
    const bool still = last_ && last_->x == x && last_->y == y;
    if (key)
        lastKey_ = key;
    if (still && !keyChanged)
        return false;
    if (const std::optional<bool> changed = FollowKey(cell, key))
        return *changed;
    const bool changed = SeePosition(cell, keyChanged);
    if (key && Verdict() == MapVerdict::Known)
        learned_[*key] = *shown_;
    return changed;
}

// What a learned key says, when the position agrees: whether the shown map
// changed. None when the key tells nothing.
std::optional<bool> MapIdentifier::FollowKey(Cell cell, const std::optional<MapKey>& key)
{
    keyDisagrees_ = false;
    const auto learned = key ? learned_.find(*key) : learned_.end();
    if (learned == learned_.end() || !atlas_.Find(learned->second))
        return std::nullopt;
    if (!atlas_.Standable(learned->second, cell.x, cell.y)) {
        keyDisagrees_ = true;
        return std::nullopt;
    }
    const bool changed = shown_ != learned->second;
    if (changed || candidates_ != std::vector<std::filesystem::path>{learned->second}) {
        shown_ = learned->second;
        candidates_.assign(1, learned->second);
        positions_.clear();
    }
    positions_.push_back(cell);
    if (positions_.size() > kKeptPositions)
        positions_.pop_front();
    last_ = cell;
    return changed;
}

bool MapIdentifier::SeePosition(Cell cell, bool keyChanged)
{
    if (keyChanged || IsJump(cell) || (!last_ && candidates_.empty())) {
        StartAgainAt(cell);
    } else {
        if (last_)
            longestWalk_ = std::max({longestWalk_, std::abs(cell.x - last_->x), std::abs(cell.y - last_->y)});
        const bool leavesShown = shown_ && Holds(candidates_, *shown_) && !atlas_.Standable(*shown_, cell.x, cell.y);
        Narrow(cell);
        if (leavesShown && candidates_.empty())
            StartAgainAt(cell);
    }
    last_ = cell;
    // x and y are read one after the other, so one position may pair the
    // player's new x with the old y: another map is shown only when two
    // positions in a row leave it alone.
    const bool single = candidates_.size() == 1 && shown_ != candidates_.front();
    otherMapSeen_ = single ? otherMapSeen_ + 1 : 0;
    return (!shown_ || otherMapSeen_ >= 2) && ShowSingleCandidate();
}

bool MapIdentifier::IsJump(Cell cell) const
{
    return last_ && std::max(std::abs(cell.x - last_->x), std::abs(cell.y - last_->y)) > std::max(kLongestWalkAtFirst, longestWalk_);
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
    if (lastKey_ && Holds(candidates_, name))
        learned_[*lastKey_] = name;
    keyDisagrees_ = false;
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
    otherMapSeen_ = 0;
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
