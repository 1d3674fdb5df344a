#pragma once
// A 16-colour picture: four bits per pixel holding an entry of the fixed
// colour table, two pixels a byte with the left one in the high half. Rows are
// top-down, padded with zero bits to a multiple of 4 bytes: the rows of a
// 4-bit BMP file, which lists them bottom-up.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "map/MapFormat.h"

struct Rgb {
    std::uint8_t red, green, blue;
    bool operator==(const Rgb& other) const
    {
        return red == other.red && green == other.green && blue == other.blue;
    }
};

constexpr std::array<Rgb, 16> kColorTable{{
    {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0},
    {0, 0, 128},     {128, 0, 128}, {0, 128, 128}, {128, 128, 128},
    {192, 192, 192}, {255, 0, 0},   {0, 255, 0},   {255, 255, 0},
    {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
}};

// The table entries a map is painted with.
constexpr std::uint8_t kEntryOpen = 0;     // black
constexpr std::uint8_t kEntryBlocked = 9;  // pure red
constexpr std::uint8_t kEntryFlagged = 12; // pure blue

class IndexedImage {
public:
    IndexedImage() = default;
    // All pixels entry 0, padding included. Throws std::bad_alloc when the pixels cannot be had.
    IndexedImage(int width, int height);
    // Pixels and row padding left for the caller to write, every byte.
    IndexedImage(int width, int height, Uninitialized);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool IsEmpty() const { return width_ == 0 || height_ == 0; }
    std::size_t BytesPerLine() const { return bytesPerLine_; }

    std::uint8_t Pixel(int x, int y) const
    {
        const std::uint8_t pair = Row(y)[x / 2];
        return x % 2 ? pair & 0x0F : pair >> 4;
    }
    void SetPixel(int x, int y, std::uint8_t entry)
    {
        std::uint8_t& pair = Row(y)[x / 2];
        pair = x % 2 ? std::uint8_t((pair & 0xF0) | entry) : std::uint8_t((pair & 0x0F) | entry << 4);
    }

    const std::uint8_t* Row(int y) const { return pixels_.data() + std::size_t(y) * bytesPerLine_; }
    std::uint8_t* Row(int y) { return pixels_.data() + std::size_t(y) * bytesPerLine_; }
    const UninitializedBytes& Bytes() const { return pixels_; }
    UninitializedBytes& Bytes() { return pixels_; }

private:
    int width_ = 0;
    int height_ = 0;
    std::size_t bytesPerLine_ = 0;
    UninitializedBytes pixels_;
};
