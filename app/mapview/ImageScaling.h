#pragma once
// The arithmetic of the image control: zoom steps of a fifth of the current
// size, and which picture pixel a screen pixel of a scaled picture shows.

#include <cstdint>
#include <vector>

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

// The grid between cells shows from 8 screen pixels a cell (800%) up; every
// tenth line is a stronger one with its cell number at the area's edge.
constexpr int kGridFromScale = 8;
constexpr int kGridLabelEvery = 10;

constexpr bool GridShows(int shownLength, int pictureLength)
{
    return pictureLength > 0 && std::int64_t(shownLength) >= std::int64_t(kGridFromScale) * pictureLength;
}

// The first screen pixel of a cell on a picture of pictureLength stretched
// over shownLength, as the painting lays it out: the left (or top) edge of
// the cell, where its grid line is drawn.
constexpr std::int64_t CellStart(int cell, int shownLength, int pictureLength)
{
    return (std::int64_t(cell) * shownLength + pictureLength - 1) / pictureLength;
}

struct GridLabel {
    int at;   // the line's pixel in the area
    int cell; // the cell the line stands before
};

// The stronger lines in view along one direction: the picture's control at
// offset (its position in the area, 0 or less) and shownLength long, the
// area areaLength long.
inline std::vector<GridLabel> GridLabels(int offset, int shownLength, int pictureLength, int areaLength)
{
    std::vector<GridLabel> labels;
    if (!GridShows(shownLength, pictureLength))
        return labels;
    const std::int64_t firstShown = std::int64_t(-offset) * pictureLength / shownLength;
    for (std::int64_t cell = firstShown / kGridLabelEvery * kGridLabelEvery; cell <= pictureLength;
         cell += kGridLabelEvery) {
        const std::int64_t at = offset + CellStart(int(cell), shownLength, pictureLength);
        if (at >= areaLength)
            break;
        if (at >= 0)
            labels.push_back({int(at), int(cell)});
    }
    return labels;
}
