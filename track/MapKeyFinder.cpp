#include "track/MapKeyFinder.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

namespace {

constexpr std::uint64_t kReach = std::uint64_t(1) << 32;
constexpr std::size_t kPieceBytes = std::size_t(1) << 20; // read at a time
constexpr std::size_t kBlockBytes = 128;                  // 64 places, fingerprinted together
constexpr std::size_t kPageBytes = 4096;                  // kept as one copy once narrowed
constexpr std::uint64_t kFewPlaces = std::uint64_t(1) << 20;
constexpr std::size_t kBatch = 4096;
constexpr MapKeyForm kForms[] = {MapKeyForm::Text, MapKeyForm::Number32, MapKeyForm::Number16};

bool IsLetter(unsigned char c)
{
    return c >= 0x20 && c != 0x7F;
}

std::size_t WidthOf(MapKeyForm form)
{
    return form == MapKeyForm::Text ? kLongestMapKeyText : form == MapKeyForm::Number32 ? 4 : 2;
}

// The key at an offset of a piece's bytes.
std::optional<std::string> KeyAt(const UninitializedBytes& bytes, std::size_t size, std::size_t at, MapKeyForm form)
{
    if (form == MapKeyForm::Number32 && at % 4 != 0)
        return std::nullopt; // pieces start at addresses divisible by 4
    return MapKeyIn(bytes.data() + at, size - std::min(size, at), form, at > 0 && at <= size && IsLetter(bytes[at - 1]));
}

// The length of the text key that starts at bytes, without its NUL; none
// when none starts there.
std::optional<std::size_t> TextLength(const unsigned char* bytes, std::size_t size, bool afterLetter)
{
    if (afterLetter)
        return std::nullopt;
    const std::size_t limit = std::min(size, kLongestMapKeyText);
    std::size_t length = 0;
    while (length < limit && IsLetter(bytes[length]))
        ++length;
    if (length == limit || length < kShortestMapKeyText || bytes[length] != 0)
        return std::nullopt;
    return length;
}

bool TextStartsAt(const unsigned char* bytes, std::size_t size, std::size_t at)
{
    return TextLength(bytes + at, size - at, at > 0 && IsLetter(bytes[at - 1])).has_value();
}

// The bits of the places of a block that hold a key of the form in the bytes
// read (a piece from its start, `got` of them read): the numbers wherever
// they fit, the texts where they start.
std::uint64_t PlacesIn(const unsigned char* piece, std::size_t got, std::size_t blockStart, MapKeyForm form)
{
    std::uint64_t bits = 0;
    for (std::size_t place = 0; place < kBlockBytes / 2; ++place) {
        const std::size_t at = blockStart + place * 2;
        const bool held = form == MapKeyForm::Text ? at < got && TextStartsAt(piece, got, at)
                                                   : at + WidthOf(form) <= got && (form == MapKeyForm::Number16 || at % 4 == 0);
        bits |= std::uint64_t(held) << place;
    }
    return bits;
}

std::uint64_t Turned(std::uint64_t word, unsigned by)
{
    return word << (by & 63) | word >> ((64 - by) & 63);
}

// A block's bytes folded into 64 bits: each word turned by its place and
// laid over the others, so that any one word changed changes the print.
std::uint64_t Fingerprint(const unsigned char* bytes, std::size_t size)
{
    std::uint64_t print = size;
    std::size_t at = 0;
    for (unsigned i = 0; at + 8 <= size; at += 8, ++i) {
        std::uint64_t word;
        std::memcpy(&word, bytes + at, 8);
        print ^= Turned(word, 5 * i);
    }
    for (; at < size; ++at)
        print ^= std::uint64_t(bytes[at]) << (at % 8 * 8);
    return print;
}

// Reads a piece's bytes anew; zeros where the memory could not be read.
std::size_t ReadInto(const ProcessReader& reader, std::uint64_t start, UninitializedBytes& bytes)
{
    const std::size_t got = reader.Read(start, bytes.data(), bytes.size());
    std::fill(bytes.begin() + std::ptrdiff_t(got), bytes.end(), std::uint8_t(0));
    return got;
}

// Runs work(region, offset, size, bytes, got) for every piece of the regions
// on two threads, as the position finder's first scan does: size bytes from
// offset into the region own the piece's places; bytes holds what could be
// read of them and of `beyond` bytes more (got bytes, zeros after).
template <typename Work>
void ForEachPiece(const std::vector<MemoryRegion>& regions, const ProcessReader& reader, FinderProgress& progress,
                  std::size_t beyond, Work work)
{
    struct Piece {
        std::size_t region;
        std::uint64_t offset;
    };
    std::vector<Piece> pieces;
    std::uint64_t total = 0;
    for (std::size_t region = 0; region < regions.size(); ++region) {
        for (std::uint64_t offset = 0; regions[region].start + offset < regions[region].end; offset += kPieceBytes)
            pieces.push_back({region, offset});
        total += regions[region].end - regions[region].start;
    }
    progress.bytesTotal = total;
    progress.bytesDone = 0;
    std::atomic<std::size_t> next{0};
    auto run = [&] {
        UninitializedBytes bytes;
        for (std::size_t i; !progress.cancel && (i = next++) < pieces.size();) {
            const MemoryRegion& region = regions[pieces[i].region];
            const std::uint64_t start = region.start + pieces[i].offset;
            const std::size_t size = std::size_t(std::min<std::uint64_t>(kPieceBytes, region.end - start));
            bytes.resize(std::size_t(std::min<std::uint64_t>(size + beyond, region.end - start)));
            const std::size_t got = ReadInto(reader, start, bytes);
            work(pieces[i].region, pieces[i].offset, size, bytes, got);
            progress.bytesDone += size;
        }
    };
    std::thread helper(run);
    run();
    helper.join();
}

bool Kept(bool changed, const std::optional<std::string>& before, const std::optional<std::string>& now)
{
    return now && before && (*before != *now) == changed;
}

} // namespace

