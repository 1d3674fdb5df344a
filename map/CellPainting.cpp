#include "map/CellPainting.h"

#include <array>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

#if defined(__SSE2__)
[[gnu::always_inline]] inline __m128i Load(const std::uint8_t* bytes)
{
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
}

// What decides the walkability of 4 records (48 bytes, read as the 32-bit
// words d0 to d11), one record per 32-bit lane: byte 1 of a record is in its
// first word, bytes 6 and 7 at the top of its second.
static_assert(kMapCellSize == 12 && kBlockingByte == 1 && kFirstFlagByte == 6 && kSecondFlagByte == 7 &&
                  kFlagBit == 0x80,
              "the shuffles below take the bytes from these places");
struct FourRecords {
    __m128i blocking; // byte 1, 0 to 255
    __m128i flagged;  // all ones where bit 7 of bytes 6 and 7 is set in both
};

[[gnu::always_inline]] inline FourRecords FourRecordsAt(const std::uint8_t* records)
{
    const __m128 a = _mm_castsi128_ps(Load(records));      // d0 d1 d2 d3
    const __m128 b = _mm_castsi128_ps(Load(records + 16)); // d4 d5 d6 d7
    const __m128 c = _mm_castsi128_ps(Load(records + 32)); // d8 d9 d10 d11
    const __m128i first = _mm_castps_si128(_mm_shuffle_ps(a, _mm_shuffle_ps(b, c, _MM_SHUFFLE(1, 1, 2, 2)),
                                                          _MM_SHUFFLE(2, 0, 3, 0))); // d0 d3 d6 d9
    const __m128i second = _mm_castps_si128(_mm_shuffle_ps(_mm_shuffle_ps(a, b, _MM_SHUFFLE(0, 0, 1, 1)),
                                                           _mm_shuffle_ps(b, c, _MM_SHUFFLE(2, 2, 3, 3)),
                                                           _MM_SHUFFLE(2, 0, 2, 0))); // d1 d4 d7 d10
    return {_mm_and_si128(_mm_srli_epi32(first, 8), _mm_set1_epi32(0xFF)),
            _mm_srai_epi32(_mm_and_si128(second, _mm_slli_epi32(second, 8)), 31)};
}

// Walkability values as picture entries, a byte each.
[[gnu::always_inline]] inline __m128i EntriesOf(__m128i walk)
{
    return _mm_or_si128(
        _mm_and_si128(_mm_cmpeq_epi8(walk, _mm_set1_epi8(char(kWalkBlocked))), _mm_set1_epi8(kEntryBlocked)),
        _mm_and_si128(_mm_cmpeq_epi8(walk, _mm_set1_epi8(char(kWalkFlagged))), _mm_set1_epi8(kEntryFlagged)));
}

// Eight columns of 16 bytes become 16 rows of 8 bytes, two rows to a result
// (rows 2i and 2i + 1 in the low and high half of rows[i]).
[[gnu::always_inline]] inline void Transpose(const __m128i (&columns)[8], __m128i (&rows)[8])
{
    __m128i pairs[8]; // 16-bit: a row's bytes of two neighbouring columns; rows 0-7, then 8-15
    for (int i = 0; i < 4; ++i) {
        pairs[i] = _mm_unpacklo_epi8(columns[2 * i], columns[2 * i + 1]);
        pairs[i + 4] = _mm_unpackhi_epi8(columns[2 * i], columns[2 * i + 1]);
    }
    for (int half = 0; half < 8; half += 4) {
        // 32-bit: a row's bytes of four columns, left half and right half, four rows at a time
        const __m128i leftTop = _mm_unpacklo_epi16(pairs[half], pairs[half + 1]);
        const __m128i leftBottom = _mm_unpackhi_epi16(pairs[half], pairs[half + 1]);
        const __m128i rightTop = _mm_unpacklo_epi16(pairs[half + 2], pairs[half + 3]);
        const __m128i rightBottom = _mm_unpackhi_epi16(pairs[half + 2], pairs[half + 3]);
        rows[half] = _mm_unpacklo_epi32(leftTop, rightTop);
        rows[half + 1] = _mm_unpackhi_epi32(leftTop, rightTop);
        rows[half + 2] = _mm_unpacklo_epi32(leftBottom, rightBottom);
        rows[half + 3] = _mm_unpackhi_epi32(leftBottom, rightBottom);
    }
}
#endif

} // namespace

void WalkValuesOfRecords(const std::uint8_t* records, int count, std::uint8_t* walk)
{
    int done = 0;
#if defined(__SSE2__)
    // 16 records at a time, their tests packed into bytes before they are combined.
    for (; done + 16 <= count; done += 16, records += 16 * kMapCellSize) {
        const FourRecords r[4] = {FourRecordsAt(records), FourRecordsAt(records + 48), FourRecordsAt(records + 96),
                                  FourRecordsAt(records + 144)};
        const __m128i blocking = _mm_packus_epi16(_mm_packs_epi32(r[0].blocking, r[1].blocking),
                                                  _mm_packs_epi32(r[2].blocking, r[3].blocking));
        const __m128i flagged = _mm_packs_epi16(_mm_packs_epi32(r[0].flagged, r[1].flagged),
                                                _mm_packs_epi32(r[2].flagged, r[3].flagged));
        const __m128i blocked = _mm_cmpeq_epi8(_mm_max_epu8(blocking, _mm_set1_epi8(char(kBlockedAbove + 1))), blocking);
        const __m128i blockedValues = _mm_and_si128(blocked, _mm_set1_epi8(char(kWalkBlocked)));
        const __m128i values = _mm_or_si128(_mm_andnot_si128(flagged, blockedValues),
                                            _mm_and_si128(flagged, _mm_set1_epi8(kWalkFlagged)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(walk + done), values);
    }
#endif
    for (; done < count; ++done, records += kMapCellSize)
        walk[done] = kWalkValues[CellKind(records)];
}

int PaintRowTiles([[maybe_unused]] const std::uint8_t* const* walk, [[maybe_unused]] int columns,
                  [[maybe_unused]] int rows, [[maybe_unused]] IndexedImage& image, [[maybe_unused]] int column)
{
    int done = 0;
#if defined(__SSE2__)
    for (; done + 16 <= rows; done += 16) {
        for (int first = 0; first + 16 <= columns; first += 16) {
            // Two neighbouring columns make one column of picture bytes, the
            // left one's entries in the high half: entries fit in 4 bits, so
            // the 16-bit shift moves nothing into the next byte.
            __m128i bytes[8];
            for (int pair = 0; pair < 8; ++pair)
                bytes[pair] = _mm_or_si128(_mm_slli_epi16(EntriesOf(Load(walk[first + 2 * pair] + done)), 4),
                                           EntriesOf(Load(walk[first + 2 * pair + 1] + done)));
            __m128i twoRows[8];
            Transpose(bytes, twoRows);
            for (int y = 0; y < 16; y += 2) {
                const __m128 both = _mm_castsi128_ps(twoRows[y / 2]);
                _mm_storel_pi(reinterpret_cast<__m64*>(image.Row(done + y) + (column + first) / 2), both);
                _mm_storeh_pi(reinterpret_cast<__m64*>(image.Row(done + y + 1) + (column + first) / 2), both);
            }
        }
    }
#endif
    return done;
}
