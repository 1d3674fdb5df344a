#include "track/AddressFinder.h"

#include "base/CellText.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <unordered_map>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

std::optional<std::pair<std::uint16_t, std::uint16_t>> ParsePosition(std::string_view text)
{
    if (text.find('-') != std::string_view::npos)
        return std::nullopt; // not even "-0"
    const std::optional<Cell> cell = ParseCellText(text);
    if (!cell || cell->x < 0 || cell->y < 0 || cell->x > 0xFFFF || cell->y > 0xFFFF)
        return std::nullopt;
    return std::make_pair(std::uint16_t(cell->x), std::uint16_t(cell->y));
}

namespace {

using Entry = AddressFinder::Entry;

constexpr std::uint64_t kReach = std::uint64_t(1) << 32;
constexpr std::size_t kChunk = std::size_t(1) << 20;
constexpr int kThreads = 2;

std::uint32_t Load32(const unsigned char* at)
{
    std::uint32_t value;
    std::memcpy(&value, at, 4);
    return value; // little-endian machines only, as the clients are
}

// Collects kept places in ascending order, joining neighbours that hold the
// same pair into runs.
class EntryWriter {
public:
    explicit EntryWriter(std::vector<Entry>& into) : entries_(into) {}

    void Add(std::uint32_t address, std::uint32_t pair)
    {
        if (runCount_ != 0 && pair == runPair_ && address == runFirst_ + 2 * runCount_) {
            ++runCount_;
            return;
        }
        Flush();
        runFirst_ = address;
        runPair_ = pair;
        runCount_ = 1;
    }
    void Flush()
    {
        if (runCount_ == 1) {
            entries_.push_back({runFirst_, runPair_});
        } else if (runCount_ > 1) {
            entries_.push_back({runFirst_ | 1, runPair_});
            entries_.push_back({runCount_, 0});
        }
        count_ += runCount_;
        runCount_ = 0;
    }
    std::uint64_t Count() const { return count_; }

private:
    std::vector<Entry>& entries_;
    std::uint32_t runFirst_ = 0;
    std::uint32_t runPair_ = 0;
    std::uint32_t runCount_ = 0;
    std::uint64_t count_ = 0;
};

// Calls visit(address, pair) for every place of the entries [from, to).
template <typename Visit>
void ForEachPlace(const std::vector<Entry>& entries, std::size_t from, std::size_t to, Visit visit)
{
    for (std::size_t i = from; i < to; ++i) {
        if ((entries[i].address & 1) == 0) {
            visit(entries[i].address, entries[i].pair);
            continue;
        }
        const std::uint32_t first = entries[i].address & ~1u;
        const std::uint32_t count = entries[++i].address;
        for (std::uint32_t k = 0; k < count; ++k)
            visit(first + 2 * k, entries[i - 1].pair);
    }
}

// The bytes an entry's places cover.
std::uint64_t EntryEnd(const std::vector<Entry>& entries, std::size_t i)
{
    if ((entries[i].address & 1) == 0)
        return std::uint64_t(entries[i].address) + 4;
    return std::uint64_t(entries[i].address & ~1u) + 2 * std::uint64_t(entries[i + 1].address) + 2;
}

std::size_t EntryLength(const std::vector<Entry>& entries, std::size_t i)
{
    return (entries[i].address & 1) ? 2 : 1;
}

// The exact pair.
struct PairMatch {
    std::uint32_t pair;

    bool Keeps(std::uint32_t value) const { return value == pair; }
#ifdef __SSE2__
    // Bits for the 8 places starting at `at`, two bits a place (any set: look closer).
    unsigned Block(const unsigned char* at) const
    {
        const __m128i wanted = _mm_set1_epi32(int(pair));
        const __m128i even = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i odd = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 2));
        return unsigned(_mm_movemask_epi8(_mm_cmpeq_epi32(even, wanted)) | _mm_movemask_epi8(_mm_cmpeq_epi32(odd, wanted)));
    }
#endif
};

// A pair on a cell the player can stand on.
struct MapMatch {
    const StandableCells& cells;

    bool Keeps(std::uint32_t value) const { return cells.Contains(value & 0xFFFF, value >> 16); }
#ifdef __SSE2__
    unsigned Block(const unsigned char* at) const
    {
        // x < width and y < height, as unsigned 16-bit lanes: saturating
        // subtraction of width - 1 leaves 0 exactly for x <= width - 1.
        const __m128i xs = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
        const __m128i ys = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 2));
        const __m128i zero = _mm_setzero_si128();
        const __m128i xIn = _mm_cmpeq_epi16(_mm_subs_epu16(xs, _mm_set1_epi16(short(cells.Width() - 1))), zero);
        const __m128i yIn = _mm_cmpeq_epi16(_mm_subs_epu16(ys, _mm_set1_epi16(short(cells.Height() - 1))), zero);
        return unsigned(_mm_movemask_epi8(_mm_and_si128(xIn, yIn)));
    }
