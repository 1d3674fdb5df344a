#pragma once
// A client followed beside the first: its own tracker reading its position
// once a second (with the clock of the clients beside it), the map it is on when following across maps (its own
// MapFollower), and its trail. It tells changed() whenever what a row of
// the players' list shows of it changes.

#include "process/ProcessMemory.h"
#include "track/MapKeyFinder.h"
#include "track/PlayerTrail.h"
#include "track/Tracker.h"
#include "track/TrackingFile.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <cstdint>
#include <filesystem>
#include <optional>

class MapFollower;
class PlayerTracker;
class QTimer;

// Which client, and where it keeps its position.
struct ClientSource {
    std::uint32_t processId = 0;
    std::optional<std::uint64_t> startTime; // as the process list saw it
    QString processName;
    std::uint32_t address = 0;              // of x and y, now
    std::optional<MapKeyPlace> mapKey;      // where it keeps its map, now
    std::optional<TrackedPlayer> tracked;   // the tracking file's player it follows; none: a typed address
    QString trackingFile;                   // that file's name
};

class FollowedClient : public QObject {
    Q_OBJECT
public:
    FollowedClient(ClientSource source, QTimer* clock, QObject* parent);

    const ClientSource& source() const { return source_; }
    // Following starts at once: the first read comes a second later.
    MapFollower& follower() { return *follower_; }
    PlayerTracker& tracker() { return *tracker_; }

    // The last position read that was not 0:0.
    const std::optional<PlayerPosition>& position() const { return position_; }
    // The map it is on: found by its follower when following across maps,
    // the map on show otherwise; empty: not known.
    std::filesystem::path map() const;
    // The map on show, which is the player's too unless following across maps.
    void setShownMap(const std::filesystem::path& name);

    enum class State { Stopped, Starting, Reading, Ended, Unreadable, Unanswered };
    State state() const { return state_; }
    // Why it cannot be read, or has ended; empty while reading.
    const QString& stateNote() const { return stateNote_; }

    // Its steps on that map within the last ten minutes, with their ages.
    std::vector<TrailStep> trailOn(const std::filesystem::path& map, std::int64_t* nowMs) const;

signals:
    void changed();
    // Its follower singled out the map it is on.
    void mapFound(const std::filesystem::path& name);

private:
    void onAccessRead(std::uint32_t processId, ProcessAccess access);
    void onPositionRead(PlayerPosition position);

    ClientSource source_;
    PlayerTracker* tracker_;
    MapFollower* follower_;
    std::optional<PlayerPosition> position_;
    std::filesystem::path shownMap_;
    State state_ = State::Starting;
    QString stateNote_;
    PlayerTrail trail_;
    QElapsedTimer clock_;
};

// The map a player is on: the one its follower singled out while following
// across maps, the map on show otherwise; empty: not known.
std::filesystem::path PlayersMap(const MapFollower& follower, const std::filesystem::path& shown);
// What a read's answer about the process says of the player.
FollowedClient::State StateOfAccess(ProcessAccess access);
