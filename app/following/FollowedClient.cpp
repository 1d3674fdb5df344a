#include "app/following/FollowedClient.h"

#include "app/following/MapFollower.h"
#include "app/following/PlayerTracker.h"
#include "app/following/ProcessPicker.h"

FollowedClient::FollowedClient(ClientSource source, QTimer* clock, QObject* parent)
    : QObject(parent), source_(std::move(source)), tracker_(new PlayerTracker(this, clock)), follower_(new MapFollower(this))
{
    clock_.start();
    connect(tracker_, &PlayerTracker::processAccessRead, this, &FollowedClient::onAccessRead);
    connect(tracker_, &PlayerTracker::positionRead, this, &FollowedClient::onPositionRead);
    connect(tracker_, &PlayerTracker::readUnanswered, this, [this] {
        state_ = State::Unanswered;
        stateNote_ = tr("The client has not answered the last read of its memory.");
        emit changed();
    });
    connect(tracker_, &PlayerTracker::failed, this, [this](const QString& message) {
        state_ = State::Unreadable;
        stateNote_ = message;
        emit changed();
    });
    connect(follower_, &MapFollower::playerMapFound, this, [this](const std::filesystem::path& name) {
        follower_->showing(name); // it stays its map until the positions rule it out
        emit mapFound(name);
    });
    connect(follower_, &MapFollower::changed, this, &FollowedClient::changed);
    if (source_.mapKey)
        follower_->setMapKey(std::int32_t(source_.processId), source_.mapKey);
    tracker_->setProcess(source_.processId, source_.startTime);
    tracker_->setAddressText(QString::number(source_.address, 16));
    tracker_->setRunning(true);
}

std::filesystem::path PlayersMap(const MapFollower& follower, const std::filesystem::path& shown)
{
    if (!follower.isOn())
        return shown;
    return follower.verdict() == MapVerdict::Known && follower.shownMap() ? *follower.shownMap() : std::filesystem::path();
}

FollowedClient::State StateOfAccess(ProcessAccess access)
{
    switch (access) {
    case ProcessAccess::Open:
        return FollowedClient::State::Reading;
    case ProcessAccess::Ended:
        return FollowedClient::State::Ended;
    case ProcessAccess::Denied:
    case ProcessAccess::Failed:
        break;
    }
    return FollowedClient::State::Unreadable;
}

std::filesystem::path FollowedClient::map() const
{
    return PlayersMap(*follower_, shownMap_);
}

void FollowedClient::setShownMap(const std::filesystem::path& name)
{
    shownMap_ = name;
}

void FollowedClient::onAccessRead(std::uint32_t processId, ProcessAccess access)
{
    const State before = state_;
    state_ = StateOfAccess(access);
    stateNote_ = ProcessAccessNote(processId, access);
    if (state_ == State::Unreadable && stateNote_.isEmpty())
        stateNote_ = tr("The position cannot be read from the client's memory.");
    if (state_ == State::Ended)
        tracker_->setRunning(false); // its identifier may be another process's next
    if (state_ != before)
        emit changed();
}

void FollowedClient::onPositionRead(PlayerPosition position)
{
    if (position.x == 0 && position.y == 0)
        return; // a failed read
    follower_->see(position);
    trail_.See(clock_.elapsed(), position.x, position.y, map().string());
    const bool moved = !position_ || position_->x != position.x || position_->y != position.y;
    position_ = position;
    if (moved)
        emit changed();
}

std::vector<TrailStep> FollowedClient::trailOn(const std::filesystem::path& map, std::int64_t* nowMs) const
{
    *nowMs = clock_.elapsed();
    return trail_.On(map.string(), *nowMs);
}
