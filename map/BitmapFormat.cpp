#include "map/BitmapFormat.h"

namespace {

class LittleEndianWriter {
public:
    explicit LittleEndianWriter(std::uint8_t* at) : at_(at) {}
    void Put16(std::uint32_t value) { PutBytes(value, 2); }
    void Put32(std::uint32_t value) { PutBytes(value, 4); }
    void Put8(std::uint8_t value) { *at_++ = value; }

private:
    void PutBytes(std::uint32_t value, int count)
    {
        for (int byte = 0; byte < count; ++byte)
            *at_++ = std::uint8_t(value >> (8 * byte));
    }
    std::uint8_t* at_;
};

} // namespace

std::array<std::uint8_t, kBitmapHeadersSize> BitmapHeadersOf(const IndexedImage& picture)
{
    std::array<std::uint8_t, kBitmapHeadersSize> headers{};
    const auto pixelBytes = std::uint32_t(picture.BytesPerLine() * std::size_t(picture.Height()));
    LittleEndianWriter out(headers.data());
    out.Put8('B');
    out.Put8('M');
    out.Put32(std::uint32_t(kBitmapHeadersSize) + pixelBytes);
    out.Put32(0); // reserved
    out.Put32(std::uint32_t(kBitmapHeadersSize));
    out.Put32(40);
    out.Put32(std::uint32_t(picture.Width()));
    out.Put32(std::uint32_t(picture.Height())); // positive: rows bottom-up
    out.Put16(1);                                // planes
    out.Put16(4);                                // bits per pixel
    out.Put32(0);                                // no compression
    out.Put32(pixelBytes);
    out.Put32(kBitmapDotsPerMeter);
    out.Put32(kBitmapDotsPerMeter);
    out.Put32(std::uint32_t(kColorTable.size())); // colours used
    out.Put32(std::uint32_t(kColorTable.size())); // colours important
    for (const Rgb& colour : kColorTable) {
        out.Put8(colour.blue);
        out.Put8(colour.green);
        out.Put8(colour.red);
        out.Put8(0);
    }
    return headers;
}
