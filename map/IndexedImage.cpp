#include "map/IndexedImage.h"

#include <algorithm>

IndexedImage::IndexedImage(int width, int height) : IndexedImage(width, height, Uninitialized{})
{
    std::fill(pixels_.begin(), pixels_.end(), kEntryOpen);
}

IndexedImage::IndexedImage(int width, int height, Uninitialized)
{
    if (width <= 0 || height <= 0)
        return; // a picture with no pixels has no size either
    width_ = width;
    height_ = height;
    bytesPerLine_ = ((std::size_t(width) + 1) / 2 + 3) & ~std::size_t(3);
    pixels_.resize(bytesPerLine_ * std::size_t(height));
}
