#include "capture/videoheader.h"

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
