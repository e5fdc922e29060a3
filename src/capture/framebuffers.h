#pragma once
// The frame buffers of a capture session: the bitmap file image a frame is copied into and the
// bitmap it is decoded into. Rebuilt by every connect and format change, reused for every frame.

#include "capture/framebitmap.h"
#include "capture/frameimage.h"
#include "capture/videoheader.h"

#include <cstdint>
#include <span>

class FrameBuffers
{
public:
    enum class CopyResult
    {
        Copied,
        ShortFrame,       ///< fewer bytes than the video header's image size; nothing stored
        UnsupportedFormat ///< not a 24-bit format the bitmap can hold
    };

    FrameBuffers();
    explicit FrameBuffers(const VideoHeader &header);

    void rebuild(const VideoHeader &header);

    /// Copies one frame into the frame image and decodes it into the bitmap.
    CopyResult copyFrame(std::span<const std::uint8_t> frame);

    const VideoHeader &header() const { return m_image.header(); }
    const FrameImage &frameImage() const { return m_image; }
    const FrameBitmap &frameBitmap() const { return m_bitmap; }
    const QImage &bitmap() const { return m_bitmap.image(); }

private:
    FrameImage m_image;
    FrameBitmap m_bitmap;
};
