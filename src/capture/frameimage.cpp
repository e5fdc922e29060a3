#include "capture/frameimage.h"

#include <algorithm>
#include <cstring>

namespace {
void put32(std::uint8_t *p, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
} // namespace

FrameImage::FrameImage() : FrameImage(VideoHeader{}) {}

FrameImage::FrameImage(const VideoHeader &header)
{
    rebuild(header);
}

void FrameImage::rebuild(const VideoHeader &header)
{
    m_header = header;
    const std::uint32_t imageSize = header.imageSize();
    // A fresh vector, so the memory of a larger earlier format is given back.
    std::vector<std::uint8_t> bytes(PixelOffset + imageSize, 0);
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(&bytes[2], static_cast<std::uint32_t>(imageSize + PixelOffset));
    // bytes 6..9: two reserved 16-bit words, zero
    put32(&bytes[10], static_cast<std::uint32_t>(PixelOffset));
    const auto info = header.bytes();
    std::copy(info.begin(), info.end(), bytes.begin() + FileHeaderSize);
    m_bytes = std::move(bytes);
}

bool FrameImage::storeFrame(std::span<const std::uint8_t> frame)
{
    const std::size_t size = imageSize();
    if (frame.size() < size)
        return false;
    if (size > 0)
        std::memcpy(m_bytes.data() + PixelOffset, frame.data(), size);
    return true;
}

std::span<const std::uint8_t> FrameImage::pixelArea() const
{
    return std::span<const std::uint8_t>(m_bytes).subspan(PixelOffset);
}
