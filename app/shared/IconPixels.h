#pragma once
// The window's icons as pixels, 0xAARRGGBB row by row, made from
// app/icons/*.png by tools/icon-pixels.sh. Built from these, an icon needs no
// image decoder: the first decoded image costs a start-up a search through
// the image plugins.

#include <array>
#include <cstdint>

struct IconPixels {
    const char* name; // the PNG file's name without ".png"
    int size;         // square
    const std::uint32_t* pixels;
};

extern const std::array<IconPixels, 12> kIconPixels;