#endif
};

// The places of bytes [0, size) of a chunk read from `base`, where `size`
// bytes and two more may be looked at when the chunk goes on.
template <typename Match>
void KeepInChunk(const unsigned char* bytes, std::size_t size, std::uint32_t base, const Match& match, EntryWriter& kept)
{
    std::size_t at = 0;
#ifdef __SSE2__
    for (; at + 18 <= size; at += 16) {
        if (match.Block(bytes + at) == 0)
            continue;
        for (std::size_t place = at; place < at + 16; place += 2) {
            const std::uint32_t value = Load32(bytes + place);
            if (match.Keeps(value))
                kept.Add(base + std::uint32_t(place), value);
        }
    }
#endif
    for (; at + 4 <= size; at += 2) {
        const std::uint32_t value = Load32(bytes + at);
        if (match.Keeps(value))
            kept.Add(base + std::uint32_t(at), value);
    }
}

struct Chunk {
    std::uint64_t start;
    std::size_t size;     // the places it owns start in [start, start + size)
    std::size_t readSize; // size and up to 2 bytes more, within the region
};

std::vector<Chunk> ChunksBelowReach(const std::vector<MemoryRegion>& regions, std::uint64_t& bytesAbove)
{
    std::vector<Chunk> chunks;
    bytesAbove = 0;
    for (const MemoryRegion& region : regions) {
        const std::uint64_t end = std::min(region.end, kReach);
        if (region.end > kReach)
            bytesAbove += region.end - std::max(region.start, kReach);
        for (std::uint64_t at = region.start & ~std::uint64_t(1); at + 4 <= end; at += kChunk) {
            const std::size_t size = std::size_t(std::min<std::uint64_t>(kChunk, end - at));
            chunks.push_back({at, size, std::size_t(std::min<std::uint64_t>(size + 2, end - at))});
        }
    }
    return chunks;
}

// Runs work(part) for parts 0 .. kThreads - 1, the last on this thread.
template <typename Work>
void OnAllThreads(Work work)
{
    std::vector<std::thread> helpers;
    for (int part = 0; part + 1 < kThreads; ++part)
        helpers.emplace_back(work, part);
    work(kThreads - 1);
    for (std::thread& helper : helpers)
        helper.join();
}

} // namespace

template <typename Match>
FinderOutcome AddressFinder::Scan(Match match, FinderProgress& progress)
{
    FinderOutcome outcome;
    const std::vector<Chunk> chunks =
        ChunksBelowReach(reader_.WritableRegions(&outcome.bytesNeverAnswering), outcome.bytesAboveReach);
    std::uint64_t total = 0;
    for (const Chunk& chunk : chunks)
        total += chunk.size;
    progress.bytesTotal = total;
    progress.bytesDone = 0;

    std::vector<std::vector<Entry>> found(chunks.size());
    std::vector<std::uint64_t> counts(chunks.size(), 0);
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> entries{0};
    std::atomic<bool> tooMany{false};
    OnAllThreads([&](int) {
        std::vector<unsigned char> buffer(kChunk + 2);
        for (std::size_t i; !progress.cancel && !tooMany && (i = next++) < chunks.size();) {
            const Chunk& chunk = chunks[i];
            const std::size_t got = reader_.Read(chunk.start, buffer.data(), chunk.readSize);
            EntryWriter kept(found[i]);
            KeepInChunk(buffer.data(), got, std::uint32_t(chunk.start), match, kept);
            kept.Flush();
            found[i].shrink_to_fit();
            counts[i] = kept.Count();
            if ((entries += found[i].size()) > kMaxFinderEntries)
                tooMany = true;
            progress.bytesDone += chunk.size;
        }
    });
    outcome.cancelled = progress.cancel;
    outcome.tooMany = tooMany;
    outcome.processEnded = !reader_.IsRunning();
    if (outcome.cancelled || outcome.processEnded)
        return outcome;
    Forget();
    if (outcome.tooMany)
        return outcome;
    Adopt(std::move(found), counts);
    scanned_ = true;
    outcome.candidates = count_;
    return outcome;
}