const char* MapKeyFormName(MapKeyForm form)
{
    return form == MapKeyForm::Text ? "text" : form == MapKeyForm::Number32 ? "u32" : "u16";
}

std::optional<MapKeyForm> MapKeyFormNamed(std::string_view name)
{
    for (const MapKeyForm form : kForms)
        if (name == MapKeyFormName(form))
            return form;
    return std::nullopt;
}

std::uint32_t MapKeyNumber(std::string_view key)
{
    std::uint32_t number = 0;
    for (std::size_t i = key.size(); i-- > 0;)
        number = number << 8 | static_cast<unsigned char>(key[i]);
    return number;
}

bool operator==(const MapKeyPlace& a, const MapKeyPlace& b)
{
    return a.address == b.address && a.form == b.form;
}

std::optional<std::string> MapKeyIn(const unsigned char* bytes, std::size_t size, MapKeyForm form, bool afterLetter)
{
    if (form != MapKeyForm::Text) {
        const std::size_t width = WidthOf(form);
        return size < width ? std::nullopt : std::optional<std::string>(std::string(reinterpret_cast<const char*>(bytes), width));
    }
    const std::optional<std::size_t> length = TextLength(bytes, size, afterLetter);
    return length ? std::optional<std::string>(std::string(reinterpret_cast<const char*>(bytes), *length)) : std::nullopt;
}

std::optional<std::string> ReadMapKey(const ProcessReader& reader, MapKeyPlace place)
{
    unsigned char bytes[kLongestMapKeyText + 1] = {};
    const bool text = place.form == MapKeyForm::Text && place.address > 0;
    const std::size_t got = reader.Read(place.address - (text ? 1 : 0), bytes, WidthOf(place.form) + (text ? 1 : 0));
    if (text)
        return got == 0 ? std::nullopt : MapKeyIn(bytes + 1, got - 1, place.form, IsLetter(bytes[0]));
    return MapKeyIn(bytes, got, place.form);
}

FinderOutcome MapKeyFinder::Look(FinderProgress& progress)
{
    FinderOutcome outcome;
    std::vector<MemoryRegion> regions;
    for (const MemoryRegion& region : reader_.WritableRegions()) {
        if (region.end > kReach)
            outcome.bytesAboveReach += region.end - std::max(region.start, kReach);
        if (region.start < kReach)
            regions.push_back({region.start & ~std::uint64_t(3), std::min(region.end, kReach)});
    }
    std::vector<Prints> prints(regions.size());
    for (std::size_t region = 0; region < regions.size(); ++region)
        prints[region].resize(std::size_t((regions[region].end - regions[region].start + kBlockBytes - 1) / kBlockBytes));
    ForEachPiece(regions, reader_, progress, 0, [&](std::size_t region, std::uint64_t offset, std::size_t size, const UninitializedBytes& bytes, std::size_t) {
        for (std::size_t block = 0; block * kBlockBytes < size; ++block)
            prints[region][std::size_t(offset / kBlockBytes) + block] =
                Fingerprint(bytes.data() + block * kBlockBytes, std::min(size - block * kBlockBytes, kBlockBytes));
    });
    if (progress.cancel) {
        outcome.cancelled = true;
        return outcome;
    }
    std::uint64_t count = 0;
    for (const MemoryRegion& region : regions) {
        const std::uint64_t size = region.end - region.start;
        count += (size >= 2 ? (size - 2) / 2 + 1 : 0) + (size >= 4 ? (size - 4) / 4 + 1 : 0);
    }
    lookedAt_ = std::move(regions);
    prints_ = std::move(prints);
    copies_.clear();
    kept_.clear();
    count_ = count;
    looked_ = true;
    outcome.candidates = count_;
    return outcome;
}

