#include "capture/framebuffers.h"

FrameBuffers::FrameBuffers() : FrameBuffers(VideoHeader{}) {}

FrameBuffers::FrameBuffers(const VideoHeader &header)
{
    rebuild(header);
}

void FrameBuffers::rebuild(const VideoHeader &header)
{
    m_image.rebuild(header);
    m_bitmap.rebuild(header);
}

FrameBuffers::CopyResult FrameBuffers::copyFrame(std::span<const std::uint8_t> frame)
{
    if (!m_image.storeFrame(frame))
        return CopyResult::ShortFrame;
    return m_bitmap.load(m_image) ? CopyResult::Copied : CopyResult::UnsupportedFormat;
}
