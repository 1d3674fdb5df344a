#pragma once
// A 16-colour picture as a 4-bit BMP file: the 14-byte file header, the
// 40-byte information header (96 dots per inch, 16 colours used) and the
// colour table, then the picture's rows from the bottom one up, each of
// BytesPerLine() bytes.

#include "map/IndexedImage.h"

#include <array>
#include <cstdint>

constexpr std::size_t kBitmapHeadersSize = 14 + 40 + 4 * kColorTable.size();
constexpr std::uint32_t kBitmapDotsPerMeter = 3780; // 96 dots per inch

std::array<std::uint8_t, kBitmapHeadersSize> BitmapHeadersOf(const IndexedImage& picture);