namespace {

constexpr std::uint64_t kJoinGap = 1024; // read across gaps this small rather than piece by piece
constexpr std::size_t kBatchPieces = 1024;
constexpr std::size_t kBatchBytes = std::size_t(4) << 20;

// Entries [first, last) whose bytes are read as one piece.
struct Span {
    std::size_t first;
    std::size_t last;
    std::uint64_t start;
    std::uint64_t end;
};

std::vector<Span> SpansOf(const std::vector<Entry>& entries)
{
    std::vector<Span> spans;
    for (std::size_t i = 0; i < entries.size(); i += EntryLength(entries, i)) {
        const std::uint64_t start = entries[i].address & ~1u;
        const std::uint64_t end = EntryEnd(entries, i);
        const std::size_t next = i + EntryLength(entries, i);
        if (!spans.empty() && start <= spans.back().end + kJoinGap && end - spans.back().start <= kChunk) {
            spans.back().last = next;
            spans.back().end = std::max(spans.back().end, end);
        } else {
            spans.push_back({i, next, start, end});
        }
    }
    return spans;
}

// Reads the places of `entries` again and writes those keep(before, now) keeps.
template <typename Keep>
void NarrowSegment(const ProcessReader& reader, const std::vector<Entry>& entries, Keep keep, EntryWriter& writer,
                   std::vector<unsigned char>& buffer)
{
    const std::vector<Span> spans = SpansOf(entries);
    std::vector<ReadPiece> pieces;
    for (std::size_t s = 0; s < spans.size();) {
        pieces.clear();
        std::size_t bytes = 0;
        const std::size_t batchStart = s;
        for (; s < spans.size() && pieces.size() < kBatchPieces && bytes < kBatchBytes; ++s) {
            pieces.push_back({spans[s].start, std::size_t(spans[s].end - spans[s].start), nullptr, 0});
            bytes += pieces.back().size;
        }
        buffer.resize(std::max(buffer.size(), bytes));
        std::size_t offset = 0;
        for (ReadPiece& piece : pieces) {
            piece.into = buffer.data() + offset;
            offset += piece.size;
        }
        reader.ReadPieces(pieces.data(), pieces.size());
        for (std::size_t p = 0; p < pieces.size(); ++p) {
            const Span& span = spans[batchStart + p];
            const ReadPiece& piece = pieces[p];
            ForEachPlace(entries, span.first, span.last, [&](std::uint32_t address, std::uint32_t before) {
                const std::size_t at = std::size_t(address - span.start);
                if (at + 4 > piece.got)
                    return; // no longer readable
                const std::uint32_t now = Load32(piece.into + at);
                if (keep(before, now))
                    writer.Add(address, now);
            });
        }
    }
}

} // namespace

template <typename Keep>
FinderOutcome AddressFinder::Narrow(Keep keep, FinderProgress& progress, std::vector<std::vector<Entry>>* previous)
{
    FinderOutcome outcome;
    progress.bytesTotal = segments_.size();
    progress.bytesDone = 0;
    std::vector<std::vector<Entry>> kept(segments_.size());
    std::vector<std::uint64_t> counts(segments_.size(), 0);
    std::atomic<std::size_t> next{0};
    OnAllThreads([&](int) {
        std::vector<unsigned char> buffer;
        for (std::size_t i; !progress.cancel && (i = next++) < segments_.size();) {
            EntryWriter writer(kept[i]);
            NarrowSegment(reader_, segments_[i], keep, writer, buffer);
            writer.Flush();
            counts[i] = writer.Count();
            ++progress.bytesDone;
        }
    });
    outcome.cancelled = progress.cancel;
    outcome.processEnded = !reader_.IsRunning();
    if (outcome.cancelled || outcome.processEnded)
        return outcome;
    if (previous)
        *previous = std::move(segments_);
    Adopt(std::move(kept), counts);
    outcome.candidates = count_;
    return outcome;
}

void AddressFinder::Adopt(std::vector<std::vector<Entry>> segments, const std::vector<std::uint64_t>& counts)
{
    segments_.clear();
    count_ = 0;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (segments[i].empty())
            continue;
        segments[i].shrink_to_fit();
        segments_.push_back(std::move(segments[i]));
        count_ += counts[i];
    }
}

FinderOutcome AddressFinder::KeepPosition(std::uint16_t x, std::uint16_t y, FinderProgress& progress)
{
    const std::uint32_t pair = x | std::uint32_t(y) << 16;
    if (!scanned_)
        return Scan(PairMatch{pair}, progress);
    return Narrow([pair](std::uint32_t, std::uint32_t now) { return now == pair; }, progress);
}

FinderOutcome AddressFinder::KeepOnMap(const StandableCells& cells, FinderProgress& progress)
{
    if (!scanned_)
        return Scan(MapMatch{cells}, progress);
    return Narrow([&cells](std::uint32_t, std::uint32_t now) { return cells.Contains(now & 0xFFFF, now >> 16); },
                  progress);
}

