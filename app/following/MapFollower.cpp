#include "app/following/MapFollower.h"

#include "app/shared/OffThread.h"

#include <QTimer>

namespace {

constexpr int kLookAgainMs = 5000;

// One name for a folder however it is written (links, dots, separators), so
// that the maps learned in it are found again.
std::filesystem::path SameFolder(const std::filesystem::path& folder)
{
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(folder, error);
    return error ? folder.lexically_normal() : canonical;
}

} // namespace

// Made on a thread of its own: a first atlas of the folder, or the atlas
// looked at again.
struct MapFollower::Look {
    std::filesystem::path folder;
    bool first = true;
    MapAtlas atlas;
    AtlasChanges changes;
    bool failed = false;
};

MapFollower::MapFollower(QObject* parent) : QObject(parent), again_(new QTimer(this))
{
    again_->setInterval(kLookAgainMs);
    connect(again_, &QTimer::timeout, this, &MapFollower::look);
}

void MapFollower::setOn(bool on)
{
    on_ = on;
    if (!on) {
        again_->stop();
        forgetIdentification();
        looking_.reset();
        lastSeen_.reset();
    } else if (!folder_.empty()) {
        look();
    }
    emit changed();
}

void MapFollower::setFolder(const std::filesystem::path& folder)
{
    if (folder == folder_)
        return;
    forgetIdentification();
    folder_ = folder;
    looking_.reset();
    onShow_.reset();
    if (on_)
        look();
    emit changed();
}

void MapFollower::look()
{
    if (looking_)
        return;
    auto next = std::make_shared<Look>();
    next->folder = folder_;
    next->first = !identifier_;
    if (!next->first)
        next->atlas = atlas_;
    looking_ = next;
    RunOffThread(
        this,
        [next] {
            try {
                if (next->first)
                    next->atlas = MapAtlas(next->folder);
                else
                    next->changes = next->atlas.Refresh();
            } catch (const std::exception&) {
                next->failed = true; // the file list says why the folder cannot be listed
            }
            return next;
        },
        [this](const std::shared_ptr<Look>& done) { takeLook(done); });
}

void MapFollower::takeLook(const std::shared_ptr<Look>& done)
{
    if (done != looking_)
        return; // let go: another folder, or following ended
    looking_.reset();
    again_->start();
    if (done->failed)
        return;
    atlas_ = std::move(done->atlas);
    if (done->first) {
        identifier_.emplace(atlas_);
        identifier_->Learn(learned_[SameFolder(folder_)]);
        if (onShow_)
            identifier_->Show(*onShow_);
        if (lastSeen_)
            weigh([this] { return identifier_->See(lastSeen_->x, lastSeen_->y); });
        else
            emit changed();
    } else if (!done->changes.IsEmpty()) {
        weigh([this, changes = done->changes] { return identifier_->Update(changes); });
    }
}

void MapFollower::see(PlayerPosition position)
{
    if (!on_)
        return;
    if (position.x != 0 || position.y != 0)
        lastSeen_ = position;
    if (!identifier_)
        return;
    if (!keyReader_ || keyReading_) {
        if (keyReading_)
            keyReadOutrun_ = true; // its position is older than this one now
        weigh([this, position] { return identifier_->See(position.x, position.y, std::nullopt); });
        return;
    }
    auto reading = std::make_shared<const MapKeyPlace>(*keyPlace_);
    keyReading_ = reading;
    keyReadOutrun_ = false;
    RunOffThread(
        this, [reader = keyReader_, reading] { return ReadMapKey(*reader, *reading); },
        [this, reading, position](std::optional<std::string> key) {
            if (reading != keyReading_)
                return; // let go
            keyReading_.reset();
            if (identifier_ && !keyReadOutrun_)
                weigh([this, position, &key] { return identifier_->See(position.x, position.y, key); });
        });
}

void MapFollower::setMapKey(std::int32_t processId, std::optional<MapKeyPlace> place)
{
    keyPlace_ = place;
    keyReader_ = place ? std::make_shared<const ProcessReader>(processId) : nullptr;
    keyReading_.reset();
}

MapIdentifier::LearnedMaps MapFollower::learned(const std::filesystem::path& folder) const
{
    if (identifier_ && SameFolder(folder) == SameFolder(folder_))
        return identifier_->Learned();
    const auto kept = learned_.find(SameFolder(folder));
    return kept == learned_.end() ? MapIdentifier::LearnedMaps() : kept->second;
}

void MapFollower::learn(const std::filesystem::path& folder, MapIdentifier::LearnedMaps maps)
{
    if (identifier_ && SameFolder(folder) == SameFolder(folder_))
        identifier_->Learn(std::move(maps));
    else
        learned_[SameFolder(folder)] = std::move(maps);
}

// The identification starts anew; what it learned stays with its folder.
void MapFollower::forgetIdentification()
{
    keyReadOutrun_ = true; // a key read under way belongs to the identification of before
    if (identifier_)
        learned_[SameFolder(folder_)] = identifier_->Learned();
    identifier_.reset();
}

// Runs a step of the identification and tells what came of it.
void MapFollower::weigh(const std::function<bool()>& step)
{
    const MapVerdict verdictBefore = identifier_->Verdict();
    const std::vector<std::filesystem::path> candidatesBefore = identifier_->Candidates();
    const bool disagreedBefore = identifier_->KeyDisagrees();
    if (step()) {
        onShow_ = identifier_->Shown();
        emit playerMapFound(*onShow_);
        if (verdictBefore == MapVerdict::Known)
            emit mapChangeSeen();
    }
    if (identifier_->Verdict() != verdictBefore || identifier_->Candidates() != candidatesBefore ||
        identifier_->KeyDisagrees() != disagreedBefore)
        emit changed();
}

void MapFollower::showing(const std::filesystem::path& name)
{
    onShow_ = name;
    if (identifier_ && identifier_->Shown() != name)
        weigh([this, name] {
            identifier_->Show(name);
            return false;
        });
}

MapVerdict MapFollower::verdict() const
{
    return identifier_ ? identifier_->Verdict() : MapVerdict::NoPosition;
}

std::vector<AtlasMap> MapFollower::candidates() const
{
    std::vector<AtlasMap> maps;
    if (identifier_)
        for (const std::filesystem::path& name : identifier_->Candidates())
            if (const AtlasMap* map = atlas_.Find(name))
                maps.push_back(*map);
    return maps;
}
