#pragma once
// Tells which map of a folder the player is on from the positions read from
// the client: the candidates are the maps on which every position since the
// last change of map is inside the map and standable.
//
// Contract:
// - 0:0, what a failed read gives, is never counted as a position; nor is the
//   position seen just before, again (the player standing still).
// - A new identification starts from a jump: a step (the larger of the
//   column and row distances) longer than the player has walked in one tick
//   so far, and than kLongestWalkAtFirst; and from a position that leaves the
//   shown map while it was a candidate, when no other candidate fits it
//   either. It starts with the maps on which that one position is standable.
// - The shown map changes only when the candidates come down to one map that
//   is not the shown one at two positions in a row (at the first when no map
//   is shown yet), or when Show() names one; never otherwise, so it does not
//   flicker between maps while they stay ambiguous, nor for one position
//   read across a step (x of the new one, y of the old).
// - Update() takes the atlas's changes: a map that appeared or changed is a
//   candidate when the positions kept (the last kKeptPositions) fit it; one
//   that went is no candidate.
// - The map key: what the client keeps of its map (MapKeyFinder.h), read with
//   each position when known. A key seen while one map is known, or given
//   with a pick among the candidates, is learned for that map. A learned key
//   shows its map at once when the position is standable there; where it is
//   not, the positions win and KeyDisagrees() tells so. A key that changes to
//   one not learned yet starts a new identification, as a jump does.
// The atlas must outlive the identifier.

#include "atlas/MapAtlas.h"

#include <cstddef>
#include <deque>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

enum class MapVerdict {
    NoPosition,  // nothing counted yet
    Known,       // one map fits: the shown one
    Ambiguous,   // several maps fit
    NotInFolder, // no map of the folder fits
};

class MapIdentifier {
public:
    static constexpr int kLongestWalkAtFirst = 8;
    static constexpr std::size_t kKeptPositions = 64;

    explicit MapIdentifier(const MapAtlas& atlas) : atlas_(atlas) {}

    using MapKey = std::string;
    using LearnedMaps = std::map<MapKey, std::filesystem::path>;

    // A position read from the client, with its map key when one is read;
    // true when the shown map changed.
    bool See(int x, int y, const std::optional<MapKey>& key = std::nullopt);
    // The user shows this map (a pick among the candidates, a click in the
    // file list): it is the shown map and the one candidate from now on, also
    // for the first position when none came before. A pick among the
    // candidates teaches the last key read.
    void Show(const std::filesystem::path& name);
    // The maps of the atlas changed; true when the shown map changed.
    bool Update(const AtlasChanges& changes);

    const std::optional<std::filesystem::path>& Shown() const { return shown_; }
    // In the atlas's order.
    const std::vector<std::filesystem::path>& Candidates() const { return candidates_; }
    MapVerdict Verdict() const;

    const LearnedMaps& Learned() const { return learned_; }
    void Learn(LearnedMaps learned) { learned_ = std::move(learned); }
    // The last key read names a map on which the position cannot be.
    bool KeyDisagrees() const { return keyDisagrees_; }

private:
    struct Cell {
        int x, y;
    };
    bool IsJump(Cell cell) const;
    void StartAgainAt(Cell cell);
    void Narrow(Cell cell);
    bool FitsEveryPosition(const AtlasMap& map) const;
    bool ShowSingleCandidate();
    std::optional<bool> FollowKey(Cell cell, const std::optional<MapKey>& key);
    bool SeePosition(Cell cell, bool keyChanged);

    const MapAtlas& atlas_;
    std::optional<std::filesystem::path> shown_;
    std::vector<std::filesystem::path> candidates_;
    std::deque<Cell> positions_; // since the last change, the newest last
    std::optional<Cell> last_;
    int longestWalk_ = 0;
    std::optional<MapKey> lastKey_;
    LearnedMaps learned_;
    bool keyDisagrees_ = false;
    int otherMapSeen_ = 0; // positions in a row that left one map not on show
};