FinderOutcome MapKeyFinder::KeepChanged(FinderProgress& progress)
{
    return Narrow(true, progress);
}

FinderOutcome MapKeyFinder::KeepSame(FinderProgress& progress)
{
    return Narrow(false, progress);
}

FinderOutcome MapKeyFinder::Narrow(bool changed, FinderProgress& progress)
{
    FinderOutcome outcome = !prints_.empty()  ? NarrowLook(changed, progress)
                            : copies_.empty() ? NarrowKept(changed, progress)
                                              : NarrowCopies(changed, progress);
    if (!outcome.cancelled)
        KeepFewAsPlaces();
    outcome.candidates = count_;
    return outcome;
}

// After the first look: the blocks whose fingerprint changed (or did not),
// each with every place its bytes now hold, kept a page at a time.
FinderOutcome MapKeyFinder::NarrowLook(bool changed, FinderProgress& progress)
{
    FinderOutcome outcome;
    std::vector<std::vector<std::vector<Copy>>> found(lookedAt_.size());
    for (std::size_t region = 0; region < lookedAt_.size(); ++region)
        found[region].resize(std::size_t((lookedAt_[region].end - lookedAt_[region].start + kPieceBytes - 1) / kPieceBytes));
    // A number lies within its block; a text may run on into the next one.
    ForEachPiece(lookedAt_, reader_, progress, kBlockBytes, [&](std::size_t region, std::uint64_t offset, std::size_t size, const UninitializedBytes& bytes, std::size_t got) {
        const Prints& before = prints_[region];
        const std::size_t first = std::size_t(offset / kBlockBytes);
        std::vector<bool> kept; // for the blocks of the piece and the one after it
        for (std::size_t block = 0; block < bytes.size(); block += kBlockBytes) {
            const std::size_t length = std::min(bytes.size() - block, kBlockBytes);
            const std::size_t index = first + block / kBlockBytes;
            kept.push_back(block + length <= got && index < before.size() &&
                           (Fingerprint(bytes.data() + block, length) != before[index]) == changed);
        }
        kept.push_back(!changed); // past the region: nothing there changes
        std::vector<Copy>& pages = found[region][std::size_t(offset / kPieceBytes)];
        for (std::size_t page = 0; page < size; page += kPageBytes) {
            Copy copy;
            copy.start = lookedAt_[region].start + offset + page;
            copy.places = std::min(kPageBytes, size - page) / 2;
            for (auto& bits : copy.alive)
                bits.assign(kPageBytes / kBlockBytes, 0);
            bool any = false;
            for (std::size_t block = page; block < std::min(page + kPageBytes, size); block += kBlockBytes) {
                const std::size_t index = block / kBlockBytes;
                const bool textKept = changed ? kept[index] || kept[index + 1] : kept[index] && kept[index + 1];
                for (const MapKeyForm form : kForms) {
                    if (!(form == MapKeyForm::Text ? textKept : kept[index]))
                        continue;
                    const std::uint64_t bits = PlacesIn(bytes.data(), got, block, form);
                    copy.alive[int(form)][(block - page) / kBlockBytes] = bits;
                    any = any || bits != 0;
                }
            }
            if (!any)
                continue;
            const std::size_t end = std::min(page + kPageBytes + kLongestMapKeyText, bytes.size());
            copy.bytes.assign(bytes.begin() + std::ptrdiff_t(page), bytes.begin() + std::ptrdiff_t(end));
            pages.push_back(std::move(copy));
        }
    });
    if (progress.cancel) {
        outcome.cancelled = true;
        return outcome;
    }
    std::vector<Copy> copies;
    std::uint64_t count = 0;
    for (auto& pieces : found)
        for (auto& pages : pieces)
            for (Copy& copy : pages) {
                for (const auto& bits : copy.alive)
                    for (const std::uint64_t word : bits)
                        count += std::uint64_t(__builtin_popcountll(word));
                copies.push_back(std::move(copy));
            }
    prints_.clear();
    lookedAt_.clear();
    copies_ = std::move(copies);
    count_ = count;
    return outcome;
}

