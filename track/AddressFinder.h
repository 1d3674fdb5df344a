#pragma once
// Finds where a game client keeps the player's x and y: two unsigned 16-bit
// little-endian values, y right after x, as the tracker reads them.
//
// Contract:
// - Candidates are 2-byte-aligned addresses below 4 GiB (the tracker's reach)
//   in the memory the client can read and write. Writable memory above 4 GiB
//   is never looked at; the first scan tells how much was left out.
// - The first step scans all that memory: KeepPosition() keeps the places
//   holding exactly that pair, KeepOnMap() those holding a pair that lies on
//   a cell of the map the player can stand on. Every later step narrows the
//   candidates it has, each remembering the pair it held at the last look:
//   KeepPosition() and KeepOnMap() as before, KeepMoved() those whose pair
//   changed (and, with cells given, lies on one), KeepStill() those whose
//   pair did not change. Moved and still need a first scan before them.
// - Candidates whose memory cannot be read any more (freed, or the process
//   ended) are dropped. A step reads the process only; it never stops or
//   writes into it. Two threads scan.
// - Storage: 8 bytes a candidate at most (address and pair; a run of
//   neighbouring places holding the same pair, as zeroed memory gives, costs
//   16 bytes). A first scan that would keep more than kMaxFinderEntries
//   entries stops, keeps nothing and says so (tooMany).
// - A step cancelled through its progress keeps the candidates of before.
// - Nothing throws but std::bad_alloc; the finder is used by one thread at a
//   time (the one that runs the steps).

#include "base/StandableCells.h"
#include "process/ProcessReader.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

// "X:Y", also "X,Y" and "X Y", blanks around each number allowed; each from
// 0 to 65535. std::nullopt for anything else.
std::optional<std::pair<std::uint16_t, std::uint16_t>> ParsePosition(std::string_view text);

// Shared with the thread that shows progress and may cancel.
struct FinderProgress {
    std::atomic<std::uint64_t> bytesDone{0};
    std::atomic<std::uint64_t> bytesTotal{0};
    std::atomic<bool> cancel{false};
};

struct FinderOutcome {
    bool cancelled = false;
    bool tooMany = false;                // the first scan found more than can be kept
    bool processEnded = false;           // the process ended (its identifier may be another's now): nothing kept
    std::uint64_t candidates = 0;
    std::uint64_t bytesAboveReach = 0;   // writable memory above 4 GiB, not looked at (first scan)
    std::uint64_t bytesNeverAnswering = 0; // memory a read would wait on for ever, left alone (first scan)
};

struct FoundPlace {
    std::uint32_t address = 0;
    std::uint16_t x = 0;
    std::uint16_t y = 0;
};

// Reads the pair each place holds now (0:0 where it cannot be read).
void ReadPlaces(const ProcessReader& reader, std::vector<FoundPlace>& places);

// 48 MiB of 8-byte entries: with what the two scanning threads hold at most
// before the count is checked, a scan stays under 64 MiB.
constexpr std::size_t kMaxFinderEntries = std::size_t(6) << 20;
constexpr std::size_t kMaxFinderMiB = kMaxFinderEntries * 8 >> 20;

class AddressFinder {
public:
    explicit AddressFinder(const ProcessReader& reader) : reader_(reader) {}

    FinderOutcome KeepPosition(std::uint16_t x, std::uint16_t y, FinderProgress& progress);
    FinderOutcome KeepOnMap(const StandableCells& cells, FinderProgress& progress);
    // cells may be empty. Of two overlapping places (0, s) and (s, y) of
    // which only the shared s changed, the one whose unchanged half is 0 is
    // dropped, and so of (x, s) and (s, 0): a zero field beside the position
    // is common, a player walking along a map's first row or column rare.
    FinderOutcome KeepMoved(const StandableCells& cells, FinderProgress& progress);
    FinderOutcome KeepStill(FinderProgress& progress);

    bool HasScanned() const { return scanned_; }
    std::uint64_t Count() const { return count_; }
    // Starts again from no scan.
    void Forget();
    // The first candidates at or above address `from`, with the pair each
    // holds now (0:0 where it cannot be read any more).
    std::vector<FoundPlace> First(std::size_t count, std::uint32_t from = 0) const;
    // The same without reading them: every pair 0:0.
    std::vector<FoundPlace> FirstUnread(std::size_t count, std::uint32_t from = 0) const;

    // One entry: a place and the pair it held; an odd address starts a run,
    // whose next entry's address field counts its places.
    struct Entry {
        std::uint32_t address;
        std::uint32_t pair; // x | y << 16
    };

private:
    template <typename Keep>
    FinderOutcome Scan(Keep keep, FinderProgress& progress);
    // previous: given the places of before when they are left.
    template <typename Keep>
    FinderOutcome Narrow(Keep keep, FinderProgress& progress, std::vector<std::vector<Entry>>* previous = nullptr);
    void Adopt(std::vector<std::vector<Entry>> segments, const std::vector<std::uint64_t>& counts);
    // Every place with the pair it held at the last step, in address order.
    std::vector<Entry> Places() const;
    void DropZeroHalvesOfOverlaps(const std::vector<std::vector<Entry>>& before);

    const ProcessReader& reader_;
    std::vector<std::vector<Entry>> segments_; // in address order; a scan makes one a chunk of memory
    std::uint64_t count_ = 0;
    bool scanned_ = false;
};
