#pragma once
// The arithmetic of the image control: zoom steps of a fifth of the current
// size, and which picture pixel a screen pixel of a scaled picture shows.

#include <cstdint>

// The largest width or height the toolkit allows for a control.
constexpr int kMaxControlSize = (1 << 24) - 1;

// One step is the size divided by 5 (the integer part of size x 0.2), so a
// size below 5 never grows and Zoom Out stops at 4.
constexpr int ZoomedInSize(int size)
{
    return size >= kMaxControlSize - size / 5 ? kMaxControlSize : size + size / 5;
}

constexpr int ZoomedOutSize(int size)
{
    return size - size / 5;
}

// A size after `steps` zoom steps, in when positive, out when negative.
constexpr int ZoomedSize(int size, int steps)
{
    for (; steps > 0 && size < kMaxControlSize; --steps)
        size = ZoomedInSize(size);
    for (; steps < 0 && size > 4; ++steps)
        size = ZoomedOutSize(size);
    return size;
}

// The picture pixel shown at offset `at` of a picture of pictureSize
// stretched over targetSize screen pixels: whole pixels repeated or dropped.
constexpr int SourcePixel(int at, int targetSize, int pictureSize)
{
    return int(std::int64_t(at) * pictureSize / targetSize);
}
