#include "track/MapKeyFinder.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint64_t kReach = std::uint64_t(1) << 32;
constexpr std::size_t kPieceBytes = std::size_t(1) << 20;
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
std::optional<std::string> KeyAt(const std::vector<unsigned char>& bytes, std::size_t size, std::size_t at, MapKeyForm form)
{
    if (form == MapKeyForm::Number32 && at % 4 != 0)
        return std::nullopt; // pieces start at addresses divisible by 4
    return MapKeyIn(bytes.data() + at, size - std::min(size, at), form, at > 0 && at <= size && IsLetter(bytes[at - 1]));
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
    if (afterLetter)
        return std::nullopt;
    const std::size_t limit = std::min(size, kLongestMapKeyText);
    std::size_t length = 0;
    while (length < limit && IsLetter(bytes[length]))
        ++length;
    if (length == limit || length < kShortestMapKeyText || bytes[length] != 0)
        return std::nullopt;
    return std::string(reinterpret_cast<const char*>(bytes), length);
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
    std::vector<Copy> copies;
    std::uint64_t total = 0;
    for (const MemoryRegion& region : reader_.WritableRegions()) {
        const std::uint64_t end = std::min(region.end, kReach);
        if (region.end > kReach)
            outcome.bytesAboveReach += region.end - std::max(region.start, kReach);
        for (std::uint64_t at = region.start & ~std::uint64_t(3); at + 2 <= end; at += kPieceBytes) {
            Copy copy;
            copy.start = at;
            copy.places = std::size_t(std::min<std::uint64_t>(kPieceBytes, end - at) / 2);
            copy.bytes.resize(std::size_t(std::min<std::uint64_t>(copy.places * 2 + kLongestMapKeyText, end - at)));
            total += copy.bytes.size();
            copies.push_back(std::move(copy));
        }
    }
    progress.bytesTotal = total;
    progress.bytesDone = 0;
    std::uint64_t count = 0;
    for (Copy& copy : copies) {
        if (progress.cancel) {
            outcome.cancelled = true;
            return outcome;
        }
        const std::size_t got = reader_.Read(copy.start, copy.bytes.data(), copy.bytes.size());
        for (const MapKeyForm form : kForms) {
            std::vector<std::uint64_t>& alive = copy.alive[int(form)];
            alive.assign((copy.places + 63) / 64, 0);
            for (std::size_t place = 0; place < copy.places; ++place)
                if (KeyAt(copy.bytes, got, place * 2, form)) {
                    alive[place / 64] |= std::uint64_t(1) << (place % 64);
                    ++count;
                }
        }
        progress.bytesDone += copy.bytes.size();
    }
    copies_ = std::move(copies);
    kept_.clear();
    count_ = count;
    looked_ = true;
    KeepFewAsPlaces();
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
    FinderOutcome outcome = copies_.empty() ? NarrowKept(changed, progress) : NarrowCopies(changed, progress);
    if (!outcome.cancelled)
        KeepFewAsPlaces();
    outcome.candidates = count_;
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
        const std::size_t got = reader_.Read(now.start, now.bytes.data(), now.bytes.size());
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
    if (copies_.empty())
        return std::vector<FoundMapKey>(kept_.begin(), kept_.begin() + std::ptrdiff_t(std::min(count, kept_.size())));
    std::vector<FoundMapKey> first;
    for (const Copy& copy : copies_) {
        for (std::size_t place = 0; place < copy.places; ++place) {
            for (const MapKeyForm form : kForms) {
                if ((copy.alive[int(form)][place / 64] >> (place % 64) & 1) == 0)
                    continue;
                if (first.size() == count)
                    return first;
                if (const std::optional<std::string> key = KeyAt(copy.bytes, copy.bytes.size(), place * 2, form))
                    first.push_back({{std::uint32_t(copy.start + place * 2), form}, *key});
            }
        }
    }
    return first;
}
