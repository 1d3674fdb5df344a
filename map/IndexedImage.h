#pragma once
// A 16-colour picture: one byte per pixel holding an entry of the fixed colour
// table. Rows are top-down and padded to a multiple of 4 bytes, the layout
// both the screen image and a BMP file expect.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "MapFormat.h"

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
    // All pixels entry 0. Throws std::bad_alloc when the pixels cannot be had.
    IndexedImage(int width, int height);
    // Pixels and row padding left for the caller to write, every byte.
    IndexedImage(int width, int height, Uninitialized);

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool IsEmpty() const { return width_ == 0 || height_ == 0; }
    std::size_t BytesPerLine() const { return bytesPerLine_; }

    std::uint8_t Pixel(int x, int y) const { return pixels_[Index(x, y)]; }
    void SetPixel(int x, int y, std::uint8_t entry) { pixels_[Index(x, y)] = entry; }

    const UninitializedBytes& Bytes() const { return pixels_; }
    UninitializedBytes& Bytes() { return pixels_; }

private:
    std::size_t Index(int x, int y) const { return std::size_t(y) * bytesPerLine_ + std::size_t(x); }

    int width_ = 0;
    int height_ = 0;
    std::size_t bytesPerLine_ = 0;
    UninitializedBytes pixels_;
};