FinderOutcome MapKeyFinder::NarrowCopies(bool changed, FinderProgress& progress)
{
    FinderOutcome outcome;
    progress.bytesTotal = 0;
    progress.bytesDone = 0;
    for (const Copy& copy : copies_)
        progress.bytesTotal += copy.bytes.size();
    std::vector<Copy> narrowed;
    std::uint64_t count = 0;
    for (const Copy& before : copies_) {
        if (progress.cancel) {
            outcome.cancelled = true;
            return outcome;
        }
        Copy now;
        now.start = before.start;
        now.places = before.places;
        now.bytes.resize(before.bytes.size());
        const std::size_t got = ReadInto(reader_, now.start, now.bytes);
        std::uint64_t kept = 0;
        for (const MapKeyForm form : kForms) {
            std::vector<std::uint64_t> alive = before.alive[int(form)];
            for (std::size_t word = 0; word < alive.size(); ++word) {
                if (alive[word] == 0)
                    continue;
                // 64 places whose bytes are all the same are all the same key.
                const std::size_t from = word * 128;
                const std::size_t to = std::min(from + 128 + kLongestMapKeyText, before.bytes.size());
                if (to <= got && std::memcmp(before.bytes.data() + from, now.bytes.data() + from, to - from) == 0) {
                    if (changed)
                        alive[word] = 0;
                } else {
                    for (std::uint64_t bits = alive[word]; bits != 0; bits &= bits - 1) {
                        const std::size_t place = word * 64 + std::size_t(__builtin_ctzll(bits));
                        const std::size_t at = place * 2;
                        if (!Kept(changed, KeyAt(before.bytes, before.bytes.size(), at, form), KeyAt(now.bytes, got, at, form)))
                            alive[word] &= ~(std::uint64_t(1) << (place % 64));
                    }
                }
                kept += std::uint64_t(__builtin_popcountll(alive[word]));
            }
            now.alive[int(form)] = std::move(alive);
        }
        progress.bytesDone += before.bytes.size();
        count += kept;
        if (kept > 0)
            narrowed.push_back(std::move(now));
    }
    copies_ = std::move(narrowed);
    count_ = count;
    return outcome;
}

FinderOutcome MapKeyFinder::NarrowKept(bool changed, FinderProgress& progress)
{
    FinderOutcome outcome;
    progress.bytesTotal = kept_.size();
    progress.bytesDone = 0;
    std::vector<FoundMapKey> narrowed;
    std::vector<unsigned char> buffer(kBatch * (kLongestMapKeyText + 1));
    std::vector<ReadPiece> pieces(kBatch);
    for (std::size_t first = 0; first < kept_.size(); first += kBatch) {
        if (progress.cancel) {
            outcome.cancelled = true;
            return outcome;
        }
        const std::size_t count = std::min(kBatch, kept_.size() - first);
        for (std::size_t i = 0; i < count; ++i) {
            const MapKeyPlace place = kept_[first + i].place;
            const bool text = place.form == MapKeyForm::Text && place.address > 0;
            pieces[i] = {place.address - (text ? 1 : 0), WidthOf(place.form) + (text ? 1 : 0),
                         buffer.data() + i * (kLongestMapKeyText + 1), 0};
        }
        reader_.ReadPieces(pieces.data(), count);
        for (std::size_t i = 0; i < count; ++i) {
            const FoundMapKey& before = kept_[first + i];
            const bool text = before.place.form == MapKeyForm::Text && before.place.address > 0;
            const ReadPiece& piece = pieces[i];
            const std::optional<std::string> now =
                text ? (piece.got == 0 ? std::nullopt : MapKeyIn(piece.into + 1, piece.got - 1, before.place.form, IsLetter(piece.into[0])))
                     : MapKeyIn(piece.into, piece.got, before.place.form);
            if (Kept(changed, before.key, now))
                narrowed.push_back({before.place, *now});
        }
        progress.bytesDone += count;
    }
    kept_ = std::move(narrowed);
    count_ = kept_.size();
    return outcome;
}

// Few candidates are kept as places and keys rather than copies of memory.
void MapKeyFinder::KeepFewAsPlaces()
{
    if (copies_.empty() || count_ > kFewPlaces)
        return;
    kept_ = First(std::size_t(count_));
    copies_.clear();
    copies_.shrink_to_fit();
}

std::vector<FoundMapKey> MapKeyFinder::First(std::size_t count) const
{
    if (!prints_.empty())
        return {}; // only fingerprints: nothing to tell yet
    if (copies_.empty())
        return std::vector<FoundMapKey>(kept_.begin(), kept_.begin() + std::ptrdiff_t(std::min(count, kept_.size())));
    std::vector<FoundMapKey> first;
    for (const MapKeyForm form : kForms)
        for (const Copy& copy : copies_)
            for (std::size_t place = 0; place < copy.places; ++place) {
                if ((copy.alive[int(form)][place / 64] >> (place % 64) & 1) == 0)
                    continue;
                if (first.size() == count)
                    return first;
                if (const std::optional<std::string> key = KeyAt(copy.bytes, copy.bytes.size(), place * 2, form))
                    first.push_back({{std::uint32_t(copy.start + place * 2), form}, *key});
            }
    return first;
}
