#pragma once
// Finds where a game client keeps which map the player is on: the map key, a
// place whose bytes stay the same while the player stays on one map and
// change when the map changes. The client may keep it as a 16- or 32-bit
// number or as the map's name in text (ASCII or GBK).
//
// Contract:
// - Candidates are places below 4 GiB (the tracker's reach) in the memory the
//   client can read and write: a 16-bit number at every even address, a
//   32-bit number at every address divisible by 4, and a text wherever a run
//   of at least kShortestMapKeyText letters (bytes from 0x20 on, 0x7F aside)
//   ends in a NUL within kLongestMapKeyText bytes and does not continue
//   another run (a text is known by its start).
// - Look() takes every candidate the memory holds now. Each later step reads
//   the places again: KeepChanged() keeps those whose key changed since the
//   last look (a text must still be one), KeepSame() those whose key did not.
//   Places that cannot be read any more are dropped.
// - Storage: the first look keeps a 64-bit fingerprint of every 128 bytes
//   (and the text that may start at their end), 1/16 of the memory; the step
//   after it keeps, of the blocks whose fingerprint changed (or did not),
//   every place their bytes hold then, as copies of their pages with three
//   bits for every two bytes; once the candidates are few, the places and
//   their keys. Count() after the first look leaves out the texts, which are
//   told apart from the step after it on; First() lists none before it.
// - A step cancelled through its progress keeps the candidates of before; it
//   never stops or writes into the client. Nothing throws but std::bad_alloc.

#include "base/UninitializedBytes.h"
#include "process/ProcessReader.h"
#include "track/AddressFinder.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class MapKeyForm : std::uint8_t { Text, Number32, Number16 };

// "text", "u32", "u16": how lists and tracking files name a form.
const char* MapKeyFormName(MapKeyForm form);
std::optional<MapKeyForm> MapKeyFormNamed(std::string_view name);

inline constexpr std::size_t kShortestMapKeyText = 3;
inline constexpr std::size_t kLongestMapKeyText = 32; // the NUL included

struct MapKeyPlace {
    std::uint32_t address = 0;
    MapKeyForm form = MapKeyForm::Number16;
};
bool operator==(const MapKeyPlace& a, const MapKeyPlace& b);

// The key in the bytes at hand (from the place on, as many as there are):
// the number's bytes, or the text without its NUL; none when they hold no
// such key. `before` tells whether the byte before the place is a letter, so
// that a text does not start inside another.
std::optional<std::string> MapKeyIn(const unsigned char* bytes, std::size_t size, MapKeyForm form, bool afterLetter = false);
// A number's key as the number (little-endian, as the clients are).
std::uint32_t MapKeyNumber(std::string_view key);
// The key a place holds now; none where it cannot be read or holds no such key.
std::optional<std::string> ReadMapKey(const ProcessReader& reader, MapKeyPlace place);

struct FoundMapKey {
    MapKeyPlace place;
    std::string key;
};

class MapKeyFinder {
public:
    explicit MapKeyFinder(const ProcessReader& reader) : reader_(reader) {}

    FinderOutcome Look(FinderProgress& progress);
    FinderOutcome KeepChanged(FinderProgress& progress);
    FinderOutcome KeepSame(FinderProgress& progress);

    bool HasLooked() const { return looked_; }
    std::uint64_t Count() const { return count_; }
    // The first candidates: the texts by address (a map's name is known when
    // seen), then the 32-bit numbers, then the 16-bit ones; with the keys
    // they held at the last step.
    std::vector<FoundMapKey> First(std::size_t count) const;

private:
    // A piece of memory as last looked at, and which of its places are still
    // candidates, a bit for each even address and form.
    struct Copy {
        std::uint64_t start = 0;
        std::size_t places = 0; // even addresses from start on owned by this piece
        UninitializedBytes bytes; // the places' bytes and up to a text's length more; zeros past the end read
        std::vector<std::uint64_t> alive[3];
    };
    FinderOutcome Narrow(bool changed, FinderProgress& progress);
    FinderOutcome NarrowLook(bool changed, FinderProgress& progress);
    FinderOutcome NarrowCopies(bool changed, FinderProgress& progress);
    FinderOutcome NarrowKept(bool changed, FinderProgress& progress);
    void KeepFewAsPlaces();

    const ProcessReader& reader_;
    std::vector<MemoryRegion> lookedAt_;               // after the first look: the memory
    using Prints = std::vector<std::uint64_t, UninitializedAllocator<std::uint64_t>>;
    std::vector<Prints> prints_;                       // and its blocks' fingerprints
    std::vector<Copy> copies_;
    std::vector<FoundMapKey> kept_; // once few, in First()'s order
    std::uint64_t count_ = 0;
    bool looked_ = false;
};
