#pragma once
// Following the player across maps: which map of the file list's folder the
// player is on, told from the positions the tracker reads
// (atlas/MapIdentifier.h). While on, the folder's maps are looked at off the
// window's thread when the folder is set and every few seconds after, so
// that maps added, replaced or removed are weighed too; the window never
// waits for a look, and a look under way when the follower goes is left to
// end by itself. Positions read before the first look has ended are weighed
// when it has. With a map key, the key is read from the client with each
// position, and the maps learned for its keys are kept for each folder.
// The key is read off the window's thread; while a read of it waits for its
// answer, positions are weighed without a key, and its own position is
// dropped when it answers.

#include "atlas/MapAtlas.h"
#include "atlas/MapIdentifier.h"
#include "process/ProcessReader.h"
#include "track/MapKeyFinder.h"
#include "track/Tracker.h"

#include <QObject>

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class QTimer;

class MapFollower : public QObject {
    Q_OBJECT
public:
    explicit MapFollower(QObject* parent);

    void setOn(bool on);
    bool isOn() const { return on_; }
    // The folder whose maps are weighed; the identification starts anew.
    void setFolder(const std::filesystem::path& folder);
    // A position as the tracker read it (0:0: a failed read, never counted).
    void see(PlayerPosition position);
    // The map on show, by its name in the folder: the user clicked or picked
    // it, or it was shown for the player. It stays until the positions rule
    // it out.
    void showing(const std::filesystem::path& name);

    // Where the client keeps its map; none: no key.
    void setMapKey(std::int32_t processId, std::optional<MapKeyPlace> place);
    std::optional<MapKeyPlace> mapKey() const { return keyPlace_; }
    // The maps learned for the keys in a folder; the folder on show's grow
    // as the player goes.
    MapIdentifier::LearnedMaps learned(const std::filesystem::path& folder) const;
    void learn(const std::filesystem::path& folder, MapIdentifier::LearnedMaps maps);
    // The last key read names a map on which the player cannot stand.
    bool keyDisagrees() const { return identifier_ && identifier_->KeyDisagrees(); }

    // The map on show, as told by showing() or found for the player.
    const std::optional<std::filesystem::path>& shownMap() const { return onShow_; }

    // NoPosition too while off, or before the first look has ended.
    MapVerdict verdict() const;
    // The maps the positions fit, with their sizes.
    std::vector<AtlasMap> candidates() const;
    // Until the next look (tests).
    bool isLooking() const { return looking_ != nullptr; }
    // A read of the map key has not answered yet.
    bool isReadingKey() const { return keyReading_ != nullptr; }

signals:
    // The positions single out this map of the folder, which is not on show.
    void playerMapFound(const std::filesystem::path& name);
    // The player left a map that was known for another: the moment a map
    // key changes.
    void mapChangeSeen();
    // The verdict or the candidates changed.
    void changed();

private:
    struct Look;
    void look();
    void takeLook(const std::shared_ptr<Look>& done);
    void weigh(const std::function<bool()>& step);
    void forgetIdentification();

    bool on_ = false;
    std::filesystem::path folder_;
    MapAtlas atlas_;
    std::optional<MapIdentifier> identifier_; // once the first look has ended
    std::optional<PlayerPosition> lastSeen_;
    std::optional<std::filesystem::path> onShow_;
    std::shared_ptr<Look> looking_;
    std::shared_ptr<const ProcessReader> keyReader_;
    std::optional<MapKeyPlace> keyPlace_;
    std::shared_ptr<const MapKeyPlace> keyReading_; // the key read under way
    bool keyReadOutrun_ = false; // a later position was weighed while it was under way
    std::map<std::filesystem::path, MapIdentifier::LearnedMaps> learned_; // of the folders not on show
    QTimer* again_;
};