FinderOutcome AddressFinder::KeepMoved(const StandableCells& cells, FinderProgress& progress)
{
    std::vector<std::vector<Entry>> before;
    FinderOutcome outcome = Narrow(
        [&cells](std::uint32_t before, std::uint32_t now) {
            return now != before && (cells.IsEmpty() || cells.Contains(now & 0xFFFF, now >> 16));
        },
        progress, &before);
    // Weighing overlaps costs a pass over the places of before: done while
    // at most 256 Ki places are left, which a move rarely exceeds.
    constexpr std::uint64_t kOverlapsWeighed = std::uint64_t(1) << 18;
    if (!outcome.cancelled && !outcome.processEnded && count_ <= kOverlapsWeighed) {
        DropZeroHalvesOfOverlaps(before);
        outcome.candidates = count_;
    }
    return outcome;
}

std::vector<AddressFinder::Entry> AddressFinder::Places() const
{
    std::vector<Entry> places;
    for (const std::vector<Entry>& entries : segments_)
        ForEachPlace(entries, 0, entries.size(),
                     [&places](std::uint32_t address, std::uint32_t pair) { places.push_back({address, pair}); });
    return places;
}

void AddressFinder::DropZeroHalvesOfOverlaps(const std::vector<std::vector<Entry>>& before)
{
    const std::vector<Entry> now = Places();
    std::unordered_map<std::uint32_t, std::uint32_t> pairBefore; // of the places kept
    pairBefore.reserve(now.size());
    for (const Entry& place : now)
        pairBefore.emplace(place.address, place.pair);
    for (const std::vector<Entry>& entries : before)
        ForEachPlace(entries, 0, entries.size(), [&pairBefore](std::uint32_t address, std::uint32_t pair) {
            if (const auto kept = pairBefore.find(address); kept != pairBefore.end())
                kept->second = pair;
        });
    std::vector<bool> dropped(now.size(), false);
    for (std::size_t i = 1; i < now.size(); ++i) {
        const Entry& low = now[i - 1];  // (a, s)
        const Entry& high = now[i];     // (s, b)
        if (high.address != low.address + 2)
            continue;
        const std::uint32_t a = low.pair & 0xFFFF, b = high.pair >> 16;
        const bool aStayed = (pairBefore[low.address] & 0xFFFF) == a;
        const bool bStayed = (pairBefore[high.address] >> 16) == b;
        if (!aStayed || !bStayed)
            continue; // more than the shared half moved: the move tells
        if (a == 0 && b != 0)
            dropped[i - 1] = true;
        else if (b == 0 && a != 0)
            dropped[i] = true;
    }
    std::vector<Entry> kept;
    EntryWriter writer(kept);
    for (std::size_t i = 0; i < now.size(); ++i)
        if (!dropped[i])
            writer.Add(now[i].address, now[i].pair);
    writer.Flush();
    const std::uint64_t count = writer.Count();
    std::vector<std::vector<Entry>> segments;
    segments.push_back(std::move(kept));
    Adopt(std::move(segments), {count});
}

FinderOutcome AddressFinder::KeepStill(FinderProgress& progress)
{
    return Narrow([](std::uint32_t before, std::uint32_t now) { return now == before; }, progress);
}

void AddressFinder::Forget()
{
    segments_ = {};
    count_ = 0;
    scanned_ = false;
}

std::vector<FoundPlace> AddressFinder::First(std::size_t count, std::uint32_t from) const
{
    std::vector<FoundPlace> places = FirstUnread(count, from);
    ReadPlaces(reader_, places);
    return places;
}

std::vector<FoundPlace> AddressFinder::FirstUnread(std::size_t count, std::uint32_t from) const
{
    std::vector<FoundPlace> places;
    for (const std::vector<Entry>& entries : segments_) {
        for (std::size_t i = 0; i < entries.size() && places.size() < count; i += EntryLength(entries, i)) {
            const std::uint32_t first = entries[i].address & ~1u;
            const std::uint32_t length = (entries[i].address & 1) ? entries[i + 1].address : 1;
            const std::uint32_t skipped =
                first >= from ? 0 : std::uint32_t(std::min<std::uint64_t>(length, (std::uint64_t(from) - first + 1) / 2));
            for (std::uint32_t k = skipped; k < length && places.size() < count; ++k)
                places.push_back({first + 2 * k, 0, 0});
        }
    }
    return places;
}

void ReadPlaces(const ProcessReader& reader, std::vector<FoundPlace>& places)
{
    for (FoundPlace& place : places) {
        unsigned char bytes[4] = {};
        if (reader.Read(place.address, bytes, 4) == 4) {
            place.x = std::uint16_t(bytes[0] | bytes[1] << 8);
            place.y = std::uint16_t(bytes[2] | bytes[3] << 8);
        }
    }
}
