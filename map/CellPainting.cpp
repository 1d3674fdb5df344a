#include "CellPainting.h"

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

// The walkability values of 4 records (48 bytes, read as the 32-bit words
// d0 to d11), one per 32-bit lane: byte 1 of a record is in its first word,
// bytes 6 and 7 at the top of its second.
[[gnu::always_inline]] inline __m128i WalkValuesOfFourRecords(const std::uint8_t* records)
{
    const __m128 a = _mm_castsi128_ps(Load(records));      // d0 d1 d2 d3
    const __m128 b = _mm_castsi128_ps(Load(records + 16)); // d4 d5 d6 d7
    const __m128 c = _mm_castsi128_ps(Load(records + 32)); // d8 d9 d10 d11
    const __m128i first = _mm_castps_si128(_mm_shuffle_ps(a, _mm_shuffle_ps(b, c, _MM_SHUFFLE(1, 1, 2, 2)),
                                                          _MM_SHUFFLE(2, 0, 3, 0))); // d0 d3 d6 d9
    const __m128i second = _mm_castps_si128(_mm_shuffle_ps(_mm_shuffle_ps(a, b, _MM_SHUFFLE(0, 0, 1, 1)),
                                                           _mm_shuffle_ps(b, c, _MM_SHUFFLE(2, 2, 3, 3)),
                                                           _MM_SHUFFLE(2, 0, 2, 0))); // d1 d4 d7 d10
    const __m128i blocked = _mm_cmpgt_epi32(_mm_and_si128(_mm_srli_epi32(first, 8), _mm_set1_epi32(0xFF)),
                                            _mm_set1_epi32(100));
    const __m128i flagged = _mm_srai_epi32(_mm_and_si128(second, _mm_slli_epi32(second, 8)), 31); // bit 7 of both
    return _mm_or_si128(_mm_andnot_si128(flagged, _mm_and_si128(blocked, _mm_set1_epi32(kWalkBlocked))),
                        _mm_and_si128(flagged, _mm_set1_epi32(kWalkFlagged)));
}

// Rows of a 16 x 16 byte matrix become its columns.
[[gnu::always_inline]] inline void Transpose(__m128i (&rows)[16])
{
    __m128i step[16];
    for (int i = 0; i < 8; ++i) {
        step[i] = _mm_unpacklo_epi8(rows[2 * i], rows[2 * i + 1]);
        step[i + 8] = _mm_unpackhi_epi8(rows[2 * i], rows[2 * i + 1]);
    }
    for (int i = 0; i < 4; ++i) {
        rows[i] = _mm_unpacklo_epi16(step[2 * i], step[2 * i + 1]);
        rows[i + 4] = _mm_unpackhi_epi16(step[2 * i], step[2 * i + 1]);
        rows[i + 8] = _mm_unpacklo_epi16(step[8 + 2 * i], step[8 + 2 * i + 1]);
        rows[i + 12] = _mm_unpackhi_epi16(step[8 + 2 * i], step[8 + 2 * i + 1]);
    }
    for (int group = 0; group < 16; group += 4) {
        for (int i = 0; i < 2; ++i) {
            step[group + i] = _mm_unpacklo_epi32(rows[group + 2 * i], rows[group + 2 * i + 1]);
            step[group + i + 2] = _mm_unpackhi_epi32(rows[group + 2 * i], rows[group + 2 * i + 1]);
        }
    }
    for (int group = 0; group < 16; group += 4) { // rows group to group + 3
        for (int pair = 0; pair < 4; pair += 2) {
            rows[group + pair] = _mm_unpacklo_epi64(step[group + pair], step[group + pair + 1]);
            rows[group + pair + 1] = _mm_unpackhi_epi64(step[group + pair], step[group + pair + 1]);
        }
    }
}

// 16 walkability values as 8 picture bytes, two entries a byte, the first on the left.
[[gnu::always_inline]] inline void StoreEntryPairs(__m128i walk, std::uint8_t* pairs)
{
    const __m128i entries =
        _mm_or_si128(_mm_and_si128(_mm_cmpeq_epi8(walk, _mm_set1_epi8(char(kWalkBlocked))), _mm_set1_epi8(kEntryBlocked)),
                     _mm_and_si128(_mm_cmpeq_epi8(walk, _mm_set1_epi8(char(kWalkFlagged))), _mm_set1_epi8(kEntryFlagged)));
    const __m128i joined = _mm_and_si128(_mm_or_si128(_mm_slli_epi16(entries, 4), _mm_srli_epi16(entries, 8)),
                                         _mm_set1_epi16(0xFF));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(pairs), _mm_packus_epi16(joined, joined));
}
#endif

} // namespace

void WalkValuesOfRecords(const std::uint8_t* records, int count, std::uint8_t* walk)
{
    int done = 0;
#if defined(__SSE2__)
    for (; done + 16 <= count; done += 16, records += 16 * kMapCellSize) {
        const __m128i first = _mm_packs_epi32(WalkValuesOfFourRecords(records), WalkValuesOfFourRecords(records + 48));
        const __m128i second = _mm_packs_epi32(WalkValuesOfFourRecords(records + 96), WalkValuesOfFourRecords(records + 144));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(walk + done), _mm_packus_epi16(first, second));
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
            __m128i tile[16];
            for (int x = 0; x < 16; ++x)
                tile[x] = Load(walk[first + x] + done);
            Transpose(tile);
            for (int y = 0; y < 16; ++y)
                StoreEntryPairs(tile[y], image.Row(done + y) + (column + first) / 2);
        }
    }
#endif
    return done;
}
