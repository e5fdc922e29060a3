#pragma once
// The complete bitmap file image of one frame: file header, video header, pixel area.
// Built once per video format and reused for every frame.

#include "capture/videoheader.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class FrameImage
{
public:
    static constexpr std::size_t FileHeaderSize = 14;
    /// Where the pixel area starts: file header plus video header, no colour table.
    static constexpr std::size_t PixelOffset = FileHeaderSize + VideoHeader::Size;

    FrameImage();
    explicit FrameImage(const VideoHeader &header);

    /// Lays the image out anew for header: headers written, pixel area of imageSize() zero bytes.
    void rebuild(const VideoHeader &header);

    /// Copies imageSize() bytes of frame into the pixel area. A shorter frame is refused
    /// (returns false) and never read past its end; the pixel area then keeps the last frame.
    bool storeFrame(std::span<const std::uint8_t> frame);

    const VideoHeader &header() const { return m_header; }
    std::size_t imageSize() const { return m_bytes.size() - PixelOffset; }
    /// The whole file image, as a bitmap file would hold it.
    std::span<const std::uint8_t> bytes() const { return m_bytes; }
    std::span<const std::uint8_t> pixelArea() const;

private:
    VideoHeader m_header;
    std::vector<std::uint8_t> m_bytes;
};
