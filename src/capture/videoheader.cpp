#include "capture/videoheader.h"

namespace {
void put32(std::uint8_t *p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void put16(std::uint8_t *p, std::uint16_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
} // namespace

VideoHeader VideoHeader::make(int width, int height, int bitCount)
{
    VideoHeader h;
    h.width = width;
    h.height = height;
    h.bitCount = static_cast<std::uint16_t>(bitCount);
    return h;
}

std::uint32_t VideoHeader::rowStride() const
{
    const auto w = static_cast<std::uint32_t>(width < 0 ? 0 : width);
    return ((w * bitCount + 31) / 32) * 4;
}

std::uint32_t VideoHeader::imageSize() const
{
    const auto h = static_cast<std::uint32_t>(height < 0 ? -height : height);
    return rowStride() * h * planes;
}

std::array<std::uint8_t, VideoHeader::Size> VideoHeader::bytes() const
{
    std::array<std::uint8_t, Size> b{};
    put32(&b[0], Size);
    put32(&b[4], static_cast<std::uint32_t>(width));
    put32(&b[8], static_cast<std::uint32_t>(height));
    put16(&b[12], planes);
    put16(&b[14], bitCount);
    put32(&b[16], 0); // uncompressed
    put32(&b[20], imageSize());
    // resolutions, colours used and important colours stay 0
    return b;
}
