#include "IndexedImage.h"

IndexedImage::IndexedImage(int width, int height)
{
    if (width <= 0 || height <= 0)
        return; // a picture with no pixels has no size either
    width_ = width;
    height_ = height;
    bytesPerLine_ = (std::size_t(width) + 3) & ~std::size_t(3);
    pixels_.assign(bytesPerLine_ * std::size_t(height), kEntryOpen);
}
